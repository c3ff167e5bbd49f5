// Writing an export to a file so that nothing is ever half written or lost.
#pragma once

#include "huedata/text_builder.h"

#include <filesystem>
#include <functional>
#include <span>

namespace hueformats {

// Has `write` write the contents to a new temporary file in the target's folder, then
// renames that over `target`. On any failure throws HuesError naming `target`, removes the
// temporary file and leaves an existing `target` as it was. Refuses a `target` that is, by any
// path, the same file as one of `protectedFiles` (the files being read).
void WriteFileAtomically(const std::filesystem::path& target,
                         const std::function<void(huedata::TextBuilder&)>& write,
                         std::span<const std::filesystem::path> protectedFiles);

}  // namespace hueformats
