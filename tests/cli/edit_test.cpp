// Making and changing hue files: text round trips to the byte, patches, edits in place that
// touch only their hue, and input that is refused before anything is written.
#include "cli/app.h"
#include "server/editor_service.h"

#include "huecolour/shifted_ramp.h"
#include "huedata/hue_edit.h"
#include "huedata/hue_file.h"
#include "huedata/hue_text.h"
#include "tests/support/temp_dir.h"
#include "tools/hue_image.h"
#include "tools/sample_hues.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;
using cli::Outcome;
using huedata::ReadFileBytes;

std::set<fs::path> FolderContents(const fs::path& folder) {
    std::set<fs::path> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
    return names;
}

// Every byte at random: block headers, names with bytes after their end and bytes no code
// page defines, colours with their top bit set.
Bytes RandomHueFile(std::mt19937& random, std::size_t count) {
    Bytes image(huedata::EndOfEntries(count));
    for (unsigned char& byte : image) byte = static_cast<unsigned char>(random());
    return image;
}

class EditTest : public ::testing::Test {
protected:
    Outcome Run(const std::vector<std::string>& arguments, const std::string& input = {}) {
        cli::Environment environment;
        environment.readStandardInput = [input] { return input; };
        return cli::RunHues(arguments, environment);
    }
    fs::path Write(const std::string& name, const Bytes& bytes) {
        huetools::WriteBytes(dir_ / name, bytes);
        return dir_ / name;
    }
    // Applies the source (options too) to `file`, whose bytes are `image`: a dry run and then
    // apply find nothing to change, and the bytes stay. Returns what apply said.
    std::string AppliesWithNoChange(const fs::path& file, const Bytes& image,
                                    std::vector<std::string> source,
                                    const std::string& input = {}) {
        source.insert(source.begin(), {"-f", file.string(), "apply"});
        std::vector<std::string> dryRun = source;
        dryRun.emplace_back("--dry-run");
        const Outcome dry = Run(dryRun, input);
        EXPECT_EQ(dry.status, 0) << dry.out << dry.err;
        EXPECT_EQ(dry.out, "");
        const Outcome applied = Run(source, input);
        EXPECT_NE(applied.err.find("already holds these hues"), std::string::npos) << applied.err;
        EXPECT_EQ(ReadFileBytes(file), image);
        return applied.err;
    }
    // `list --format json` of a file, built again from standard input.
    Bytes RoundTrip(const fs::path& file) {
        const Outcome json = Run({"-f", file.string(), "list", "--format", "json"});
        const fs::path built = dir_ / "built.mul";
        EXPECT_EQ(Run({"build", "-", "-o", built.string()}, json.out).status, 0);
        return ReadFileBytes(built);
    }

    TempDir dir_;
};

TEST_F(EditTest, TextRoundTripsAndPatchesRebuildEveryFileToTheByte) {
    std::mt19937 random(20261207);
    std::vector<Bytes> files = {
        huetools::HueFileImage(huetools::SampleHues(), huetools::SampleBlockHeader),
        RandomHueFile(random, 1), RandomHueFile(random, 77), RandomHueFile(random, 3000),
        RandomHueFile(random, huedata::MaxHueCount)};
    for (std::size_t f = 0; f < files.size(); ++f) {
        SCOPED_TRACE("file " + std::to_string(f));
        const fs::path a = Write("a.mul", files[f]);
        EXPECT_EQ(RoundTrip(a), files[f]);

        // Another file: some hues changed field by field, a header, and hues added.
        Bytes changed = files[f];
        const std::size_t count = huedata::HueCountForSize(changed.size());
        std::vector<huedata::HueChange> changes = {
            {.id = 0, .name = huetools::NameBytes("Changed"), .blockHeader = 7U},
            {.id = static_cast<int>(count - 1), .tableEnd = std::int16_t{-5}}};
        if (count < huedata::MaxHueCount) changes.push_back({.id = static_cast<int>(count + 9)});
        huedata::ApplyHueChanges(changed, changes);
        const fs::path b = Write("b.mul", changed);

        const Outcome patch = Run({"diff", a.string(), b.string(), "--format", "json"});
        EXPECT_EQ(patch.status, 1);
        const fs::path rebuilt = dir_ / "rebuilt.mul";
        EXPECT_EQ(
            Run({"build", "--base", a.string(), "-", "-o", rebuilt.string()}, patch.out).status, 0);
        EXPECT_EQ(ReadFileBytes(rebuilt), changed);
        EXPECT_EQ(Run({"diff", b.string(), rebuilt.string()}).status, 0);
    }
}

TEST_F(EditTest, AListingAppliedToItsOwnFileChangesNothing) {
    // Random bytes: colours with their top bit set, names with bytes after their end, with
    // bytes Windows-1252 leaves undefined, with apostrophes, quotes and line breaks.
    std::mt19937 random(20261208);
    for (const std::size_t count : {std::size_t{1}, std::size_t{77}, std::size_t{600}}) {
        const Bytes image = RandomHueFile(random, count);
        const fs::path file = Write("hues.mul", image);
        const auto utf16 = [](const std::string& text, bool bigEndian) {
            std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
            for (const char16_t unit : huedata::Utf16Text(text)) {
                const char high = static_cast<char>(unit >> 8U), low = static_cast<char>(unit);
                bytes += bigEndian ? std::string{high, low} : std::string{low, high};
            }
            return bytes;
        };
        const std::string json = Run({"-f", file.string(), "list", "--format", "json"}).out;
        const std::string csv = Run({"-f", file.string(), "list", "--format", "csv"}).out;
        const std::string spreadsheet = Run({"-f", file.string(), "export", "csv"}).out;
        const std::string unmarked = spreadsheet.substr(3);
        const struct {
            std::string what, text;
            std::vector<std::string> options;
        } listings[] = {
            {"list --format json", json, {}},
            {"list --format csv", csv, {}},
            {"export csv", spreadsheet, {}},
            {"export csv in UTF-16 LE", utf16(unmarked, false), {}},
            {"export csv in UTF-16 BE", utf16(unmarked, true), {}},
            {"list --format json in UTF-16 LE", utf16(json, false), {}},
            {"export csv in Windows-1252",
             huedata::Windows1252FromUtf8(unmarked),
             {"--encoding", "windows-1252"}},
        };
        for (const auto& [what, text, options] : listings) {
            SCOPED_TRACE(what + " of " + std::to_string(count) + " hues");
            std::vector<std::string> source = {"-"};
            source.insert(source.end(), options.begin(), options.end());
            AppliesWithNoChange(file, image, source, text);
        }
    }
}

// Files as LibreOffice Calc and Windows PowerShell save a listing (tests/cli/fixtures).
TEST_F(EditTest, ListingsSavedByOtherProgramsApplyToTheHuesTheyList) {
    const fs::path fixtures = HUES_FIXTURES;
    const fs::path file = dir_ / "hues.mul";
    ASSERT_EQ(Run({"build", (fixtures / "hues.json").string(), "-o", file.string()}).status, 0);
    const Bytes image = ReadFileBytes(file);
    for (const std::string name : {"lo-comma.csv", "lo-semicolon.csv", "lo-via-xlsx.csv",
                                   "powershell.json", "lo-unasked.csv"}) {
        const std::string said = AppliesWithNoChange(file, image, {(fixtures / name).string()});
        // Warned of only where a spreadsheet read the file in the wrong encoding.
        const std::string warning = name == "lo-unasked.csv" ? " was read as Windows-1252" : "";
        EXPECT_EQ(said.find("warning") != std::string::npos, !warning.empty()) << said;
        EXPECT_NE(said.find(warning), std::string::npos) << said;
    }
    // Saved in Windows-1252, which has no character for the byte 0x81: LibreOffice wrote "?",
    // and apply says so.
    const Outcome ansi =
        Run({"-f", file.string(), "apply", (fixtures / "lo-ansi.csv").string(), "--no-backup"});
    EXPECT_EQ(ansi.err, "hues: warning: " + (fixtures / "lo-ansi.csv").string() +
                            " is not UTF-8; read as Windows-1252 (--encoding says which)\n"
                            "hues: hue 14 renamed: \"No\xEF\xBF\xBD\" \xE2\x86\x92 \"No?\"\n"
                            "hues: 1 hue changed in " +
                            file.string() + "\n");
    Bytes renamed = image;
    huedata::ApplyHueChanges(
        renamed, std::vector<huedata::HueChange>{{.id = 14, .name = huetools::NameBytes("No?")}});
    EXPECT_EQ(ReadFileBytes(file), renamed);
}

TEST_F(EditTest, ExportCsvGuardsWhatASpreadsheetWouldChange) {
    // A formula, a number, a date, a percentage, a truth value, an apostrophe: guarded.
    std::vector<std::pair<std::string, std::string>> names;
    for (const char* name : {"=1+1", "+1", "-1", "@A1", "0012", "3e5", "1-2", "TRUE", "false",
                             "50%", "Jan 5", "'quote"}) {
        names.emplace_back(name, std::string("'") + name);
    }
    names.insert(names.end(), {{"Plain", "Plain"},
                               {"Cr\u00E8me br\u00FBl\u00E9e", "Cr\u00E8me br\u00FBl\u00E9e"},
                               {"a, \"b\"", R"("a, ""b""")"}});
    std::string json = "[";
    for (std::size_t i = 0; i < names.size(); ++i) {
        json += (i == 0 ? "" : ",") + nlohmann::json{{"id", i}, {"name", names[i].first}}.dump();
    }
    const fs::path file = dir_ / "hues.mul";
    ASSERT_EQ(Run({"build", "-", "-o", file.string()}, json + "]").status, 0);
    const std::string csv = Run({"-f", file.string(), "export", "csv"}).out;
    ASSERT_TRUE(csv.starts_with("\xEF\xBB\xBFid,name,table_start,table_end,color0,"));
    std::size_t at = csv.find("\r\n");
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string row = std::to_string(i) + "," + names[i].second + ",0,0,#000000,";
        EXPECT_EQ(csv.substr(at + 2, row.size()), row);
        at = csv.find("\r\n", at + 2);
    }
    EXPECT_EQ(at + 2, csv.size());
    // The scripts' listing stays as it was: no mark, no guard.
    const std::string listed = Run({"-f", file.string(), "list", "--format", "csv"}).out;
    EXPECT_TRUE(listed.starts_with("id,name,"));
    EXPECT_NE(listed.find("\r\n0,=1+1,0,0,#000000,"), std::string::npos);
}

TEST_F(EditTest, ADryRunWritesNothingAndShowsWhatApplyDoes) {
    std::mt19937 random(11);
    const Bytes image = RandomHueFile(random, 40);
    const fs::path file = Write("hues.mul", image);
    const auto modified = fs::last_write_time(file);
    std::string renames = "[";
    for (int id = 0; id < 23; ++id) {
        renames += (id == 0 ? "" : ",") + std::string(R"({"id":)") + std::to_string(id) +
                   R"(,"name":"Renamed )" + std::to_string(id) + R"("})";
    }
    renames += R"(,{"id":30,"table_start":-1}])";
    const Outcome dry = Run({"-f", file.string(), "apply", "-", "--dry-run"}, renames);
    EXPECT_EQ(dry.status, 1);
    EXPECT_EQ(ReadFileBytes(file), image);
    EXPECT_EQ(fs::last_write_time(file), modified);
    EXPECT_EQ(FolderContents(dir_.path()), std::set<fs::path>{"hues.mul"});

    const fs::path copy = Write("copy.mul", image);
    const Outcome applied = Run({"-f", copy.string(), "apply", "-", "--no-backup"}, renames);
    EXPECT_EQ(Run({"diff", file.string(), copy.string()}).out, dry.out);
    // Each rename named, up to 20.
    EXPECT_NE(applied.err.find("hues: hue 19 renamed: "), std::string::npos) << applied.err;
    EXPECT_EQ(applied.err.find("hues: hue 20 renamed"), std::string::npos) << applied.err;
    EXPECT_NE(applied.err.find("hues: and 3 more hues renamed\nhues: 24 hues changed"),
              std::string::npos)
        << applied.err;

    const fs::path built = dir_ / "built.mul";
    const Outcome build =
        Run({"build", "--base", file.string(), "-", "-o", built.string(), "--dry-run"}, renames);
    EXPECT_EQ(build.status, 1);
    EXPECT_FALSE(fs::exists(built));
}

TEST_F(EditTest, SetChangesExactlyTheBytesOfItsHueAndKeepsTheOldFile) {
    std::mt19937 random(7);
    const Bytes old = RandomHueFile(random, 100);
    const fs::path file = Write("hues.mul", old);
    const Outcome set = Run({"-f", file.string(), "set", "42", "--name", "Crème", "--table", "-1",
                             "300", "--gradient", "#FF0000,#0000FF"});
    EXPECT_EQ(set.status, 0);
    EXPECT_EQ(set.err, "hues: hue 42 changed; previous file kept as " + file.string() + ".bak\n");
    const Bytes now = ReadFileBytes(file);
    const auto start = huedata::HueOffset(42);
    for (std::size_t i = 0; i < now.size(); ++i) {
        if (i < start || i >= start + huedata::HueRecordSize) {
            ASSERT_EQ(now[i], old[i]) << i;
        }
    }
    const huedata::HueRecord hue = huedata::HueAt(now, 42);
    EXPECT_EQ(hue.Name, huetools::NameBytes("Cr\xE8me"));
    EXPECT_EQ(hue.TableStart, -1);
    EXPECT_EQ(hue.TableEnd, 300);
    // A gradient's stops are its ends, exactly; with 32 stops every colour is one.
    EXPECT_EQ(hue.Colors[0], 0x7C00);
    EXPECT_EQ(hue.Colors[31], 0x001F);
    EXPECT_EQ(ReadFileBytes(file.string() + ".bak"), old);

    // A copy, then the same again: nothing to change, so the file and its backup stay.
    ASSERT_EQ(Run({"-f", file.string(), "set", "43", "--copy-of", "42", "--no-backup"}).status, 0);
    EXPECT_EQ(huedata::HueAt(ReadFileBytes(file), 43), hue);
    const Outcome again = Run({"-f", file.string(), "set", "43", "--copy-of", "42"});
    EXPECT_NE(again.err.find("nothing changed"), std::string::npos) << again.err;
    EXPECT_EQ(ReadFileBytes(file.string() + ".bak"), old);
    EXPECT_EQ(FolderContents(dir_.path()), (std::set<fs::path>{"hues.mul", "hues.mul.bak"}));

    // A hue past the end: the file grows by whole entries, and what it held stays.
    const Bytes before = ReadFileBytes(file);
    ASSERT_EQ(Run({"-f", file.string(), "set", "101", "--table", "1", "2"}).status, 0);
    const Bytes grown = ReadFileBytes(file);
    ASSERT_EQ(grown.size(), huedata::EndOfEntries(102));
    EXPECT_TRUE(std::equal(before.begin(), before.end(), grown.begin()));
    EXPECT_EQ(huedata::HueAt(grown, 101).TableEnd, 2);
}

// --ramp makes the colours alone, as the core's ramp gives them; every hostile argument is
// refused in one line, the file untouched.
TEST_F(EditTest, SetRampChangesTheColoursAloneAndRefusesWhatIsNoRamp) {
    std::mt19937 random(62);
    const Bytes old = RandomHueFile(random, 50);
    const fs::path file = Write("hues.mul", old);
    const std::string f = file.string();
    const struct {
        std::vector<std::string> words;
        std::string says;
    } refusals[] = {
        {{"--ramp", "#12345"}, "--ramp: "},
        {{"--ramp", "#123456,#654321"}, "--ramp: gives 2 colours; give one"},
        {{"--ramp", "#123456", "--shift", "91"}, "--shift: \"91\" is not a number of degrees"},
        {{"--ramp", "#123456", "--shift", "-1"}, "--shift: \"-1\" is not"},
        {{"--ramp", "#123456", "--shift", "ten"}, "--shift: \"ten\" is not"},
        {{"--ramp", "#123456", "--range", "0.5"}, "--range: \"0.5\" is not two lightnesses"},
        {{"--ramp", "#123456", "--range", "0.6,0.4"}, "--range: \"0.6,0.4\" is not"},
        {{"--ramp", "#123456", "--range", "0.5,0.5"}, "--range: \"0.5,0.5\" is not"},
        {{"--ramp", "#123456", "--range", "0,1.5"}, "--range: \"0,1.5\" is not"},
        {{"--ramp", "#123456", "--range", "0.1,0.9,1"}, "--range: \"0.1,0.9,1\" is not"},
        {{"--ramp", "#123456", "--gradient", "#000000,#FFFFFF"}, "--gradient excludes --ramp"},
        {{"--ramp", "#123456", "--from", "x.gpl"}, "--from excludes --ramp"},
        {{"--ramp", "#123456", "--from-picture", "x.png"}, "--from-picture excludes --ramp"},
        {{"--shift", "10"}, "--shift requires --ramp"},
    };
    for (const auto& refusal : refusals) {
        std::vector<std::string> command{"-f", f, "set", "7"};
        command.insert(command.end(), refusal.words.begin(), refusal.words.end());
        const Outcome outcome = Run(command);
        EXPECT_EQ(outcome.status, 2) << refusal.says;
        EXPECT_NE(outcome.err.find(refusal.says), std::string::npos) << outcome.err;
        EXPECT_EQ(outcome.err.find('\n'), outcome.err.size() - 1) << outcome.err;
    }
    EXPECT_EQ(ReadFileBytes(file), old);

    ASSERT_EQ(Run({"-f", f, "set", "7", "--ramp", "#3366CC", "--shift", "35", "--range", "0.05,0.9",
                   "--no-backup"})
                  .status,
              0);
    const huedata::HueRecord before = huedata::HueAt(old, 7),
                             after = huedata::HueAt(ReadFileBytes(file), 7);
    std::array<huedata::Color15, 32> expected{};
    std::ranges::transform(huecolour::ShiftedRamp({0x33, 0x66, 0xCC}, {35, 0.05, 0.9}),
                           expected.begin(), huedata::NearestColor15);
    EXPECT_EQ(after.Colors, expected);
    EXPECT_EQ(after.Name, before.Name);
    EXPECT_EQ(std::pair(after.TableStart, after.TableEnd),
              std::pair(before.TableStart, before.TableEnd));
}

TEST_F(EditTest, EditedColorsWinOverStoredOnesAndInexactOnesAreReported) {
    const fs::path file = Write("hues.mul", Bytes(huedata::EndOfEntries(8)));
    std::string colors, stored;
    for (int i = 0; i < 32; ++i) {
        colors += std::string(i == 0 ? "" : ",") + (i == 0  ? "\"#FF0000\""
                                                    : i < 3 ? "\"#123456\""
                                                            : "\"#000000\"");
        stored +=
            std::string(i == 0 ? "" : ",") + (i == 0 ? "64512" : "0");  // 0xFC00: red, top bit set
    }
    const std::string source = R"({"id":1,"colors":[)" + colors + R"(],"stored":[)" + stored + "]}";
    const Outcome apply = Run({"-f", file.string(), "apply", "-", "--no-backup"}, source);
    EXPECT_EQ(apply.status, 0);
    EXPECT_EQ(apply.err.find("hues: warning: 2 colours were taken to the nearest"), 0U)
        << apply.err;
    const huedata::HueRecord hue = huedata::HueAt(ReadFileBytes(file), 1);
    EXPECT_EQ(static_cast<std::uint16_t>(hue.Colors[0]), 0xFC00);  // agrees: the stored value stays
    EXPECT_EQ(huedata::ConvertColor(hue.Colors[1]), (huedata::Rgb24{0x10, 0x31, 0x52}));

    const Outcome strict = Run({"-f", file.string(), "apply", "-", "--strict"}, source);
    EXPECT_EQ(strict.status, 2);
    EXPECT_NE(strict.err.find("standard input:1:1: hue 1: colors/1: #123456 is not a colour"),
              std::string::npos)
        << strict.err;
}

// What the reader refuses (tests/hueformats) is refused by both commands before anything is
// written: a fault of the text, and one of its bytes.
TEST_F(EditTest, BadSourcesAreRefusedBeforeAnythingIsWritten) {
    const fs::path file = Write("hues.mul", Bytes(huedata::EndOfEntries(8)));
    const auto before = FolderContents(dir_.path());
    for (const std::string& source :
         {std::string("[{\"id\":1},\n {\"id\":1}]"), std::string("\xFF\xFE{")}) {
        for (const auto& command :
             {std::vector<std::string>{"build", "-", "-o", (dir_ / "out.mul").string()},
              std::vector<std::string>{"-f", file.string(), "apply", "-"}}) {
            const Outcome outcome = Run(command, source);
            EXPECT_EQ(outcome.status, 2) << source;
            EXPECT_TRUE(outcome.err.starts_with("hues: standard input")) << outcome.err;
            EXPECT_EQ(outcome.err.find('\n'), outcome.err.size() - 1) << outcome.err;
        }
    }
    EXPECT_EQ(FolderContents(dir_.path()), before);
    EXPECT_EQ(ReadFileBytes(file), Bytes(huedata::EndOfEntries(8)));
}

#if defined(_WIN32)
TEST_F(EditTest, AFileHeldOpenByAnotherProgramIsLeftAlone) {
    const Bytes old(huedata::EndOfEntries(16));
    const fs::path file = Write("hues.mul", old);
    // Held as the application that owns a hue file holds it while it runs: others may read it,
    // but neither write nor delete it.
    const HANDLE held = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const Outcome set = Run({"-f", file.string(), "set", "1", "--name", "x"});
    // A save from the editor's page is refused with the same words.
    server::EditorService editor(file, true, "secret", 8000);
    const auto request = [&](std::string method, std::string target, std::string body) {
        return editor.Handle({std::move(method), std::move(target), "127.0.0.1:8000",
                              "http://127.0.0.1:8000", "application/json", std::move(body)});
    };
    const std::string page = request("GET", "/?key=secret", "").body;
    const auto at = page.find("\"stamp\": \"") + 10;
    const server::EditorResponse save = request(
        "POST", "/save?key=secret&stamp=" + page.substr(at, 16), R"([{"id":1,"name":"x"}])");
    CloseHandle(held);
    EXPECT_EQ(set.status, 2);
    EXPECT_NE(set.err.find("is in use by another program; close it and try again"),
              std::string::npos)
        << set.err;
    EXPECT_EQ(save.status, 409u);
    EXPECT_NE(save.body.find("is in use by another program; close it and try again"),
              std::string::npos)
        << save.body;
    EXPECT_EQ(ReadFileBytes(file), old);
    EXPECT_EQ(FolderContents(dir_.path()), std::set<fs::path>{"hues.mul"});
}
#else
TEST_F(EditTest, AnEditKeepsPermissionsAndWritesThroughALink) {
    const Bytes old(huedata::EndOfEntries(16));
    const fs::path real = Write("real.mul", old);
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(real, dir_ / "link.mul");
    ASSERT_EQ(Run({"-f", (dir_ / "link.mul").string(), "set", "3", "--name", "x"}).status, 0);
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.mul"));
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(huedata::HueAt(ReadFileBytes(real), 3).Name, huetools::NameBytes("x"));
    EXPECT_EQ(ReadFileBytes(dir_ / "real.mul.bak"), old);
}

TEST_F(EditTest, AReadOnlyFileIsLeftAlone) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may write any file";
    const fs::path file = Write("hues.mul", Bytes(huedata::EndOfEntries(8)));
    fs::permissions(file, fs::perms::owner_read);
    const Outcome set = Run({"-f", file.string(), "set", "1", "--name", "x"});
    EXPECT_EQ(set.status, 2);
    EXPECT_NE(set.err.find("Permission denied"), std::string::npos) << set.err;
    EXPECT_EQ(ReadFileBytes(file), Bytes(huedata::EndOfEntries(8)));
}
#endif

}  // namespace
