#include "huepalette/krita_palette.h"

#include "huepalette/palette_hues.h"
#include "huepalette/palette_read.h"
#include "huetext/hues_error.h"

#include <minizip/unzip.h>
#include <minizip/zip.h>
#include <pugixml.hpp>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <tuple>

namespace hues {

namespace {

constexpr std::string_view Mimetype = "application/x-krita-palette";
// A colour set of every hue a file may hold is some 200 MB of XML; no entry may be larger.
constexpr std::uint64_t MostEntryBytes = std::uint64_t{384} << 20U;
constexpr std::uint64_t MostEntries = 4096;

// ---- minizip over bytes in memory ----

struct MemoryFile {
    std::span<const unsigned char> bytes;  // what is read
    std::string* written = nullptr;        // or where it is written
    std::size_t at = 0;
};

std::size_t SizeOf(const MemoryFile& file) {
    return file.written != nullptr ? file.written->size() : file.bytes.size();
}

voidpf OpenMemory(voidpf opaque, const void* /*name*/, int /*mode*/) {
    return opaque;
}

uLong ReadMemory(voidpf /*opaque*/, voidpf stream, void* buffer, uLong size) {
    auto& file = *static_cast<MemoryFile*>(stream);
    const std::size_t count =
        std::min<std::size_t>(size, file.bytes.size() - std::min(file.at, file.bytes.size()));
    if (count > 0) std::memcpy(buffer, file.bytes.data() + file.at, count);
    file.at += count;
    return static_cast<uLong>(count);
}

uLong WriteMemory(voidpf /*opaque*/, voidpf stream, const void* buffer, uLong size) {
    auto& file = *static_cast<MemoryFile*>(stream);
    std::string& out = *file.written;
    if (out.size() < file.at + size) out.resize(file.at + size);
    std::memcpy(out.data() + file.at, buffer, size);
    file.at += size;
    return size;
}

ZPOS64_T TellMemory(voidpf /*opaque*/, voidpf stream) {
    return static_cast<MemoryFile*>(stream)->at;
}

long SeekMemory(voidpf /*opaque*/, voidpf stream, ZPOS64_T offset, int origin) {
    auto& file = *static_cast<MemoryFile*>(stream);
    const std::uint64_t base = origin == ZLIB_FILEFUNC_SEEK_SET   ? 0
                               : origin == ZLIB_FILEFUNC_SEEK_CUR ? file.at
                                                                  : SizeOf(file);
    if (base + offset > SizeOf(file)) return -1;
    file.at = static_cast<std::size_t>(base + offset);
    return 0;
}

int CloseMemory(voidpf /*opaque*/, voidpf /*stream*/) {
    return 0;
}
int MemoryError(voidpf /*opaque*/, voidpf /*stream*/) {
    return 0;
}

zlib_filefunc64_def MemoryFunctions(MemoryFile& file) {
    return {OpenMemory, ReadMemory,  WriteMemory, TellMemory,
            SeekMemory, CloseMemory, MemoryError, &file};
}

// ---- Reading ----

using ZipReader = std::unique_ptr<void, decltype([](unzFile zip) { unzClose(zip); })>;

class KplReader {
public:
    KplReader(const std::string& name, std::span<const unsigned char> bytes)
        : where_(name + ": KPL"), file_{bytes} {
        zlib_filefunc64_def functions = MemoryFunctions(file_);
        zip_.reset(unzOpen2_64("palette", &functions));
        if (!zip_)
            Fail("not a zip that can be read (its directory at the end is missing or broken)");
    }

    [[noreturn]] void Fail(const std::string& why) const { throw HuesError(where_ + ": " + why); }

    // Every entry's path checked, and whether `wanted` is among them.
    void CheckEntries() {
        unz_global_info64 info{};
        if (unzGetGlobalInfo64(zip_.get(), &info) != UNZ_OK)
            Fail("its zip directory cannot be read");
        if (info.number_entry > MostEntries) {
            Fail("holds " + std::to_string(info.number_entry) + " entries; a palette holds a few");
        }
        for (int status = unzGoToFirstFile(zip_.get()); status != UNZ_END_OF_LIST_OF_FILE;
             status = unzGoToNextFile(zip_.get())) {
            if (status != UNZ_OK) Fail("its zip directory is broken");
            std::array<char, 1024> path{};
            unz_file_info64 entry{};
            if (unzGetCurrentFileInfo64(zip_.get(), &entry, path.data(), path.size() - 1, nullptr,
                                        0, nullptr, 0) != UNZ_OK) {
                Fail("its zip directory is broken");
            }
            const std::string_view text(path.data());
            if (text.starts_with('/') || text.find('\\') != std::string_view::npos ||
                text.find(':') != std::string_view::npos || text == ".." ||
                text.starts_with("../") || text.find("/../") != std::string_view::npos ||
                text.ends_with("/..")) {
                Fail("entry \"" + PrintableText(text) + "\" climbs out of the palette's folder");
            }
        }
    }

    // The entry's bytes, or nothing where there is no such entry.
    std::optional<std::string> Entry(const char* path) {
        if (unzLocateFile(zip_.get(), path, 1) != UNZ_OK) return std::nullopt;
        unz_file_info64 entry{};
        unzGetCurrentFileInfo64(zip_.get(), &entry, nullptr, 0, nullptr, 0, nullptr, 0);
        if (entry.uncompressed_size > MostEntryBytes) {
            Fail(std::string(path) + " says it unpacks to " +
                 std::to_string(entry.uncompressed_size) + " bytes, more than a palette may be");
        }
        if (unzOpenCurrentFile(zip_.get()) != UNZ_OK)
            Fail(std::string(path) + " cannot be unpacked: its headers disagree, or it is damaged");
        std::string bytes(static_cast<std::size_t>(entry.uncompressed_size), '\0');
        std::size_t got = 0;
        for (;;) {
            // One byte more than it says, to catch an entry that unpacks to more.
            std::array<char, 1> extra{};
            char* into = got < bytes.size() ? bytes.data() + got : extra.data();
            const auto room =
                got < bytes.size() ? std::min<std::size_t>(bytes.size() - got, 1U << 20U) : 1;
            const int read = unzReadCurrentFile(zip_.get(), into, static_cast<unsigned>(room));
            if (read < 0) {
                unzCloseCurrentFile(zip_.get());
                Fail(std::string(path) + " is damaged (zip error " + std::to_string(read) + ")");
            }
            if (read == 0) break;
            if (got >= bytes.size()) {
                unzCloseCurrentFile(zip_.get());
                Fail(std::string(path) + " unpacks to more bytes than it says");
            }
            got += static_cast<std::size_t>(read);
        }
        if (unzCloseCurrentFile(zip_.get()) != UNZ_OK || got != bytes.size()) {
            Fail(std::string(path) + " is damaged: its check sum or size does not match");
        }
        return bytes;
    }

private:
    std::string where_;
    MemoryFile file_;
    ZipReader zip_;
};

double Attribute(const pugi::xml_node& node, const char* name) {
    return node.attribute(name).as_double(0.0);
}

PaletteColor EntryColor(const KplReader& reader, const pugi::xml_node& entry) {
    PaletteColor color{entry.attribute("name").as_string(), {}};
    for (const pugi::xml_node& model : entry.children()) {
        const std::string_view kind = model.name();
        if (kind == "Position") continue;
        if (kind == "RGB" || kind == "sRGB") {
            color.rgb =
                RgbFromUnits(Attribute(model, "r"), Attribute(model, "g"), Attribute(model, "b"));
        } else if (kind == "Gray") {
            const double grey = Attribute(model, "g");
            color.rgb = RgbFromUnits(grey, grey, grey);
        } else if (kind == "Lab") {
            color.rgb =
                RgbFromLabD50(Attribute(model, "L"), Attribute(model, "a"), Attribute(model, "b"));
        } else if (kind == "CMYK") {
            reader.Fail("colour \"" + PrintableText(color.name) +
                        "\" is CMYK, which needs a colour profile to become RGB: convert the "
                        "palette to RGB in the program that made it");
        } else {
            reader.Fail("colour \"" + PrintableText(color.name) + "\" is in the model \"" +
                        PrintableText(kind) + "\", which has no RGB without a profile");
        }
        return color;
    }
    reader.Fail("colour \"" + PrintableText(color.name) + "\" gives no colour");
}

// A group's entries in the order of their places, row by row.
PaletteGroup GroupOf(const KplReader& reader, const pugi::xml_node& node, std::string name) {
    // Where an entry gives no place, or two give one, the order of the file decides.
    struct Placed {
        long long row, column;
        std::size_t order;
        PaletteColor color;
    };
    std::vector<Placed> placed;
    for (const pugi::xml_node& entry : node.children("ColorSetEntry")) {
        if (placed.size() == MostPaletteColors)
            reader.Fail("holds more colours than any palette of hues");
        const pugi::xml_node place = entry.child("Position");
        placed.push_back({place.attribute("row").as_llong(0), place.attribute("column").as_llong(0),
                          placed.size(), EntryColor(reader, entry)});
    }
    std::ranges::sort(placed, [](const Placed& a, const Placed& b) {
        return std::tie(a.row, a.column, a.order) < std::tie(b.row, b.column, b.order);
    });
    PaletteGroup group{std::move(name), {}};
    for (Placed& entry : placed) group.colors.push_back(std::move(entry.color));
    return group;
}

// ---- Writing ----

// Text for an XML attribute: the five it must escape, tab and line breaks as references (an
// attribute's whitespace is otherwise read as spaces), and the controls XML cannot hold as U+FFFD.
std::string AttributeText(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\t':
                escaped += "&#9;";
                break;
            case '\n':
                escaped += "&#10;";
                break;
            case '\r':
                escaped += "&#13;";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    escaped += "\xEF\xBF\xBD";
                } else {
                    escaped += c;
                }
        }
    }
    return escaped;
}

// Each 5-bit channel's widened value over 255, as the shortest text that reads back the same.
const std::array<std::string, 32>& UnitTexts() {
    static const auto texts = [] {
        std::array<std::string, 32> made;
        for (std::size_t k = 0; k < made.size(); ++k) {
            made[k] = fmt::format("{}", huedata::WidenedChannels[k] / 255.0);
        }
        return made;
    }();
    return texts;
}

void ColorSetXml(std::span<const HueView> hues, std::string_view paletteName, TextBuilder& xml) {
    xml << R"(<?xml version="1.0" encoding="UTF-8"?>)"
        << "\n<ColorSet version=\"2.0\" name=\"" << AttributeText(paletteName)
        << R"(" comment="" columns="32" rows="0" readonly="false">)" << '\n';
    const auto& units = UnitTexts();
    for (const HueView& hue : hues) {
        const std::string name = AttributeText(hue.name);
        xml << "<Group name=\"" << AttributeText(PaletteGroupName(hue.id, hue.name))
            << "\" rows=\"1\">\n";
        for (std::size_t i = 0; i < hue.record->Colors.size(); ++i) {
            const auto bits = static_cast<std::uint16_t>(hue.record->Colors[i]);
            xml << "<ColorSetEntry name=\"Hue " << hue.id << " colour " << i;
            if (!name.empty()) xml << ' ' << std::string_view(name);
            xml << "\" id=\"" << hue.id << '-' << i
                << R"(" spot="false" bitdepth="U8"><RGB space="sRGB-elle-V2-srgbtrc.icc" r=")"
                << std::string_view(units[(bits >> 10U) & 0x1FU]) << "\" g=\""
                << std::string_view(units[(bits >> 5U) & 0x1FU]) << "\" b=\""
                << std::string_view(units[bits & 0x1FU]) << R"("/><Position row="0" column=")" << i
                << "\"/></ColorSetEntry>\n";
        }
        xml << "</Group>\n";
    }
    xml << "</ColorSet>\n";
}

using ZipWriter = std::unique_ptr<void, decltype([](zipFile zip) { zipClose(zip, nullptr); })>;

// The entry `path`, its bytes written by `write` into a TextBuilder whose pieces go into the
// zip as they are made: the colour set of a whole file is never held whole beside its zip.
void AddEntry(zipFile zip, const char* path, int method,
              const std::function<void(TextBuilder&)>& write) {
    const auto fail = [path] {
        throw HuesError(std::string("KPL: the zip's entry ") + path + " could not be written");
    };
    // 1 January 1980, the first day a zip can say: the same bytes whenever they are made.
    zip_fileinfo info{};
    info.tmz_date.tm_mday = 1;
    info.tmz_date.tm_year = 1980;
    if (zipOpenNewFileInZip64(zip, path, &info, nullptr, 0, nullptr, 0, nullptr, method,
                              Z_BEST_SPEED, 0) != ZIP_OK) {
        fail();
    }
    bool written = true;
    TextBuilder bytes([&](std::string_view piece) {
        written = written && zipWriteInFileInZip(zip, piece.data(),
                                                 static_cast<unsigned>(piece.size())) == ZIP_OK;
    });
    write(bytes);
    bytes.Flush();
    if (!written || zipCloseFileInZip(zip) != ZIP_OK) fail();
}

}  // namespace

Palette ReadKritaPalette(const std::string& name, std::span<const unsigned char> bytes) {
    KplReader reader(name, bytes);
    reader.CheckEntries();
    const std::optional<std::string> mimetype = reader.Entry("mimetype");
    if (!mimetype) reader.Fail("the zip has no mimetype: it is not a Krita palette");
    if (*mimetype != Mimetype) {
        reader.Fail("its mimetype is \"" + PrintableText(mimetype->substr(0, 80)) + "\", not " +
                    std::string(Mimetype));
    }
    std::optional<std::string> xml = reader.Entry("colorset.xml");
    if (!xml) reader.Fail("it holds no colorset.xml");
    // Parsed where it lies, which the document then holds: a whole file's colour set is some
    // 260 MB, not to be copied once more.
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_buffer_inplace(
        xml->data(), xml->size(), pugi::parse_default, pugi::encoding_utf8);
    if (!parsed) {
        reader.Fail("colorset.xml is not XML: " + std::string(parsed.description()) + " at byte " +
                    std::to_string(parsed.offset));
    }
    const pugi::xml_node root = document.child("ColorSet");
    if (!root) reader.Fail("colorset.xml holds no <ColorSet>");
    Palette palette{PaletteFormat::Kpl, {GroupOf(reader, root, "")}};
    for (const pugi::xml_node& group : root.children("Group")) {
        palette.groups.push_back(GroupOf(reader, group, group.attribute("name").as_string()));
    }
    return palette;
}

void KritaPalette(std::span<const HueView> hues, std::string_view paletteName, TextBuilder& out) {
    std::string zipped;
    MemoryFile file{{}, &zipped};
    {
        zlib_filefunc64_def functions = MemoryFunctions(file);
        const ZipWriter zip(zipOpen2_64("palette", APPEND_STATUS_CREATE, nullptr, &functions));
        if (!zip) throw HuesError("KPL: the zip could not be started");
        // The mimetype stored, as the format asks; the rest deflated at zlib's quickest level,
        // which makes a colour set a twelfth of its size at some 400 MB of XML a second.
        AddEntry(zip.get(), "mimetype", 0, [](TextBuilder& bytes) { bytes << Mimetype; });
        AddEntry(zip.get(), "colorset.xml", Z_DEFLATED,
                 [&](TextBuilder& xml) { ColorSetXml(hues, paletteName, xml); });
        AddEntry(zip.get(), "profiles.xml", Z_DEFLATED, [](TextBuilder& xml) {
            xml << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Profiles/>\n";
        });
    }
    out << std::string_view(zipped);
}

}  // namespace hues
