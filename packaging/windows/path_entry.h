// One folder on a PATH-style list of folders separated by ';': added at the end when it is not
// there yet, removed again with everything else kept exactly as it was. Pure text; no registry.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pathentry {

// The value with `folder` added as its last entry, or nothing when it is there already (in
// any case, with or without a trailing backslash). The entry always gets a ';' of its own
// before it, so that removing ";folder" gives back the old value to the byte.
std::optional<std::wstring> WithFolderAdded(std::wstring_view value, std::wstring_view folder);

// The value without the entry `folder` (its last such entry, with the ';' before it, or after
// it when it comes first), or nothing when no entry names it.
std::optional<std::wstring> WithFolderRemoved(std::wstring_view value, std::wstring_view folder);

}  // namespace pathentry
