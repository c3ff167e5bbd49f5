// `hues check`'s rules: what makes a hue file unfit to ship, each rule with a stable id, a
// default level and a one-line description, and the fixes two of them offer.
#pragma once

#include "huedata/hue_view.h"

#include "huedata/hue_file.h"

#include <array>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace huecheck {

enum class Level { Info, Warning, Error };

// "info", "warning" or "error"; nothing for any other word.
std::optional<Level> LevelNamed(std::string_view name);
std::string_view LevelName(Level level);

// How a rule's fix may be applied: never, with --fix, or only with --unsafe-fixes too (it
// changes what a player sees).
enum class Fix { None, Safe, Unsafe };

struct Rule {
    std::string_view id;
    Level level;
    std::string_view description;
    Fix fix;
};

// Every rule, in the order they are listed and reported.
std::span<const Rule> Rules();
// The rule of this id; nothing for an unknown one.
const Rule* RuleNamed(std::string_view id);

struct Finding {
    std::size_t rule;  // into Rules()
    Level level;
    int hue;
    std::optional<int> colour = std::nullopt;
    std::optional<int> otherHue = std::nullopt;  // a pair's higher id
    std::string message;
    friend bool operator==(const Finding&, const Finding&) = default;
};

// Which rules run, at which level, and the hues each leaves out.
struct RuleChoice {
    std::array<bool, 10> on;
    std::array<Level, 10> level;
    std::array<std::set<int>, 10> leftOut;
};
// Every rule on, at its default level, leaving out nothing.
RuleChoice DefaultRuleChoice();

// The findings of the chosen rules over `hues`, ordered by hue, then colour, then rule. Hues
// with no name and every colour 0 are never reported; a pair is reported once, on its lower
// id, and only where both its hues are among `hues`.
std::vector<Finding> CheckHues(std::span<const huedata::HueView> hues, const RuleChoice& choice);

// The name the fixes of the chosen rules make of `name` (only those whose fix `allowed` takes),
// or nothing where they change nothing.
std::optional<std::array<unsigned char, huedata::HueNameSize>> FixedName(
    const std::array<unsigned char, huedata::HueNameSize>& name, int hue, const RuleChoice& choice,
    Fix allowed);

}  // namespace huecheck
