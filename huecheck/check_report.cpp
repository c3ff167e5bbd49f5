#include "huecheck/check_report.h"

#include "huecheck/check_config.h"

#include "huedata/file_error.h"

#include "huedata/hue_file.h"
#include "huedata/hue_text.h"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <array>

namespace huecheck {

namespace {

// Keys in the order a person reads them: what, how bad, where, why.
using OrderedJson = nlohmann::ordered_json;

std::string Where(const Finding& finding) {
    std::string where = "hue " + std::to_string(finding.hue);
    if (finding.colour) where += " colour " + std::to_string(*finding.colour);
    return where;
}

std::string_view LevelColor(Level level) {
    switch (level) {
        case Level::Error:
            return "\x1b[1;31m";
        case Level::Warning:
            return "\x1b[1;33m";
        case Level::Info:
            return "\x1b[1;36m";
    }
    return "";
}

// Text as a JSON string, quoted and escaped by the JSON library.
std::string JsonString(std::string_view text) {
    return OrderedJson(text).dump();
}

// A finding as one JSON object, written out field by field: a file of every hue has a million.
void WriteFindingJson(const Finding& finding, huedata::TextBuilder& out) {
    out << R"({"rule": ")" << Rules()[finding.rule].id << R"(", "level": ")"
        << LevelName(finding.level) << R"(", "hue": )" << finding.hue;
    if (finding.colour) out << R"(, "colour": )" << *finding.colour;
    if (finding.otherHue) out << R"(, "other_hue": )" << *finding.otherHue;
    out << R"(, "message": )" << JsonString(finding.message) << '}';
}

// A path as a URI reference: relative as given, or a file URI where absolute, each byte that
// may not stand alone in a URI escaped.
std::string UriOf(std::string_view path) {
    std::string text(path);
    for (char& c : text) {
        if (c == '\\') c = '/';
    }
    std::string uri;
    if (text.starts_with('/')) {
        uri = "file://";
    } else if (text.size() > 1 && text[1] == ':') {
        uri = "file:///";
    }
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                           (byte >= '0' && byte <= '9') ||
                           std::string_view("-._~/:").find(c) != std::string_view::npos;
        uri += plain ? std::string(1, c) : fmt::format("%{:02X}", byte);
    }
    return uri;
}

// Where the finding lies in the file's bytes: its colour, else its hue's name for a name's
// rule, else the whole entry.
struct ByteRegion {
    std::uint64_t offset, length;
};
ByteRegion RegionOf(const Finding& finding) {
    const std::uint64_t entry = huedata::HueOffset(static_cast<std::size_t>(finding.hue));
    if (finding.colour) {
        return {entry + huedata::HueColorsOffset + 2 * static_cast<std::uint64_t>(*finding.colour),
                2};
    }
    if (Rules()[finding.rule].id.starts_with("name-")) {
        return {entry + huedata::HueNameOffset, huedata::HueNameSize};
    }
    return {entry, huedata::HueRecordSize};
}

std::string_view SarifLevel(Level level) {
    return level == Level::Info ? "note" : LevelName(level);
}

// Workflow commands end a property at ',' and ':' and a command at a line's end.
std::string GithubEscaped(std::string_view text, bool property) {
    std::string escaped;
    for (const char c : text) {
        if (c == '%') {
            escaped += "%25";
        } else if (c == '\r') {
            escaped += "%0D";
        } else if (c == '\n') {
            escaped += "%0A";
        } else if (property && c == ':') {
            escaped += "%3A";
        } else if (property && c == ',') {
            escaped += "%2C";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

}  // namespace

void CheckText(std::string_view file, std::span<const Finding> findings,
               hueformats::TextStyle style, huedata::TextBuilder& out) {
    const std::string name = huedata::PrintableText(file);
    std::array<std::size_t, 3> counts{};
    for (const Finding& finding : findings) {
        ++counts[static_cast<std::size_t>(finding.level)];
        out << name << ": " << Where(finding) << ": ";
        const std::string_view level = LevelName(finding.level);
        if (style.colors != hueformats::TerminalColors::None) {
            out << LevelColor(finding.level) << level << "\x1b[0m";
        } else {
            out << level;
        }
        out << ' ' << Rules()[finding.rule].id << ": " << finding.message << '\n';
    }
    const auto count = [](std::size_t n, std::string_view one, std::string_view many) {
        return std::to_string(n) + " " + std::string(n == 1 ? one : many);
    };
    out << name << ": " << count(findings.size(), "finding", "findings");
    if (!findings.empty()) {
        out << " (" << count(counts[2], "error", "errors") << ", "
            << count(counts[1], "warning", "warnings") << ", " << count(counts[0], "info", "infos")
            << ')';
    }
    out << '\n';
}

// A finding a line, written as it is made: a file with a finding on every hue lists over a
// million, and the whole array held as a document first took seconds and gigabytes.
void CheckJson(std::span<const Finding> findings, huedata::TextBuilder& out) {
    out << '[';
    for (std::size_t i = 0; i < findings.size(); ++i) {
        out << (i == 0 ? "\n  " : ",\n  ");
        WriteFindingJson(findings[i], out);
    }
    out << (findings.empty() ? "]\n" : "\n]\n");
}

void WriteSarifResult(const Finding& finding, std::string_view uri, huedata::TextBuilder& out) {
    const ByteRegion region = RegionOf(finding);
    out << R"({"ruleId": ")" << Rules()[finding.rule].id << R"(", "ruleIndex": )" << finding.rule
        << R"(, "level": ")" << SarifLevel(finding.level) << R"(", "message": {"text": )"
        << JsonString(Where(finding) + ": " + finding.message)
        << R"(}, "locations": [{"physicalLocation": {"artifactLocation": {"uri": )" << uri
        << R"(}, "region": {"byteOffset": )" << region.offset << R"(, "byteLength": )"
        << region.length << R"(}}, "logicalLocations": [{"name": "hue )" << finding.hue
        << R"(", "kind": "element"}]}]})";
}

// The log around its results, then the results a line each, as CheckJson writes its findings.
void CheckSarif(std::string_view file, std::span<const Finding> findings, std::string_view version,
                huedata::TextBuilder& out) {
    OrderedJson rules = OrderedJson::array();
    for (const Rule& rule : Rules()) {
        rules.push_back({{"id", rule.id},
                         {"shortDescription", {{"text", rule.description}}},
                         {"defaultConfiguration", {{"level", SarifLevel(rule.level)}}}});
    }
    const std::string uri = UriOf(file);
    const OrderedJson tool = {
        {"driver", {{"name", "hues check"}, {"version", version}, {"rules", std::move(rules)}}}};
    const OrderedJson artifacts = {{{"location", {{"uri", uri}}}}};
    const std::string quotedUri = JsonString(uri);
    out << "{\"$schema\": \"https://docs.oasis-open.org/sarif/sarif/v2.1.0/errata01/os/schemas/"
           "sarif-schema-2.1.0.json\",\n \"version\": \"2.1.0\",\n \"runs\": [{\"tool\": "
        << tool.dump() << ",\n  \"artifacts\": " << artifacts.dump() << ",\n  \"results\": [";
    for (std::size_t i = 0; i < findings.size(); ++i) {
        out << (i == 0 ? "\n   " : ",\n   ");
        WriteSarifResult(findings[i], quotedUri, out);
    }
    out << "]}]}\n";
}

void CheckGithub(std::string_view file, std::span<const Finding> findings,
                 huedata::TextBuilder& out) {
    const std::string where = GithubEscaped(file, true);
    for (const Finding& finding : findings) {
        const std::string_view level =
            finding.level == Level::Info ? "notice" : LevelName(finding.level);
        out << "::" << level << " file=" << where
            << ",title=" << GithubEscaped(Rules()[finding.rule].id, true)
            << "::" << GithubEscaped(Where(finding) + ": " + finding.message, false) << '\n';
    }
}

std::string PageFindingsJson(std::span<const Finding> findings) {
    // Enough to see what is wrong with a hue; `hues check` lists every one.
    constexpr std::size_t MostListed = 5;
    std::string json;
    huedata::TextBuilder out([&](std::string_view piece) { json.append(piece); });
    out << R"({"hues": {)";
    // The findings come by hue: each hue's run of them is one entry.
    for (std::size_t first = 0; first < findings.size();) {
        std::size_t end = first;
        Level worst = findings[first].level;
        while (end < findings.size() && findings[end].hue == findings[first].hue) {
            worst = std::max(worst, findings[end++].level);
        }
        out << (first == 0 ? "\n" : ",\n") << '"' << findings[first].hue << R"(": {"worst": ")"
            << LevelName(worst) << R"(", "count": )" << end - first << R"(, "list": [)";
        for (std::size_t i = first; i < std::min(end, first + MostListed); ++i) {
            if (i != first) out << ", ";
            WriteFindingJson(findings[i], out);
        }
        out << "]}";
        first = end;
    }
    out << "}}";
    out.Flush();
    return json;
}

std::string PageFindingsOfFile(std::span<const huedata::HueView> hues,
                               const std::filesystem::path& file) {
    try {
        return PageFindingsJson(CheckHues(hues, ChooseRules(FindCheckConfig(file), {})));
    } catch (const huedata::HuesError& error) {
        return OrderedJson{{"error", error.what()}}.dump();
    }
}

void RulesText(huedata::TextBuilder& out) {
    for (const Rule& rule : Rules()) {
        const std::string_view fix = rule.fix == Fix::Safe     ? "safe fix"
                                     : rule.fix == Fix::Unsafe ? "unsafe fix"
                                                               : "";
        out << fmt::format("{:<20} {:<8} {:<11} {}\n", rule.id, LevelName(rule.level), fix,
                           rule.description);
    }
}

}  // namespace huecheck
