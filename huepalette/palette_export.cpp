#include "huepalette/palette_export.h"

#include "huedata/file_error.h"
#include "huepalette/gpl_export.h"
#include "huepalette/krita_palette.h"
#include "huepalette/palette_hues.h"

#include "huedata/hue_file.h"
#include "huedata/hue_text.h"

#include <algorithm>
#include <array>
#include <bit>

namespace huepalette {

namespace {

void Big16(huedata::TextBuilder& out, std::uint32_t value) {
    out.Commit(huedata::PutBigEndian(out.Reserve(2), value, 2));
}

void Big32(huedata::TextBuilder& out, std::uint32_t value) {
    out.Commit(huedata::PutBigEndian(out.Reserve(4), value, 4));
}

// UTF-16BE with its NUL, as ASE and ACO keep names. Most names are ASCII, whose units are
// its bytes after a zero: made straight from them, with no UTF-16 text between (three names a
// hue, a hundred thousand in a whole file's export).
std::string Utf16Be(std::string_view utf8) {
    std::string bytes(2 * utf8.size() + 2, '\0');
    if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return (c & 0x80) == 0; })) {
        for (std::size_t i = 0; i < utf8.size(); ++i) bytes[2 * i + 1] = utf8[i];
        return bytes;
    }
    const std::u16string units = huedata::Utf16Text(utf8);
    bytes.assign(2 * units.size() + 2, '\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        huedata::PutBigEndian(bytes.data() + 2 * i, units[i], 2);
    }
    return bytes;
}

// ---- ASE: a group per hue, each colour RGB float32 (value / 255), type normal ----

// The float of each 5-bit channel's widened value over 255, big-endian.
const std::array<std::array<char, 4>, 32>& AseChannels() {
    static const auto channels = [] {
        std::array<std::array<char, 4>, 32> made{};
        for (std::size_t k = 0; k < made.size(); ++k) {
            const auto bits = std::bit_cast<std::uint32_t>(
                static_cast<float>(huedata::WidenedChannels[k] / 255.0));
            huedata::PutBigEndian(made[k].data(), bits, 4);
        }
        return made;
    }();
    return channels;
}

void AseName(huedata::TextBuilder& out, const std::string& utf16) {
    Big16(out, static_cast<std::uint32_t>(utf16.size() / 2));
    out << std::string_view(utf16);
}

// A hue's 32 colour names in UTF-16BE, PaletteColorName's, made from the pieces around the
// index once a hue rather than once a colour: an export of a whole file names a million.
class ColorNames {
public:
    explicit ColorNames(const huedata::HueView& hue) {
        const std::string whole = Utf16Be(PaletteColorName(hue.id, 0, hue.name));
        const std::string before = Utf16Be(PaletteColorName(hue.id, 0, ""));
        before_ = before.substr(0, before.size() - 4);  // up to the index "0" and its NUL
        after_ = whole.substr(before.size() - 2);       // " NAME" and the NUL
    }
    // Its length in code units, NUL counted.
    std::uint32_t Units(std::size_t index) const {
        return static_cast<std::uint32_t>((before_.size() + after_.size()) / 2 +
                                          (index < 10 ? 1 : 2));
    }
    // Writes the name at `out`, which has room for it; returns the end.
    char* Write(char* out, std::size_t index) const {
        out = std::copy(before_.begin(), before_.end(), out);
        if (index >= 10) {
            *out++ = '\0';
            *out++ = static_cast<char>('0' + index / 10);
        }
        *out++ = '\0';
        *out++ = static_cast<char>('0' + index % 10);
        return std::copy(after_.begin(), after_.end(), out);
    }
    void Write(huedata::TextBuilder& out, std::size_t index) const {
        out.Commit(Write(out.Reserve(std::size_t{2} * Units(index)), index));
    }

private:
    std::string before_, after_;
};

void AseHue(const huedata::HueView& hue, huedata::TextBuilder& out) {
    const auto& channels = AseChannels();
    {
        const std::string group = Utf16Be(PaletteGroupName(hue.id, hue.name));
        Big16(out, 0xC001);
        Big32(out, static_cast<std::uint32_t>(2 + group.size()));
        AseName(out, group);
        const ColorNames names(hue);
        // Each colour's block written whole at once: a whole file's export holds a million.
        for (std::size_t i = 0; i < HueColorCount; ++i) {
            const auto bits = static_cast<std::uint16_t>(hue.record->Colors[i]);
            const std::uint32_t units = names.Units(i);
            const std::uint32_t length = 2 + 2 * units + 4 + 12 + 2;
            char* at = out.Reserve(6 + length);
            at = huedata::PutBigEndian(at, 0x0001, 2);
            at = huedata::PutBigEndian(at, length, 4);
            at = huedata::PutBigEndian(at, units, 2);
            at = names.Write(at, i);
            at = std::copy_n("RGB ", 4, at);
            at = std::copy_n(channels[(bits >> 10U) & 0x1FU].data(), 4, at);
            at = std::copy_n(channels[(bits >> 5U) & 0x1FU].data(), 4, at);
            at = std::copy_n(channels[bits & 0x1FU].data(), 4, at);
            at = huedata::PutBigEndian(at, 2, 2);  // a normal colour, neither global nor spot
            out.Commit(at);
        }
        Big16(out, 0xC002);
        Big32(out, 0);
    }
}

void AsePalette(const huedata::HuesInParts& hues, huedata::TextBuilder& out) {
    out << "ASEF" << std::string_view("\0\1\0\0", 4);
    Big32(out, static_cast<std::uint32_t>(hues.size() * (HueColorCount + 2)));
    hues.ForEach([&](std::span<const huedata::HueView> part, std::size_t /*before*/) {
        for (const huedata::HueView& hue : part) AseHue(hue, out);
    });
}

// ---- ACO: version 1, then version 2 with names; 16-bit channels, the 8-bit value × 257 ----

void AcoColor(huedata::TextBuilder& out, huedata::Color15 value) {
    const huedata::Rgb24 rgb = huedata::ConvertColor(value);
    Big16(out, 0);  // RGB
    Big16(out, rgb.red * 257U);
    Big16(out, rgb.green * 257U);
    Big16(out, rgb.blue * 257U);
    Big16(out, 0);
}

void AcoPalette(const huedata::HuesInParts& hues, huedata::TextBuilder& out) {
    constexpr std::size_t MostHues = 0xFFFF / HueColorCount;
    if (hues.size() > MostHues) {
        throw huedata::HuesError("export aco: ACO holds at most 65,535 colours, " +
                                 std::to_string(MostHues) + " hues; give at most that many IDS (" +
                                 std::to_string(hues.size()) + " asked for)");
    }
    const auto count = static_cast<std::uint32_t>(hues.size() * HueColorCount);
    Big16(out, 1);
    Big16(out, count);
    hues.ForEach([&](std::span<const huedata::HueView> part, std::size_t /*before*/) {
        for (const huedata::HueView& hue : part) {
            for (const huedata::Color15 value : hue.record->Colors) AcoColor(out, value);
        }
    });
    Big16(out, 2);
    Big16(out, count);
    hues.ForEach([&](std::span<const huedata::HueView> part, std::size_t /*before*/) {
        for (const huedata::HueView& hue : part) {
            const ColorNames names(hue);
            for (std::size_t i = 0; i < HueColorCount; ++i) {
                AcoColor(out, hue.record->Colors[i]);
                Big32(out, names.Units(i));
                names.Write(out, i);
            }
        }
    });
}

// ---- JASC-PAL and hex: colours alone ----

// Each colour of every hue in turn.
template <typename Write>
void ForEachColor(const huedata::HuesInParts& hues, Write write) {
    hues.ForEach([&](std::span<const huedata::HueView> part, std::size_t /*before*/) {
        for (const huedata::HueView& hue : part) {
            for (const huedata::Color15 value : hue.record->Colors) write(value);
        }
    });
}

void JascPalette(const huedata::HuesInParts& hues, huedata::TextBuilder& out) {
    out << "JASC-PAL\r\n0100\r\n" << hues.size() * HueColorCount << "\r\n";
    ForEachColor(hues, [&](huedata::Color15 value) {
        const huedata::Rgb24 rgb = huedata::ConvertColor(value);
        out << unsigned{rgb.red} << ' ' << unsigned{rgb.green} << ' ' << unsigned{rgb.blue}
            << "\r\n";
    });
}

void HexPalette(const huedata::HuesInParts& hues, huedata::TextBuilder& out) {
    ForEachColor(hues, [&](huedata::Color15 value) {
        // "#rrggbb" without its "#", in Lospec's lower case.
        std::array<char, 8> text{};
        huedata::WriteStoredAsRgbText(text.data(), value);
        for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c);
        out << std::string_view(text.data() + 1, 6) << '\n';
    });
}

}  // namespace

void PaletteExport(PaletteFormat format, const huedata::HuesInParts& hues,
                   std::string_view paletteName, huedata::TextBuilder& out) {
    switch (format) {
        case PaletteFormat::Ase:
            return AsePalette(hues, out);
        case PaletteFormat::Aco:
            return AcoPalette(hues, out);
        case PaletteFormat::Kpl:
            return KritaPalette(hues, paletteName, out);
        case PaletteFormat::JascPal:
            return JascPalette(hues, out);
        case PaletteFormat::Gpl:
            return GimpPalette(hues, paletteName, out);
        case PaletteFormat::Hex:
            return HexPalette(hues, out);
        case PaletteFormat::RiffPal:
        case PaletteFormat::PaintNet:
            break;
    }
    throw huedata::HuesError("export: hues does not write " + std::string(FormatName(format)));
}

}  // namespace huepalette
