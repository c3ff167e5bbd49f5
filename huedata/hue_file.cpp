#include "hue_file.h"

#include "system_files.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <string>
#include <utility>

namespace huedata {

namespace {

std::int16_t LittleEndian16(const unsigned char* bytes) {
    return static_cast<std::int16_t>(LittleEndianValue({bytes, 2}));
}

std::uint32_t LittleEndian32(const unsigned char* bytes) {
    return LittleEndianValue({bytes, 4});
}

std::string TooShortReason(std::int64_t fileSize, std::int64_t offset) {
    return "The file is " + std::to_string(fileSize) +
           " bytes long, too short for the hue entry at byte offsets " + std::to_string(offset) +
           " to " + std::to_string(offset + static_cast<std::int64_t>(HueRecordSize) - 1);
}

using system::ReadableFile;

std::int64_t OffsetOfPosition(const std::filesystem::path& path, std::int32_t position) {
    if (position < 1) {
        throw FileError(path, "Position " + std::to_string(position) +
                                  " lies before the start of the file (" +
                                  system::InvalidPositionReason() + ")");
    }
    return std::int64_t{position} - 1;
}

}  // namespace

std::string PathText(const std::filesystem::path& path) {
    return system::PathText(path);
}

std::filesystem::path PathFromUtf8(std::string_view text) {
    return system::PathFromUtf8(text);
}

std::string TableRangeText() {
    return std::to_string(LowestTableValue) + " to " + std::to_string(HighestTableValue);
}

std::size_t HueCountForSize(std::uint64_t fileSize) {
    const std::uint64_t rest = fileSize % HueBlockSize;
    const std::uint64_t inLastBlock =
        rest < HueBlockHeaderSize ? 0 : (rest - HueBlockHeaderSize) / HueRecordSize;
    const std::uint64_t count = fileSize / HueBlockSize * HuesPerBlock + inLastBlock;
    return static_cast<std::size_t>(std::min<std::uint64_t>(count, MaxHueCount));
}

// On a little-endian machine an entry's bytes are exactly the record's, field for field.
constexpr bool EntryIsRecordLayout = std::endian::native == std::endian::little &&
                                     sizeof(HueRecord) == HueRecordSize &&
                                     offsetof(HueRecord, TableStart) == HueTableStartOffset &&
                                     offsetof(HueRecord, TableEnd) == HueTableEndOffset &&
                                     offsetof(HueRecord, Name) == HueNameOffset;

HueRecord DecodeHueRecord(std::span<const unsigned char, HueRecordSize> bytes) {
    HueRecord record{};
    if constexpr (EntryIsRecordLayout) {
        // One copy: a whole file is some 3,000 entries.
        std::memcpy(&record, bytes.data(), HueRecordSize);
        return record;
    }
    const unsigned char* cursor = bytes.data();
    for (Color15& color : record.Colors) {
        color = LittleEndian16(cursor);
        cursor += 2;
    }
    record.TableStart = LittleEndian16(cursor);
    record.TableEnd = LittleEndian16(cursor + 2);
    std::memcpy(record.Name.data(), cursor + 4, record.Name.size());
    return record;
}

HueRecord ReadHueRecord(const std::filesystem::path& path, std::int32_t position) {
    const std::int64_t offset = OffsetOfPosition(path, position);
    const ReadableFile file(path);
    if (file.size() < offset + static_cast<std::int64_t>(HueRecordSize)) {
        throw FileError(path, TooShortReason(file.size(), offset));
    }
    std::array<unsigned char, HueRecordSize> bytes{};
    const std::size_t got = file.ReadAt(offset, bytes);
    // The file shrank between the size check and the read: report what is there now.
    if (got < bytes.size()) {
        throw FileError(path, TooShortReason(offset + static_cast<std::int64_t>(got), offset));
    }
    return DecodeHueRecord(bytes);
}

HueFileParts::HueFileParts(const std::filesystem::path& path)
    : path_(path),
      file_(std::make_unique<const ReadableFile>(path)),
      count_(HueCountForSize(static_cast<std::uint64_t>(file_->size()))) {}

HueFileParts::~HueFileParts() = default;

void HueFileParts::Read(const std::function<void(const HuePart&)>& take) {
    const std::uint64_t end = EndOfEntries(count_);
    // Whole blocks at a time through one small buffer, so entries never straddle two reads
    // and the file's bytes are not held twice, once raw and once decoded.
    constexpr std::uint64_t BytesPerRead = std::uint64_t{64} * 1024 / HueBlockSize * HueBlockSize;
    bytes_.resize(static_cast<std::size_t>(std::min(end, BytesPerRead)));
    std::size_t first = 0;
    for (std::uint64_t offset = 0; offset < end; offset += bytes_.size()) {
        const std::span<unsigned char> chunk(
            bytes_.data(),
            static_cast<std::size_t>(std::min<std::uint64_t>(bytes_.size(), end - offset)));
        const std::size_t got = file_->ReadAt(static_cast<std::int64_t>(offset), chunk);
        if (got < chunk.size()) {
            throw FileError(path_, "The file shrank to " + std::to_string(offset + got) +
                                       " bytes while it was being read");
        }
        // Chunks hold whole blocks, so each block's header lies in the chunk of its entries.
        headers_.clear();
        for (std::uint64_t at = 0; at < chunk.size(); at += HueBlockSize) {
            headers_.push_back(LittleEndian32(chunk.data() + at));
        }
        hues_.clear();
        while (first + hues_.size() < count_ &&
               EndOfEntries(first + hues_.size() + 1) <= offset + chunk.size()) {
            const std::uint64_t at =
                EndOfEntries(first + hues_.size() + 1) - HueRecordSize - offset;
            hues_.push_back(DecodeHueRecord(
                std::span<const unsigned char, HueRecordSize>(bytes_.data() + at, HueRecordSize)));
        }
        take({hues_, first, count_, headers_});
        first += hues_.size();
    }
}

std::vector<HueRecord> ReadHueFile(const std::filesystem::path& path,
                                   std::vector<std::uint32_t>* blockHeaders) {
    std::vector<HueRecord> hues;
    HueFileParts(path).Read([&](const HuePart& part) {
        hues.reserve(part.count);
        hues.insert(hues.end(), part.hues.begin(), part.hues.end());
        if (blockHeaders != nullptr) {
            blockHeaders->insert(blockHeaders->end(), part.blockHeaders.begin(),
                                 part.blockHeaders.end());
        }
    });
    return hues;
}

SomeHues ReadSomeHues(const std::filesystem::path& path, std::span<const int> ids) {
    const ReadableFile file(path);
    SomeHues some{HueCountForSize(static_cast<std::uint64_t>(file.size())), {}, {}};
    some.hues.resize(ids.size());
    some.headers.resize(ids.size());
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const auto id = static_cast<std::size_t>(ids[i]);
        if (ids[i] < 0 || id >= some.held) continue;
        // A block's first entry is read with the header before it, in the same read.
        const bool first = id % HuesPerBlock == 0;
        std::array<unsigned char, HueBlockHeaderSize + HueRecordSize> bytes{};
        const std::span<unsigned char> wanted(bytes.data() + (first ? 0 : HueBlockHeaderSize),
                                              first ? bytes.size() : HueRecordSize);
        const auto offset = static_cast<std::int64_t>(HueOffset(id)) -
                            (first ? static_cast<std::int64_t>(HueBlockHeaderSize) : 0);
        if (file.ReadAt(offset, wanted) < wanted.size()) {
            throw FileError(path, "The file shrank while it was being read");
        }
        some.headers[i] = first ? LittleEndian32(bytes.data()) : 0;
        some.hues[i] = DecodeHueRecord(std::span<const unsigned char, HueRecordSize>(
            bytes.data() + HueBlockHeaderSize, HueRecordSize));
    }
    return some;
}

std::uint64_t ReadableFileSize(const std::filesystem::path& path) {
    return static_cast<std::uint64_t>(ReadableFile(path).size());
}

std::vector<unsigned char> ReadFileBytes(const std::filesystem::path& path,
                                         std::uint64_t mostBytes) {
    const ReadableFile file(path);
    const auto size = static_cast<std::uint64_t>(file.size());
    if (size > mostBytes) {
        throw FileError(path, "The file is " + std::to_string(size) + " bytes long, more than " +
                                  std::to_string(mostBytes) + " this command takes");
    }
    std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
    const std::size_t got = file.ReadAt(0, bytes);
    if (got < bytes.size()) {
        throw FileError(
            path, "The file shrank to " + std::to_string(got) + " bytes while it was being read");
    }
    return bytes;
}

FileBytes::FileBytes(const std::filesystem::path& path, std::uint64_t mostBytes)
    : mapped_(system::MapCopyOnWrite(path, mostBytes)) {
    if (mapped_.empty()) read_ = ReadFileBytes(path, mostBytes);
}

FileBytes::~FileBytes() {
    system::Unmap(mapped_);
}

}  // namespace huedata
