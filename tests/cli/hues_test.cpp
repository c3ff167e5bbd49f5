#include "cli/app.h"
#include "cli/arguments.h"

#include "huecolour/colour_search.h"
#include "huecolour/colour_vision.h"
#include "huedata/hue_edit.h"

#include "huecolour/oklab.h"
#include "huecolour/shifted_ramp.h"
#include "huedata/hue_file.h"
#include "huedata/hue_text.h"
#include "tests/support/numbered_hues.h"
#include "tests/support/temp_dir.h"
#include "tools/hue_image.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;
using cli::Outcome;
using nlohmann::json;

std::string FileText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::size_t LineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// 3,000 numbered hues, of which a few carry the names and values the cases below need.
class HuesTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto hues = NumberedHues(3000);
        hues[8].Name = huetools::NameBytes("Cr\xE8me");
        hues[8].TableStart = -1;
        hues[8].TableEnd = 0x1234;
        hues[8].Colors = {};
        hues[8].Colors[0] = 0x7C00;  // #FF0000
        hues[8].Colors[5] = 0x7C00;
        hues[9].Name = huetools::NameBytes("Red, \"Hot\"");
        hues[10].Name = huetools::NameBytes("<b onclick=x()>");
        hues[11].Name = huetools::NameBytes("\x8A\x8C\x9F \xC9t\xE9");  // ŠŒŸ Été
        hues[12].Name = huetools::NameBytes("Bell\x07\x1B[2J");
        huetools::WriteBytes(file_, huetools::HueFileImage(hues, 0xDEADBEEF));
    }

    Outcome Run(std::vector<std::string> arguments, const cli::Environment& environment = {}) {
        arguments.insert(arguments.begin(), {"-f", file_.string()});
        return cli::RunHues(arguments, environment);
    }
    // A failure: status 2, nothing printed, one "hues: " line that contains `reason`.
    void ExpectFailure(const Outcome& outcome, const std::string& reason) {
        EXPECT_EQ(outcome.status, 2);
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err.rfind("hues: ", 0), 0U) << outcome.err;
        EXPECT_EQ(LineCount(outcome.err), 1U) << outcome.err;
        EXPECT_NE(outcome.err.find(reason), std::string::npos) << outcome.err;
    }

    TempDir dir_;
    fs::path file_ = dir_ / "hues.mul";
};

TEST_F(HuesTest, ShowGivesTheHueInEveryFormat) {
    const Outcome text = Run({"show", "8"});
    EXPECT_EQ(text.status, 0);
    for (const char* line :
         {"Hue 8\n", "Hues Name : Cr\xC3\xA8me\n", "Table Start (in hex) : FFFF\n",
          "Table End (in hex) : 1234\n", "\n 0  0x7C00  #FF0000\n", "\n 1  0x0000  #000000\n",
          "\n31  0x0000  #000000\n"}) {
        EXPECT_NE(text.out.find(line), std::string::npos) << line;
    }

    const json hue = json::parse(Run({"show", "8", "--format", "json"}).out).at(0);
    EXPECT_EQ(json({hue.at("id"), hue.at("name"), hue.at("table_start"), hue.at("table_end"),
                    hue.at("colors").at(5)}),
              json::parse(R"([8, "Cr\u00E8me", -1, 4660, "#FF0000"])"));
    EXPECT_EQ(hue.at("colors").size(), 32U);

    const std::string csv = Run({"show", "9", "8", "--format", "csv"}).out;
    EXPECT_EQ(csv.rfind("id,name,table_start,table_end,color0,color1,", 0), 0U);
    EXPECT_NE(csv.find(",color31\r\n9,\"Red, \"\"Hot\"\"\",9,-10,"), std::string::npos) << csv;
    EXPECT_NE(csv.find("\r\n8,Cr\xC3\xA8me,-1,4660,#FF0000,#000000,"), std::string::npos);
}

TEST_F(HuesTest, IdentifiersAndRangesKeepTheirOrder) {
    const json hues = json::parse(Run({"show", "7", "2-4", "2999", "--format", "json"}).out);
    std::vector<int> ids;
    for (const json& hue : hues) ids.push_back(hue.at("id"));
    EXPECT_EQ(ids, (std::vector<int>{7, 2, 3, 4, 2999}));

    for (const char* bad : {"x", "-1", "32768", "1-", "1-2-3", "+5", " 5", ""}) {
        ExpectFailure(Run({"show", bad}), "is not a hue identifier");
    }
    ExpectFailure(Run({"show", "4-2"}), "runs backwards");
    ExpectFailure(Run({"show", "3000"}),
                  "hue 3000 is past the end of the file, which holds hues 0 to 2999");

    // A few hues are read an entry at a time, many with the whole file: the same hues, block
    // headers and all.
    const json alone = json::parse(Run({"show", "2990-2999", "0-200", "--format", "json"}).out);
    const json whole = json::parse(Run({"show", "0-2999", "--format", "json"}).out);
    ASSERT_EQ(alone.size(), 211U);
    EXPECT_EQ(alone.at(0), whole.at(2990));
    EXPECT_EQ(alone.at(10).at("block_header"), 0xDEADBEEFU);
    for (std::size_t i = 10; i < alone.size(); ++i) EXPECT_EQ(alone.at(i), whole.at(i - 10));
    ExpectFailure(Run({"show", "1", "3000"}), "past the end");
}

TEST_F(HuesTest, FindIgnoresCaseForWindows1252Letters) {
    for (const auto& [text, expected] : std::vector<std::pair<const char*, std::vector<int>>>{
             {"CR\xC3\x88ME", {8}},               // CRÈME
             {"\xC5\xA1\xC5\x93\xC3\xBF", {11}},  // šœÿ
             {"\xC3\x89T\xC3\x89", {11}},         // ÉTÉ
             {"hue 299", {299, 2990, 2991, 2992, 2993, 2994, 2995, 2996, 2997, 2998, 2999}}}) {
        const Outcome found = Run({"find", text, "--format", "json"});
        EXPECT_EQ(found.status, 0) << text;
        std::vector<int> ids;
        for (const json& hue : json::parse(found.out)) ids.push_back(hue.at("id"));
        EXPECT_EQ(ids, expected) << text;
    }
    const Outcome none = Run({"find", "no such hue"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(Run({"find", "no such hue", "--format", "json"}).out, "[]\n");
}

// Its ranking is held to a measure of every colour below; its JSON's words, in hues_program.
TEST_F(HuesTest, NearestGivesTenAndRefusesWhatIsNotAColour) {
    EXPECT_EQ(LineCount(Run({"nearest", "#123456"}).out), 10U);
    for (const char* bad : {"#12345", "12345G", "#1234567", "red", "##123456", "+12345", "-12345",
                            " 12345", "0x1234"}) {
        ExpectFailure(Run({"nearest", bad}), "is not a colour");
    }
    ExpectFailure(Run({"nearest", "#123456", "-n", "0"}), "-n");
}

// Ramps at random places, each followed by up to three copies with colours 0, 11 and 22 moved
// by up to `step` in each channel. nearest and similar measure exactly only the colours and hues
// that may count; they must agree with measuring every colour of every hue as seen with each
// vision: nearest ranks by distance, ties by identifier, and similar finds the pairs within the
// distance given, whatever the order of the hues asked for.
TEST_F(HuesTest, NearestAndSimilarAgreeWithMeasuringEveryColour) {
    std::mt19937 random(7);
    const std::tuple<int, const char*, const char*> cases[] = {{0, "0", "normal"},
                                                               {1, "0.03", "normal"},
                                                               {1, "0.02", "deuteranomaly"},
                                                               {2, "0.05", "protanomaly:60"},
                                                               {3, "0.08", "tritanomaly:35"}};
    for (const auto& [step, within, vision] : cases) {
        SCOPED_TRACE(testing::Message() << step << ' ' << vision);
        std::uniform_int_distribution<int> ramp(0, 1023), move(-step, step), copies(0, 3);
        std::vector<huedata::HueRecord> hues;
        while (hues.size() < 400) {
            // A ramp's colours close together: 32 stored values in a row.
            hues.push_back(NumberedHue(ramp(random)));
            for (int copy = copies(random); copy > 0; --copy) {
                huedata::HueRecord near = hues.back();
                // A channel moved past either end carries into the next: only another colour.
                for (const std::size_t k : {0U, 11U, 22U}) {
                    near.Colors[k] = static_cast<huedata::Color15>(std::clamp(
                        near.Colors[k] + move(random) + move(random) * 32 + move(random) * 1024, 0,
                        0x7FFF));
                }
                hues.push_back(near);
            }
        }
        hues.resize(400);
        huetools::WriteBytes(file_, huetools::HueFileImage(hues, 0));
        const auto lab = [seenWith = cli::ParseVision(vision)](huedata::Rgb24 c) {
            return huecolour::OkLabFromSrgb(huecolour::SeenColor(c, seenWith));
        };
        std::vector<std::array<huecolour::OkLab, 32>> labs(hues.size());
        for (std::size_t i = 0; i < hues.size(); ++i) {
            for (std::size_t k = 0; k < 32; ++k)
                labs[i][k] = lab(huedata::ConvertColor(hues[i].Colors[k]));
        }
        for (const char* target : {"#FF8800", "#123456"}) {
            const huecolour::OkLab wanted = lab(huedata::ParseColor(target));
            const json all = json::parse(
                Run({"nearest", target, "-n", "400", "--vision", vision, "--format", "json"}).out);
            ASSERT_EQ(all.size(), hues.size());
            for (std::size_t rank = 0; rank < all.size(); ++rank) {
                const auto& seen = labs[all[rank].at("id").get<std::size_t>()];
                // The distance, and the first colour at it.
                std::pair<double, std::size_t> best{9.0, 0};
                for (std::size_t k = 0; k < 32; ++k)
                    best = std::min(best, {huecolour::DeltaEOK(seen[k], wanted), k});
                ASSERT_EQ(all[rank].at("distance"), best.first) << target << ' ' << rank;
                ASSERT_EQ(all[rank].at("index"), best.second) << target << ' ' << rank;
                if (rank == 0) continue;
                ASSERT_LT(std::tuple(all[rank - 1].at("distance"), all[rank - 1].at("id")),
                          std::tuple(all[rank].at("distance"), all[rank].at("id")));
            }
            // Asked for a few, it measures exactly only the hues that may be among them.
            const json few = json::parse(
                Run({"nearest", target, "-n", "7", "--vision", vision, "--format", "json"}).out);
            EXPECT_EQ(few, json(std::vector<json>(all.begin(), all.begin() + 7)));
        }
        json pairs = json::array();
        for (std::size_t a = 0; a < hues.size(); ++a) {
            for (std::size_t b = a + 1; b < hues.size(); ++b) {
                double largest = 0.0;
                for (std::size_t k = 0; k < 32; ++k)
                    largest = std::max(largest, huecolour::DeltaEOK(labs[a][k], labs[b][k]));
                if (largest <= std::stod(within))
                    pairs.push_back({{"a", a}, {"b", b}, {"largest", largest}});
            }
        }
        const Outcome found = Run({"similar", "200-399", "0-199", "--within", within, "--vision",
                                   vision, "--format", "json"});
        EXPECT_EQ(found.status, 1);
        EXPECT_EQ(json::parse(found.out), pairs);
        EXPECT_GT(pairs.size(), 20U);
        // A hue alone has no pair: nothing to clean up, and the status says so.
        EXPECT_EQ(Run({"similar", "5", "--within", within, "--vision", vision}).status, 0);
    }
    for (const char* bad : {"deuteranopia", "protanomaly:101", "protanomaly:", "normal:x", ""}) {
        ExpectFailure(Run({"nearest", "#123456", "--vision", bad}), "is not a colour vision");
    }
    ExpectFailure(Run({"similar", "--within", "-1"}), "--within");
    ExpectFailure(Run({"similar", "--format", "csv"}), "--format");
}

// One picture as ImageMagick writes it as PNG, GIF, BMP and JPEG gives one ramp; a region of one
// stripe gives its colour 32 times; a picture refused leaves the file as it was.
TEST_F(HuesTest, SetFromPictureTakesRealPicturesAndRefusesHostileOnes) {
    const fs::path stripes = fs::path(HUES_FIXTURES) / "stripes";
    const auto colorsOf = [&](const std::string& id) {
        return json::parse(Run({"show", id, "--format", "json"}).out)[0].at("colors");
    };
    for (const std::string kind : {".png", ".gif", ".bmp", ".jpg"}) {
        ASSERT_EQ(Run({"set", "5", "--from-picture", stripes.string() + kind}).status, 0) << kind;
        EXPECT_EQ(colorsOf("5").at(0), "#0010A5") << kind;
        EXPECT_EQ(colorsOf("5").at(31), "#FFCE29") << kind;
    }
    Run({"set", "6", "--from-picture", stripes.string() + ".png", "--region", "0,0,8,8"});
    EXPECT_EQ(colorsOf("6"), json(std::vector<json>(32, colorsOf("6").at(0))));

    // A region is exactly four whole numbers between commas: none more, fewer, signed or spaced.
    for (const std::string text : {"0,0,4", "0,0,4,4,", "0,0,4,4,4", ",0,4,4", "0,,4,4", "+0,0,4,4",
                                   "0, 0,4,4", "0,0,4,4294967296", "0,0,4,x", ""}) {
        EXPECT_THROW((void)cli::ParseRegion(text), huedata::HuesError) << text;
    }
    const huecolour::PictureRegion region = cli::ParseRegion("1,2,30,4294967295");
    EXPECT_EQ(std::tuple(region.x, region.y, region.width, region.height),
              std::tuple(1U, 2U, 30U, 4294967295U));

    // Refused in one line, the file as it was (each reason is tested with the reader).
    std::ofstream(dir_ / "notes.png") << "not a picture\n";
    const std::string before = FileText(file_);
    const struct {
        std::string picture;
        std::vector<std::string> more;
        std::string reason;
    } refused[] = {
        {"notes.png", {}, "not a picture hues reads"},
        {"stripes.png", {"--region", "0,0,4,4"}, "fewer than 32 opaque pixels"},
        {"stripes.png", {"--region", "0,0,4"}, "--region: '0,0,4' is not a region"},
    };
    for (const auto& [picture, more, reason] : refused) {
        const fs::path path =
            fs::exists(dir_ / picture) ? dir_ / picture : fs::path(HUES_FIXTURES) / picture;
        std::vector<std::string> arguments{"set", "7", "--from-picture", path.string()};
        arguments.insert(arguments.end(), more.begin(), more.end());
        ExpectFailure(Run(arguments), reason);
        EXPECT_EQ(FileText(file_), before) << picture;
    }
}

// A file with one fault a hue: text, JSON, SARIF and GitHub's lines give the same findings;
// the levels, the rules chosen and a config found upward decide what is reported and the exit
// status; the fixes change only the names their rules find.
TEST_F(HuesTest, CheckReportsAlikeEverywhereAndFixesOnlyWhatItFinds) {
    std::vector<huedata::HueRecord> records(7);
    for (std::size_t id = 1; id < records.size(); ++id) {
        const auto ramp = huecolour::ShiftedRamp({static_cast<std::uint8_t>(40 * id), 90, 200}, {});
        for (std::size_t i = 0; i < 32; ++i)
            records[id].Colors[i] = huedata::NearestColor15(ramp[i]);
        records[id].Name = huetools::NameBytes("Hue " + std::to_string(id));
    }
    std::swap(records[2].Colors[20], records[2].Colors[24]);
    records[3].Name = huetools::NameBytes("=A1");
    records[4].Name = huetools::NameBytes(std::string("Lake\0old", 8));
    records[5].Name = huetools::NameBytes(" Lake ");
    records[6].Name = huetools::NameBytes("Bad\x81");
    huetools::WriteBytes(file_, huetools::HueFileImage(records, 0));
    using Found = std::set<std::pair<int, std::string>>;
    const Found planted = {{2, "ramp-order"},
                           {3, "name-spreadsheet"},
                           {4, "name-after-nul"},
                           {5, "name-space"},
                           {6, "name-undefined-byte"}};

    const auto fromText = [](const std::string& out) {
        Found found;
        const std::regex line(
            R"(^.*hues\.mul: hue (\d+)( colour \d+)?: (error|warning|info) ([a-z-]+): .+$)");
        std::smatch match;
        std::istringstream lines(out);
        for (std::string text; std::getline(lines, text);) {
            if (std::regex_match(text, match, line)) found.emplace(std::stoi(match[1]), match[4]);
        }
        return found;
    };
    const Outcome text = Run({"check", "--no-config"});
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(fromText(text.out), planted);
    EXPECT_NE(text.out.find("5 findings (1 error, 3 warnings, 1 info)"), std::string::npos);

    Found inJson;
    for (const json& finding : json::parse(Run({"check", "--no-config", "--format", "json"}).out)) {
        inJson.emplace(finding.at("hue"), finding.at("rule"));
    }
    EXPECT_EQ(inJson, planted);

    const json sarif = json::parse(Run({"check", "--no-config", "--format", "sarif"}).out);
    EXPECT_EQ(sarif.at("version"), "2.1.0");
    const json& run = sarif.at("runs").at(0);
    EXPECT_EQ(run.at("tool").at("driver").at("rules").size(), 10U);
    Found inSarif;
    for (const json& result : run.at("results")) {
        const json& rule =
            run.at("tool").at("driver").at("rules").at(result.at("ruleIndex").get<std::size_t>());
        EXPECT_EQ(rule.at("id"), result.at("ruleId"));
        EXPECT_TRUE(result.at("level") == "error" || result.at("level") == "warning" ||
                    result.at("level") == "note");
        const json& location = result.at("locations").at(0);
        EXPECT_EQ(location.at("physicalLocation")
                      .at("artifactLocation")
                      .at("uri")
                      .get<std::string>()
                      .rfind("file:", 0),
                  0U);
        const std::string hue = location.at("logicalLocations").at(0).at("name");
        inSarif.emplace(std::stoi(hue.substr(4)), result.at("ruleId"));
    }
    EXPECT_EQ(inSarif, planted);

    Found inGithub;
    // A file's ':' and ',' escaped, so that the property ends where GitHub looks for its end.
    const std::regex command(
        R"(^::(error|warning|notice) file=[^,:]+,title=([a-z-]+)::hue (\d+)[^\r\n]*$)");
    std::istringstream lines(Run({"check", "--no-config", "--format", "github"}).out);
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, command)) << line;
        inGithub.emplace(std::stoi(match[3]), match[2]);
    }
    EXPECT_EQ(inGithub, planted);

    // What is chosen, and the exit status it gives.
    const struct {
        std::vector<std::string> options;
        int status;
        Found found;
    } chosen[] = {
        {{"--select", "ramp-order,name-space"}, 1, {{2, "ramp-order"}, {5, "name-space"}}},
        {{"--select", "name-space"}, 0, {{5, "name-space"}}},
        {{"--select", "name-space", "--fail-on", "info"}, 1, {{5, "name-space"}}},
        {{"--ignore", "name-undefined-byte,ramp-order", "--fail-on", "error"},
         0,
         {{3, "name-spreadsheet"}, {4, "name-after-nul"}, {5, "name-space"}}},
        {{"2-3"}, 1, {{2, "ramp-order"}, {3, "name-spreadsheet"}}},
    };
    for (const auto& [options, status, found] : chosen) {
        std::vector<std::string> arguments{"check", "--no-config"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const Outcome outcome = Run(arguments);
        EXPECT_EQ(outcome.status, status) << options[0];
        EXPECT_EQ(fromText(outcome.out), found) << options[0];
    }
    ExpectFailure(Run({"check", "--select", "ramp-odor"}), "--select: 'ramp-odor' is not a rule");
    // A file list refuses, check refuses the same way.
    for (const fs::path& refused : {dir_ / "absent.mul", dir_.path()}) {
        ExpectFailure(cli::RunHues({"-f", refused.string(), "check"}, {}), refused.string());
    }

    // A config two folders up: a rule off, a hue left out of another; --no-config ignores it.
    const fs::path deeper = dir_ / "game" / "data";
    fs::create_directories(deeper);
    fs::copy_file(file_, deeper / "hues.mul");
    std::ofstream(dir_ / ".hues-check")
        << R"({"ignore": ["ramp-order"], "leave-out": {"name-spreadsheet": ["1-3"]}, "levels": {"name-space": "error"}})";
    const auto checkDeeper = [&](std::vector<std::string> more) {
        more.insert(more.begin(), {"-f", (deeper / "hues.mul").string(), "check"});
        return cli::RunHues(more, {});
    };
    EXPECT_EQ(fromText(checkDeeper({}).out),
              (Found{{4, "name-after-nul"}, {5, "name-space"}, {6, "name-undefined-byte"}}));
    EXPECT_NE(checkDeeper({}).out.find("hue 5: error name-space"), std::string::npos);
    EXPECT_EQ(fromText(checkDeeper({"--no-config"}).out), planted);
    std::ofstream(dir_ / ".hues-check") << R"({"levels": {"name-space": "fatal"}})";
    ExpectFailure(checkDeeper({}), ".hues-check: the level of name-space");

    // Fixes: --dry-run writes nothing; --fix mends the bytes after the NUL and nothing else;
    // the unsafe fixes trim the name too.
    const std::string before = FileText(file_);
    EXPECT_EQ(Run({"check", "--no-config", "--fix", "--dry-run"}).status, 1);
    EXPECT_EQ(FileText(file_), before);
    ASSERT_EQ(Run({"check", "--no-config", "--fix", "--no-backup"}).status, 1);
    const std::string fixed = FileText(file_);
    const auto nameAt = [](std::size_t id) {
        return huedata::HueOffset(id) + huedata::HueNameOffset;
    };
    for (std::size_t i = 0; i < before.size(); ++i) {
        const bool hidden = i >= nameAt(4) + 4 && i < nameAt(4) + 20;
        EXPECT_EQ(fixed[i], hidden ? '\0' : before[i]) << "byte " << i;
    }
    Run({"check", "--no-config", "--fix", "--unsafe-fixes", "--no-backup"});
    EXPECT_EQ(FileText(file_).substr(nameAt(5), 5), std::string("Lake\0", 5));
}

TEST_F(HuesTest, NamesNeverBecomeMarkupOrTerminalControls) {
    const std::string page = Run({"export", "html", "10", "12"}).out;
    EXPECT_NE(page.find("<td>&lt;b onclick=x()&gt;<td>"), std::string::npos);
    EXPECT_EQ(page.find("<b onclick"), std::string::npos);
    for (const auto& command :
         std::vector<std::vector<std::string>>{{"show", "12"},
                                               {"list"},
                                               {"nearest", "#000000", "-n", "9999"},
                                               {"export", "gpl", "12"}}) {
        const std::string shown = Run(command).out;
        EXPECT_EQ(shown.find('\x1B'), std::string::npos) << command[0];
        EXPECT_EQ(shown.find('\x07'), std::string::npos) << command[0];
        EXPECT_NE(shown.find("Bell\xEF\xBF\xBD\xEF\xBF\xBD[2J"), std::string::npos) << command[0];
    }
}

// Standard output as a terminal with these variables (a name and its value, or nothing).
cli::Environment Terminal(bool isTerminal, const std::map<std::string, std::string>& variables,
                          bool showsEscapes = true) {
    cli::Environment environment;
    environment.stdoutIsTerminal = isTerminal;
    environment.showsColorEscapes = [showsEscapes] { return showsEscapes; };
    environment.variable = [variables](const char* name) -> std::optional<std::string> {
        const auto found = variables.find(name);
        return found == variables.end() ? std::nullopt : std::optional(found->second);
    };
    return environment;
}

TEST(ColorRules, ColorsFollowTheTerminalAndTheUsualVariables) {
    using enum hueformats::TerminalColors;
    const struct {
        const char* mode;
        bool terminal;
        std::map<std::string, std::string> variables;
        hueformats::TerminalColors colors;
        bool showsEscapes = true;
    } cases[] = {
        {"auto", true, {{"TERM", "xterm"}}, Palette},
        {"auto", true, {{"COLORTERM", "truecolor"}}, TrueColor},
        {"auto", true, {{"COLORTERM", "24bit"}}, TrueColor},
        {"auto", false, {{"COLORTERM", "truecolor"}}, None},
        {"auto", true, {{"NO_COLOR", "1"}, {"COLORTERM", "truecolor"}}, None},
        {"auto", true, {{"NO_COLOR", ""}}, Palette},
        {"auto", true, {{"TERM", "dumb"}}, None},
        {"auto", true, {}, None, false},
        {"always", false, {{"NO_COLOR", "1"}, {"TERM", "dumb"}, {"COLORTERM", "24bit"}}, TrueColor},
        {"always", true, {}, None, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cli::ColorsFor(c.mode, Terminal(c.terminal, c.variables, c.showsEscapes)),
                  c.colors)
            << c.mode << " terminal " << c.terminal << " " << c.variables.size();
    }
}

// The colours the escapes of `text` paint, in order: 24-bit ones as they are, the palette's
// by their index.
std::vector<std::string> PaintedColors(const std::string& text) {
    std::vector<std::string> painted;
    static const std::regex escape("\x1b\\[[34]8;(2;\\d+;\\d+;\\d+|5;\\d+)m");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), escape);
         it != std::sregex_iterator(); ++it) {
        painted.push_back((*it)[1]);
    }
    return painted;
}

TEST(ColorRules, ThePaletteColorIsTheNearestOfTheCubeAndTheGreys) {
    const std::pair<huedata::Rgb24, int> cases[] = {
        {{0, 0, 0}, 16},        {{255, 255, 255}, 231}, {{255, 0, 0}, 196},
        {{128, 128, 128}, 244}, {{95, 135, 175}, 67},   {{8, 8, 8}, 232},
    };
    for (const auto& [color, index] : cases) {
        EXPECT_EQ(hueformats::NearestPaletteColor(color), index) << huedata::RgbText(color);
    }
}

TEST_F(HuesTest, EveryColorShownIsDrawnInOrderAndNoEscapeWithoutColors) {
    // The second file: hue 3 renamed, hue 8's colours 5 and 31 changed, two hues more.
    const auto before = huedata::ReadFileBytes(file_);
    auto after = before;
    auto colors8 = huedata::HueAt(before, 8).Colors;
    colors8[5] = 0x03E0;
    colors8[31] = 0x001F;
    huedata::ApplyHueChanges(
        after, std::vector<huedata::HueChange>{{.id = 3, .name = huetools::NameBytes("Renamed")},
                                               {.id = 8, .colors = colors8},
                                               {.id = 3001, .colors = colors8}});
    const fs::path second = dir_ / "second.mul";
    huetools::WriteBytes(second, after);

    // What each command draws: show and find each hue's 32 colours, nearest each match's
    // colour, diff each changed hue before and after (a hue one file lacks, once).
    std::vector<huedata::Rgb24> nearest;
    for (const json& match :
         json::parse(Run({"nearest", "#FF0000", "-n", "3", "--format", "json"}).out)) {
        nearest.push_back(huedata::ParseColor(match.at("color").get<std::string>()));
    }
    // The colours of the hues given, each of the first file or (true) the second.
    const auto colorsOf = [&](std::initializer_list<std::pair<std::size_t, bool>> hues) {
        std::vector<huedata::Rgb24> colors;
        for (const auto& [id, second] : hues) {
            for (const auto stored : huedata::HueAt(second ? after : before, id).Colors)
                colors.push_back(huedata::ConvertColor(stored));
        }
        return colors;
    };
    const struct {
        std::vector<std::string> command;
        std::vector<huedata::Rgb24> drawn;
    } commands[] = {
        {{"show", "8", "3"}, colorsOf({{8, false}, {3, false}})},
        {{"find", "cr\xC3\xA8me"}, colorsOf({{8, false}})},
        {{"nearest", "#FF0000", "-n", "3"}, nearest},
        {{"diff", file_.string(), second.string()},
         colorsOf({{3, false}, {3, true}, {8, false}, {8, true}, {3000, true}, {3001, true}})},
    };
    for (const auto& [command, drawn] : commands) {
        SCOPED_TRACE(command.front());
        std::vector<std::string> trueColor, palette;
        for (const huedata::Rgb24 c : drawn) {
            trueColor.push_back(fmt::format("2;{};{};{}", c.red, c.green, c.blue));
            palette.push_back("5;" + std::to_string(hueformats::NearestPaletteColor(c)));
        }
        auto always = command, never = command;
        always.emplace_back("--color=always");
        never.emplace_back("--color=never");
        EXPECT_EQ(PaintedColors(Run(always, Terminal(false, {{"COLORTERM", "truecolor"}})).out),
                  trueColor);
        EXPECT_EQ(PaintedColors(Run(always, Terminal(false, {})).out), palette);
        // Without colours: not one escape byte, the same bytes whatever the reason.
        const std::string plain = Run(never, Terminal(true, {{"COLORTERM", "truecolor"}})).out;
        EXPECT_EQ(plain.find('\x1b'), std::string::npos);
        for (const auto& environment : {Terminal(true, {{"NO_COLOR", "1"}}), Terminal(false, {}),
                                        Terminal(true, {{"TERM", "dumb"}})}) {
            EXPECT_EQ(Run(command, environment).out, plain);
        }
    }
    EXPECT_EQ(PaintedColors(Run({"list", "--color=always"}).out).size(), 3000U * 32U);
}

TEST_F(HuesTest, ExportsAPaletteAndASelfContainedPage) {
    const std::string palette = Run({"export", "gpl", "8", "1"}).out;
    EXPECT_EQ(palette.rfind("GIMP Palette\nName: hues.mul\nColumns: 32\n#\n", 0), 0U);
    EXPECT_EQ(LineCount(palette), 4U + 64U);
    EXPECT_NE(palette.find("\n255   0   0\tHue 8 colour 0 Cr\xC3\xA8me\n"), std::string::npos);
    EXPECT_NE(palette.find("\n  0   8 255\tHue 1 colour 31 Hue 1\n"), std::string::npos);

    const std::string page = Run({"export", "html"}).out;
    EXPECT_LT(page.size(), 4U << 20U);
    // A whole file's page is made a part at a time; the same hues listed, all at once.
    EXPECT_EQ(page, Run({"export", "html", "0-2999"}).out);
    EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
    // Its rows and data are pinned byte for byte in hues_program, and driven in tests/page.
    for (const char* external : {"src=", "href=", "@import", "url("}) {
        EXPECT_EQ(page.find(external), std::string::npos) << external;
    }
}

// The first bytes of a PNG file: its signature and a header chunk of the given size.
std::vector<unsigned char> PngStart(std::uint32_t width, std::uint32_t height) {
    std::vector<unsigned char> bytes = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',
                                        0,    0,   0,   13,  'I',  'H',  'D',  'R'};
    for (const std::uint32_t side : {width, height}) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            bytes.push_back(static_cast<unsigned char>(side >> static_cast<unsigned>(shift)));
        }
    }
    bytes.resize(33);
    return bytes;
}

TEST_F(HuesTest, APageTakesOnlyASmallPngAsItsSample) {
    const fs::path good = dir_ / "good.png";
    huetools::WriteBytes(good, PngStart(512, 3));
    const std::string page = Run({"export", "html", "8", "--sample", good.string()}).out;
    EXPECT_NE(page.find("\"sample\": \"data:image/png;base64,iVBORw0KGgo"), std::string::npos);

    std::vector<unsigned char> large = PngStart(16, 16);
    large.resize((1U << 20U) + 1);
    const struct {
        const char* name;
        std::vector<unsigned char> bytes;
        const char* reason;
    } bad[] = {
        {"wide.png", PngStart(513, 1), "is 513 x 1 pixels; it may be at most 512 x 512"},
        {"tall.png", PngStart(1, 600), "is 1 x 600 pixels"},
        {"large.png", large, "is 1048577 bytes; it may be at most 1 MiB"},
        {"picture.gif", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}, "is not a PNG file"},
    };
    const fs::path output = dir_ / "page.html";
    for (const auto& [name, bytes, reason] : bad) {
        huetools::WriteBytes(dir_ / name, bytes);
        const std::string path = (dir_ / name).string();
        ExpectFailure(Run({"export", "html", "--sample", path, "-o", output.string()}),
                      path + ": the sample picture " + reason);
    }
    // Missing, it is refused as every file is, in the system's words.
    ExpectFailure(Run({"export", "html", "--sample", (dir_ / "absent.png").string()}),
                  (dir_ / "absent.png").string() + ": ");
    ExpectFailure(Run({"export", "gpl", "--sample", good.string()}), "--sample goes with");
    EXPECT_FALSE(fs::exists(output));
}

TEST_F(HuesTest, OutputFilesAreReplacedWholeOrNotAtAll) {
    const fs::path target = dir_ / "out.gpl";
    huetools::WriteBytes(target, std::vector<unsigned char>{'o', 'l', 'd'});
    EXPECT_EQ(Run({"export", "gpl", "8", "-o", target.string()}).status, 0);
    EXPECT_EQ(FileText(target), Run({"export", "gpl", "8"}).out);

    huetools::WriteBytes(target, std::vector<unsigned char>{'o', 'l', 'd'});
    ExpectFailure(Run({"export", "gpl", "3000", "-o", target.string()}), "past the end");
    ExpectFailure(Run({"export", "html", "-o", (dir_ / "no" / "x.html").string()}),
                  "cannot write " + (dir_ / "no" / "x.html").string());
    // Any path to the hue file itself, even through another folder, is refused.
    fs::create_directory(dir_ / "sub");
    const std::string detour = (dir_ / "sub" / ".." / "hues.mul").string();
    const std::string before = FileText(file_);
    ExpectFailure(Run({"export", "html", "-o", detour}), "refusing to write over");
    EXPECT_EQ(FileText(file_), before);
    EXPECT_EQ(FileText(target), "old");
    std::vector<fs::path> left;
    for (const auto& entry : fs::directory_iterator(dir_.path())) left.push_back(entry.path());
    EXPECT_EQ(left.size(), 3U);  // the hue file, out.gpl and sub: no temporary file
}

TEST_F(HuesTest, BadUsageAndUnreadableFilesFailWithOneLine) {
    // A missing file, --help and an unknown command: in hues_program, on each system.
    ExpectFailure(cli::RunHues({"-f", dir_.path().string(), "list"}, {}), dir_.path().string());
    ExpectFailure(Run({}), "A subcommand is required");
    ExpectFailure(Run({"show", "1", "--format", "xml"}), "xml");
    ExpectFailure(Run({"export", "pdf"}), "pdf");
}

}  // namespace
