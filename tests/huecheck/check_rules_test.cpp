#include "huecheck/check_rules.h"

#include "huecolour/shifted_ramp.h"
#include "huedata/color15.h"
#include "tools/hue_image.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace {

using huecheck::Finding;
using huedata::HueRecord;

HueRecord RampHue(huedata::Rgb24 base, const std::string& name) {
    HueRecord hue{};
    const auto ramp = huecolour::ShiftedRamp(base, {});
    for (std::size_t i = 0; i < 32; ++i) hue.Colors[i] = huedata::NearestColor15(ramp[i]);
    hue.Name = huetools::NameBytes(name);
    return hue;
}

// Hues no rule finds fault with; hue 0 is left empty, as a file's unused slots are.
std::vector<HueRecord> CleanHues() {
    return {HueRecord{}, RampHue({200, 40, 40}, "Brick"), RampHue({40, 90, 220}, "Lake"),
            RampHue({120, 120, 120}, "Stone"), RampHue({230, 200, 40}, "Straw")};
}

struct Found {
    std::string rule;
    int hue;
    std::optional<int> colour, other;
    friend bool operator==(const Found&, const Found&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Found& f) {
        return out << f.rule << " hue " << f.hue << " colour " << f.colour.value_or(-1) << " other "
                   << f.other.value_or(-1);
    }
};

std::vector<Found> Check(const std::vector<HueRecord>& records,
                         const huecheck::RuleChoice& choice = huecheck::DefaultRuleChoice()) {
    std::vector<huedata::HueView> views;
    views.reserve(records.size());
    for (std::size_t id = 0; id < records.size(); ++id) {
        views.push_back(huedata::ViewOfRecord(static_cast<int>(id), records[id], 0));
    }
    std::vector<Found> found;
    for (const Finding& finding : huecheck::CheckHues(views, choice)) {
        EXPECT_FALSE(finding.message.empty());
        found.push_back({std::string(huecheck::Rules()[finding.rule].id), finding.hue,
                         finding.colour, finding.otherHue});
    }
    return found;
}

std::size_t RuleIndex(std::string_view id) {
    return static_cast<std::size_t>(huecheck::RuleNamed(id) - huecheck::Rules().data());
}

void Rename(HueRecord& hue, std::string_view bytes) {
    hue.Name = {};
    std::copy(bytes.begin(), bytes.end(), hue.Name.begin());
}

// One planted fault a case: what it finds, and nothing else.
struct Planted {
    const char* what;
    std::function<void(std::vector<HueRecord>&)> plant;
    std::vector<Found> found;
};
std::vector<Planted> PlantedFaults() {
    return {
        {"a ramp that darkens",
         [](auto& h) { std::swap(h[2].Colors[20], h[2].Colors[24]); },
         {{"ramp-order", 2, 21, {}}}},
        {"a run of four equal colours",
         [](auto& h) { std::fill_n(h[3].Colors.begin() + 8, 4, h[3].Colors[8]); },
         {{"ramp-flat", 3, 8, {}}}},
        {"three equal colours are no run",
         [](auto& h) { std::fill_n(h[3].Colors.begin() + 8, 3, h[3].Colors[8]); },
         {}},
        {"a hue of one colour is no flat ramp", [](auto& h) { h[3].Colors.fill(0x1234); }, {}},
        {"a copy",
         [](auto& h) { h.push_back(h[1]), Rename(h.back(), "Brick copy"); },
         {{"near-duplicate", 1, {}, 5}}},
        {"alike only to protanomaly",
         [](auto& h) {
             h[3].Colors.fill(0x3CEB);  // #7B3A5A
             h[4].Colors.fill(0x542A);  // #AD0852
         },
         {{"vision-confusable", 3, {}, 4}}},
        {"an undefined byte",
         [](auto& h) {
             Rename(h[1],
                    "Br\x81"
                    "ck");
         },
         {{"name-undefined-byte", 1, {}, {}}}},
        {"a control character",
         [](auto& h) { Rename(h[1], "Br\x1B[2J"); },
         {{"name-undefined-byte", 1, {}, {}}}},
        {"bytes after the NUL",
         [](auto& h) { Rename(h[2], std::string_view("Lake\0old", 8)); },
         {{"name-after-nul", 2, {}, {}}}},
        {"a name twice", [](auto& h) { Rename(h[4], "Brick"); }, {{"name-duplicate", 1, {}, 4}}},
        {"a formula", [](auto& h) { Rename(h[1], "=A1+1"); }, {{"name-spreadsheet", 1, {}, {}}}},
        {"a number", [](auto& h) { Rename(h[1], "1.5e3"); }, {{"name-spreadsheet", 1, {}, {}}}},
        {"a date", [](auto& h) { Rename(h[1], "2024-01-05"); }, {{"name-spreadsheet", 1, {}, {}}}},
        {"a month and day",
         [](auto& h) { Rename(h[1], "May 1"); },
         {{"name-spreadsheet", 1, {}, {}}}},
        {"words with digits are kept", [](auto& h) { Rename(h[1], "R2-D2 Mk 3"); }, {}},
        {"numbers apart are kept", [](auto& h) { Rename(h[1], "2 3"); }, {}},
        {"a space at the end",
         [](auto& h) { Rename(h[1], "Brick "); },
         {{"name-space", 1, {}, {}}}},
        {"bit 15",
         [](auto& h) { h[2].Colors[7] = static_cast<std::int16_t>(h[2].Colors[7] | 0x8000); },
         {{"top-bit", 2, 7, {}}}},
        {"an empty hue twice is never reported", [](auto& h) { h.push_back(HueRecord{}); }, {}},
    };
}

TEST(CheckRules, EachPlantedFaultIsFoundAndNothingElse) {
    EXPECT_EQ(Check(CleanHues()), std::vector<Found>{});
    for (const Planted& planted : PlantedFaults()) {
        auto hues = CleanHues();
        planted.plant(hues);
        EXPECT_EQ(Check(hues), planted.found) << planted.what;
    }
}

TEST(CheckRules, ChoiceTurnsRulesOffChangesLevelsAndLeavesHuesOut) {
    auto hues = CleanHues();
    Rename(hues[1], "=1");
    Rename(hues[2], "=2");
    auto choice = huecheck::DefaultRuleChoice();
    choice.leftOut[RuleIndex("name-spreadsheet")].insert(2);
    choice.level[RuleIndex("name-spreadsheet")] = huecheck::Level::Error;
    EXPECT_EQ(Check(hues, choice), (std::vector<Found>{{"name-spreadsheet", 1, {}, {}}}));
    choice.on[RuleIndex("name-spreadsheet")] = false;
    EXPECT_EQ(Check(hues, choice), std::vector<Found>{});
}

TEST(CheckRules, FixesChangeOnlyWhatTheirRuleFinds) {
    using Name = std::array<unsigned char, 20>;
    const auto name = [](std::string_view bytes) {
        Name n{};
        std::copy(bytes.begin(), bytes.end(), n.begin());
        return n;
    };
    const auto choice = huecheck::DefaultRuleChoice();
    const struct {
        std::string_view before;
        huecheck::Fix allowed;
        std::optional<std::string_view> after;
    } cases[] = {
        {std::string_view("Lake\0old", 8), huecheck::Fix::Safe, "Lake"},
        {" Lake ", huecheck::Fix::Safe, std::nullopt},
        {" Lake ", huecheck::Fix::Unsafe, "Lake"},
        {std::string_view(" Lake\0x", 7), huecheck::Fix::Unsafe, "Lake"},
        {"   ", huecheck::Fix::Unsafe, ""},
        {"Lake", huecheck::Fix::Unsafe, std::nullopt},
    };
    for (const auto& [before, allowed, after] : cases) {
        const auto fixed = huecheck::FixedName(name(before), 1, choice, allowed);
        EXPECT_EQ(fixed, after ? std::optional(name(*after)) : std::nullopt) << before;
    }
    // A trim alone keeps the bytes after the NUL where they were.
    auto noNulFix = choice;
    noNulFix.on[RuleIndex("name-after-nul")] = false;
    EXPECT_EQ(huecheck::FixedName(name(std::string_view(" Ab\0x", 5)), 1, noNulFix,
                                  huecheck::Fix::Unsafe),
              name(std::string_view("Ab\0\0x", 5)));
}

}  // namespace
