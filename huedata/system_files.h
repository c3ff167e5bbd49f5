// What the rest of huedata asks of the system, in one small interface with a file for each
// system behind it (system_files_posix.cpp, system_files_windows.cpp): open a regular file and
// read at an offset, a path's text, take a turn at writing a file, write a new file flushed to
// disk, replace a file with it, flush a folder, a file's identity, and a file's bytes mapped.
// Internal to huedata: no header of its interface includes this.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace huedata::system {

// ---- Reading ----

// A regular file open for reading, closed when this ends. Opening refuses (FileError) a
// missing file, a folder, a pipe or device, and never blocks on one; it shares the file, so a
// program that keeps it open goes on using it.
class ReadableFile {
public:
    explicit ReadableFile(const std::filesystem::path& path);
    ReadableFile(const ReadableFile&) = delete;
    ReadableFile& operator=(const ReadableFile&) = delete;
    ~ReadableFile();

    std::int64_t size() const noexcept { return size_; }
    // Reads into `bytes` from `offset` until it is full or the file ends; returns the count read.
    std::size_t ReadAt(std::int64_t offset, std::span<unsigned char> bytes) const;

private:
    std::filesystem::path path_;
    std::intptr_t handle_ = -1;
    std::int64_t size_ = 0;
};

// The system's words for a position before the start of a file.
std::string InvalidPositionReason();

// The system's words for a file that is a folder.
std::string FolderReason();

// Whether names are read in the system's ANSI code page (Windows), not in Windows-1252; and
// `bytes` decoded in it.
bool NamesInAnsiCodePage();
std::u16string AnsiCodePageText(std::span<const unsigned char> bytes);

// A path as UTF-8 text, never throwing; a path from UTF-8 text.
std::string PathText(const std::filesystem::path& path);
std::filesystem::path PathFromUtf8(std::string_view text);
#ifdef _WIN32
// UTF-8 text as the wide text Windows' own functions take.
std::wstring WideFromUtf8(std::string_view text);
#endif

// ---- Writing ----

// How long a writer waits for another one to finish before it gives up and says so, and how
// often it looks.
inline constexpr auto LongestWait = std::chrono::seconds(30);
inline constexpr auto WaitStep = std::chrono::milliseconds(5);

// A turn at writing `target`: the lock file `lockFile` beside it (TurnFileFor), which the system
// releases with the process, however it ends. Waits up to 30 s for another writer; throws
// FileError after that or when the lock file cannot be made.
class Turn {
public:
    Turn(const std::filesystem::path& target, const std::filesystem::path& lockFile);
    Turn(const Turn&) = delete;
    Turn& operator=(const Turn&) = delete;
    ~Turn();

private:
    std::filesystem::path file_;
    std::intptr_t handle_ = -1;
};

// A new file being written, replacing any leftover of that name; flushed to disk when finished.
class NewFile {
public:
    explicit NewFile(const std::filesystem::path& path);
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;
    ~NewFile();

    // Adds `bytes` at its end; false where the system would not take them all.
    bool Append(std::string_view bytes);
    // Gives it the permission bits (and owner, where allowed) of the file it replaces.
    void KeepModeOf(const std::filesystem::path& original);
    // Flushes and closes it: the reason for a failure, or an empty text.
    std::string Finish();

private:
    std::intptr_t handle_ = -1;
    std::string reason_;
};

// Renames `from` over `to` atomically: the reason for a failure, or an empty text.
std::string Replace(const std::filesystem::path& from, const std::filesystem::path& to);

// Puts a rename in the folder of `target` on disk.
void FlushFolder(const std::filesystem::path& target);

// Throws FileError when `target` may not be replaced: read-only, or held open by a
// program that would make the rename fail half way.
void CheckReplaceable(const std::filesystem::path& target);

// A file's identity: what tells that someone else wrote it since (its device and inode, size
// and time of writing). Not its bytes: a file's stamp is the mark of its bytes (StampOfBytes).
struct FileIdentity {
    std::uint64_t device = 0, inode = 0, size = 0, seconds = 0, nanoseconds = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};
FileIdentity IdentityOf(const std::filesystem::path& target);

// The bytes of the regular file at `path` mapped copy-on-write, when it is not empty, at most
// `most` bytes long, and the system maps files; else an empty span. Unmap gives it back.
std::span<unsigned char> MapCopyOnWrite(const std::filesystem::path& path, std::uint64_t most);
void Unmap(std::span<unsigned char> mapped);

}  // namespace huedata::system
