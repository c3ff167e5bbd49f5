// The hue file: where each entry lies, and reading one entry or the whole file from disk.
//
// The file is a run of 708-byte blocks, each a 4-byte header followed by eight 88-byte
// entries. Entries are found by arithmetic alone; no header, count or index is read.
#pragma once

#include "color15.h"
#include "file_error.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace huedata {

// A hue's entry number in the file, counted from 0.
using HueId = std::int16_t;

inline constexpr std::size_t HueRecordSize = 88;
inline constexpr std::size_t HueBlockHeaderSize = 4;
inline constexpr std::size_t HuesPerBlock = 8;
inline constexpr std::size_t HueBlockSize = HueBlockHeaderSize + HuesPerBlock * HueRecordSize;
// Where the application that owns the hue file keeps it; used as it stands, so on other
// systems it is a file of that odd name in the current folder.
inline constexpr std::string_view DefaultHueFilePath = R"(c:\program files\ardenmoor\hues.mul)";

// The highest identifier a 16-bit HueId can name, and so how many hues a file may hold.
inline constexpr int HighestHueId = 32767;
inline constexpr std::size_t MaxHueCount = HighestHueId + 1;

// A table value's range, as a 16-bit signed integer holds it.
inline constexpr int LowestTableValue = -32768;
inline constexpr int HighestTableValue = 32767;
// "-32768 to 32767", for messages.
std::string TableRangeText();

// Where each field lies among an entry's 88 bytes, and how long the name is.
inline constexpr std::size_t HueColorsOffset = 0;
inline constexpr std::size_t HueColorCount = 32;
inline constexpr std::size_t HueTableStartOffset = 64;
inline constexpr std::size_t HueTableEndOffset = 66;
inline constexpr std::size_t HueNameOffset = 68;
inline constexpr std::size_t HueNameSize = 20;

// One 88-byte entry as stored (all integers little-endian on disk).
struct HueRecord {
    std::array<Color15, HueColorCount> Colors;
    std::int16_t TableStart;
    std::int16_t TableEnd;
    std::array<unsigned char, HueNameSize>
        Name;  // raw bytes, as stored; not always zero-terminated

    friend bool operator==(const HueRecord&, const HueRecord&) = default;
};

// 1-based file position of entry `id`: id * 88 + (id / 8 + 1) * 4 + 1.
// Negative identifiers give positions below 1, which ReadHueRecord refuses.
constexpr std::int32_t HuePosition(HueId id) {
    const auto headerCount = static_cast<std::int32_t>(id / 8 + 1);
    return std::int32_t{id} * 88 + headerCount * 4 + 1;
}

// 0-based byte offset of entry `id`: where HuePosition(id) - 1 points, for any id up to 32767.
constexpr std::uint64_t HueOffset(std::size_t id) {
    return id / HuesPerBlock * HueBlockSize + HueBlockHeaderSize +
           id % HuesPerBlock * HueRecordSize;
}

// Byte offset just past the last of the first `count` entries: the size of a file that holds
// exactly `count` hues and nothing after them.
constexpr std::uint64_t EndOfEntries(std::size_t count) {
    return count == 0 ? 0 : HueOffset(count - 1) + HueRecordSize;
}

// How many entries lie wholly inside a file of `fileSize` bytes, capped at MaxHueCount.
// Stray bytes after the last whole entry hold no hue.
std::size_t HueCountForSize(std::uint64_t fileSize);

// The little-endian value of up to four bytes, as a hue file stores every number.
constexpr std::uint32_t LittleEndianValue(std::span<const unsigned char> bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = std::min<std::size_t>(bytes.size(), 4); i-- > 0;) {
        value = (value << 8U) | bytes[i];
    }
    return value;
}

// The big-endian value of up to four bytes, as the palettes and pictures of other programs
// store theirs.
constexpr std::uint32_t BigEndianValue(std::span<const unsigned char> bytes) {
    std::uint32_t value = 0;
    for (const unsigned char byte : bytes.first(std::min<std::size_t>(bytes.size(), 4))) {
        value = (value << 8U) | byte;
    }
    return value;
}

// `value` written at `out` as `bytes` little-endian bytes (at most four); returns the end.
constexpr unsigned char* PutLittleEndian(unsigned char* out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i, value >>= 8U) *out++ = static_cast<unsigned char>(value);
    return out;
}

// `value` written at `out` as `bytes` big-endian bytes (at most four), as other programs'
// palettes keep theirs; returns the end. Into bytes of either sign, as a text being built holds.
template <typename Byte>
requires(sizeof(Byte) == 1) constexpr Byte* PutBigEndian(Byte* out, std::uint32_t value,
                                                         int bytes) {
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) {
        *out++ = static_cast<Byte>(value >> static_cast<unsigned>(shift));
    }
    return out;
}

// Decodes the 88 stored bytes of one entry. Pure: no I/O.
HueRecord DecodeHueRecord(std::span<const unsigned char, HueRecordSize> bytes);

// The path as UTF-8 text for messages. Never throws, whatever the path holds: on Windows,
// UTF-16 that is not well formed comes out with replacement characters.
std::string PathText(const std::filesystem::path& path);

// A path from UTF-8 text, such as a command-line argument, whatever the system's code page.
std::filesystem::path PathFromUtf8(std::string_view text);

// Reads the entry whose first byte is at the 1-based `position` of the regular file at
// `path`. Opens read-only, never blocks on pipes or devices, keeps nothing open afterwards.
// Throws FileError when the file cannot be read or ends before the entry's 88 bytes.
HueRecord ReadHueRecord(const std::filesystem::path& path, std::int32_t position);

// Reads every entry that lies wholly inside the regular file at `path`, in identifier order
// (index = HueId): one open, one read up to the end of the last whole entry. The same
// refusals as ReadHueRecord; a file too short for even entry 0 gives an empty list.
// With `blockHeaders`, the 4-byte header of each block that holds an entry is kept there too.
std::vector<HueRecord> ReadHueFile(const std::filesystem::path& path,
                                   std::vector<std::uint32_t>* blockHeaders = nullptr);

// The same entries handed over a part at a time: whole blocks of them, decoded into one list
// used again, with the headers of those blocks. A whole file listed without holding it whole.
struct HuePart {
    std::span<const HueRecord> hues;  // hue `first` onwards
    std::size_t first;
    std::size_t count;                            // the entries of the whole file
    std::span<const std::uint32_t> blockHeaders;  // of the blocks these hues lie in
};
namespace system {
class ReadableFile;
}
// A file opened once and read a part at a time, as often as a caller needs (a page made a
// section at a time): every reading is of the file as it was opened, even where another
// program puts a new file in its place meanwhile. The same refusals as ReadHueRecord; a file
// that shrinks while it is read is refused too.
class HueFileParts {
public:
    explicit HueFileParts(const std::filesystem::path& path);
    HueFileParts(const HueFileParts&) = delete;
    HueFileParts& operator=(const HueFileParts&) = delete;
    ~HueFileParts();

    // The entries of the file as opened, the same in every reading.
    std::size_t count() const noexcept { return count_; }
    void Read(const std::function<void(const HuePart&)>& take);

private:
    std::filesystem::path path_;
    std::unique_ptr<const system::ReadableFile> file_;
    std::size_t count_ = 0;
    // Used again by each reading, so a reading touches no fresh memory.
    std::vector<unsigned char> bytes_;
    std::vector<HueRecord> hues_;
    std::vector<std::uint32_t> headers_;
};

// Some entries of a file, for a command that shows only them: one open, and one read of each
// entry (and of the header of a block one starts), however large the file.
struct SomeHues {
    std::size_t held = 0;                // how many entries the file holds
    std::vector<HueRecord> hues;         // hues[i] is entry ids[i]; zero where it is not held
    std::vector<std::uint32_t> headers;  // the header of the block entry ids[i] starts, else 0
};
SomeHues ReadSomeHues(const std::filesystem::path& path, std::span<const int> ids);

// The size of the regular file at `path`, with the same refusals as ReadHueRecord: a check that
// a file can be read, without reading it.
std::uint64_t ReadableFileSize(const std::filesystem::path& path);

// The largest file ReadFileBytes takes: every entry the format allows, and room to spare.
inline constexpr std::uint64_t MostHueFileBytes = std::uint64_t{16} << 20U;

// Every byte of the regular file at `path`, stray bytes after the last entry included. The
// same refusals as ReadHueRecord, and a file over `mostBytes` is refused as far too large.
std::vector<unsigned char> ReadFileBytes(const std::filesystem::path& path,
                                         std::uint64_t mostBytes = MostHueFileBytes);

// The same bytes without a copy where the system maps files: a command that reads whole files
// and keeps none (diff, merge) then touches no fresh memory for them. Read otherwise.
class FileBytes {
public:
    explicit FileBytes(const std::filesystem::path& path,
                       std::uint64_t mostBytes = MostHueFileBytes);
    FileBytes(const FileBytes&) = delete;
    FileBytes& operator=(const FileBytes&) = delete;
    ~FileBytes();

    std::span<const unsigned char> bytes() const {
        return mapped_.empty() ? std::span<const unsigned char>(read_) : mapped_;
    }

private:
    std::span<unsigned char> mapped_;
    std::vector<unsigned char> read_;
};

}  // namespace huedata
