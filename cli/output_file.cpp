#include "output_file.h"

#include "hue_view.h"

#include "huedata/hue_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <random>
#include <string>
#include <system_error>

#include <fcntl.h>
#if defined(_WIN32)
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace hues {

namespace {

namespace fs = std::filesystem;

#if defined(_WIN32)
int OpenNew(const fs::path& path) {
    return ::_wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}
int WriteSome(int fd, const char* data, std::size_t size) {
    return ::_write(fd, data, static_cast<unsigned>(std::min<std::size_t>(size, 1U << 30U)));
}
int Close(int fd) {
    return ::_close(fd);
}
bool FlushToDisk(int fd) {
    return FlushFileBuffers(reinterpret_cast<HANDLE>(::_get_osfhandle(fd))) != 0;
}
// The reason for a failure, or an empty text on success.
std::string Replace(const fs::path& from, const fs::path& to) {
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return {};
    return std::system_category().message(static_cast<int>(GetLastError()));
}
#else
int OpenNew(const fs::path& path) {
    // 0666 less the umask: the same permissions any new file of the user gets.
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}
ssize_t WriteSome(int fd, const char* data, std::size_t size) {
    return ::write(fd, data, size);
}
int Close(int fd) {
    return ::close(fd);
}
bool FlushToDisk(int fd) {
    return ::fsync(fd) == 0;
}
// The reason for a failure, or an empty text on success.
std::string Replace(const fs::path& from, const fs::path& to) {
    if (::rename(from.c_str(), to.c_str()) == 0) return {};
    return std::strerror(errno);
}
#endif

[[noreturn]] void ThrowWriteError(const fs::path& target, const std::string& reason) {
    throw HuesError("cannot write " + huedata::PathText(target) + ": " + reason);
}

bool IsSameFile(const fs::path& first, const fs::path& second) {
    std::error_code error;
    return fs::equivalent(first, second, error) && !error;
}

// A new, unused name beside the target; exclusive creation guards against a race.
int CreateTemporary(const fs::path& target, fs::path& temporary) {
    std::random_device random;
    const fs::path folder = target.parent_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = folder / (".hues-" + std::to_string(random()) + ".tmp");
        const int fd = OpenNew(temporary);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

bool WriteAll(int fd, std::string_view contents) {
    while (!contents.empty()) {
        const auto written = WriteSome(fd, contents.data(), contents.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        contents.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

void WriteFileAtomically(const fs::path& target, const std::function<void(TextBuilder&)>& write,
                         const fs::path& protectedFile) {
    if (IsSameFile(target, protectedFile)) {
        throw HuesError("refusing to write over the hue file " + huedata::PathText(protectedFile) +
                        " (given as " + huedata::PathText(target) + ")");
    }
    std::error_code error;
    if (fs::is_directory(target, error)) ThrowWriteError(target, std::strerror(EISDIR));
    fs::path temporary;
    const int fd = CreateTemporary(target, temporary);
    if (fd < 0) ThrowWriteError(target, std::strerror(errno));
    std::string reason;
    TextBuilder out([&](std::string_view piece) {
        if (reason.empty() && !WriteAll(fd, piece)) reason = std::strerror(errno);
    });
    try {
        write(out);
        out.Flush();
    } catch (...) {
        Close(fd);
        fs::remove(temporary, error);
        throw;
    }
    // On disk before it takes the old file's name: a power cut must never leave an empty file
    // where the old one was.
    if (reason.empty() && !FlushToDisk(fd)) reason = std::strerror(errno);
    if (Close(fd) != 0 && reason.empty()) reason = std::strerror(errno);
    if (reason.empty()) reason = Replace(temporary, target);
    if (!reason.empty()) {
        fs::remove(temporary, error);
        ThrowWriteError(target, reason);
    }
}

}  // namespace hues
