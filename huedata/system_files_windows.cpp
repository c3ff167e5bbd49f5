// The system's calls on Windows, behind system_files.h.
#include "system_files.h"

#include "hue_file.h"
#include "safe_write.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <system_error>
#include <thread>

#include <windows.h>

namespace huedata::system {

namespace {

namespace fs = std::filesystem;

HANDLE Handle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

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

// The words of a failed write, as the C++ library gives them.
std::string WriteReason(DWORD error) {
    return std::system_category().message(static_cast<int>(error));
}

std::string InUse() {
    return "it is in use by another program; close it and try again";
}

bool IsInUse(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

std::string OpenFailureReason(const fs::path& path, DWORD error) {
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

}  // namespace

// Shares reading, writing and deleting, so a program that keeps the file open (as the
// application that owns it does while running) can go on using it while we read.
ReadableFile::ReadableFile(const fs::path& path) : path_(path) {
    if (path.empty()) throw FileError(path, "No file name was given");
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        throw FileError(path, OpenFailureReason(path, GetLastError()));
    }
    const DWORD type = GetFileType(handle);
    LARGE_INTEGER size{};
    if (type != FILE_TYPE_DISK || !GetFileSizeEx(handle, &size)) {
        const std::string reason =
            type != FILE_TYPE_DISK ? NotDiskFileReason(type) : SystemReason(GetLastError());
        CloseHandle(handle);
        throw FileError(path, reason);
    }
    handle_ = reinterpret_cast<std::intptr_t>(handle);
    size_ = size.QuadPart;
}

ReadableFile::~ReadableFile() {
    CloseHandle(Handle(handle_));
}

std::size_t ReadableFile::ReadAt(std::int64_t offset, std::span<unsigned char> bytes) const {
    std::size_t done = 0;
    while (done < bytes.size()) {
        OVERLAPPED at{};
        const auto position = static_cast<std::uint64_t>(offset) + done;
        at.Offset = static_cast<DWORD>(position & 0xFFFFFFFFU);
        at.OffsetHigh = static_cast<DWORD>(position >> 32U);
        DWORD got = 0;
        if (!ReadFile(Handle(handle_), bytes.data() + done, static_cast<DWORD>(bytes.size() - done),
                      &got, &at)) {
            const DWORD error = GetLastError();
            if (error == ERROR_HANDLE_EOF) break;
            throw FileError(path_, SystemReason(error));
        }
        if (got == 0) break;
        done += got;
    }
    return done;
}

std::string InvalidPositionReason() {
    return SystemReason(ERROR_NEGATIVE_SEEK);
}

// Our own words: Windows has no error of its own for this, and took EISDIR's number for one of
// its own ("The device is not ready") while this was errno's.
std::string FolderReason() {
    return "It is a folder, not a file";
}

bool NamesInAnsiCodePage() {
    return true;
}

std::u16string AnsiCodePageText(std::span<const unsigned char> bytes) {
    std::array<wchar_t, 64> wide{};
    const int count = MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(bytes.data()),
                                          static_cast<int>(std::min(bytes.size(), wide.size())),
                                          wide.data(), static_cast<int>(wide.size()));
    return std::u16string(wide.begin(), wide.begin() + std::max(count, 0));
}

std::string PathText(const fs::path& path) {
    return Utf8FromWide(path.native());
}

std::wstring WideFromUtf8(std::string_view text) {
    const int length = static_cast<int>(text.size());
    std::wstring wide(static_cast<std::size_t>(std::max(
                          MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0), 0)),
                      L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), length, wide.data(),
                        static_cast<int>(wide.size()));
    return wide;
}

fs::path PathFromUtf8(std::string_view text) {
    return fs::path(WideFromUtf8(text));
}

// A lock file opened for us alone, deleted when it is closed, so a writer that dies mid-turn
// releases it with its handles.
Turn::Turn(const fs::path& target, const fs::path& lockFile) : file_(lockFile) {
    const auto deadline = std::chrono::steady_clock::now() + LongestWait;
    for (;;) {
        const HANDLE handle = CreateFileW(file_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                          OPEN_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            handle_ = reinterpret_cast<std::intptr_t>(handle);
            return;
        }
        const DWORD error = GetLastError();
        const bool busy = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED;
        if (!busy || std::chrono::steady_clock::now() > deadline) {
            throw FileError::Writing(
                target, busy ? "another program has been changing it for 30 s and still holds " +
                                   PathText(file_) + "; try again once it is done"
                             : "cannot create the lock file " + PathText(file_) + ": " +
                                   WriteReason(error));
        }
        std::this_thread::sleep_for(WaitStep);
    }
}

Turn::~Turn() {
    CloseHandle(Handle(handle_));
}

NewFile::NewFile(const fs::path& path) {
    DeleteFileW(path.c_str());
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) reason_ = WriteReason(GetLastError());
    handle_ = handle == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<std::intptr_t>(handle);
}

NewFile::~NewFile() {
    if (handle_ != -1) CloseHandle(Handle(handle_));
}

bool NewFile::Append(std::string_view bytes) {
    while (reason_.empty() && !bytes.empty()) {
        DWORD written = 0;
        const auto size = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1U << 30U));
        if (!WriteFile(Handle(handle_), bytes.data(), size, &written, nullptr) || written == 0) {
            reason_ = WriteReason(GetLastError());
        }
        bytes.remove_prefix(written);
    }
    return reason_.empty();
}

void NewFile::KeepModeOf(const fs::path&) {}  // the folder's permissions apply to every file

std::string NewFile::Finish() {
    if (reason_.empty() && !FlushFileBuffers(Handle(handle_))) {
        reason_ = WriteReason(GetLastError());
    }
    CloseHandle(Handle(handle_));
    handle_ = -1;
    return reason_;
}

std::string Replace(const fs::path& from, const fs::path& to) {
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return {};
    }
    const DWORD error = GetLastError();
    return IsInUse(error) ? InUse() : WriteReason(error);
}

void FlushFolder(const fs::path&) {}  // MOVEFILE_WRITE_THROUGH has done it

// A program that holds the file open without letting others delete it (as the application
// that owns a hue file does while it runs) would make the rename fail half way: ask first.
void CheckReplaceable(const fs::path& target) {
    const HANDLE handle =
        CreateFileW(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE && IsInUse(GetLastError())) {
        throw FileError::Writing(target, InUse());
    }
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
}

// Its size and time of last writing.
FileIdentity IdentityOf(const fs::path& target) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &data)) return {};
    return {.size = (std::uint64_t{data.nFileSizeHigh} << 32U) | data.nFileSizeLow,
            .seconds = (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32U) |
                       data.ftLastWriteTime.dwLowDateTime};
}

// The file is read into memory instead.
std::span<unsigned char> MapCopyOnWrite(const fs::path&, std::uint64_t) {
    return {};
}

void Unmap(std::span<unsigned char>) {}

}  // namespace huedata::system
