#include "huecheck/check_config.h"

#include "huedata/file_error.h"
#include "huedata/hue_text.h"

#include "huedata/hue_file.h"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <system_error>

namespace huecheck {

namespace {

using json = nlohmann::json;

// A config is a few lines; anything near this is not one.
constexpr std::uint64_t MostConfigBytes = std::uint64_t{64} << 10U;

std::size_t RuleIndexOf(std::string_view id, const std::string& where) {
    const Rule* rule = RuleNamed(id);
    if (rule == nullptr) {
        throw huedata::HuesError(fmt::format("{}: '{}' is not a rule (see hues check --list-rules)",
                                             where, huedata::PrintableText(id)));
    }
    return static_cast<std::size_t>(rule - Rules().data());
}

std::vector<std::string> Strings(const json& value, const std::string& where,
                                 const std::string& key) {
    if (!value.is_array()) {
        throw huedata::HuesError(fmt::format("{}: \"{}\" is not a list", where, key));
    }
    std::vector<std::string> texts;
    for (const json& item : value) {
        if (item.is_string()) {
            texts.push_back(item.get<std::string>());
        } else if (item.is_number_integer()) {
            texts.push_back(std::to_string(item.get<long long>()));
        } else {
            throw huedata::HuesError(fmt::format(
                "{}: \"{}\" holds {}, which is not a rule or a hue", where, key, item.dump()));
        }
    }
    return texts;
}

struct Config {
    std::optional<std::vector<std::string>> select;
    std::vector<std::string> ignore;
    std::vector<std::pair<std::string, Level>> levels;
    std::vector<std::pair<std::string, std::vector<int>>> leaveOut;
};

Config ReadConfig(const std::filesystem::path& path) {
    const std::string where = huedata::PathText(path);
    const std::vector<unsigned char> bytes =
        huedata::NamingTheFile([&] { return huedata::ReadFileBytes(path, MostConfigBytes); });
    json document;
    try {
        document = json::parse(bytes.begin(), bytes.end(), nullptr, true, true);
    } catch (const json::parse_error& error) {
        throw huedata::HuesError(fmt::format("{}: not JSON, at byte {}", where, error.byte));
    }
    if (!document.is_object()) {
        throw huedata::HuesError(
            fmt::format("{}: not a config: give a JSON object (see hues check --help)", where));
    }
    Config config;
    for (const auto& [key, value] : document.items()) {
        if (key == "select") {
            config.select = Strings(value, where, key);
        } else if (key == "ignore") {
            config.ignore = Strings(value, where, key);
        } else if (key == "levels" && value.is_object()) {
            for (const auto& [rule, level] : value.items()) {
                const auto named =
                    level.is_string() ? LevelNamed(level.get<std::string>()) : std::nullopt;
                if (!named) {
                    throw huedata::HuesError(
                        fmt::format("{}: the level of {} is {}: give error, warning or info", where,
                                    rule, level.dump()));
                }
                config.levels.emplace_back(rule, *named);
            }
        } else if (key == "leave-out" && value.is_object()) {
            for (const auto& [rule, ids] : value.items()) {
                const auto texts = Strings(ids, where, "leave-out\": \"" + rule);
                try {
                    config.leaveOut.emplace_back(rule, huedata::ParseIds(texts));
                } catch (const huedata::HuesError& error) {
                    throw huedata::HuesError(
                        fmt::format("{}: leave-out of {}: {}", where, rule, error.what()));
                }
            }
        } else {
            throw huedata::HuesError(fmt::format(
                "{}: \"{}\" is not a setting: use select, ignore, levels (an object) or "
                "leave-out (an object)",
                where, huedata::PrintableText(key)));
        }
    }
    return config;
}

}  // namespace

std::optional<std::filesystem::path> FindCheckConfig(const std::filesystem::path& hueFile) {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::absolute(hueFile, error).parent_path();
    while (!error && !folder.empty()) {
        std::filesystem::path candidate = folder / ConfigFileName;
        std::error_code missing;  // a folder without one, or one we may not look into
        if (std::filesystem::is_regular_file(candidate, missing)) return candidate;
        const std::filesystem::path parent = folder.parent_path();
        if (parent == folder) break;
        folder = parent;
    }
    return std::nullopt;
}

std::vector<std::string> RuleIdsListed(std::string_view text, std::string_view option) {
    std::vector<std::string> ids;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(',', start);
        const std::string id(text.substr(start, end - start));
        RuleIndexOf(id, std::string(option));
        ids.push_back(id);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return ids;
}

RuleChoice ChooseRules(const std::optional<std::filesystem::path>& config,
                       const CheckAsked& asked) {
    RuleChoice choice = DefaultRuleChoice();
    Config read;
    std::string where = "the command line";
    if (config) {
        read = ReadConfig(*config);
        where = huedata::PathText(*config);
    }
    const auto selection = asked.select ? asked.select : read.select;
    if (selection) {
        choice.on.fill(false);
        for (const std::string& id : *selection) {
            choice.on[RuleIndexOf(id, asked.select ? "--select" : where)] = true;
        }
    }
    for (const std::string& id : read.ignore) choice.on[RuleIndexOf(id, where)] = false;
    for (const std::string& id : asked.ignore) choice.on[RuleIndexOf(id, "--ignore")] = false;
    for (const auto& [id, level] : read.levels) choice.level[RuleIndexOf(id, where)] = level;
    for (const auto& [id, hues] : read.leaveOut) {
        choice.leftOut[RuleIndexOf(id, where)].insert(hues.begin(), hues.end());
    }
    return choice;
}

}  // namespace huecheck
