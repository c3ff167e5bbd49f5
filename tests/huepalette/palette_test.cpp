// Palettes out and back in. Each binary export is read here by a reader of our own, written from
// the format's published layout rather than from the program's (the text ones, by Krita in
// krita.sh and by their pinned bytes in hues_program); then the program's readers take
// every format and colour model, pick colours for `set --from`, and refuse hostile files. That
// every export applies back to its file unchanged, names of every byte included, hues_program
// checks on each system.
#include "huedata/file_error.h"
#include "huepalette/palette_export.h"
#include "huepalette/palette_hues.h"
#include "huepalette/palette_read.h"
#include "tools/hue_image.h"

#include "huedata/hue_text.h"

#include <cmath>

#include <expat.h>
#include <gtest/gtest.h>
#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <bit>
#include <filesystem>
#include <fstream>
#include <map>

namespace {

using Bytes = std::vector<unsigned char>;

struct Swatch {
    std::string group, name;
    huedata::Rgb24 rgb;
    friend bool operator==(const Swatch&, const Swatch&) = default;
};

// Three hues: a plain name, none, and one with a byte Windows-1252 leaves undefined, a
// control character and bytes after its NUL.
std::vector<huedata::HueRecord> Records() {
    std::vector<huedata::HueRecord> records(3);
    const std::array<std::string_view, 3> names = {"Grass", "", "Cr\xE8me \x81\x07"};
    for (std::size_t h = 0; h < records.size(); ++h) {
        records[h].Name = huetools::NameBytes(names[h]);
        for (std::size_t i = 0; i < 32; ++i) {
            records[h].Colors[i] = static_cast<huedata::Color15>((h * 11000 + i * 1021) % 32768);
        }
    }
    records[2].Name[19] = 'x';
    return records;
}

std::vector<huedata::HueView> Views(const std::vector<huedata::HueRecord>& records) {
    std::vector<huedata::HueView> views;
    views.reserve(records.size());
    for (std::size_t h = 0; h < records.size(); ++h) {
        views.push_back(
            {static_cast<int>(h) + 7, huedata::HueNameUtf8Text(records[h].Name), &records[h]});
    }
    return views;
}

Bytes Exported(std::string_view kind, const std::vector<huedata::HueView>& views) {
    huedata::TextBuilder out;
    huepalette::PaletteExport(*huepalette::ExportedFormat(kind), huedata::HuesInParts(views),
                              "test.mul", out);
    const std::string text = std::move(out).Take();
    return {text.begin(), text.end()};
}

// The one line a refusal gives, or "accepted".
template <typename Work>
std::string Refusal(Work work) {
    try {
        work();
    } catch (const std::runtime_error& error) {  // FileError for a read, HuesError for its hues
        EXPECT_EQ(std::string(error.what()).find('\n'), std::string::npos);
        return error.what();
    }
    return "accepted";
}

// ---- Readers from the published layouts ----

// Channels from 0 to 1, rounded: each must lie within half of 1/255 of the colour it gives.
huedata::Rgb24 FromUnits(double red, double green, double blue) {
    const auto channel = [](double unit) {
        return static_cast<std::uint8_t>(std::lround(unit * 255));
    };
    return {channel(red), channel(green), channel(blue)};
}

std::uint32_t Big(const Bytes& b, std::size_t& at, int size) {
    std::uint32_t value = 0;
    for (int i = 0; i < size; ++i) value = (value << 8U) | b.at(at++);
    return value;
}

std::string Utf16(const Bytes& b, std::size_t& at, std::uint32_t units) {
    std::u16string text;
    for (std::uint32_t i = 0; i < units; ++i) text += static_cast<char16_t>(Big(b, at, 2));
    EXPECT_EQ(text.back(), u'\0');  // the length counts the NUL
    text.pop_back();
    return huedata::Utf8Text(text);
}

std::vector<Swatch> ReadAse(const Bytes& b) {
    std::size_t at = 0;
    EXPECT_EQ(Big(b, at, 4), 0x41534546U);  // "ASEF"
    EXPECT_EQ(Big(b, at, 4), 0x00010000U);
    const std::uint32_t blocks = Big(b, at, 4);
    std::vector<Swatch> swatches;
    std::string group;
    for (std::uint32_t k = 0; k < blocks; ++k) {
        const std::uint32_t type = Big(b, at, 2), length = Big(b, at, 4);
        const std::size_t end = at + length;
        if (type == 0xC001) group = Utf16(b, at, Big(b, at, 2));
        if (type == 0x0001) {
            std::string name = Utf16(b, at, Big(b, at, 2));
            EXPECT_EQ(Big(b, at, 4), 0x52474220U);  // "RGB "
            std::array<float, 3> rgb{};
            for (float& channel : rgb) channel = std::bit_cast<float>(Big(b, at, 4));
            EXPECT_EQ(Big(b, at, 2), 2U);  // normal
            swatches.push_back({group, name, FromUnits(rgb[0], rgb[1], rgb[2])});
        }
        EXPECT_EQ(at, end);
        at = end;
    }
    EXPECT_EQ(at, b.size());
    return swatches;
}

std::vector<Swatch> ReadAco(const Bytes& b) {
    std::size_t at = 0;
    std::vector<Swatch> first, named;
    for (const std::uint32_t version : {1U, 2U}) {
        EXPECT_EQ(Big(b, at, 2), version);
        const std::uint32_t count = Big(b, at, 2);
        for (std::uint32_t i = 0; i < count; ++i) {
            EXPECT_EQ(Big(b, at, 2), 0U);  // RGB
            Swatch swatch{"", "", {}};
            for (std::uint8_t* channel : {&swatch.rgb.red, &swatch.rgb.green, &swatch.rgb.blue}) {
                const std::uint32_t value = Big(b, at, 2);
                EXPECT_EQ(value % 257, 0U);
                *channel = static_cast<std::uint8_t>(value / 257);
            }
            Big(b, at, 2);
            if (version == 2) swatch.name = Utf16(b, at, Big(b, at, 4));
            (version == 1 ? first : named).push_back(swatch);
        }
    }
    EXPECT_EQ(at, b.size());
    for (std::size_t i = 0; i < first.size(); ++i) EXPECT_EQ(first[i].rgb, named.at(i).rgb);
    return named;
}

std::vector<Swatch> ReadKpl(const Bytes& b) {
    // The mimetype first and stored, as the format asks.
    EXPECT_EQ(std::string(b.begin() + 30, b.begin() + 38), "mimetype");
    EXPECT_EQ(b[8], 0);  // method: stored
    const std::string path = testing::TempDir() + "/export.kpl";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    unzFile zip = unzOpen64(path.c_str());
    std::map<std::string, std::string> entries;
    for (int s = unzGoToFirstFile(zip); s == UNZ_OK; s = unzGoToNextFile(zip)) {
        std::array<char, 256> name{};
        unz_file_info64 info{};
        unzGetCurrentFileInfo64(zip, &info, name.data(), name.size(), nullptr, 0, nullptr, 0);
        std::string bytes(info.uncompressed_size, '\0');
        unzOpenCurrentFile(zip);
        unzReadCurrentFile(zip, bytes.data(), static_cast<unsigned>(bytes.size()));
        unzCloseCurrentFile(zip);
        entries[name.data()] = bytes;
    }
    unzClose(zip);
    EXPECT_EQ(entries["mimetype"], "application/x-krita-palette");
    EXPECT_TRUE(entries.contains("profiles.xml"));
    // The colour set's groups and entries, each entry's RGB and Position, by expat.
    struct Reading {
        std::string group, columns;
        Swatch entry;
        std::vector<Swatch> swatches;
        std::vector<std::string> places;
    } reading;
    XML_Parser parser = XML_ParserCreate("UTF-8");
    XML_SetUserData(parser, &reading);
    XML_SetElementHandler(
        parser,
        [](void* data, const XML_Char* tag, const XML_Char** a) {
            auto& read = *static_cast<Reading*>(data);
            const auto at = [a](std::string_view key) {
                for (const XML_Char** k = a; k[0] != nullptr; k += 2)
                    if (key == k[0]) return std::string(k[1]);
                return std::string();
            };
            const std::string_view name(tag);
            if (name == "ColorSet") read.columns = at("columns");
            if (name == "Group") read.group = at("name");
            if (name == "ColorSetEntry") read.entry = {read.group, at("name"), {}};
            if (name == "RGB")
                read.entry.rgb =
                    FromUnits(std::stod(at("r")), std::stod(at("g")), std::stod(at("b")));
            if (name == "Position") read.places.push_back(at("column"));
        },
        [](void* data, const XML_Char* tag) {
            auto& read = *static_cast<Reading*>(data);
            if (std::string_view(tag) == "ColorSetEntry") read.swatches.push_back(read.entry);
        });
    const std::string& colorSet = entries["colorset.xml"];
    EXPECT_EQ(XML_Parse(parser, colorSet.data(), static_cast<int>(colorSet.size()), 1),
              XML_STATUS_OK);
    XML_ParserFree(parser);
    EXPECT_EQ(reading.columns, "32");
    for (std::size_t k = 0; k < reading.places.size(); ++k)
        EXPECT_EQ(reading.places[k], std::to_string(k % 32));
    return reading.swatches;
}

// ---- The tests ----

TEST(PaletteExport, EachFormatReadByItsPublishedLayoutHoldsTheHues) {
    const auto records = Records();
    const auto views = Views(records);
    struct Case {
        std::string_view kind;
        std::vector<Swatch> (*read)(const Bytes&);
        bool groups, names;
    };
    const std::array<Case, 3> cases{{{"ase", ReadAse, true, true},
                                     {"aco", ReadAco, false, true},
                                     {"kpl", ReadKpl, true, true}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        std::vector<Swatch> expected;
        for (const auto& view : views) {
            for (std::size_t i = 0; i < 32; ++i) {
                // The name as text stops at its NUL; XML cannot hold the control character.
                std::string name = view.name;
                if (const auto bell = name.find('\x07');
                    c.kind == "kpl" && bell != std::string::npos) {
                    name.replace(bell, 1, "\xEF\xBF\xBD");
                }
                expected.push_back({c.groups ? huepalette::PaletteGroupName(view.id, name) : "",
                                    c.names ? huepalette::PaletteColorName(view.id, i, name) : "",
                                    huedata::ConvertColor(view.record->Colors[i])});
            }
        }
        EXPECT_EQ(c.read(Exported(c.kind, views)), expected);
    }
}

// Colours of the published layouts' other forms, each as its own small file.
Bytes AseOf(std::string_view model, const std::vector<float>& values) {
    Bytes b{'A', 'S', 'E', 'F', 0, 1, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0};
    b.insert(b.end(), model.begin(), model.end());
    for (const float v : values) {
        const auto bits = std::bit_cast<std::uint32_t>(v);
        for (const int shift : {24, 16, 8, 0})
            b.push_back(static_cast<unsigned char>(bits >> shift));
    }
    b.insert(b.end(), {0, 2});
    b[17] = static_cast<unsigned char>(b.size() - 18);  // the block's length
    return b;
}

Bytes AcoOf(std::uint16_t space, std::array<std::uint16_t, 3> values) {
    Bytes b{0, 1, 0, 1, 0, static_cast<unsigned char>(space)};
    for (const std::uint16_t v : values)
        b.insert(b.end(), {static_cast<unsigned char>(v >> 8U), static_cast<unsigned char>(v)});
    b.insert(b.end(), {0, 0});
    return b;
}

std::string Repeated(std::string_view text, std::size_t times) {
    std::string repeated;
    repeated.reserve(text.size() * times);
    for (std::size_t k = 0; k < times; ++k) repeated += text;
    return repeated;
}

Bytes TextBytes(std::string_view text) {
    return {text.begin(), text.end()};
}

TEST(PaletteRead, EveryFormatAndColourModelByItsBytes) {
    const Bytes riff{'R', 'I', 'F', 'F', 16, 0, 0, 0, 'P', 'A', 'L', ' ', 'd', 'a',
                     't', 'a', 8,   0,   0,  0, 0, 3, 1,   0,   10,  20,  30,  0};
    const struct {
        Bytes bytes;
        huepalette::PaletteFormat format;
        huedata::Rgb24 first;
    } cases[] = {
        {AseOf("RGB ", {1.0F, 0.5F, 0.0F}), huepalette::PaletteFormat::Ase, {255, 128, 0}},
        {AseOf("RGB ", {0.9985F, 0.0F, 0.0F}),
         huepalette::PaletteFormat::Ase,
         {255, 0, 0}},  // rounded
        {AseOf("Gray", {0.2F}), huepalette::PaletteFormat::Ase, {51, 51, 51}},
        {AseOf("LAB ", {0.5F, 0.0F, 0.0F}), huepalette::PaletteFormat::Ase, {119, 119, 119}},
        {AcoOf(0, {0xFFFF, 0x8080, 0}), huepalette::PaletteFormat::Aco, {255, 128, 0}},
        {AcoOf(0, {0xFF00, 0x8000, 0x0100}), huepalette::PaletteFormat::Aco, {255, 128, 1}},
        {AcoOf(1, {0, 0xFFFF, 0xFFFF}), huepalette::PaletteFormat::Aco, {255, 0, 0}},  // HSB
        {AcoOf(1, {21845, 0xFFFF, 0x8080}), huepalette::PaletteFormat::Aco, {0, 128, 0}},
        {AcoOf(7, {10000, 0, 0}), huepalette::PaletteFormat::Aco, {255, 255, 255}},  // Lab
        {AcoOf(8, {7500, 0, 0}), huepalette::PaletteFormat::Aco, {64, 64, 64}},      // grey as ink
        {riff, huepalette::PaletteFormat::RiffPal, {10, 20, 30}},
        {TextBytes("JASC-PAL\r\n0100\r\n2\r\n1 2 3\r\n4 5 6\r\n"),
         huepalette::PaletteFormat::JascPal,
         {1, 2, 3}},
        {TextBytes("GIMP Palette\nName: x\nColumns: 4\n#\n  7   8   9\tSeven\n"),
         huepalette::PaletteFormat::Gpl,
         {7, 8, 9}},
        {TextBytes("; paint.net Palette File\r\nFF0A0B0C\r\n"),
         huepalette::PaletteFormat::PaintNet,
         {10, 11, 12}},
        {TextBytes("0a0b0c\n0d0e0f\n"), huepalette::PaletteFormat::Hex, {10, 11, 12}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(huepalette::FormatName(c.format)));
        const huepalette::Palette palette = huepalette::ReadPalette("p", c.bytes);
        EXPECT_EQ(palette.format, c.format);
        EXPECT_EQ(palette.groups.at(0).colors.at(0).rgb, c.first);
    }
}

TEST(PaletteRead, ColoursForSetAreAGroupAllOfItOrStops) {
    const auto records = Records();
    const huepalette::Palette ase =
        huepalette::ReadPalette("x.ase", Exported("ase", Views(records)));
    const auto exact = [&](std::size_t h) {
        std::vector<huedata::Rgb24> colors;
        for (const auto value : records[h].Colors) colors.push_back(huedata::ConvertColor(value));
        return colors;
    };
    EXPECT_EQ(huepalette::PaletteColorsFor("x.ase", ase, "Hue 8"), exact(1));
    EXPECT_EQ(huepalette::PaletteColorsFor("x.ase", ase, "7"), exact(0));  // by id
    const huepalette::Palette hex =
        huepalette::ReadPalette("x.hex", TextBytes("000000\nffffff\n808080\n"));
    EXPECT_EQ(huepalette::PaletteColorsFor("x.hex", hex, std::nullopt).size(), 3U);
    const auto refusal = [](const huepalette::Palette& palette,
                            const std::optional<std::string>& group) {
        return Refusal([&] { huepalette::PaletteColorsFor("x", palette, group); });
    };
    EXPECT_TRUE(refusal(ase, std::nullopt)
                    .starts_with(R"(x: ASE: holds 96 colours, more than a hue's 32, in the groups )"
                                 R"("Hue 7 Grass" (32), "Hue 8" (32), )"));
    EXPECT_TRUE(
        refusal(ase, "Sky").starts_with(R"(x: ASE: has no group "Sky"; it has the groups )"));
    EXPECT_EQ(refusal(hex, "1"), R"(x: hex: has no group "1"; it has no groups)");
}

// A zip of the given entries, written by minizip: (path, bytes, deflated).
// With `declared`, the central directory says the last entry unpacks to that many bytes.
Bytes Zip(std::initializer_list<std::tuple<const char*, std::string, bool>> entries,
          std::optional<std::uint32_t> declared = std::nullopt) {
    const std::string path = testing::TempDir() + "/hostile.zip";
    zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    for (const auto& [name, bytes, deflated] : entries) {
        const zip_fileinfo info{};
        zipOpenNewFileInZip(zip, name, &info, nullptr, 0, nullptr, 0, nullptr,
                            deflated ? Z_DEFLATED : 0, 9);
        zipWriteInFileInZip(zip, bytes.data(), static_cast<unsigned>(bytes.size()));
        zipCloseFileInZip(zip);
    }
    zipClose(zip, nullptr);
    std::ifstream in(path, std::ios::binary);
    Bytes b((std::istreambuf_iterator<char>(in)), {});
    if (declared) {
        static constexpr std::array<unsigned char, 4> Central{0x02, 0x01, 0x4b, 0x50};  // reversed
        const auto found = std::search(b.rbegin(), b.rend(), Central.begin(), Central.end());
        const std::size_t at = static_cast<std::size_t>(b.rend() - found) - 4 + 24;
        for (std::size_t k = 0; k < 4; ++k)
            b[at + k] = static_cast<unsigned char>(*declared >> (8 * k));
    }
    return b;
}

// The zip with its directory's record of `path` written twice, both naming one member's bytes.
Bytes WithEntryTwice(Bytes b, std::string_view path) {
    const auto at = [&](std::size_t k) { return static_cast<std::ptrdiff_t>(k); };
    const auto little = [&](std::size_t k) { return b[k] | (std::size_t{b[k + 1]} << 8U); };
    std::size_t record = 0;
    while (!(b[record] == 'P' && b[record + 1] == 'K' && b[record + 2] == 1 &&
             std::string_view(reinterpret_cast<const char*>(&b[record + 46]), path.size()) == path))
        ++record;
    const std::size_t length =
        46U + little(record + 28) + little(record + 30) + little(record + 32);
    const Bytes copy(b.begin() + at(record), b.begin() + at(record + length));
    b.insert(b.begin() + at(record + length), copy.begin(), copy.end());
    const std::size_t end = b.size() - 22;  // the directory's end, which has no comment
    for (const std::size_t count : {end + 8, end + 10}) ++b[count];
    b[end + 12] = static_cast<unsigned char>(b[end + 12] + length);  // the directory is short
    return b;
}

TEST(PaletteRead, HostileFilesAreRefusedInOneLine) {
    const std::string mime = "application/x-krita-palette";
    Bytes ase = AseOf("RGB ", {1, 1, 1});
    const auto with = [](Bytes b, std::size_t at, std::initializer_list<unsigned char> bytes) {
        std::ranges::copy(bytes, b.begin() + static_cast<std::ptrdiff_t>(at));
        return b;
    };
    const struct {
        Bytes bytes;
        std::string says;
    } cases[] = {
        {Bytes(ase.begin(), ase.end() - 5), "ASE: block 0 at byte 18 runs 5 bytes past the end"},
        {with(ase, 8, {0xFF, 0xFF, 0xFF, 0xFF}), "ASE: says it holds 4294967295 blocks"},
        {with(ase, 14, {0x7F, 0xFF, 0xFF, 0xFF}), "bytes past the end"},
        {with(ase, 18, {0xFF, 0xFF}), "says it holds 65535 name characters"},
        {with(ase, 4, {0, 2}), "ASE: version 2 is not ASE 1.0"},
        {AseOf("CMYK", {0, 0, 0, 1}), "colour \"\" is CMYK, which needs a colour profile"},
        {AseOf("XYZ ", {0, 0, 0}), "unknown model \"XYZ \""},
        {with(AcoOf(0, {}), 2, {0xFF, 0xFF}), "ACO: says it holds 65535 colours"},
        {AcoOf(2, {0, 0, 0}), "ACO: colour \"\" is CMYK"},
        {AcoOf(9, {0, 0, 0}), "colour space 9"},
        {TextBytes("JASC-PAL\r\n0100\r\n4000000000\r\n1 2 3\r\n"),
         "says it holds 4000000000 colours, and gives 1"},
        {TextBytes("JASC-PAL\r\n0100\r\n1\r\n1 2 300\r\n"), "line 4: \"1 2 300\" is not a colour"},
        {Bytes{'R', 'I', 'F', 'F', 0,   0,   0,    0,    'P', 'A',
               'L', ' ', 'd', 'a', 't', 'a', 0xFF, 0xFF, 0,   0},
         "chunk runs 65535 bytes past the end"},
        {TextBytes("GIMP Palette\n" + std::string((2 << 20) + 16, '\n')),
         "GIMP: holds more than 2097160 lines"},
        {TextBytes(R"({"not": "a palette"})"), "p: not a palette"},
        {TextBytes("\xEF\xBB\xBF"), "p: not a palette"},  // a byte-order mark alone
        {Zip({{"colorset.xml", "<ColorSet/>", false}}), "the zip has no mimetype"},
        {Zip({{"mimetype", "application/zip", false}}), "its mimetype is \"application/zip\""},
        {Zip({{"mimetype", mime, false}, {"../../evil", "x", false}}),
         "entry \"../../evil\" climbs out"},
        {Zip({{"mimetype", mime, false}, {"colorset.xml", std::string(1 << 20, ' '), true}}, 1),
         "colorset.xml cannot be unpacked: its headers disagree"},
        {Zip({{"mimetype", mime, false}, {"colorset.xml", "<ColorSet/>", true}}, 0xFFFFFFFF),
         "says it unpacks to 4294967295 bytes"},
        {Zip({{"mimetype", mime, false}, {"colorset.xml", "<ColorSet><Group", false}}),
         "colorset.xml is not XML"},
        {Bytes{'P', 'K', 3, 4, 0, 0}, "KPL: not a zip that can be read"},
        {WithEntryTwice(Zip({{"mimetype", mime, false}, {"colorset.xml", "<ColorSet/>", true}}),
                        "colorset.xml"),
         "holds two entries named \"colorset.xml\""},
        {Zip({{"mimetype", std::string(1000, 'x'), true}}), "mimetype says it unpacks to 1000"},
        // Mark-up far beyond any colours, refused before it costs time or memory: millions of
        // empty elements, deep nesting, attributes by the million, a sea of spaces, elements
        // padded out, and an entity that would expand a billion times.
        {Zip({{"mimetype", mime, false},
              {"colorset.xml", "<ColorSet>" + Repeated("<a/>", 2 << 20), true}}),
         "colorset.xml holds 1033 elements in its first 65536 bytes for 0 colours"},
        {Zip({{"mimetype", mime, false}, {"colorset.xml", Repeated("<ColorSet>", 1 << 20), true}}),
         "colorset.xml nests its elements more than 16 deep"},
        {Zip({{"mimetype", mime, false},
              {"colorset.xml", "<ColorSet><ColorSetEntry" + Repeated(" a=''", 1 << 20), true}}),
         "colorset.xml holds over 256 KiB of mark-up or text in one piece at byte 10"},
        {Zip({{"mimetype", mime, false},
              {"colorset.xml", "<ColorSet>" + Repeated(" ", 8 << 20), true}}),
         "colorset.xml holds over 256 KiB of mark-up or text in one piece at byte 10"},
        {Zip({{"mimetype", mime, false},
              {"colorset.xml", "<ColorSet>" + Repeated("<a" + std::string(100000, ' ') + "/>", 80),
               true}}),
         "elements in its first 1114112 bytes for 0 colours"},
        {Zip({{"mimetype", mime, false},
              {"colorset.xml",
               "<!DOCTYPE ColorSet [<!ENTITY a 'aaaaaaaaaa'><!ENTITY b '&a;&a;&a;&a;&a;&a;'>]>"
               "<ColorSet name='&b;'/>",
               true}}),
         "colorset.xml declares an entity, which no palette does: refused, not expanded"},
    };
    for (const auto& c : cases) {
        const std::string what = Refusal([&] { huepalette::ReadPalette("p", c.bytes); });
        EXPECT_TRUE(what.starts_with("p: ") && what.find(c.says) != std::string::npos) << what;
    }
}

// Palettes real programs wrote, where they are installed: Krita's and GIMP's own.
TEST(PaletteRead, PalettesProgramsWrote) {
    std::size_t read = 0;
    for (const char* folder : {"/usr/share/krita/palettes", "/usr/share/gimp/2.0/palettes"}) {
        std::error_code missing;
        for (const auto& entry : std::filesystem::directory_iterator(folder, missing)) {
            std::ifstream in(entry.path(), std::ios::binary);
            const Bytes bytes((std::istreambuf_iterator<char>(in)), {});
            EXPECT_GT(huepalette::ColorCount(huepalette::ReadPalette(entry.path().string(), bytes)),
                      0U);
            ++read;
        }
    }
    if (read == 0) GTEST_SKIP() << "neither Krita nor GIMP is installed";
}

}  // namespace
