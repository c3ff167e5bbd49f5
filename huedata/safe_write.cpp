#include "safe_write.h"

#include "hue_file.h"

#include "system_files.h"

#include <system_error>

namespace huedata {

namespace {

namespace fs = std::filesystem;
using system::NewFile;

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
    throw FileError::Writing(target, reason);
}

// A file's bytes for an edit, at the size the edit asks for. On POSIX a file that keeps its
// size is mapped copy-on-write: its pages come straight from the system's cache, mapped in
// runs as they are first touched, and only the few an edit changes are copied, where reading
// the file would fill a fresh page for every 4 KB, the larger part of a small edit's time.
// The file is only read, under our turn: only a program that ignores turns and cuts the file
// short in that instant could stop the edit midway (the write then fails with "Bad
// address"), and the file stays as it is either way.
class EditImage {
public:
    EditImage(const fs::path& file, const FileEdit& edit)
        : mapped_(system::MapCopyOnWrite(file, MostHueFileBytes)) {
        if (!mapped_.empty() && edit.sizeFor(mapped_.size()) == mapped_.size()) {
            sizeBefore_ = mapped_.size();
            return;
        }
        system::Unmap(mapped_);  // the file grows: read, as mapped bytes cannot
        mapped_ = {};
        read_ = ReadFileBytes(file);
        sizeBefore_ = read_.size();
        read_.resize(static_cast<std::size_t>(edit.sizeFor(sizeBefore_)));
    }
    EditImage(const EditImage&) = delete;
    EditImage& operator=(const EditImage&) = delete;
    ~EditImage() { system::Unmap(mapped_); }
    std::span<unsigned char> bytes() { return mapped_.empty() ? std::span(read_) : mapped_; }
    std::uint64_t sizeBefore() const { return sizeBefore_; }

private:
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
            reason = system::Replace(temporary, target);
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
    system::FlushFolder(target);
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
    if (!error && system::Replace(temporary, backup).empty()) return;
    fs::remove(temporary, error);
    const std::vector<unsigned char> bytes = ReadFileBytes(target);
    ReplaceWith(backup,
                [&](NewFile& file) {
                    file.Append({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
                },
                {});
}

}  // namespace

fs::path TurnFileFor(const fs::path& target) {
    fs::path lock = target;
    lock += ".lock";
    return lock;
}

void WriteFileSafely(const fs::path& target, const std::function<void(const ByteSink&)>& write) {
    const fs::path file = ThroughLinks(target);
    std::error_code error;
    if (fs::is_directory(file, error)) Fail(target, system::FolderReason());
    system::CheckReplaceable(file);
    const system::Turn turn(file, TurnFileFor(file));
    ReplaceWith(file,
                [&](NewFile& out) {
                    if (fs::exists(file, error)) out.KeepModeOf(file);
                    write([&](std::string_view piece) { return out.Append(piece); });
                },
                {});
}

EditOutcome EditFileSafely(const fs::path& target, const FileEdit& edit, bool keepBackup) {
    const fs::path file = ThroughLinks(target);
    // Checked before the turn is taken, so that a file that is missing, unreadable or no
    // regular file is refused without a trace in its folder.
    (void)ReadableFileSize(file);
    system::CheckReplaceable(file);
    const system::Turn turn(file, TurnFileFor(file));
    const system::FileIdentity read = system::IdentityOf(file);
    EditImage image(file, edit);
    const std::span<unsigned char> bytes = image.bytes();
    if (!edit.change(bytes, image.sizeBefore())) return {};
    EditOutcome outcome{.changed = true, .backup = std::nullopt};
    ReplaceWith(
        file,
        [&](NewFile& out) {
            out.KeepModeOf(file);
            out.Append({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
        },
        [&] {
            // Another program may have written the file since it was read; its work comes first.
            if (!(system::IdentityOf(file) == read)) {
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
