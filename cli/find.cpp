#include "cli/find.h"

#include "huedata/hue_text.h"

#include <algorithm>

namespace cli {

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

}  // namespace

std::u16string FoldCase(std::u16string_view text) {
    std::u16string folded(text);
    std::transform(folded.begin(), folded.end(), folded.begin(), FoldLetter);
    return folded;
}

std::vector<huedata::HueView> FindHues(const huedata::HueFile& file, std::string_view text) {
    const std::u16string wanted = FoldCase(huedata::Utf16Text(text));
    std::vector<huedata::HueView> found;
    for (std::size_t id = 0; id < file.hues.size(); ++id) {
        const std::u16string name =
            FoldCase(huedata::Utf16Text(huedata::HueNameUtf8Text(file.hues[id].Name)));
        if (name.find(wanted) != std::u16string::npos) {
            found.push_back(huedata::ViewOf(file, static_cast<int>(id)));
        }
    }
    return found;
}

}  // namespace cli
