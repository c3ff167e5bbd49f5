#include "huepalette/palette_read.h"

#include "huedata/file_error.h"
#include "huepalette/krita_palette.h"

#include "huedata/hue_file.h"
#include "huedata/hue_text.h"

#include <bit>
#include <charconv>
#include <cstring>
#include <limits>
#include <string_view>

namespace huepalette {

namespace {

// Bytes taken in order, each read checked against the end: a file that ends early, or a
// length that runs past the end, is refused with where it happened.
class ByteReader {
public:
    // A part of a palette (a block, a colour): its failure is named by the reader of the whole.
    ByteReader(std::span<const unsigned char> bytes, std::string part)
        : bytes_(bytes), where_(std::move(part)) {}
    // The palette file itself, in its format: its failure names the file.
    ByteReader(std::span<const unsigned char> bytes, const std::string& name,
               std::string_view format)
        : bytes_(bytes), where_(format), file_(name) {}

    [[noreturn]] void Fail(const std::string& why) const {
        if (file_) throw huedata::FileError(huedata::PathFromUtf8(*file_), where_ + ": " + why);
        throw huedata::HuesError(where_ + ": " + why);
    }
    std::size_t Left() const { return bytes_.size() - at_; }
    std::size_t At() const { return at_; }
    std::span<const unsigned char> Take(std::size_t count, std::string_view what) {
        if (count > Left()) {
            Fail("ends early: " + std::string(what) + " at byte " + std::to_string(at_) +
                 " needs " + std::to_string(count) + " bytes, and " + std::to_string(Left()) +
                 " are left");
        }
        const auto taken = bytes_.subspan(at_, count);
        at_ += count;
        return taken;
    }
    std::uint32_t Big(std::size_t size, std::string_view what) {
        return huedata::BigEndianValue(Take(size, what));
    }
    std::uint32_t Little(std::size_t size, std::string_view what) {
        return huedata::LittleEndianValue(Take(size, what));
    }
    // A count of items of at least `leastSize` bytes each, refused where the bytes left
    // cannot hold that many: a lying count never sizes anything.
    std::uint32_t Count(std::uint32_t count, std::size_t leastSize, std::string_view what) {
        if (std::uint64_t{count} * leastSize > Left()) {
            Fail("says it holds " + std::to_string(count) + " " + std::string(what) +
                 ", more than its " + std::to_string(Left()) + " bytes left can");
        }
        return count;
    }
    // UTF-16BE of `units` code units, the last a NUL where there is one.
    std::string Utf16Name(std::uint32_t units, std::string_view what) {
        const auto taken = Take(std::size_t{Count(units, 2, what)} * 2, what);
        std::u16string text(units, u'\0');
        for (std::size_t i = 0; i < units; ++i) {
            text[i] = static_cast<char16_t>(huedata::BigEndianValue(taken.subspan(2 * i, 2)));
        }
        if (!text.empty() && text.back() == u'\0') text.pop_back();
        return huedata::Utf8Text(text);
    }

private:
    std::span<const unsigned char> bytes_;
    std::string where_;
    std::optional<std::string> file_;
    std::size_t at_ = 0;
};

bool StartsWith(std::span<const unsigned char> bytes, std::string_view magic) {
    return bytes.size() >= magic.size() &&
           std::memcmp(bytes.data(), magic.data(), magic.size()) == 0;
}

[[noreturn]] void RefuseCmyk(ByteReader& reader, const std::string& colour) {
    reader.Fail("colour \"" + huedata::PrintableText(colour) +
                "\" is CMYK, which needs a colour profile to become RGB: convert the palette "
                "to RGB in the program that made it");
}

// ---- ASE: Adobe Swatch Exchange 1.0, big-endian ----

PaletteColor AseColor(ByteReader& block) {
    PaletteColor color;
    color.name = block.Utf16Name(block.Big(2, "a colour's name length"), "name characters");
    const auto model = block.Take(4, "a colour model");
    const std::string modelText(model.begin(), model.end());
    const auto value = [&] { return std::bit_cast<float>(block.Big(4, "a colour value")); };
    if (modelText == "RGB ") {
        const float red = value(), green = value(), blue = value();
        color.rgb = RgbFromUnits(red, green, blue);
    } else if (modelText == "Gray") {
        const float grey = value();
        color.rgb = RgbFromUnits(grey, grey, grey);
    } else if (modelText == "LAB ") {
        const float lightness = value(), a = value(), b = value();
        color.rgb = RgbFromLabD50(lightness * 100.0, a, b);
    } else if (modelText == "CMYK") {
        RefuseCmyk(block, color.name);
    } else {
        block.Fail("colour \"" + huedata::PrintableText(color.name) +
                   "\" is in an unknown model \"" + huedata::PrintableText(modelText) + "\"");
    }
    return color;
}

Palette ReadAse(ByteReader& reader) {
    Palette palette{PaletteFormat::Ase, {PaletteGroup{}}};
    reader.Take(4, "the signature");
    const std::uint32_t major = reader.Big(2, "the version");
    reader.Big(2, "the version");
    if (major != 1) reader.Fail("version " + std::to_string(major) + " is not ASE 1.0");
    const std::uint32_t blocks = reader.Count(reader.Big(4, "the block count"), 6, "blocks");
    if (blocks > 2 * MostPaletteColors) reader.Fail("holds more blocks than any palette of hues");
    std::size_t group = 0;
    for (std::uint32_t b = 0; b < blocks; ++b) {
        const std::uint32_t type = reader.Big(2, "a block's type");
        const std::uint32_t length = reader.Big(4, "a block's length");
        if (length > reader.Left()) {
            reader.Fail("block " + std::to_string(b) + " at byte " + std::to_string(reader.At()) +
                        " runs " + std::to_string(length - reader.Left()) + " bytes past the end");
        }
        ByteReader block(reader.Take(length, "a block"), "block " + std::to_string(b));
        try {
            if (type == 0xC001) {
                palette.groups.push_back(
                    {block.Utf16Name(block.Big(2, "a group's name length"), "name characters"),
                     {}});
                group = palette.groups.size() - 1;
            } else if (type == 0xC002) {
                group = 0;
            } else if (type == 0x0001) {
                palette.groups[group].colors.push_back(AseColor(block));
            }
        } catch (const huedata::HuesError& error) {
            reader.Fail(error.what());
        }
    }
    return palette;
}

// ---- ACO: Photoshop's swatches, a version 1 section and a version 2 one with names ----

// A channel of 0 to 65535. Photoshop writes 0xRRRR; other programs write 0xRR00.
std::uint8_t AcoChannel(std::uint32_t value) {
    const std::uint32_t high = value >> 8U;
    if ((value & 0xFFU) == high || (value & 0xFFU) == 0) return static_cast<std::uint8_t>(high);
    return static_cast<std::uint8_t>((value * 255 + 65535 / 2) / 65535);
}

PaletteColor AcoColor(ByteReader& reader, std::string name) {
    const std::uint32_t space = reader.Big(2, "a colour space");
    const std::uint32_t w = reader.Big(2, "a colour value"), x = reader.Big(2, "a colour value"),
                        y = reader.Big(2, "a colour value");
    reader.Big(2, "a colour value");
    PaletteColor color{std::move(name), {}};
    const auto signedValue = [](std::uint32_t v) { return static_cast<std::int16_t>(v); };
    switch (space) {
        case 0:
            color.rgb = {AcoChannel(w), AcoChannel(x), AcoChannel(y)};
            break;
        case 1:
            color.rgb = RgbFromHsb(w * 360.0 / 65536.0, x / 65535.0, y / 65535.0);
            break;
        case 2:
            RefuseCmyk(reader, color.name);
        case 7:
            color.rgb = RgbFromLabD50(w / 100.0, signedValue(x) / 100.0, signedValue(y) / 100.0);
            break;
        case 8: {
            const double grey = 1.0 - std::min(w, 10000U) / 10000.0;  // ink: 10000 is black
            color.rgb = RgbFromUnits(grey, grey, grey);
            break;
        }
        default:
            reader.Fail("colour \"" + huedata::PrintableText(color.name) +
                        "\" is in colour space " + std::to_string(space) +
                        ", which has no RGB without a profile");
    }
    return color;
}

Palette ReadAco(ByteReader& reader) {
    Palette palette{PaletteFormat::Aco, {PaletteGroup{}}};
    std::vector<PaletteColor>& colors = palette.groups[0].colors;
    std::uint32_t version = reader.Big(2, "the version");
    std::uint32_t count = reader.Count(reader.Big(2, "the colour count"), 10, "colours");
    if (version == 1) {
        for (std::uint32_t i = 0; i < count; ++i) colors.push_back(AcoColor(reader, ""));
        if (reader.Left() == 0) return palette;
        version = reader.Big(2, "the second section's version");
        if (version != 2)
            reader.Fail("the second section is version " + std::to_string(version) + ", not 2");
        count = reader.Count(reader.Big(2, "the colour count"), 14, "colours");
        colors.clear();
    } else if (version != 2) {
        reader.Fail("version " + std::to_string(version) + " is not ACO 1 or 2");
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        // The values come before the name: read them, then the name, then make the colour.
        ByteReader values(reader.Take(10, "a colour"), "colour " + std::to_string(i));
        std::string name = reader.Utf16Name(reader.Big(4, "a name's length"), "name characters");
        try {
            colors.push_back(AcoColor(values, std::move(name)));
        } catch (const huedata::HuesError& error) {
            reader.Fail(error.what());
        }
    }
    return palette;
}

// ---- RIFF PAL: Microsoft's, little-endian ----

Palette ReadRiffPal(ByteReader& reader) {
    Palette palette{PaletteFormat::RiffPal, {PaletteGroup{}}};
    reader.Take(12, "the header");
    while (reader.Left() > 0) {
        const auto id = reader.Take(4, "a chunk's name");
        const std::uint32_t size = reader.Little(4, "a chunk's size");
        if (size > reader.Left()) {
            reader.Fail("its \"" + huedata::PrintableText(std::string(id.begin(), id.end())) +
                        "\" chunk runs " + std::to_string(size - reader.Left()) +
                        " bytes past the end");
        }
        ByteReader chunk(reader.Take(size, "a chunk"), "its data chunk");
        if (size % 2 != 0 && reader.Left() > 0) reader.Take(1, "padding");
        if (std::string_view(reinterpret_cast<const char*>(id.data()), 4) != "data") continue;
        try {
            chunk.Little(2, "the version");
            const std::uint32_t count = chunk.Count(chunk.Little(2, "the count"), 4, "colours");
            for (std::uint32_t i = 0; i < count; ++i) {
                const auto entry = chunk.Take(4, "a colour");
                palette.groups[0].colors.push_back({"", {entry[0], entry[1], entry[2]}});
            }
        } catch (const huedata::HuesError& error) {
            reader.Fail(error.what());
        }
        return palette;
    }
    reader.Fail("it has no \"data\" chunk");
}

// ---- The text formats ----

// The text's lines, at most `most` of them and one more, so that a file of line breaks alone
// never costs more than a palette's worth of them.
std::vector<std::string_view> Lines(std::string_view text,
                                    std::size_t most = std::numeric_limits<std::size_t>::max()) {
    std::vector<std::string_view> lines;
    while (!text.empty() && lines.size() <= most) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r')) line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The words of a line separated by spaces or tabs; the last holds the rest of the line.
std::vector<std::string_view> Words(std::string_view line, std::size_t most) {
    std::vector<std::string_view> words;
    line = Trimmed(line);
    while (!line.empty() && words.size() + 1 < most) {
        const auto end = line.find_first_of(" \t");
        words.push_back(line.substr(0, end));
        if (end == std::string_view::npos) return words;
        line = Trimmed(line.substr(end));
    }
    if (!line.empty()) words.push_back(line);
    return words;
}

std::optional<std::uint8_t> ChannelText(std::string_view text) {
    const auto value = huedata::NumberFromText<unsigned>(text);
    if (!value || *value > 255) return std::nullopt;
    return static_cast<std::uint8_t>(*value);
}

std::optional<std::uint32_t> HexValue(std::string_view text) {
    return huedata::NumberFromText<std::uint32_t>(text, 16);
}

// "R G B" and what follows on the line of a GPL or JASC-PAL colour.
PaletteColor DecimalColor(ByteReader& reader, std::string_view line, std::size_t lineNumber) {
    const auto words = Words(line, 4);
    std::optional<std::uint8_t> channels[3];
    for (std::size_t c = 0; c < 3 && c < words.size(); ++c) channels[c] = ChannelText(words[c]);
    if (words.size() < 3 || !channels[0] || !channels[1] || !channels[2]) {
        reader.Fail("line " + std::to_string(lineNumber) + ": \"" + huedata::PrintableText(line) +
                    "\" is not a colour: three values from 0 to 255");
    }
    return {words.size() > 3 ? std::string(words[3]) : "",
            {*channels[0], *channels[1], *channels[2]}};
}

Palette ReadGpl(ByteReader& reader, const std::vector<std::string_view>& lines) {
    Palette palette{PaletteFormat::Gpl, {PaletteGroup{}}};
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string_view line = Trimmed(lines[i]);
        if (line.empty() || line.starts_with('#') || line.starts_with("Name:") ||
            line.starts_with("Columns:")) {
            continue;
        }
        palette.groups[0].colors.push_back(DecimalColor(reader, line, i + 1));
    }
    return palette;
}

Palette ReadJascPal(ByteReader& reader, const std::vector<std::string_view>& lines) {
    Palette palette{PaletteFormat::JascPal, {PaletteGroup{}}};
    if (lines.size() < 3) reader.Fail("ends early: no colour count after its header");
    const auto read = huedata::NumberFromText<unsigned>(Trimmed(lines[2]));
    if (!read)
        reader.Fail("line 3: \"" + huedata::PrintableText(lines[2]) + "\" is not a colour count");
    const unsigned count = *read;
    std::size_t given = 0;
    for (std::size_t i = 3; i < lines.size(); ++i) given += !Trimmed(lines[i]).empty();
    if (given != count) {
        reader.Fail("says it holds " + std::to_string(count) + " colours, and gives " +
                    std::to_string(given));
    }
    for (std::size_t i = 3; i < lines.size(); ++i) {
        if (Trimmed(lines[i]).empty()) continue;
        PaletteColor color = DecimalColor(reader, lines[i], i + 1);
        color.name.clear();  // a fourth value is the colour's alpha
        palette.groups[0].colors.push_back(std::move(color));
    }
    return palette;
}

// Lospec's hex (RRGGBB a line) and Paint.NET's (AARRGGBB a line, ";" comments).
std::optional<Palette> ReadHexLines(ByteReader& reader,
                                    const std::vector<std::string_view>& lines) {
    Palette palette{PaletteFormat::Hex, {PaletteGroup{}}};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = Trimmed(lines[i]);
        if (line.starts_with(';')) {
            palette.format = PaletteFormat::PaintNet;
            continue;
        }
        if (line.starts_with('#')) line.remove_prefix(1);
        if (line.empty()) continue;
        const auto value = HexValue(line);
        if (!value || (line.size() != 6 && line.size() != 8)) {
            if (i == 0) return std::nullopt;
            reader.Fail("line " + std::to_string(i + 1) + ": \"" +
                        huedata::PrintableText(lines[i]) +
                        "\" is not a colour: RRGGBB, or AARRGGBB as Paint.NET writes");
        }
        if (line.size() == 8) palette.format = PaletteFormat::PaintNet;
        palette.groups[0].colors.push_back(
            {"",
             {static_cast<std::uint8_t>(*value >> 16U), static_cast<std::uint8_t>(*value >> 8U),
              static_cast<std::uint8_t>(*value)}});
    }
    if (palette.groups[0].colors.empty()) return std::nullopt;
    return palette;
}

// The bytes as UTF-8 text, without a byte-order mark: where they are UTF-8 already, the bytes
// themselves, not a copy of a file that may be 256 MB; otherwise decoded from Windows-1252
// into `decoded`.
std::string_view TextOf(std::span<const unsigned char> bytes, std::string& decoded) {
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    if (huedata::IsUtf8(text)) return text;
    decoded = huedata::Utf8FromWindows1252(text);
    return decoded;
}

bool IsRiffPal(std::span<const unsigned char> bytes) {
    return StartsWith(bytes, "RIFF") && bytes.size() >= 12 &&
           std::memcmp(bytes.data() + 8, "PAL ", 4) == 0;
}

bool IsAco(std::span<const unsigned char> bytes) {
    return bytes.size() >= 4 && bytes[0] == 0 && (bytes[1] == 1 || bytes[1] == 2);
}

std::string_view FirstLine(std::string_view text) {
    const auto lines = Lines(std::string_view(text).substr(0, 64));
    return lines.empty() ? std::string_view() : Trimmed(lines.front());  // a mark alone has none
}

}  // namespace

std::optional<PaletteFormat> DetectPalette(std::span<const unsigned char> bytes) {
    if (StartsWith(bytes, "ASEF")) return PaletteFormat::Ase;
    if (StartsWith(bytes, "PK\x03\x04")) return PaletteFormat::Kpl;
    if (IsRiffPal(bytes)) return PaletteFormat::RiffPal;
    if (IsAco(bytes)) return PaletteFormat::Aco;
    if (bytes.empty()) return std::nullopt;
    std::string decoded;
    const std::string_view text =
        TextOf(bytes.first(std::min<std::size_t>(bytes.size(), 64)), decoded);
    if (FirstLine(text) == "GIMP Palette") return PaletteFormat::Gpl;
    if (FirstLine(text) == "JASC-PAL") return PaletteFormat::JascPal;
    // A colour a line: Paint.NET's starts with its ";" comments or gives AARRGGBB.
    std::string_view line = FirstLine(text);
    if (line.starts_with(';')) return PaletteFormat::PaintNet;
    if (line.starts_with('#')) line.remove_prefix(1);
    if (!HexValue(line) || (line.size() != 6 && line.size() != 8)) return std::nullopt;
    return line.size() == 6 ? PaletteFormat::Hex : PaletteFormat::PaintNet;
}

Palette ReadPalette(const std::string& name, std::span<const unsigned char> bytes) {
    const std::optional<PaletteFormat> format = DetectPalette(bytes);
    ByteReader reader(bytes, name, FormatName(format.value_or(PaletteFormat::Hex)));
    Palette palette;
    if (format == PaletteFormat::Ase) {
        palette = ReadAse(reader);
    } else if (format == PaletteFormat::Kpl) {
        palette = ReadKritaPalette(name, bytes);
    } else if (format == PaletteFormat::RiffPal) {
        palette = ReadRiffPal(reader);
    } else if (format == PaletteFormat::Aco) {
        palette = ReadAco(reader);
    } else {
        std::string decoded;
        const std::string_view text = TextOf(bytes, decoded);
        const std::size_t mostLines = MostPaletteColors + 8;
        const auto lines = Lines(text, mostLines);
        if (lines.size() > mostLines) {
            reader.Fail("holds more than " + std::to_string(mostLines) +
                        " lines, more than any palette of hues");
        }
        std::optional<Palette> read;
        if (format == PaletteFormat::Gpl) {
            read = ReadGpl(reader, lines);
        } else if (format == PaletteFormat::JascPal) {
            read = ReadJascPal(reader, lines);
        } else if (text.find('\0') == std::string::npos) {
            read = ReadHexLines(reader, lines);
        }
        if (!read) {
            throw huedata::FileError(
                huedata::PathFromUtf8(name),
                "not a palette: ASE, ACO, KPL, JASC-PAL, RIFF PAL, GIMP, Paint.NET "
                "or hex (RRGGBB a line)");
        }
        palette = std::move(*read);
    }
    // The first group holds the colours outside any group; it goes where there are none.
    if (palette.groups.size() > 1 && palette.groups[0].colors.empty()) {
        palette.groups.erase(palette.groups.begin());
    }
    if (ColorCount(palette) == 0)
        throw huedata::FileError(huedata::PathFromUtf8(name),
                                 std::string(FormatName(palette.format)) + ": holds no colours");
    return palette;
}

}  // namespace huepalette
