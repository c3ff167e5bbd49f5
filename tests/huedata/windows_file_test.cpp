// How the reader meets Windows: wide file names, and a hue file that the application owning
// it keeps open while it runs.
#include "huedata/hue_file.h"

#include "tests/support/numbered_hues.h"
#include "tests/support/temp_dir.h"
#include "tools/hue_image.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>

namespace {

namespace fs = std::filesystem;
using huedata::HuePosition;

TEST(WindowsHueFile, NamesOutsideTheAnsiCodePageWorkEndToEnd) {
    const TempDir dir;
    const fs::path path = dir / L"h\u00FCe \u4E2D\u6587.mul";
    huetools::WriteBytes(path, huetools::HueFileImage(NumberedHues(16), 0xA5A5A5A5));
    const fs::path typed = huedata::PathFromUtf8(huedata::PathText(dir.path()) +
                                                 "\\h\xC3\xBC"
                                                 "e \xE4\xB8\xAD\xE6\x96\x87.mul");
    EXPECT_EQ(huedata::ReadHueRecord(typed, HuePosition(8)), NumberedHue(8));
    EXPECT_EQ(huedata::ReadHueFile(typed).size(), 16U);
    try {
        const std::wstring unpaired{L'\u4E2D', L'\u6587', L' ', wchar_t{0xD800}};
        huedata::ReadHueFile(dir / (unpaired + L".mul"));
        ADD_FAILURE() << "read of a missing file succeeded";
    } catch (const huedata::FileError& error) {
        EXPECT_NE(std::string(error.what()).find("\xE4\xB8\xAD\xE6\x96\x87 \xEF\xBF\xBD.mul"),
                  std::string::npos)
            << error.what();
    }
}

// Opens the file as a running game keeps its data files: for reading and writing, sharing
// reading and writing with others.
HANDLE OpenAsTheGameDoes(const fs::path& path) {
    return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST(WindowsHueFile, ReadingNeverGetsInTheWayOfTheProgramThatOwnsTheFile) {
    const TempDir dir;
    const fs::path path = dir / "hues.mul";
    huetools::WriteBytes(path, huetools::HueFileImage(NumberedHues(16), 0xA5A5A5A5));
    const HANDLE held = OpenAsTheGameDoes(path);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(huedata::ReadHueRecord(path, HuePosition(3)), NumberedHue(3));
    EXPECT_EQ(huedata::ReadHueFile(path).size(), 16U);
    CloseHandle(held);

    // While reads run back to back, the owner keeps opening the file and writing to it. A
    // read that shared less than reading and writing would make some of these opens fail.
    std::atomic<bool> reading = true;
    std::thread reader([&] {
        while (reading) huedata::ReadHueFile(path);
    });
    int refused = 0;
    for (int i = 0; i < 2000; ++i) {
        const HANDLE owner = OpenAsTheGameDoes(path);
        if (owner == INVALID_HANDLE_VALUE) {
            ++refused;
            continue;
        }
        DWORD written = 0;
        EXPECT_TRUE(WriteFile(owner, "\xA5\xA5\xA5\xA5", 4, &written, nullptr));
        CloseHandle(owner);
    }
    reading = false;
    reader.join();
    EXPECT_EQ(refused, 0);
}

}  // namespace
