#include "path_entry.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using pathentry::WithFolderAdded;
using pathentry::WithFolderRemoved;

TEST(PathEntry, AddsOnceAndRemovesBackToTheByte) {
    const std::wstring folder = L"C:\\Users\\me\\AppData\\Local\\Programs\\Hue Viewer";
    const std::wstring values[] = {
        L"",
        L"C:\\Windows",
        L"C:\\Windows;",          // a trailing separator stays
        L";;%USERPROFILE%\\bin",  // empty entries and variables stay as written
        std::wstring(4000, L'x'),
    };
    for (const std::wstring& value : values) {
        const std::optional<std::wstring> added = WithFolderAdded(value, folder);
        ASSERT_TRUE(added.has_value());
        EXPECT_EQ(added->substr(0, value.size()), value);
        EXPECT_FALSE(WithFolderAdded(*added, folder).has_value()) << "added twice";
        EXPECT_EQ(WithFolderRemoved(*added, folder), value);
    }
}

TEST(PathEntry, FindsTheFolderWrittenOtherwiseAndLeavesOthersAlone) {
    const std::wstring folder = L"C:\\Programs\\Hue Viewer";
    // Already there in another case or with a trailing backslash: nothing to add.
    EXPECT_FALSE(WithFolderAdded(L"C:\\Windows;c:\\programs\\hue viewer\\", folder));
    // Removing takes only that entry, wherever it stands, and its one separator.
    EXPECT_EQ(WithFolderRemoved(L"C:\\Programs\\Hue Viewer;C:\\Windows", folder), L"C:\\Windows");
    EXPECT_EQ(WithFolderRemoved(L"C:\\A;C:\\Programs\\Hue Viewer;C:\\B", folder), L"C:\\A;C:\\B");
    // A folder whose name only begins the same is another folder.
    EXPECT_FALSE(WithFolderRemoved(L"C:\\Programs\\Hue Viewer 2;C:\\B", folder));
    EXPECT_FALSE(WithFolderRemoved(L"", folder));
}

}  // namespace
