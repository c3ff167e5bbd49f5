#include "huepalette/krita_palette.h"

#include "huedata/file_error.h"
#include "huedata/hue_text.h"
#include "huepalette/palette_hues.h"
#include "huepalette/palette_read.h"

#include <fmt/compile.h>
#include <fmt/format.h>

#include <expat.h>
#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <tuple>

namespace huepalette {

namespace {

constexpr std::string_view Mimetype = "application/x-krita-palette";
// A colour set of every hue a file may hold is some 200 MB of XML; no entry may be larger.
constexpr std::uint64_t MostEntryBytes = std::uint64_t{384} << 20U;
constexpr std::uint64_t MostEntries = 4096;
constexpr std::uint64_t MostMimetypeBytes = 256;

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

// Pieces handed from the thread that unpacks them to the one that parses them, through a few
// buffers used in turn: what is held is those buffers, whatever the entry's size.
class PiecePipe {
public:
    // The unpacking side: the next buffer to fill, once one is free; nothing once stopped.
    std::vector<char>* Room() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return stopped_ || filled_ - taken_ < Pieces; });
        return stopped_ ? nullptr : &pieces_[filled_ % Pieces].bytes;
    }
    void Filled(std::size_t size) {
        const std::scoped_lock lock(mutex_);
        pieces_[filled_++ % Pieces].size = size;
        changed_.notify_all();
    }
    // The end of the bytes, or the failure that ended them.
    void End(std::exception_ptr failure) {
        const std::scoped_lock lock(mutex_);
        ended_ = true;
        failure_ = std::move(failure);
        changed_.notify_all();
    }

    // The parsing side: the next piece, empty at the end; throws what ended the unpacking.
    std::span<const char> Next() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return ended_ || taken_ < filled_; });
        if (taken_ < filled_) {
            const Piece& piece = pieces_[taken_ % Pieces];
            return {piece.bytes.data(), piece.size};
        }
        if (failure_) std::rethrow_exception(failure_);
        return {};
    }
    void Taken() {
        const std::scoped_lock lock(mutex_);
        ++taken_;
        changed_.notify_all();
    }
    // The parsing side gives up: the unpacking side stops at its next piece.
    void Stop() {
        const std::scoped_lock lock(mutex_);
        stopped_ = true;
        changed_.notify_all();
    }

private:
    static constexpr std::size_t Pieces = 4;
    struct Piece {
        std::vector<char> bytes = std::vector<char>(std::size_t{64} << 10U);
        std::size_t size = 0;
    };
    std::mutex mutex_;
    std::condition_variable changed_;
    std::array<Piece, Pieces> pieces_;
    std::size_t filled_ = 0, taken_ = 0;
    bool ended_ = false, stopped_ = false;
    std::exception_ptr failure_;
};

using ZipReader = std::unique_ptr<void, decltype([](unzFile zip) { unzClose(zip); })>;

class KplReader {
public:
    KplReader(const std::string& name, std::span<const unsigned char> bytes)
        : name_(name), file_{bytes} {
        zlib_filefunc64_def functions = MemoryFunctions(file_);
        zip_.reset(unzOpen2_64("palette", &functions));
        if (!zip_)
            Fail("not a zip that can be read (its directory at the end is missing or broken)");
    }

    [[noreturn]] void Fail(const std::string& why) const {
        throw huedata::FileError(huedata::PathFromUtf8(name_), "KPL: " + why);
    }

    // Every entry's path checked: none climbs out, and none is named twice, so that the one
    // read of an entry is the only one (a zip whose entries share their bytes unpacks nothing
    // twice).
    void CheckEntries() {
        unz_global_info64 info{};
        if (unzGetGlobalInfo64(zip_.get(), &info) != UNZ_OK)
            Fail("its zip directory cannot be read");
        if (info.number_entry > MostEntries) {
            Fail("holds " + std::to_string(info.number_entry) + " entries; a palette holds a few");
        }
        std::set<std::string, std::less<>> seen;
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
                Fail("entry \"" + huedata::PrintableText(text) +
                     "\" climbs out of the palette's folder");
            }
            if (!seen.emplace(text).second)
                Fail("holds two entries named \"" + huedata::PrintableText(text) + "\"");
        }
    }

    // The entry's bytes handed to `take` as they unpack, at most `most` of them in all; false
    // where there is no such entry. They unpack on a thread of their own while `take` has the
    // last piece: a whole file's colour set is some 260 MB to inflate and as much to parse.
    bool Stream(const char* path, std::uint64_t most,
                const std::function<void(std::span<const char>)>& take) {
        if (unzLocateFile(zip_.get(), path, 1) != UNZ_OK) return false;
        unz_file_info64 entry{};
        unzGetCurrentFileInfo64(zip_.get(), &entry, nullptr, 0, nullptr, 0, nullptr, 0);
        if (entry.uncompressed_size > most) {
            Fail(std::string(path) + " says it unpacks to " +
                 std::to_string(entry.uncompressed_size) + " bytes, more than a palette may be");
        }
        if (unzOpenCurrentFile(zip_.get()) != UNZ_OK)
            Fail(std::string(path) + " cannot be unpacked: its headers disagree, or it is damaged");
        PiecePipe pipe;
        std::thread inflater([&] {
            try {
                Unpack(path, entry.uncompressed_size, pipe);
                pipe.End(nullptr);
            } catch (...) {
                pipe.End(std::current_exception());
            }
        });
        try {
            for (std::span<const char> piece = pipe.Next(); !piece.empty(); piece = pipe.Next()) {
                take(piece);
                pipe.Taken();
            }
        } catch (...) {
            pipe.Stop();
            inflater.join();
            unzCloseCurrentFile(zip_.get());
            throw;
        }
        inflater.join();
        if (unzCloseCurrentFile(zip_.get()) != UNZ_OK)
            Fail(std::string(path) + " is damaged: its check sum does not match");
        return true;
    }

private:
    std::string name_;
    MemoryFile file_;
    ZipReader zip_;

    // The open entry's bytes into the pipe's pieces until it ends or the pipe is stopped.
    void Unpack(const char* path, std::uint64_t size, PiecePipe& pipe) {
        std::uint64_t got = 0;
        while (std::vector<char>* room = pipe.Room()) {
            const int read =
                unzReadCurrentFile(zip_.get(), room->data(), static_cast<unsigned>(room->size()));
            if (read < 0)
                Fail(std::string(path) + " is damaged (zip error " + std::to_string(read) + ")");
            if (read == 0) {
                if (got != size) Fail(std::string(path) + " is damaged: its size does not match");
                return;
            }
            got += static_cast<std::uint64_t>(read);
            if (got > size) Fail(std::string(path) + " unpacks to more bytes than it says");
            pipe.Filled(static_cast<std::size_t>(read));
        }
    }
};

// ---- colorset.xml, read by expat as it unpacks ----

// What a colour set may hold beside its colours: a palette's mark-up is a few elements and a
// few hundred bytes a colour, nested four deep, so a document far from that is refused as soon
// as it is, before its elements cost any time or memory.
constexpr std::size_t MostDepth = 16;
constexpr std::uint64_t BaseElements = 1024;
constexpr std::uint64_t ElementsPerItem = 8;
constexpr std::uint64_t BaseBytes = std::uint64_t{1} << 20U;
constexpr std::uint64_t BytesPerItem = std::uint64_t{2} << 10U;
// One tag, comment or other piece of mark-up, which expat holds whole until it ends, or a run
// of text between elements (a colour set has none but line breaks).
constexpr std::uint64_t MostMarkupBytes = std::uint64_t{256} << 10U;
// Twice the groups of an export of every hue a file may hold.
constexpr std::size_t MostGroups = std::size_t{1} << 16U;

// A group's entries in the order of their places, row by row.
struct PlacedColor {
    long long row = 0, column = 0;
    std::size_t order = 0;
    PaletteColor color;
};

// An attribute's value, or nothing where the element has none.
const char* AttributeOf(const XML_Char** attributes, const char* name) {
    for (; attributes[0] != nullptr; attributes += 2) {
        if (std::strcmp(attributes[0], name) == 0) return attributes[1];
    }
    return nullptr;
}

std::string TextAttribute(const XML_Char** attributes, const char* name) {
    const char* value = AttributeOf(attributes, name);
    return value != nullptr ? value : "";
}

// As a C library's strtod reads it, and as quickly as from_chars where it can: a whole
// file's palette gives three million.
double NumberAttribute(const XML_Char** attributes, const char* name) {
    const char* value = AttributeOf(attributes, name);
    if (value == nullptr) return 0.0;
    const std::optional<double> number = huedata::NumberFromText<double>(value);
    return number ? *number : std::strtod(value, nullptr);
}

long long WholeAttribute(const XML_Char** attributes, const char* name) {
    const char* value = AttributeOf(attributes, name);
    return value != nullptr ? std::strtoll(value, nullptr, 10) : 0;
}

class ColorSetReader {
public:
    explicit ColorSetReader(const KplReader& reader)
        : reader_(reader), parser_(XML_ParserCreate("UTF-8")) {
        if (!parser_) throw std::bad_alloc();
        XML_SetUserData(parser_.get(), this);
        XML_SetElementHandler(parser_.get(), &ColorSetReader::OnStart, &ColorSetReader::OnEnd);
        XML_SetEntityDeclHandler(parser_.get(), &ColorSetReader::OnEntity);
        palette_.groups.emplace_back();
        placed_.emplace_back();
    }

    void Take(std::span<const char> bytes) {
        fed_ += bytes.size();
        Parse(bytes.data(), bytes.size(), false);
        if (fed_ - seen_ > MostMarkupBytes) {
            Refuse("holds over " + std::to_string(MostMarkupBytes >> 10U) +
                   " KiB of mark-up or text in one piece at byte " + std::to_string(seen_));
        }
        CheckSize();
    }

    Palette Finish() {
        Parse(nullptr, 0, true);
        if (!rooted_) Refuse("holds no <ColorSet>");
        palette_.format = PaletteFormat::Kpl;
        return std::move(palette_);
    }

private:
    struct Free {
        void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
    };

    [[noreturn]] void Refuse(const std::string& why) const { reader_.Fail("colorset.xml " + why); }

    void Parse(const char* bytes, std::size_t size, bool last) {
        if (XML_Parse(parser_.get(), bytes, static_cast<int>(size), last ? 1 : 0) !=
            XML_STATUS_ERROR) {
            return;
        }
        if (failure_) std::rethrow_exception(failure_);
        Refuse("is not XML: " + std::string(XML_ErrorString(XML_GetErrorCode(parser_.get()))) +
               " at byte " + std::to_string(XML_GetCurrentByteIndex(parser_.get())));
    }

    // A handler cannot throw through expat's C: it stops the parser, and Parse throws.
    template <typename Work>
    static void Handle(void* self, Work work) {
        auto& reader = *static_cast<ColorSetReader*>(self);
        if (reader.failure_) return;
        try {
            reader.Seen();
            work(reader);
        } catch (...) {
            reader.failure_ = std::current_exception();
            XML_StopParser(reader.parser_.get(), XML_FALSE);
        }
    }

    static void OnStart(void* self, const XML_Char* name, const XML_Char** attributes) {
        Handle(self, [&](ColorSetReader& reader) { reader.Start(name, attributes); });
    }
    static void OnEnd(void* self, const XML_Char* /*name*/) {
        Handle(self, [](ColorSetReader& reader) { reader.End(); });
    }
    static void OnEntity(void* self, const XML_Char* /*name*/, int /*parameter*/,
                         const XML_Char* /*value*/, int /*length*/, const XML_Char* /*base*/,
                         const XML_Char* /*system*/, const XML_Char* /*publicId*/,
                         const XML_Char* /*notation*/) {
        Handle(self, [](ColorSetReader& reader) {
            reader.Refuse("declares an entity, which no palette does: refused, not expanded");
        });
    }

    // Where expat has got to: the bytes before it are mark-up it has handed over.
    void Seen() {
        seen_ = static_cast<std::uint64_t>(XML_GetCurrentByteIndex(parser_.get())) +
                static_cast<std::uint64_t>(XML_GetCurrentByteCount(parser_.get()));
    }

    std::uint64_t Items() const { return colors_ + palette_.groups.size(); }

    void CheckSize() const {
        if (elements_ > BaseElements + ElementsPerItem * Items() ||
            fed_ > BaseBytes + BytesPerItem * Items()) {
            Refuse("holds " + std::to_string(elements_) + " elements in its first " +
                   std::to_string(fed_) + " bytes for " + std::to_string(colors_) +
                   " colours: far more than a palette's mark-up");
        }
    }

    void Start(std::string_view name, const XML_Char** attributes) {
        ++elements_;
        CheckSize();
        const std::size_t depth = ++depth_;
        if (depth > MostDepth) {
            Refuse("nests its elements more than " + std::to_string(MostDepth) +
                   " deep; a palette's nest four");
        }
        if (depth == 1) {
            if (name != "ColorSet") Refuse("holds no <ColorSet>");
            rooted_ = true;
        } else if (depth == 2 && name == "Group") {
            if (palette_.groups.size() == MostGroups)
                reader_.Fail("holds more groups than any palette of hues");
            palette_.groups.push_back({TextAttribute(attributes, "name"), {}});
            placed_.emplace_back();
            group_ = palette_.groups.size() - 1;
            groupDepth_ = depth;
        } else if (name == "ColorSetEntry" && (depth == 2 || (depth == 3 && groupDepth_ == 2))) {
            if (depth == 2) group_ = 0;
            entry_ = PlacedColor{};
            entry_->color.name = TextAttribute(attributes, "name");
            entryDepth_ = depth;
            placedAt_ = false;
            colored_ = false;
        } else if (entry_ && depth == entryDepth_ + 1) {
            EntryChild(name, attributes);
        }
    }

    // An entry's place is its first <Position>; its colour, the first other element.
    void EntryChild(std::string_view kind, const XML_Char** attributes) {
        PaletteColor& color = entry_->color;
        if (kind == "Position") {
            if (!placedAt_) {
                entry_->row = WholeAttribute(attributes, "row");
                entry_->column = WholeAttribute(attributes, "column");
                placedAt_ = true;
            }
            return;
        }
        if (colored_) return;
        const auto unit = [&](const char* channel) { return NumberAttribute(attributes, channel); };
        if (kind == "RGB" || kind == "sRGB") {
            color.rgb = RgbFromUnits(unit("r"), unit("g"), unit("b"));
        } else if (kind == "Gray") {
            color.rgb = RgbFromUnits(unit("g"), unit("g"), unit("g"));
        } else if (kind == "Lab") {
            color.rgb = RgbFromLabD50(unit("L"), unit("a"), unit("b"));
        } else if (kind == "CMYK") {
            reader_.Fail("colour \"" + huedata::PrintableText(color.name) +
                         "\" is CMYK, which needs a colour profile to become RGB: convert the "
                         "palette to RGB in the program that made it");
        } else {
            reader_.Fail("colour \"" + huedata::PrintableText(color.name) +
                         "\" is in the model \"" + huedata::PrintableText(kind) +
                         "\", which has no RGB without a profile");
        }
        colored_ = true;
    }

    void End() {
        const std::size_t depth = depth_--;
        if (entry_ && depth == entryDepth_) {
            if (!colored_)
                reader_.Fail("colour \"" + huedata::PrintableText(entry_->color.name) +
                             "\" gives no colour");
            if (++colors_ > MostPaletteColors)
                reader_.Fail("holds more colours than any palette of hues");
            entry_->order = placed_[group_].size();
            placed_[group_].push_back(std::move(*entry_));
            entry_.reset();
        } else if (depth == groupDepth_) {
            Place(group_);
            groupDepth_ = 0;
        } else if (depth == 1) {
            Place(0);
        }
    }

    // The group's colours in the order of their places; where an entry gives no place, or two
    // give one, the order of the file decides.
    void Place(std::size_t group) {
        std::vector<PlacedColor>& placed = placed_[group];
        std::ranges::sort(placed, [](const PlacedColor& a, const PlacedColor& b) {
            return std::tie(a.row, a.column, a.order) < std::tie(b.row, b.column, b.order);
        });
        std::vector<PaletteColor>& colors = palette_.groups[group].colors;
        colors.reserve(placed.size());
        for (PlacedColor& entry : placed) colors.push_back(std::move(entry.color));
        std::vector<PlacedColor>().swap(placed);
    }

    const KplReader& reader_;
    std::unique_ptr<std::remove_pointer_t<XML_Parser>, Free> parser_;
    Palette palette_;
    std::vector<std::vector<PlacedColor>> placed_;  // each group's colours until it ends
    std::optional<PlacedColor> entry_;              // the entry being read
    std::size_t group_ = 0, depth_ = 0, groupDepth_ = 0, entryDepth_ = 0;
    bool rooted_ = false, placedAt_ = false, colored_ = false;
    std::uint64_t elements_ = 0, colors_ = 0, fed_ = 0, seen_ = 0;
    std::exception_ptr failure_;  // what a handler threw, thrown again once expat stops
};

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

void ColorSetXml(const huedata::HuesInParts& hues, std::string_view paletteName,
                 huedata::TextBuilder& xml) {
    xml << R"(<?xml version="1.0" encoding="UTF-8"?>)"
        << "\n<ColorSet version=\"2.0\" name=\"" << AttributeText(paletteName)
        << R"(" comment="" columns="32" rows="0" readonly="false">)" << '\n';
    const auto& units = UnitTexts();
    hues.ForEach([&](std::span<const huedata::HueView> part, std::size_t /*before*/) {
        for (const huedata::HueView& hue : part) {
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
                    << std::string_view(units[bits & 0x1FU]) << R"("/><Position row="0" column=")"
                    << i << "\"/></ColorSetEntry>\n";
            }
            xml << "</Group>\n";
        }
    });
    xml << "</ColorSet>\n";
}

using ZipWriter = std::unique_ptr<void, decltype([](zipFile zip) { zipClose(zip, nullptr); })>;

// The entry `path`, its bytes written by `write` into a TextBuilder whose pieces go into the
// zip as they are made: the colour set of a whole file is never held whole beside its zip.
void AddEntry(zipFile zip, const char* path, int method,
              const std::function<void(huedata::TextBuilder&)>& write) {
    const auto fail = [path] {
        throw huedata::HuesError(std::string("KPL: the zip's entry ") + path +
                                 " could not be written");
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
    huedata::TextBuilder bytes([&](std::string_view piece) {
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
    std::string mimetype;
    const auto keep = [&](std::span<const char> piece) {
        mimetype.append(piece.data(), piece.size());
    };
    if (!reader.Stream("mimetype", MostMimetypeBytes, keep))
        reader.Fail("the zip has no mimetype: it is not a Krita palette");
    if (mimetype != Mimetype) {
        reader.Fail("its mimetype is \"" + huedata::PrintableText(mimetype.substr(0, 80)) +
                    "\", not " + std::string(Mimetype));
    }
    // Parsed as it unpacks: what is held follows the colours, never the size of the XML.
    ColorSetReader colorSet(reader);
    if (!reader.Stream("colorset.xml", MostEntryBytes,
                       [&](std::span<const char> piece) { colorSet.Take(piece); })) {
        reader.Fail("it holds no colorset.xml");
    }
    return colorSet.Finish();
}

void KritaPalette(const huedata::HuesInParts& hues, std::string_view paletteName,
                  huedata::TextBuilder& out) {
    std::string zipped;
    MemoryFile file{{}, &zipped};
    {
        zlib_filefunc64_def functions = MemoryFunctions(file);
        const ZipWriter zip(zipOpen2_64("palette", APPEND_STATUS_CREATE, nullptr, &functions));
        if (!zip) throw huedata::HuesError("KPL: the zip could not be started");
        // The mimetype stored, as the format asks; the rest deflated at zlib's quickest level,
        // which makes a colour set a twelfth of its size at some 400 MB of XML a second.
        AddEntry(zip.get(), "mimetype", 0, [](huedata::TextBuilder& bytes) { bytes << Mimetype; });
        AddEntry(zip.get(), "colorset.xml", Z_DEFLATED,
                 [&](huedata::TextBuilder& xml) { ColorSetXml(hues, paletteName, xml); });
        AddEntry(zip.get(), "profiles.xml", Z_DEFLATED, [](huedata::TextBuilder& xml) {
            xml << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Profiles/>\n";
        });
    }
    out << std::string_view(zipped);
}

}  // namespace huepalette
