#include "hue_file.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <string>
#include <utility>

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace huedata {

namespace {

std::int16_t LittleEndian16(const unsigned char* bytes) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8U)));
}

std::uint32_t LittleEndian32(const unsigned char* bytes) {
    return std::uint32_t{bytes[0]} | (std::uint32_t{bytes[1]} << 8U) |
           (std::uint32_t{bytes[2]} << 16U) | (std::uint32_t{bytes[3]} << 24U);
}

// Built by appending: GCC 12 warns falsely (-Wrestrict) about "literal" + std::string&&.
std::string ErrorMessage(const std::filesystem::path& path, const std::string& reason) {
    std::string message = "Cannot read hue file \"";
    message.append(PathText(path)).append("\": ").append(reason);
    return message;
}

std::string TooShortReason(std::int64_t fileSize, std::int64_t offset) {
    return "The file is " + std::to_string(fileSize) +
           " bytes long, too short for the hue entry at byte offsets " + std::to_string(offset) +
           " to " + std::to_string(offset + static_cast<std::int64_t>(HueRecordSize) - 1);
}

void ThrowIfNoName(const std::filesystem::path& path) {
    if (path.empty()) throw HueFileError(path, "No file name was given");
}

#if defined(_WIN32)

std::string Utf8FromWide(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int length = static_cast<int>(wide.size());
    // Without WC_ERR_INVALID_CHARS, unpaired surrogates become U+FFFD instead of failing.
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(std::max(size, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, text.data(), size, nullptr, nullptr);
    return text;
}

// The system's own words for the error, without the trailing full stop and line break.
std::string SystemReason(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer, length);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' ||
                             text.back() == L'.')) {
        text.pop_back();
    }
    if (text.empty()) return "System error " + std::to_string(error);
    return Utf8FromWide(text);
}

std::string InvalidPositionReason() {
    return SystemReason(ERROR_NEGATIVE_SEEK);
}

// Owns one handle; closes it on every path out of a read.
class OpenFile {
public:
    OpenFile(HANDLE handle, std::int64_t size) noexcept : handle_(handle), size_(size) {}
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    ~OpenFile() { CloseHandle(handle_); }
    HANDLE get() const noexcept { return handle_; }
    std::int64_t size() const noexcept { return size_; }

private:
    HANDLE handle_;
    std::int64_t size_;
};

std::string OpenFailureReason(const std::filesystem::path& path, DWORD error) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return "It is a folder, not a file (" + SystemReason(error) + ")";
    }
    return SystemReason(error);
}

std::string NotDiskFileReason(DWORD type) {
    if (type == FILE_TYPE_PIPE) return "It is a named pipe, not a regular file";
    if (type == FILE_TYPE_CHAR) return "It is a device, not a regular file";
    return "It is not a regular file";
}

// Shares reading, writing and deleting, so a program that keeps the file open (as the
// application that owns it does while running) can go on using it while we read.
OpenFile OpenRegularFile(const std::filesystem::path& path) {
    ThrowIfNoName(path);
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        throw HueFileError(path, OpenFailureReason(path, GetLastError()));
    }
    const DWORD type = GetFileType(handle);
    LARGE_INTEGER size{};
    if (type != FILE_TYPE_DISK || !GetFileSizeEx(handle, &size)) {
        const std::string reason =
            type != FILE_TYPE_DISK ? NotDiskFileReason(type) : SystemReason(GetLastError());
        CloseHandle(handle);
        throw HueFileError(path, reason);
    }
    return OpenFile(handle, size.QuadPart);
}

// Reads into `bytes` from `offset` until it is full or the file ends; returns the count read.
std::size_t ReadAt(const OpenFile& file, const std::filesystem::path& path, std::int64_t offset,
                   std::span<unsigned char> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        OVERLAPPED at{};
        const auto position = static_cast<std::uint64_t>(offset) + done;
        at.Offset = static_cast<DWORD>(position & 0xFFFFFFFFU);
        at.OffsetHigh = static_cast<DWORD>(position >> 32U);
        DWORD got = 0;
        if (!ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done),
                      &got, &at)) {
            const DWORD error = GetLastError();
            if (error == ERROR_HANDLE_EOF) break;
            throw HueFileError(path, SystemReason(error));
        }
        if (got == 0) break;
        done += got;
    }
    return done;
}

#else

std::string SystemReason(int error) {
    return std::strerror(error);
}

std::string InvalidPositionReason() {
    return SystemReason(EINVAL);
}

// Owns one file descriptor; closes it on every path out of a read.
class OpenFile {
public:
    OpenFile(int fd, std::int64_t size) noexcept : fd_(fd), size_(size) {}
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    ~OpenFile() { ::close(fd_); }
    int get() const noexcept { return fd_; }
    std::int64_t size() const noexcept { return size_; }

private:
    int fd_;
    std::int64_t size_;
};

std::string NotRegularFileReason(mode_t mode) {
    if (S_ISDIR(mode)) return SystemReason(EISDIR);
    if (S_ISFIFO(mode)) return "It is a named pipe, not a regular file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "It is a device, not a regular file";
    if (S_ISSOCK(mode)) return "It is a socket, not a regular file";
    return "It is not a regular file";
}

// Non-blocking so that a named pipe without a writer fails at once instead of hanging.
OpenFile OpenRegularFile(const std::filesystem::path& path) {
    ThrowIfNoName(path);
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) throw HueFileError(path, SystemReason(errno));
    struct stat info {};
    const int statError = ::fstat(fd, &info) != 0 ? errno : 0;
    if (statError != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw HueFileError(
            path, statError != 0 ? SystemReason(statError) : NotRegularFileReason(info.st_mode));
    }
    return OpenFile(fd, static_cast<std::int64_t>(info.st_size));
}

// Reads into `bytes` from `offset` until it is full or the file ends; returns the count read.
std::size_t ReadAt(const OpenFile& file, const std::filesystem::path& path, std::int64_t offset,
                   std::span<unsigned char> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::pread(file.get(), bytes.data() + done, bytes.size() - done,
                                    static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw HueFileError(path, SystemReason(errno));
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

#endif

std::int64_t OffsetOfPosition(const std::filesystem::path& path, std::int32_t position) {
    if (position < 1) {
        throw HueFileError(path, "Position " + std::to_string(position) +
                                     " lies before the start of the file (" +
                                     InvalidPositionReason() + ")");
    }
    return std::int64_t{position} - 1;
}

}  // namespace

std::string PathText(const std::filesystem::path& path) {
#if defined(_WIN32)
    return Utf8FromWide(path.native());
#else
    return path.native();
#endif
}

std::filesystem::path PathFromUtf8(std::string_view text) {
#if defined(_WIN32)
    const int length = static_cast<int>(text.size());
    std::wstring wide(static_cast<std::size_t>(std::max(
                          MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0), 0)),
                      L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), length, wide.data(),
                        static_cast<int>(wide.size()));
    return std::filesystem::path(std::move(wide));
#else
    return std::filesystem::path(std::string(text));
#endif
}

HueFileError::HueFileError(std::filesystem::path path, std::string reason)
    : std::runtime_error(ErrorMessage(path, reason)),
      path_(std::move(path)),
      reason_(std::move(reason)) {}

std::size_t HueCountForSize(std::uint64_t fileSize) {
    const std::uint64_t rest = fileSize % HueBlockSize;
    const std::uint64_t inLastBlock =
        rest < HueBlockHeaderSize ? 0 : (rest - HueBlockHeaderSize) / HueRecordSize;
    const std::uint64_t count = fileSize / HueBlockSize * HuesPerBlock + inLastBlock;
    return static_cast<std::size_t>(std::min<std::uint64_t>(count, MaxHueCount));
}

// On a little-endian machine an entry's bytes are exactly the record's, field for field.
constexpr bool EntryIsRecordLayout =
    std::endian::native == std::endian::little && sizeof(HueRecord) == HueRecordSize &&
    offsetof(HueRecord, TableStart) == 64 && offsetof(HueRecord, TableEnd) == 66 &&
    offsetof(HueRecord, Name) == 68;

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
    const OpenFile file = OpenRegularFile(path);
    if (file.size() < offset + static_cast<std::int64_t>(HueRecordSize)) {
        throw HueFileError(path, TooShortReason(file.size(), offset));
    }
    std::array<unsigned char, HueRecordSize> bytes{};
    const std::size_t got = ReadAt(file, path, offset, bytes);
    // The file shrank between the size check and the read: report what is there now.
    if (got < bytes.size()) {
        throw HueFileError(path, TooShortReason(offset + static_cast<std::int64_t>(got), offset));
    }
    return DecodeHueRecord(bytes);
}

std::vector<HueRecord> ReadHueFile(const std::filesystem::path& path,
                                   std::vector<std::uint32_t>* blockHeaders) {
    const OpenFile file = OpenRegularFile(path);
    const std::size_t count = HueCountForSize(static_cast<std::uint64_t>(file.size()));
    const std::uint64_t end = EndOfEntries(count);
    // Whole blocks at a time through one small buffer, so entries never straddle two reads
    // and the file's bytes are not held twice, once raw and once decoded.
    constexpr std::uint64_t BytesPerRead = std::uint64_t{64} * 1024 / HueBlockSize * HueBlockSize;
    std::vector<unsigned char> bytes(static_cast<std::size_t>(std::min(end, BytesPerRead)));
    std::vector<HueRecord> hues;
    hues.reserve(count);
    for (std::uint64_t offset = 0; offset < end; offset += bytes.size()) {
        const std::span<unsigned char> chunk(
            bytes.data(),
            static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), end - offset)));
        const std::size_t got = ReadAt(file, path, static_cast<std::int64_t>(offset), chunk);
        if (got < chunk.size()) {
            throw HueFileError(path, "The file shrank to " + std::to_string(offset + got) +
                                         " bytes while it was being read");
        }
        // Chunks hold whole blocks, so each block's header lies in the chunk of its entries.
        for (std::uint64_t at = 0; blockHeaders != nullptr && at < chunk.size();
             at += HueBlockSize) {
            blockHeaders->push_back(LittleEndian32(chunk.data() + at));
        }
        while (hues.size() < count && EndOfEntries(hues.size() + 1) <= offset + chunk.size()) {
            const std::uint64_t at = EndOfEntries(hues.size() + 1) - HueRecordSize - offset;
            hues.push_back(DecodeHueRecord(
                std::span<const unsigned char, HueRecordSize>(bytes.data() + at, HueRecordSize)));
        }
    }
    return hues;
}

SomeHues ReadSomeHues(const std::filesystem::path& path, std::span<const int> ids) {
    const OpenFile file = OpenRegularFile(path);
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
        if (ReadAt(file, path, offset, wanted) < wanted.size()) {
            throw HueFileError(path, "The file shrank while it was being read");
        }
        some.headers[i] = first ? LittleEndian32(bytes.data()) : 0;
        some.hues[i] = DecodeHueRecord(
            std::span<const unsigned char, HueRecordSize>(bytes.data() + HueBlockHeaderSize,
                                                          HueRecordSize));
    }
    return some;
}

std::uint64_t ReadableFileSize(const std::filesystem::path& path) {
    return static_cast<std::uint64_t>(OpenRegularFile(path).size());
}

std::vector<unsigned char> ReadFileBytes(const std::filesystem::path& path,
                                         std::uint64_t mostBytes) {
    const OpenFile file = OpenRegularFile(path);
    const auto size = static_cast<std::uint64_t>(file.size());
    if (size > mostBytes) {
        throw HueFileError(path, "The file is " + std::to_string(size) + " bytes long, more than " +
                                     std::to_string(mostBytes) + " this command takes");
    }
    std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
    const std::size_t got = ReadAt(file, path, 0, bytes);
    if (got < bytes.size()) {
        throw HueFileError(
            path, "The file shrank to " + std::to_string(got) + " bytes while it was being read");
    }
    return bytes;
}

}  // namespace huedata
