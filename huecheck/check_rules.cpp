#include "huecheck/check_rules.h"

#include "huecolour/colour_search.h"

#include "huecolour/colour_vision.h"
#include "huecolour/oklab.h"
#include "huedata/color15.h"
#include "huedata/hue_text.h"

#include <fmt/format.h>

#include <algorithm>
#include <future>
#include <map>
#include <tuple>

namespace huecheck {

namespace {

// Indexes into the table below, which is the order rules are listed and reported in.
enum RuleIndex : std::size_t {
    RampOrder,
    RampFlat,
    NearDuplicate,
    VisionConfusable,
    NameUndefinedByte,
    NameAfterNul,
    NameDuplicate,
    NameSpreadsheet,
    NameSpace,
    TopBit,
};

constexpr std::array<Rule, 10> RuleTable = {{
    {"ramp-order", Level::Warning,
     "a colour more than 0.02 darker (OKLab lightness) than the one before it", Fix::None},
    {"ramp-flat", Level::Info,
     "four or more equal neighbouring colours in a hue that is not one colour", Fix::None},
    {"near-duplicate", Level::Warning,
     "two hues alike colour by colour within 0.02 deltaEOK, as hues similar finds them", Fix::None},
    {"vision-confusable", Level::Info,
     "two hues alike within 0.02 to a player with protanomaly, deuteranomaly or tritanomaly, "
     "but not with normal vision",
     Fix::None},
    {"name-undefined-byte", Level::Error,
     "a name holding one of Windows-1252's five undefined bytes or a control character", Fix::None},
    {"name-after-nul", Level::Warning,
     "bytes other than NUL after a name's end, its first NUL; the fix makes them NUL", Fix::Safe},
    {"name-duplicate", Level::Warning, "two hues with the same name", Fix::None},
    {"name-spreadsheet", Level::Warning,
     "a name a spreadsheet reads as a formula, a number or a date", Fix::None},
    {"name-space", Level::Info,
     "a name beginning or ending with a space; the fix trims it, which a player sees", Fix::Unsafe},
    {"top-bit", Level::Info, "colours whose unused bit 15 is set", Fix::None},
}};

// Above this fall in lightness from one colour to the next, a ramp shades backwards.
constexpr double LargestLightnessFall = 0.02;
constexpr std::size_t ShortestFlatRun = 4;
constexpr double AlikeWithin = 0.02;

using Name = std::array<unsigned char, huedata::HueNameSize>;

// The OKLab lightness of each of the 32,768 colours a hue holds, made once.
const std::vector<double>& LightnessOfColors() {
    static const std::vector<double> table = [] {
        std::vector<double> lightness(std::size_t{1} << 15U);
        for (std::size_t value = 0; value < lightness.size(); ++value) {
            lightness[value] = huecolour::OkLabFromSrgb(
                                   huedata::ConvertColor(static_cast<huedata::Color15>(value)))
                                   .L;
        }
        return lightness;
    }();
    return table;
}

std::size_t ColorBits(huedata::Color15 value) {
    return static_cast<std::uint16_t>(value) & 0x7FFFU;
}

bool IsEmpty(const huedata::HueRecord& record) {
    return std::all_of(record.Name.begin(), record.Name.end(), [](auto b) { return b == 0; }) &&
           std::all_of(record.Colors.begin(), record.Colors.end(), [](auto c) { return c == 0; });
}

// The name's bytes up to its first NUL.
std::string_view NameBytes(const Name& name) {
    const auto end = std::find(name.begin(), name.end(), 0);
    return {reinterpret_cast<const char*>(name.data()),
            static_cast<std::size_t>(end - name.begin())};
}

std::string Quoted(std::string_view windows1252) {
    return "\"" + huedata::PrintableText(huedata::Utf8FromWindows1252(windows1252)) + "\"";
}

std::string HexColor(huedata::Color15 value) {
    const huedata::Rgb24 color = huedata::ConvertColor(value);
    return fmt::format("#{:02X}{:02X}{:02X}", color.red, color.green, color.blue);
}

// What a spreadsheet makes of a cell of this text, if not the text: "a formula", "a number",
// "a date" or "a truth value"; empty where it keeps the text.
bool IsDigits(std::string_view text) {
    return !text.empty() && text.size() <= 4 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsMonthName(std::string_view word) {
    static constexpr std::array<std::string_view, 12> Months = {
        "january", "february", "march",     "april",   "may",      "june",
        "july",    "august",   "september", "october", "november", "december"};
    if (word.size() < 3) return false;
    std::string lower(word);
    for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return std::any_of(Months.begin(), Months.end(),
                       [&](std::string_view month) { return month.starts_with(lower); });
}

bool IsNumber(std::string_view text) {
    if (text.ends_with('%')) text.remove_suffix(1);
    bool digit = false, point = false, exponent = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if ((c == '.' || c == ',') && !point && !exponent) {
            point = c == '.';
        } else if ((c == 'e' || c == 'E') && digit && !exponent && i + 1 < text.size()) {
            exponent = true;
            if (text[i + 1] == '+' || text[i + 1] == '-') ++i;
        } else {
            return false;
        }
    }
    return digit && !text.ends_with(',') && !text.starts_with(',');
}

// Two or three parts, each a number of up to four digits or a month's name, joined by one of
// "/", "-", "." or " " (this one only beside a month), at least one a number: "1/2",
// "2024-01-05", "5-Jan", "May 1"; or a time, "12:30".
bool IsDate(std::string_view text) {
    for (const char separator : {'/', '-', '.', ' ', ':'}) {
        std::vector<std::string_view> parts;
        for (std::size_t start = 0;;) {
            const std::size_t end = text.find(separator, start);
            parts.push_back(text.substr(start, end - start));
            if (end == std::string_view::npos) break;
            start = end + 1;
        }
        if (parts.size() < 2 || parts.size() > 3) continue;
        const bool months = separator != ':' && separator != '.';
        const auto numbers = std::count_if(parts.begin(), parts.end(), IsDigits);
        const bool all = std::all_of(parts.begin(), parts.end(), [&](std::string_view part) {
            return IsDigits(part) || (months && IsMonthName(part));
        });
        // "2 3" stays text: a space joins a date only beside a month's name ("May 1").
        if (all && numbers > 0 &&
            (separator != ' ' || numbers < static_cast<std::ptrdiff_t>(parts.size()))) {
            return true;
        }
    }
    return false;
}

std::string_view SpreadsheetReading(std::string_view text) {
    if (text.empty()) return {};
    if (std::string_view("=+-@").find(text.front()) != std::string_view::npos) return "a formula";
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const std::string_view word = text.substr(first, text.find_last_not_of(' ') - first + 1);
    if (IsNumber(word)) return "a number";
    if (IsDate(word)) return "a date";
    std::string upper(word);
    for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    if (upper == "TRUE" || upper == "FALSE") return "a truth value";
    return {};
}

class Checking {
public:
    Checking(const RuleChoice& choice, std::vector<Finding>& findings)
        : choice_(choice), findings_(findings) {}

    bool Wants(RuleIndex rule, int hue) const {
        return choice_.on[rule] && !choice_.leftOut[rule].contains(hue);
    }
    void Add(RuleIndex rule, int hue, std::optional<int> colour, std::optional<int> other,
             std::string message) {
        if (!Wants(rule, hue) || (other && choice_.leftOut[rule].contains(*other))) return;
        findings_.push_back({rule, choice_.level[rule], hue, colour, other, std::move(message)});
    }

    void Ramp(const huedata::HueView& hue) {
        const auto& colors = hue.record->Colors;
        const auto& lightness = LightnessOfColors();
        for (std::size_t i = 1; i < colors.size(); ++i) {
            const double before = lightness[ColorBits(colors[i - 1])];
            const double now = lightness[ColorBits(colors[i])];
            if (before - now > LargestLightnessFall) {
                Add(RampOrder, hue.id, static_cast<int>(i), std::nullopt,
                    fmt::format("lightness falls from {:.3f} to {:.3f} after colour {}", before,
                                now, i - 1));
                break;
            }
        }
        const auto same = [](auto a, auto b) { return ColorBits(a) == ColorBits(b); };
        if (std::all_of(colors.begin(), colors.end(), [&](auto c) { return same(c, colors[0]); })) {
            return;
        }
        for (std::size_t start = 0; start < colors.size();) {
            std::size_t end = start + 1;
            while (end < colors.size() && same(colors[end], colors[start])) ++end;
            if (end - start >= ShortestFlatRun) {
                Add(RampFlat, hue.id, static_cast<int>(start), std::nullopt,
                    fmt::format("colours {} to {} are all {}", start, end - 1,
                                HexColor(colors[start])));
                break;
            }
            start = end;
        }
    }

    void NameBytesOf(const huedata::HueView& hue) {
        const Name& name = hue.record->Name;
        const std::string_view text = NameBytes(name);
        for (const char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x20 || byte == 0x7F) {
                Add(NameUndefinedByte, hue.id, std::nullopt, std::nullopt,
                    fmt::format("the name holds the control character 0x{:02X}", byte));
                break;
            }
            if (!huedata::DefinedInWindows1252(byte)) {
                Add(NameUndefinedByte, hue.id, std::nullopt, std::nullopt,
                    fmt::format("the name holds 0x{:02X}, a byte Windows-1252 leaves undefined",
                                byte));
                break;
            }
        }
        const auto hidden = std::count_if(name.begin() + static_cast<std::ptrdiff_t>(text.size()),
                                          name.end(), [](auto b) { return b != 0; });
        if (hidden > 0) {
            Add(NameAfterNul, hue.id, std::nullopt, std::nullopt,
                fmt::format(
                    "{} {} after the name's end (its first NUL)", hidden,
                    hidden == 1 ? "byte that is not NUL lies" : "bytes that are not NUL lie"));
        }
        if (const std::string_view reading = SpreadsheetReading(text); !reading.empty()) {
            Add(NameSpreadsheet, hue.id, std::nullopt, std::nullopt,
                fmt::format("a spreadsheet reads the name {} as {}", Quoted(text), reading));
        }
        if (text.starts_with(' ') || text.ends_with(' ')) {
            Add(NameSpace, hue.id, std::nullopt, std::nullopt,
                fmt::format("the name {} {} with a space", Quoted(text),
                            !text.ends_with(' ')    ? "begins"
                            : text.starts_with(' ') ? "begins and ends"
                                                    : "ends"));
        }
    }

    void TopBitOf(const huedata::HueView& hue) {
        const auto& colors = hue.record->Colors;
        const auto set = [](huedata::Color15 c) {
            return (static_cast<std::uint16_t>(c) >> 15U) != 0;
        };
        const auto count = std::count_if(colors.begin(), colors.end(), set);
        if (count == 0) return;
        const auto first =
            static_cast<int>(std::find_if(colors.begin(), colors.end(), set) - colors.begin());
        Add(TopBit, hue.id, first, std::nullopt,
            fmt::format("{} {} the unused bit 15 set", count,
                        count == 1 ? "colour has" : "colours have"));
    }

    void Duplicates(std::span<const huedata::HueView> hues) {
        std::map<std::string_view, int> first;
        for (const huedata::HueView& hue : hues) {
            const std::string_view text = NameBytes(hue.record->Name);
            if (text.empty()) continue;
            const auto [found, added] = first.try_emplace(text, hue.id);
            if (added) continue;
            const auto [a, b] = std::minmax(found->second, hue.id);
            Add(NameDuplicate, a, std::nullopt, b,
                fmt::format("hue {} has the same name, {}", b, Quoted(text)));
        }
    }

    void Alike(std::span<const huedata::HueView> hues) {
        if (!choice_.on[NearDuplicate] && !choice_.on[VisionConfusable]) return;
        // Each vision's pairs on a thread of its own: the index is built and searched four
        // times over the same hues, and a file of every hue takes seconds on one core.
        const std::pair<huecolour::VisionKind, std::string_view> visions[] = {
            {huecolour::VisionKind::Protanomaly, "protanomaly"},
            {huecolour::VisionKind::Deuteranomaly, "deuteranomaly"},
            {huecolour::VisionKind::Tritanomaly, "tritanomaly"}};
        const std::vector<huecolour::HueColours> colours = huecolour::ColoursOf(hues);
        std::vector<std::future<std::vector<huecolour::SimilarPair>>> seen;
        if (choice_.on[VisionConfusable]) {
            for (const auto& vision : visions) {
                seen.push_back(std::async(std::launch::async, [&colours, kind = vision.first] {
                    return huecolour::SimilarHues(colours, AlikeWithin, {kind, 100});
                }));
            }
        }
        const auto normal = huecolour::SimilarHues(colours, AlikeWithin);
        for (const huecolour::SimilarPair& pair : normal) {
            Add(NearDuplicate, pair.a, std::nullopt, pair.b,
                fmt::format("hue {} is alike colour by colour (largest deltaEOK {:.4f})", pair.b,
                            pair.largest));
        }
        if (!choice_.on[VisionConfusable]) return;
        // Every vision's pairs in one sorted list, each with its vision: a pair's visions then
        // lie side by side, and those alike to normal vision too are found by halving.
        std::vector<std::tuple<int, int, std::size_t>> confused;
        for (std::size_t v = 0; v < seen.size(); ++v) {
            for (const huecolour::SimilarPair& pair : seen[v].get())
                confused.emplace_back(pair.a, pair.b, v);
        }
        std::sort(confused.begin(), confused.end());
        const auto alikeToAll = [&](int a, int b) {
            return std::binary_search(normal.begin(), normal.end(), huecolour::SimilarPair{a, b, 0},
                                      [](const auto& x, const auto& y) {
                                          return std::pair(x.a, x.b) < std::pair(y.a, y.b);
                                      });
        };
        for (std::size_t i = 0; i < confused.size();) {
            const auto [a, b, first] = confused[i];
            std::string who(visions[first].second);
            std::size_t next = i + 1;
            for (; next < confused.size() && std::get<0>(confused[next]) == a &&
                   std::get<1>(confused[next]) == b;
                 ++next) {
                const bool last = next + 1 == confused.size() ||
                                  std::get<0>(confused[next + 1]) != a ||
                                  std::get<1>(confused[next + 1]) != b;
                who.append(last ? " and " : ", ")
                    .append(visions[std::get<2>(confused[next])].second);
            }
            if (!alikeToAll(a, b)) {
                Add(VisionConfusable, a, std::nullopt, b,
                    fmt::format("hue {} looks alike to a player with {}", b, who));
            }
            i = next;
        }
    }

private:
    const RuleChoice& choice_;
    std::vector<Finding>& findings_;
};

}  // namespace

std::optional<Level> LevelNamed(std::string_view name) {
    if (name == "info") return Level::Info;
    if (name == "warning") return Level::Warning;
    if (name == "error") return Level::Error;
    return std::nullopt;
}

std::string_view LevelName(Level level) {
    switch (level) {
        case Level::Info:
            return "info";
        case Level::Warning:
            return "warning";
        case Level::Error:
            return "error";
    }
    return "error";
}

std::span<const Rule> Rules() {
    return RuleTable;
}

const Rule* RuleNamed(std::string_view id) {
    const auto* found = std::find_if(RuleTable.begin(), RuleTable.end(),
                                     [&](const Rule& rule) { return rule.id == id; });
    return found == RuleTable.end() ? nullptr : found;
}

RuleChoice DefaultRuleChoice() {
    RuleChoice choice{};
    for (std::size_t i = 0; i < RuleTable.size(); ++i) {
        choice.on[i] = true;
        choice.level[i] = RuleTable[i].level;
    }
    return choice;
}

std::vector<Finding> CheckHues(std::span<const huedata::HueView> hues, const RuleChoice& choice) {
    std::vector<huedata::HueView> shown;
    shown.reserve(hues.size());
    for (const huedata::HueView& hue : hues) {
        if (!IsEmpty(*hue.record)) shown.push_back(hue);
    }
    std::sort(shown.begin(), shown.end(),
              [](const huedata::HueView& x, const huedata::HueView& y) { return x.id < y.id; });
    shown.erase(std::unique(shown.begin(), shown.end(),
                            [](const auto& x, const auto& y) { return x.id == y.id; }),
                shown.end());
    std::vector<Finding> findings;
    Checking checking(choice, findings);
    for (const huedata::HueView& hue : shown) {
        checking.Ramp(hue);
        checking.NameBytesOf(hue);
        checking.TopBitOf(hue);
    }
    checking.Duplicates(shown);
    checking.Alike(shown);
    // No two findings share all four: the order is whole.
    std::sort(findings.begin(), findings.end(), [](const Finding& x, const Finding& y) {
        return std::tuple(x.hue, x.colour.value_or(-1), x.rule, x.otherHue.value_or(-1)) <
               std::tuple(y.hue, y.colour.value_or(-1), y.rule, y.otherHue.value_or(-1));
    });
    return findings;
}

std::optional<Name> FixedName(const Name& name, int hue, const RuleChoice& choice, Fix allowed) {
    const auto fixes = [&](RuleIndex rule) {
        return choice.on[rule] && !choice.leftOut[rule].contains(hue) &&
               (RuleTable[rule].fix == Fix::Safe || allowed == Fix::Unsafe);
    };
    Name fixed{};
    std::string_view text = NameBytes(name);
    if (fixes(NameSpace) && !text.empty()) {
        const auto first = text.find_first_not_of(' ');
        text = first == std::string_view::npos
                   ? std::string_view{}
                   : text.substr(first, text.find_last_not_of(' ') - first + 1);
    }
    std::copy(text.begin(), text.end(), fixed.begin());
    if (!fixes(NameAfterNul)) {
        // The bytes after the first NUL stay where they were: only a trim moves the name.
        const std::size_t end = NameBytes(name).size();
        std::copy(name.begin() + static_cast<std::ptrdiff_t>(end), name.end(),
                  fixed.begin() + static_cast<std::ptrdiff_t>(end));
    }
    if (fixed == name) return std::nullopt;
    return fixed;
}

}  // namespace huecheck
