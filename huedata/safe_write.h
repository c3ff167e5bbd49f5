// Writing a user's file without ever putting it at risk: the new contents go to a temporary
// file beside it, flushed to disk, which is then renamed over the old one, so that a crash or
// a kill at any moment leaves the old file or the new one, whole. Writers of the same file
// take turns, and an edit reads the file only once its turn has come, so no edit is lost.
#pragma once

#include "hue_file.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace huedata {

// Where finished bytes go, piece by piece; returns false once a write has failed.
using ByteSink = std::function<bool(std::string_view)>;

// Writes `target` anew with what `write` hands to its sink, replacing any file there
// atomically. A link to a file is written where it points, and stays a link. Throws
// FileError; whatever `write` throws goes through, and then nothing is written.
void WriteFileSafely(const std::filesystem::path& target,
                     const std::function<void(const ByteSink&)>& write);

// An edit of a file's bytes, made in place.
struct FileEdit {
    // The size the file is to have, from the size it has: never less.
    std::function<std::uint64_t(std::uint64_t size)> sizeFor;
    // Changes `bytes`, already at that size with the bytes added zero; `sizeBefore` is the
    // size the file had. Returns false where it changed none of them.
    std::function<bool(std::span<unsigned char> bytes, std::uint64_t sizeBefore)> change;
};

struct EditOutcome {
    bool changed = false;
    std::optional<std::filesystem::path> backup;  // where the previous file was kept
};

// Changes the existing file `target` in place: waits for its turn, reads the file, lets `edit`
// change its bytes and replaces the file atomically, keeping its permission bits. With
// `keepBackup`, the previous file is kept first as FILE.bak beside the file (replacing an
// older one). Throws FileError (or FileError when the file cannot be read); whatever
// `edit` throws goes through, and then nothing is written.
EditOutcome EditFileSafely(const std::filesystem::path& target, const FileEdit& edit,
                           bool keepBackup);

// The lock file that marks a turn at writing `target`, beside the file it guards.
std::filesystem::path TurnFileFor(const std::filesystem::path& target);

}  // namespace huedata
