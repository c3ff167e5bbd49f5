#include "safe_write.h"

#include "hue_file.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <system_error>
#include <thread>

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace huedata {

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// How long a writer waits for another one to finish before it gives up and says so.
constexpr auto LongestWait = 30s;
constexpr auto WaitStep = 5ms;

fs::path Beside(const fs::path& target, std::string_view suffix) {
    fs::path name = ".";
    name += target.filename();
    name += suffix;
    return target.parent_path() / name;
}

// The file a chain of symbolic links ends at, which need not exist yet.
fs::path ThroughLinks(fs::path target) {
    for (int depth = 0; depth < 40; ++depth) {
        std::error_code error;
        if (!fs::is_symlink(target, error)) return target;
        const fs::path link = fs::read_symlink(target, error);
        if (error) return target;
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
    return target;
}

[[noreturn]] void Fail(const fs::path& target, const std::string& reason) {
    throw FileWriteError(target, reason);
}

#if defined(_WIN32)
std::string SystemReason(DWORD error) {
    return std::system_category().message(static_cast<int>(error));
}

std::string InUse() {
    return "it is in use by another program; close it and try again";
}

bool IsInUse(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// A turn at writing one file: a lock file opened for us alone, deleted when it is closed,
// so a writer that dies mid-turn releases it with its handles.
class Turn {
public:
    explicit Turn(const fs::path& target) : file_(TurnFileFor(target)) {
        const auto deadline = std::chrono::steady_clock::now() + LongestWait;
        for (;;) {
            handle_ = CreateFileW(file_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
            if (handle_ != INVALID_HANDLE_VALUE) return;
            const DWORD error = GetLastError();
            const bool busy = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED;
            if (!busy || std::chrono::steady_clock::now() > deadline) {
                Fail(target, busy ? Waited(target)
                                  : "cannot create the lock file " + PathText(file_) + ": " +
                                        SystemReason(error));
            }
            std::this_thread::sleep_for(WaitStep);
        }
    }
    Turn(const Turn&) = delete;
    Turn& operator=(const Turn&) = delete;
    ~Turn() { CloseHandle(handle_); }

private:
    std::string Waited(const fs::path&) const {
        return "another program has been changing it for 30 s and still holds " + PathText(file_) +
               "; try again once it is done";
    }
    fs::path file_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// A new file being written; flushed to disk before it is closed.
class NewFile {
public:
    NewFile(const fs::path& path) : path_(path) {
        DeleteFileW(path.c_str());
        handle_ = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle_ == INVALID_HANDLE_VALUE) reason_ = SystemReason(GetLastError());
    }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;
    ~NewFile() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    bool Write(std::string_view bytes) {
        while (reason_.empty() && !bytes.empty()) {
            DWORD written = 0;
            const auto size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1U << 30U));
            if (!WriteFile(handle_, bytes.data(), size, &written, nullptr) || written == 0) {
                reason_ = SystemReason(GetLastError());
            }
            bytes.remove_prefix(written);
        }
        return reason_.empty();
    }
    void KeepModeOf(const fs::path&) {}  // the folder's permissions apply to every file
    // The reason for a failure, or an empty text.
    std::string Finish() {
        if (reason_.empty() && !FlushFileBuffers(handle_)) reason_ = SystemReason(GetLastError());
        CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return reason_;
    }

private:
    fs::path path_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    std::string reason_;
};

std::string Replace(const fs::path& from, const fs::path& to) {
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return {};
    }
    const DWORD error = GetLastError();
    return IsInUse(error) ? InUse() : SystemReason(error);
}

void FlushFolder(const fs::path&) {}  // MOVEFILE_WRITE_THROUGH has done it

// A program that holds the file open without letting others delete it (as the application
// that owns a hue file does while it runs) would make the rename fail half way: ask first.
void CheckReplaceable(const fs::path& target) {
    const HANDLE handle =
        CreateFileW(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE && IsInUse(GetLastError())) Fail(target, InUse());
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
}

// What tells that someone else wrote the file: its size and time of last writing.
struct Stamp {
    std::uint64_t size = 0, written = 0;
    friend bool operator==(const Stamp&, const Stamp&) = default;
};
Stamp StampOf(const fs::path& target) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &data)) return {};
    return {(std::uint64_t{data.nFileSizeHigh} << 32U) | data.nFileSizeLow,
            (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32U) |
                data.ftLastWriteTime.dwLowDateTime};
}
#else
std::string SystemReason(int error) {
    return std::strerror(error);
}

// A turn at writing one file: an exclusive lock on a lock file beside it, which the system
// releases with the process, however it ends. The holder removes the lock file when done;
// one who locked a file already removed tries again on the new one.
class Turn {
public:
    explicit Turn(const fs::path& target) : file_(TurnFileFor(target)) {
        const auto deadline = std::chrono::steady_clock::now() + LongestWait;
        for (;;) {
            fd_ = ::open(file_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
            if (fd_ < 0) {
                Fail(target,
                     "cannot create the lock file " + PathText(file_) + ": " + SystemReason(errno));
            }
            if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
                struct stat held {
                }, named{};
                if (::fstat(fd_, &held) == 0 && ::stat(file_.c_str(), &named) == 0 &&
                    held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
                    return;
                }
            } else if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() > deadline) {
                const int error = errno;
                ::close(fd_);
                Fail(target, error == EWOULDBLOCK
                                 ? "another program has been changing it for 30 s and still "
                                   "holds " +
                                       PathText(file_) + "; try again once it is done"
                                 : "cannot lock " + PathText(file_) + ": " + SystemReason(error));
            } else {
                std::this_thread::sleep_for(WaitStep);
            }
            ::close(fd_);
        }
    }
    Turn(const Turn&) = delete;
    Turn& operator=(const Turn&) = delete;
    ~Turn() {
        ::unlink(file_.c_str());
        ::close(fd_);
    }

private:
    fs::path file_;
    int fd_ = -1;
};

// A new file being written; flushed to disk before it is closed.
class NewFile {
public:
    NewFile(const fs::path& path) {
        fd_ = Create(path);
        if (fd_ < 0 && errno == EEXIST) {
            ::unlink(path.c_str());  // a leftover of a writer that was killed
            fd_ = Create(path);
        }
        if (fd_ < 0) reason_ = SystemReason(errno);
    }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;
    ~NewFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool Write(std::string_view bytes) {
        while (reason_.empty() && !bytes.empty()) {
            const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
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
    void KeepModeOf(const fs::path& original) {
        struct stat info {};
        if (reason_.empty() && ::stat(original.c_str(), &info) == 0) {
            (void)!::fchown(fd_, info.st_uid, info.st_gid);
            if (::fchmod(fd_, info.st_mode & 07777) != 0) reason_ = SystemReason(errno);
        }
    }
    // The reason for a failure, or an empty text.
    std::string Finish() {
        if (reason_.empty() && ::fsync(fd_) != 0) reason_ = SystemReason(errno);
        if (::close(fd_) != 0 && reason_.empty()) reason_ = SystemReason(errno);
        fd_ = -1;
        return reason_;
    }

private:
    // 0666 less the umask: the permissions any new file of the user gets.
    static int Create(const fs::path& path) {
        return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    }

    int fd_ = -1;
    std::string reason_;
};

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
        Fail(target, SystemReason(errno));
    }
}

struct Stamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t seconds = 0, nanoseconds = 0;
    friend bool operator==(const Stamp&, const Stamp&) = default;
};
Stamp StampOf(const fs::path& target) {
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) return {};
    return {info.st_dev, info.st_ino, info.st_size, info.st_mtim.tv_sec, info.st_mtim.tv_nsec};
}
#endif

// A file's bytes for an edit, at the size the edit asks for. On POSIX a file that keeps its
// size is mapped copy-on-write: its pages come straight from the system's cache, mapped in
// runs as they are first touched, and only the few an edit changes are copied, where reading
// the file would fill a fresh page for every 4 KB, the larger part of a small edit's time.
// The file is only read, under our turn: only a program that ignores turns and cuts the file
// short in that instant could stop the edit midway (the write then fails with "Bad
// address"), and the file stays as it is either way.
class EditImage {
public:
    EditImage(const fs::path& file, const FileEdit& edit) {
#if !defined(_WIN32)
        if (MapUnchangedSize(file, edit)) return;
#endif
        read_ = ReadFileBytes(file);
        sizeBefore_ = read_.size();
        read_.resize(static_cast<std::size_t>(edit.sizeFor(sizeBefore_)));
    }
    EditImage(const EditImage&) = delete;
    EditImage& operator=(const EditImage&) = delete;
    ~EditImage() {
#if !defined(_WIN32)
        if (!mapped_.empty()) ::munmap(mapped_.data(), mapped_.size());
#endif
    }
    std::span<unsigned char> bytes() {
        return mapped_.empty() ? std::span(read_) : mapped_;
    }
    std::uint64_t sizeBefore() const {
        return sizeBefore_;
    }

private:
#if !defined(_WIN32)
    bool MapUnchangedSize(const fs::path& file, const FileEdit& edit) {
        const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return false;
        struct stat info {};
        const bool suits = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 &&
                           static_cast<std::uint64_t>(info.st_size) <= MostHueFileBytes &&
                           edit.sizeFor(static_cast<std::uint64_t>(info.st_size)) ==
                               static_cast<std::uint64_t>(info.st_size);
        void* mapped = suits ? ::mmap(nullptr, static_cast<std::size_t>(info.st_size),
                                      PROT_READ | PROT_WRITE, MAP_PRIVATE, fd, 0)
                             : MAP_FAILED;
        ::close(fd);
        if (mapped == MAP_FAILED) return false;
        mapped_ = {static_cast<unsigned char*>(mapped), static_cast<std::size_t>(info.st_size)};
        sizeBefore_ = mapped_.size();
        return true;
    }
#endif
    std::span<unsigned char> mapped_;
    std::vector<unsigned char> read_;
    std::uint64_t sizeBefore_ = 0;
};

// Writes a new file beside `target` and renames it over `target`; the temporary is gone
// again whatever happens.
void ReplaceWith(const fs::path& target, const std::function<void(NewFile&)>& write,
                 const std::function<void()>& beforeRename) {
    const fs::path temporary = Beside(target, ".hues-new");
    NewFile file(temporary);
    std::string reason;
    try {
        write(file);
        reason = file.Finish();
        if (reason.empty()) {
            if (beforeRename) beforeRename();
            reason = Replace(temporary, target);
        }
    } catch (...) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw;
    }
    if (!reason.empty()) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        Fail(target, reason);
    }
    FlushFolder(target);
}

// Keeps the file as it is now under the backup's name: a second name for the same bytes
// where the file system allows it, else a copy; either way the backup appears whole.
void KeepBackup(const fs::path& target, const fs::path& backup) {
    const fs::path temporary = Beside(backup, ".hues-new");
    std::error_code error;
    fs::create_hard_link(target, temporary, error);
    if (error == std::errc::file_exists) {  // a leftover of a writer that was killed
        fs::remove(temporary, error);
        fs::create_hard_link(target, temporary, error);
    }
    if (!error && Replace(temporary, backup).empty()) return;
    fs::remove(temporary, error);
    const std::vector<unsigned char> bytes = ReadFileBytes(target);
    ReplaceWith(backup,
                [&](NewFile& file) {
                    file.Write({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
                },
                {});
}

}  // namespace

FileWriteError::FileWriteError(const fs::path& path, const std::string& reason)
    : std::runtime_error("cannot write " + PathText(path) + ": " + reason) {}

fs::path TurnFileFor(const fs::path& target) {
    fs::path lock = target;
    lock += ".lock";
    return lock;
}

void WriteFileSafely(const fs::path& target, const std::function<void(const ByteSink&)>& write) {
    const fs::path file = ThroughLinks(target);
    std::error_code error;
    if (fs::is_directory(file, error)) Fail(target, SystemReason(EISDIR));
    CheckReplaceable(file);
    const Turn turn(file);
    ReplaceWith(file,
                [&](NewFile& out) {
                    if (fs::exists(file, error)) out.KeepModeOf(file);
                    write([&](std::string_view piece) { return out.Write(piece); });
                },
                {});
}

EditOutcome EditFileSafely(const fs::path& target, const FileEdit& edit, bool keepBackup) {
    const fs::path file = ThroughLinks(target);
    // Checked before the turn is taken, so that a file that is missing, unreadable or no
    // regular file is refused without a trace in its folder.
    (void)ReadableFileSize(file);
    CheckReplaceable(file);
    const Turn turn(file);
    const Stamp read = StampOf(file);
    EditImage image(file, edit);
    const std::span<unsigned char> bytes = image.bytes();
    if (!edit.change(bytes, image.sizeBefore())) return {};
    EditOutcome outcome{.changed = true, .backup = std::nullopt};
    ReplaceWith(
        file,
        [&](NewFile& out) {
            out.KeepModeOf(file);
            out.Write({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
        },
        [&] {
            // Another program may have written the file since it was read; its work comes first.
            if (!(StampOf(file) == read)) {
                Fail(target,
                     "it was changed by another program while this edit was being made; "
                     "nothing was written, so try again");
            }
            if (keepBackup) {
                fs::path backup = file;
                backup += ".bak";
                KeepBackup(file, backup);
                outcome.backup = backup;
            }
        });
    return outcome;
}

}  // namespace huedata
