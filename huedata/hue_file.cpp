#include "hue_file.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#if defined(_WIN32)
#include <fstream>
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

// Built by appending: GCC 12 warns falsely (-Wrestrict) about "literal" + std::string&&.
std::string ErrorMessage(const std::filesystem::path& path, const std::string& reason) {
    std::string message = "Cannot read hue file \"";
    message.append(path.string()).append("\": ").append(reason);
    return message;
}

std::string SystemReason(int error) {
    return std::strerror(error);
}

std::string TooShortReason(std::int64_t fileSize, std::int64_t offset) {
    return "the file is " + std::to_string(fileSize) +
           " bytes long, too short for the hue entry at byte offsets " + std::to_string(offset) +
           " to " + std::to_string(offset + static_cast<std::int64_t>(HueRecordSize) - 1);
}

std::int64_t OffsetOfPosition(const std::filesystem::path& path, std::int32_t position) {
    if (position < 1) {
        throw HueFileError(path, "position " + std::to_string(position) +
                                     " lies before the start of the file (" + SystemReason(EINVAL) +
                                     ")");
    }
    return std::int64_t{position} - 1;
}

using RecordBytes = std::array<unsigned char, HueRecordSize>;

#if defined(_WIN32)

RecordBytes ReadRecordBytes(const std::filesystem::path& path, std::int64_t offset) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error) throw HueFileError(path, error.message());
    if (!std::filesystem::is_regular_file(status)) {
        throw HueFileError(path, "it is not a regular file");
    }
    const auto size = static_cast<std::int64_t>(std::filesystem::file_size(path, error));
    if (error) throw HueFileError(path, error.message());
    if (size < offset + static_cast<std::int64_t>(HueRecordSize)) {
        throw HueFileError(path, TooShortReason(size, offset));
    }
    std::ifstream file(path, std::ios::binary);
    RecordBytes bytes{};
    if (!file.seekg(offset) ||
        !file.read(reinterpret_cast<char*>(bytes.data()), std::streamsize{HueRecordSize})) {
        throw HueFileError(path, SystemReason(errno));
    }
    return bytes;
}

#else

// Owns one file descriptor; closes it on every path out of a read.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) noexcept : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const noexcept { return fd_; }

private:
    int fd_;
};

// Non-blocking so that a named pipe without a writer fails at once instead of hanging.
int OpenForReading(const std::filesystem::path& path) {
    if (path.empty()) {
        throw HueFileError(path, "no file name was given (" + SystemReason(ENOENT) + ")");
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) throw HueFileError(path, SystemReason(errno));
    return fd;
}

std::string NotRegularFileReason(mode_t mode) {
    if (S_ISDIR(mode)) return SystemReason(EISDIR);
    if (S_ISFIFO(mode)) return "it is a named pipe, not a regular file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device, not a regular file";
    if (S_ISSOCK(mode)) return "it is a socket, not a regular file";
    return "it is not a regular file";
}

std::int64_t RegularFileSize(const FileDescriptor& file, const std::filesystem::path& path) {
    struct stat info {};
    if (::fstat(file.get(), &info) != 0) throw HueFileError(path, SystemReason(errno));
    if (!S_ISREG(info.st_mode)) throw HueFileError(path, NotRegularFileReason(info.st_mode));
    return static_cast<std::int64_t>(info.st_size);
}

RecordBytes ReadRecordBytes(const std::filesystem::path& path, std::int64_t offset) {
    const FileDescriptor file(OpenForReading(path));
    const std::int64_t size = RegularFileSize(file, path);
    if (size < offset + static_cast<std::int64_t>(HueRecordSize)) {
        throw HueFileError(path, TooShortReason(size, offset));
    }
    RecordBytes bytes{};
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::pread(file.get(), bytes.data() + done, bytes.size() - done,
                                    static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw HueFileError(path, SystemReason(errno));
        // The file shrank between fstat and pread: report what is there now.
        if (got == 0) {
            throw HueFileError(path,
                               TooShortReason(offset + static_cast<std::int64_t>(done), offset));
        }
        done += static_cast<std::size_t>(got);
    }
    return bytes;
}

#endif

}  // namespace

HueFileError::HueFileError(std::filesystem::path path, std::string reason)
    : std::runtime_error(ErrorMessage(path, reason)),
      path_(std::move(path)),
      reason_(std::move(reason)) {}

HueRecord DecodeHueRecord(std::span<const unsigned char, HueRecordSize> bytes) {
    HueRecord record{};
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
    const RecordBytes bytes = ReadRecordBytes(path, OffsetOfPosition(path, position));
    return DecodeHueRecord(bytes);
}

}  // namespace huedata
