#include "huetext/ids.h"

#include "huetext/hue_view.h"

#include "huedata/hue_text.h"

#include <charconv>
#include <optional>
#include <string_view>

namespace huetext {

namespace {

// Plain decimal digits only: no sign, no spaces, nothing after.
std::optional<int> ParseId(std::string_view text) {
    const auto value = huedata::NumberFromText<int>(text);
    if (text.starts_with('-') || !value || *value > HighestHueId) return std::nullopt;
    return value;
}

[[noreturn]] void ThrowBadId(const std::string& argument, const std::string& why) {
    throw huedata::HuesError("'" + argument + "' " + why);
}

}  // namespace

std::vector<int> ParseIds(std::span<const std::string> arguments) {
    std::vector<int> ids;
    for (const std::string& argument : arguments) {
        const auto dash = argument.find('-', 1);
        const std::string_view text = argument;
        const auto first = ParseId(text.substr(0, dash));
        const auto last = dash == std::string::npos ? first : ParseId(text.substr(dash + 1));
        if (!first || !last) {
            ThrowBadId(argument, "is not a hue identifier: give N or A-B, each from 0 to " +
                                     std::to_string(HighestHueId));
        }
        if (*first > *last) ThrowBadId(argument, "is a range that runs backwards");
        for (int id = *first; id <= *last; ++id) ids.push_back(id);
    }
    return ids;
}

}  // namespace huetext
