#include "path_entry.h"

#include <algorithm>
#include <cwctype>

namespace pathentry {

namespace {

bool SameFolder(std::wstring_view entry, std::wstring_view folder) {
    const auto trimmed = [](std::wstring_view text) {
        while (!text.empty() && (text.back() == L'\\' || text.back() == L'/')) {
            text.remove_suffix(1);
        }
        return text;
    };
    entry = trimmed(entry);
    folder = trimmed(folder);
    return entry.size() == folder.size() &&
           std::equal(entry.begin(), entry.end(), folder.begin(), [](wchar_t a, wchar_t b) {
               return std::towlower(static_cast<wint_t>(a)) ==
                      std::towlower(static_cast<wint_t>(b));
           });
}

struct Entry {
    std::size_t start;
    std::size_t length;
};

// The last entry of `value` that names `folder`.
std::optional<Entry> FindFolder(std::wstring_view value, std::wstring_view folder) {
    std::optional<Entry> found;
    for (std::size_t start = 0; start <= value.size();) {
        const std::size_t end = std::min(value.find(L';', start), value.size());
        if (SameFolder(value.substr(start, end - start), folder)) found = Entry{start, end - start};
        start = end + 1;
    }
    return found;
}

}  // namespace

std::optional<std::wstring> WithFolderAdded(std::wstring_view value, std::wstring_view folder) {
    if (FindFolder(value, folder)) return std::nullopt;
    std::wstring added(value);
    if (!added.empty()) added += L';';
    added += folder;
    return added;
}

std::optional<std::wstring> WithFolderRemoved(std::wstring_view value, std::wstring_view folder) {
    const std::optional<Entry> entry = FindFolder(value, folder);
    if (!entry) return std::nullopt;
    std::size_t start = entry->start;
    std::size_t length = entry->length;
    if (start > 0) {
        --start;  // the ';' before it
        ++length;
    } else if (length < value.size()) {
        ++length;  // the first entry: the ';' after it
    }
    std::wstring removed(value);
    removed.erase(start, length);
    return removed;
}

}  // namespace pathentry
