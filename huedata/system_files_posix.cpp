// The system's calls on POSIX systems, behind system_files.h.
#include "system_files.h"

#include "hue_file.h"
#include "safe_write.h"

#include <cerrno>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace huedata::system {

namespace {

namespace fs = std::filesystem;

std::string SystemReason(int error) {
    return std::strerror(error);
}

std::string NotRegularFileReason(mode_t mode) {
    if (S_ISDIR(mode)) return SystemReason(EISDIR);
    if (S_ISFIFO(mode)) return "It is a named pipe, not a regular file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "It is a device, not a regular file";
    if (S_ISSOCK(mode)) return "It is a socket, not a regular file";
    return "It is not a regular file";
}

// 0666 less the umask: the permissions any new file of the user gets.
int CreateNew(const fs::path& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
}

}  // namespace

// Non-blocking so that a named pipe without a writer fails at once instead of hanging.
ReadableFile::ReadableFile(const fs::path& path) : path_(path) {
    if (path.empty()) throw FileError(path, "No file name was given");
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) throw FileError(path, SystemReason(errno));
    struct stat info {};
    const int statError = ::fstat(fd, &info) != 0 ? errno : 0;
    if (statError != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw FileError(
            path, statError != 0 ? SystemReason(statError) : NotRegularFileReason(info.st_mode));
    }
    handle_ = fd;
    size_ = static_cast<std::int64_t>(info.st_size);
}

ReadableFile::~ReadableFile() {
    ::close(static_cast<int>(handle_));
}

std::size_t ReadableFile::ReadAt(std::int64_t offset, std::span<unsigned char> bytes) const {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got =
            ::pread(static_cast<int>(handle_), bytes.data() + done, bytes.size() - done,
                    static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw FileError(path_, SystemReason(errno));
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

std::string InvalidPositionReason() {
    return SystemReason(EINVAL);
}

std::string FolderReason() {
    return SystemReason(EISDIR);
}

bool NamesInAnsiCodePage() {
    return false;
}

// Not asked for where names are Windows-1252.
std::u16string AnsiCodePageText(std::span<const unsigned char> bytes) {
    return {bytes.begin(), bytes.end()};
}

std::string PathText(const fs::path& path) {
    return path.native();
}

fs::path PathFromUtf8(std::string_view text) {
    return fs::path(std::string(text));
}

// An exclusive lock on the lock file. The holder removes the lock file when done; one who
// locked a file already removed tries again on the new one.
Turn::Turn(const fs::path& target, const fs::path& lockFile) : file_(lockFile) {
    const auto deadline = std::chrono::steady_clock::now() + LongestWait;
    for (;;) {
        const int fd = ::open(file_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0) {
            throw FileError::Writing(target, "cannot create the lock file " + PathText(file_) +
                                                 ": " + SystemReason(errno));
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            struct stat held {
            }, named{};
            if (::fstat(fd, &held) == 0 && ::stat(file_.c_str(), &named) == 0 &&
                held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
                handle_ = fd;
                return;
            }
        } else if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() > deadline) {
            const int error = errno;
            ::close(fd);
            throw FileError::Writing(
                target, error == EWOULDBLOCK
                            ? "another program has been changing it for 30 s and still holds " +
                                  PathText(file_) + "; try again once it is done"
                            : "cannot lock " + PathText(file_) + ": " + SystemReason(error));
        } else {
            std::this_thread::sleep_for(WaitStep);
        }
        ::close(fd);
    }
}

Turn::~Turn() {
    ::unlink(file_.c_str());
    ::close(static_cast<int>(handle_));
}

NewFile::NewFile(const fs::path& path) {
    int fd = CreateNew(path);
    if (fd < 0 && errno == EEXIST) {
        ::unlink(path.c_str());  // a leftover of a writer that was killed
        fd = CreateNew(path);
    }
    if (fd < 0) reason_ = SystemReason(errno);
    handle_ = fd;
}

NewFile::~NewFile() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

bool NewFile::Append(std::string_view bytes) {
    while (reason_.empty() && !bytes.empty()) {
        const ssize_t written = ::write(static_cast<int>(handle_), bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            reason_ = SystemReason(written < 0 ? errno : ENOSPC);
            break;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return reason_.empty();
}

// The file it replaces keeps its permission bits, and its owner where we may set it.
void NewFile::KeepModeOf(const fs::path& original) {
    struct stat info {};
    if (reason_.empty() && ::stat(original.c_str(), &info) == 0) {
        (void)!::fchown(static_cast<int>(handle_), info.st_uid, info.st_gid);
        if (::fchmod(static_cast<int>(handle_), info.st_mode & 07777) != 0) {
            reason_ = SystemReason(errno);
        }
    }
}

std::string NewFile::Finish() {
    const int fd = static_cast<int>(handle_);
    if (reason_.empty() && ::fsync(fd) != 0) reason_ = SystemReason(errno);
    if (::close(fd) != 0 && reason_.empty()) reason_ = SystemReason(errno);
    handle_ = -1;
    return reason_;
}

std::string Replace(const fs::path& from, const fs::path& to) {
    if (::rename(from.c_str(), to.c_str()) == 0) return {};
    return SystemReason(errno);
}

// The rename itself is on disk only once the folder is.
void FlushFolder(const fs::path& target) {
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)::fsync(fd);
    ::close(fd);
}

// Renaming over an open file is fine here, but a file its owner made read-only stays as it
// is, though its folder would let it be replaced.
void CheckReplaceable(const fs::path& target) {
    if (::access(target.c_str(), F_OK) == 0 && ::access(target.c_str(), W_OK) != 0) {
        throw FileError::Writing(target, SystemReason(errno));
    }
}

FileIdentity IdentityOf(const fs::path& target) {
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) return {};
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
            static_cast<std::uint64_t>(info.st_size),
            static_cast<std::uint64_t>(info.st_mtim.tv_sec),
            static_cast<std::uint64_t>(info.st_mtim.tv_nsec)};
}

std::span<unsigned char> MapCopyOnWrite(const fs::path& path, std::uint64_t most) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {};
    struct stat info {};
    const bool suits = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 &&
                       static_cast<std::uint64_t>(info.st_size) <= most;
    void* mapped = suits ? ::mmap(nullptr, static_cast<std::size_t>(info.st_size),
                                  PROT_READ | PROT_WRITE, MAP_PRIVATE, fd, 0)
                         : MAP_FAILED;
    ::close(fd);
    if (mapped == MAP_FAILED) return {};
    return {static_cast<unsigned char*>(mapped), static_cast<std::size_t>(info.st_size)};
}

void Unmap(std::span<unsigned char> mapped) {
    if (!mapped.empty()) ::munmap(mapped.data(), mapped.size());
}

}  // namespace huedata::system
