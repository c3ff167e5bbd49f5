#include "huedata/hue_file.h"

#include "tests/support/numbered_hues.h"
#include "tests/support/temp_dir.h"
#include "tools/hue_image.h"

#include <gtest/gtest.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <array>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using huedata::FileError;
using huedata::HuePosition;
using huedata::HueRecord;
using huedata::ReadHueFile;
using huedata::ReadHueRecord;

// Headers this loud would show up in any record that strayed into one.
constexpr std::uint32_t LoudHeader = 0xA5A5A5A5;

// The reasons the system gives, in its own words (Wine's differ from Windows').
#if defined(_WIN32)
const std::string NoSuchFile = std::system_category().message(ERROR_FILE_NOT_FOUND);
constexpr const char* IsAFolder = "It is a folder, not a file";
#else
constexpr const char* NoSuchFile = "No such file or directory";
constexpr const char* IsAFolder = "Is a directory";
#endif

class ReadHueRecordTest : public ::testing::Test {
protected:
    fs::path WriteHueFile(const std::string& name, const std::vector<HueRecord>& hues) {
        return WriteFile(name, huetools::HueFileImage(hues, LoudHeader));
    }
    fs::path WriteFile(const std::string& name, const std::vector<unsigned char>& bytes) {
        fs::path path = dir_ / name;
        huetools::WriteBytes(path, bytes);
        return path;
    }

    TempDir tempDir_;
    const fs::path& dir_ = tempDir_.path();
};

TEST_F(ReadHueRecordTest, ReadsEveryListedEntryAndNoBlockHeader) {
    const auto hues = NumberedHues(3000);
    const fs::path path = WriteHueFile("hues.mul", hues);
    for (int id = 0; id <= 2998; ++id) {
        ASSERT_EQ(ReadHueRecord(path, HuePosition(static_cast<huedata::HueId>(id))),
                  hues[static_cast<std::size_t>(id)])
            << "entry " << id;
    }
}

TEST_F(ReadHueRecordTest, DecodesLittleEndianFieldsAtTheirOffsets) {
    // Built by hand, not by our encoder, so that a shared misunderstanding cannot hide.
    std::vector<unsigned char> bytes(712 + 88, 0xA5);
    unsigned char* entry = bytes.data() + 712;
    entry[0] = 0x34, entry[1] = 0x12;    // colour 0
    entry[62] = 0xFF, entry[63] = 0xFF;  // colour 31
    entry[64] = 0x00, entry[65] = 0x80;  // table start
    entry[66] = 0xFF, entry[67] = 0x7F;  // table end
    for (int i = 0; i < 20; ++i) entry[68 + i] = static_cast<unsigned char>('A' + i);
    const HueRecord hue = ReadHueRecord(WriteFile("hand.mul", bytes), 713);
    EXPECT_EQ(hue.Colors[0], 0x1234);
    EXPECT_EQ(hue.Colors[1], static_cast<std::int16_t>(0xA5A5));
    EXPECT_EQ(hue.Colors[31], -1);
    EXPECT_EQ(hue.TableStart, -32768);
    EXPECT_EQ(hue.TableEnd, 0x7FFF);
    EXPECT_EQ(std::string(hue.Name.begin(), hue.Name.end()), "ABCDEFGHIJKLMNOPQRST");
}

// Runs `read` and expects a FileError naming the file as given and containing `reason`.
void ExpectFailure(const fs::path& path, const std::string& reason,
                   const std::function<void()>& read) {
    try {
        read();
        ADD_FAILURE() << "read of " << path << " succeeded";
    } catch (const FileError& error) {
        const std::string message = error.what();
        EXPECT_EQ(message.rfind(huedata::PathText(path) + ": ", 0), 0U) << message;
        EXPECT_NE(message.find(reason), std::string::npos) << message;
        EXPECT_EQ(error.path(), path);
        EXPECT_NE(message.find(error.reason()), std::string::npos) << message;
    }
}

// Both the entry read and the whole-file read refuse what they cannot read, alike.
void ExpectReadFails(const fs::path& path, std::int32_t position, const std::string& reason) {
    ExpectFailure(path, reason, [&] { ReadHueRecord(path, position); });
    if (position >= 1) ExpectFailure(path, reason, [&] { ReadHueFile(path); });
}

TEST_F(ReadHueRecordTest, AFileMustHoldTheWholeEntry) {
    auto image = huetools::HueFileImage(NumberedHues(9), LoudHeader);
    ASSERT_EQ(image.size(), 712U + 88U);
    EXPECT_EQ(ReadHueRecord(WriteFile("exact.mul", image), HuePosition(8)), NumberedHue(8));
    image.pop_back();
    const fs::path shortFile = WriteFile("short.mul", image);
    ExpectFailure(
        shortFile,
        "The file is 799 bytes long, too short for the hue entry at byte offsets 712 to 799",
        [&] { ReadHueRecord(shortFile, HuePosition(8)); });
    const fs::path empty = WriteFile("empty.mul", {});
    ExpectFailure(empty, "0 bytes long", [&] { ReadHueRecord(empty, HuePosition(0)); });
}

TEST_F(ReadHueRecordTest, MissingEmptyAndDirectoryPathsAreErrors) {
    ExpectReadFails(dir_ / "absent.mul", HuePosition(0), NoSuchFile);
    ExpectReadFails("", HuePosition(0), "No file name was given");
    ExpectReadFails(dir_, HuePosition(0), IsAFolder);
}

TEST_F(ReadHueRecordTest, ReadsAWholeFileUpToItsLastWholeEntry) {
    const auto hues = NumberedHues(3000);
    auto image = huetools::HueFileImage(hues, LoudHeader);
    EXPECT_EQ(ReadHueFile(WriteFile("hues.mul", image)), hues);
    // Stray bytes after the last whole entry, and a lone block header, are no hue.
    image.resize(image.size() + 87, 0x5A);
    EXPECT_EQ(ReadHueFile(WriteFile("stray.mul", image)), hues);
    const auto eight = huetools::HueFileImage(NumberedHues(8), LoudHeader);
    std::vector<unsigned char> withHeader(eight);
    withHeader.insert(withHeader.end(), {0xA5, 0xA5, 0xA5, 0xA5});
    EXPECT_EQ(ReadHueFile(WriteFile("header.mul", withHeader)), NumberedHues(8));
    EXPECT_TRUE(ReadHueFile(WriteFile("empty.mul", {})).empty());
}

// A file read in parts over and over, as a page is made, is read as it was opened: a file
// another program puts in its place meanwhile is not read, and one that shrinks is refused.
TEST_F(ReadHueRecordTest, EachReadingInPartsIsOfTheFileAsOpened) {
    const auto hues = NumberedHues(3000);
    const fs::path path = WriteHueFile("hues.mul", hues);
    const auto readWhole = [](huedata::HueFileParts& parts) {
        std::vector<HueRecord> read;
        parts.Read([&](const huedata::HuePart& part) {
            read.insert(read.end(), part.hues.begin(), part.hues.end());
        });
        return read;
    };
    huedata::HueFileParts parts(path);
    EXPECT_EQ(readWhole(parts), hues);
#if !defined(_WIN32)  // Windows puts no file in the place of one that is open
    fs::rename(WriteHueFile("new.mul", NumberedHues(9)), path);
    EXPECT_EQ(readWhole(parts), hues);
#endif
    WriteHueFile("hues.mul", NumberedHues(9));
    huedata::HueFileParts shrinking(path);
    fs::resize_file(path, 100);
    ExpectFailure(path, "The file shrank to 100 bytes while it was being read",
                  [&] { readWhole(shrinking); });
}

TEST(HueCountForSize, CountsWholeEntriesOnlyAndStopsAtTheLastIdentifier) {
    const std::pair<std::uint64_t, std::size_t> cases[] = {
        {0, 0},   {91, 0},  {92, 1},        {707, 7},         {708, 8},
        {712, 8}, {800, 9}, {265500, 3000}, {2899969, 32768}, {1ULL << 40, 32768}};
    for (const auto& [size, count] : cases) {
        EXPECT_EQ(huedata::HueCountForSize(size), count) << size;
    }
}

TEST_F(ReadHueRecordTest, PositionsBelowOneAreErrors) {
    const fs::path path = WriteHueFile("hues.mul", NumberedHues(8));
    for (const std::int32_t position :
         {0, HuePosition(-1), HuePosition(std::numeric_limits<huedata::HueId>::min())}) {
        ExpectReadFails(
            path, position,
            "Position " + std::to_string(position) + " lies before the start of the file");
    }
}

#if !defined(_WIN32)
TEST_F(ReadHueRecordTest, PipesAndDevicesFailAtOnceInsteadOfBlocking) {
    const fs::path pipe = dir_ / "pipe.mul";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    ExpectReadFails(pipe, HuePosition(0), "named pipe, not a regular file");
    ExpectReadFails("/dev/zero", HuePosition(0), "device, not a regular file");
}

TEST_F(ReadHueRecordTest, UnreadableFileIsAnError) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may read any file";
    const fs::path path = WriteHueFile("locked.mul", NumberedHues(8));
    fs::permissions(path, fs::perms::none);
    ExpectReadFails(path, HuePosition(0), "Permission denied");
}

std::size_t OpenDescriptorCount() {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator{}));
}

TEST_F(ReadHueRecordTest, LeavesNothingOpen) {
    if (!fs::exists("/proc/self/fd")) GTEST_SKIP() << "no /proc to count descriptors";
    const fs::path path = WriteHueFile("hues.mul", NumberedHues(16));
    const std::size_t open = OpenDescriptorCount();
    for (int i = 0; i < 50; ++i) {
        ReadHueRecord(path, HuePosition(15));
        EXPECT_THROW(ReadHueRecord(path, HuePosition(16)), FileError);
        EXPECT_THROW(ReadHueRecord(dir_, HuePosition(0)), FileError);
    }
    EXPECT_EQ(OpenDescriptorCount(), open);
}
#endif

}  // namespace
