// The one safe way hues read from text go into a hue file in place, for `hues apply` and the
// editor's Save alike: checked in full before the file is touched, laid over the file's own
// bytes in the writer's turn (a field whose text shows what the file shows keeps its bytes),
// and the file replaced whole, with its backup if asked.
#pragma once

#include "hueformats/hue_source.h"

#include "huedata/hue_edit.h"
#include "huedata/safe_write.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <span>

namespace hueformats {

// What a caller sees of the edit as it happens, inside the writer's turn.
struct ApplyHooks {
    // The file as read, before anything changes, and the changes to lay over it; may throw to
    // leave the file as it is (a page's save when the file changed since the page read it).
    std::function<void(std::span<const unsigned char> before,
                       std::span<const huedata::HueChange> changes)>
        before;
    // The bytes as they will be written.
    std::function<void(std::span<const unsigned char> after)> after;
};

struct HuesApplied {
    std::size_t changed = 0;  // hues whose bytes (or block's header) changed, or that were added
    huedata::EditOutcome outcome;
};

// Throws FileError or FileError as EditFileSafely does, and whatever a hook throws;
// then nothing is written.
HuesApplied ApplyHuesSafely(const std::filesystem::path& file, const huedata::SourceHues& hues,
                            bool keepBackup, const ApplyHooks& hooks = {});

}  // namespace hueformats
