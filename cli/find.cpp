#include "cli/find.h"

#include "huedata/hue_text.h"

#include <algorithm>

namespace hues {

namespace {

char16_t FoldLetter(char16_t c) {
    if ((c >= u'A' && c <= u'Z') || (c >= u'\u00C0' && c <= u'\u00DE' && c != u'\u00D7')) {
        return static_cast<char16_t>(c + 0x20);
    }
    switch (c) {
        case u'\u0160':
            return u'\u0161';  // Š
        case u'\u0152':
            return u'\u0153';  // Œ
        case u'\u017D':
            return u'\u017E';  // Ž
        case u'\u0178':
            return u'\u00FF';  // Ÿ
        default:
            return c;
    }
}

// Length of the UTF-8 sequence a lead byte starts, or 0 for a byte that cannot lead.
int SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

}  // namespace

std::u16string FoldCase(std::u16string_view text) {
    std::u16string folded(text);
    std::transform(folded.begin(), folded.end(), folded.begin(), FoldLetter);
    return folded;
}

std::u16string Utf16Text(std::string_view utf8) {
    std::u16string text;
    text.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int length = SequenceLength(lead);
        char32_t code = length == 1 ? lead : lead & (0x7FU >> static_cast<unsigned>(length));
        int taken = 1;
        while (length > 1 && taken < length && i + static_cast<std::size_t>(taken) < utf8.size() &&
               (static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(taken)]) & 0xC0U) ==
                   0x80U) {
            code = (code << 6U) |
                   (static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(taken)]) & 0x3FU);
            ++taken;
        }
        const bool valid = length != 0 && taken == length && code <= 0x10FFFF &&
                           !(code >= 0xD800 && code <= 0xDFFF) &&
                           code >= (length == 3   ? 0x800U
                                    : length == 4 ? 0x10000U
                                                  : 0U);
        i += static_cast<std::size_t>(taken);
        if (!valid) {
            text.push_back(u'\uFFFD');
        } else if (code >= 0x10000) {
            text.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10U)));
            text.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FFU)));
        } else {
            text.push_back(static_cast<char16_t>(code));
        }
    }
    return text;
}

std::vector<HueView> FindHues(const HueFile& file, std::string_view text) {
    const std::u16string wanted = FoldCase(Utf16Text(text));
    std::vector<HueView> found;
    for (std::size_t id = 0; id < file.hues.size(); ++id) {
        const std::u16string name = FoldCase(huedata::HueNameText(file.hues[id].Name));
        if (name.find(wanted) != std::u16string::npos) {
            found.push_back(ViewOf(file, static_cast<int>(id)));
        }
    }
    return found;
}

}  // namespace hues
