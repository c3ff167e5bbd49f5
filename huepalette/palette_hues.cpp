#include "huepalette/palette_hues.h"

#include "huedata/file_error.h"

#include "huedata/hue_text.h"

#include <charconv>
#include <map>

namespace huepalette {

namespace {

// The decimal digits `text` starts with, if any.
std::string_view LeadingDigits(std::string_view text) {
    return text.substr(0, std::min(text.size(), text.find_first_not_of("0123456789")));
}

// "Hue ID" and what follows, from the start of `text`; nothing where it does not start so.
std::optional<int> LeadingHueId(std::string_view& text) {
    if (!text.starts_with("Hue ")) return std::nullopt;
    text.remove_prefix(4);
    const std::string_view digits = LeadingDigits(text);
    const auto id = huedata::NumberFromText<int>(digits);
    if (!id || *id > huedata::HighestHueId) return std::nullopt;
    text.remove_prefix(digits.size());
    return id;
}

// The name after an id, or an index: "" at the end, or what follows one space.
std::optional<std::string> NameAfter(std::string_view rest) {
    if (rest.empty()) return std::string();
    if (rest.front() != ' ') return std::nullopt;
    return std::string(rest.substr(1));
}

struct NamedHue {
    int id;
    std::string name;
};

std::optional<NamedHue> HueOfGroup(std::string_view text) {
    const auto id = LeadingHueId(text);
    if (!id) return std::nullopt;
    auto name = NameAfter(text);
    if (!name) return std::nullopt;
    return NamedHue{*id, std::move(*name)};
}

struct NamedColor {
    int id;
    std::size_t index;
    std::string name;
};

std::optional<NamedColor> HueOfColor(std::string_view text) {
    const auto id = LeadingHueId(text);
    if (!id || !text.starts_with(" colour ")) return std::nullopt;
    text.remove_prefix(8);
    const std::string_view digits = LeadingDigits(text);
    const auto index = huedata::NumberFromText<std::size_t>(digits);
    if (!index || *index >= HueColorCount) return std::nullopt;
    text.remove_prefix(digits.size());
    auto name = NameAfter(text);
    if (!name) return std::nullopt;
    return NamedColor{*id, *index, std::move(*name)};
}

std::string GroupList(const Palette& palette) {
    std::string list;
    std::size_t named = 0;
    for (const PaletteGroup& group : palette.groups) {
        if (group.name.empty()) continue;
        if (++named > 8) continue;
        list += (named == 1 ? "\"" : ", \"") + huedata::PrintableText(group.name) + "\" (" +
                std::to_string(group.colors.size()) + ")";
    }
    if (named == 0) return "no groups";
    if (named > 8) list += " and " + std::to_string(named - 8) + " more";
    return (named == 1 ? "the group " : "the groups ") + list;
}

std::string Colours(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " colour" : " colours");
}

}  // namespace

std::string PaletteGroupName(int id, std::string_view name) {
    std::string text = "Hue " + std::to_string(id);
    if (!name.empty()) text.append(" ").append(name);
    return text;
}

std::string PaletteColorName(int id, std::size_t index, std::string_view name) {
    std::string text = "Hue " + std::to_string(id) + " colour " + std::to_string(index);
    if (!name.empty()) text.append(" ").append(name);
    return text;
}

std::vector<huedata::Rgb24> PaletteColorsFor(const std::string& name, const Palette& palette,
                                             const std::optional<std::string>& group) {
    const std::string format(FormatName(palette.format));
    std::vector<huedata::Rgb24> colors;
    if (group) {
        const PaletteGroup* found = nullptr;
        for (const PaletteGroup& candidate : palette.groups) {
            const auto hue = HueOfGroup(candidate.name);
            if (candidate.name == *group || (hue && std::to_string(hue->id) == *group)) {
                found = &candidate;
                break;
            }
        }
        if (found == nullptr) {
            throw huedata::HuesError(name + ": " + format + ": has no group \"" +
                                     huedata::PrintableText(*group) + "\"; it has " +
                                     GroupList(palette));
        }
        for (const PaletteColor& color : found->colors) colors.push_back(color.rgb);
    } else {
        for (const PaletteGroup& each : palette.groups) {
            for (const PaletteColor& color : each.colors) colors.push_back(color.rgb);
        }
        if (colors.size() > HueColorCount && palette.groups.size() == 1) {
            throw huedata::HuesError(name + ": " + format + ": holds " + Colours(colors.size()) +
                                     ", more than a hue's 32, and no groups to choose from");
        }
        if (colors.size() > HueColorCount) {
            throw huedata::HuesError(name + ": " + format + ": holds " + Colours(colors.size()) +
                                     ", more than a hue's 32, in " + GroupList(palette) +
                                     ": name a group of 32 as " + name + "#GROUP");
        }
    }
    if (colors.size() < 2 || colors.size() > HueColorCount) {
        throw huedata::HuesError(name + (group ? "#" + huedata::PrintableText(*group) : "") + ": " +
                                 format + ": gives " + Colours(colors.size()) +
                                 "; a hue takes 32, or 2 to 31 as the stops of a gradient");
    }
    return colors;
}

huedata::SourceHues PaletteHues(const std::string& name, const Palette& palette, bool strict,
                                int& inexact, std::string& firstInexact) {
    const std::string where = name + ": " + std::string(FormatName(palette.format));
    struct Gathered {
        std::string name;
        std::array<const PaletteColor*, HueColorCount> colors{};
    };
    std::map<int, Gathered> hues;
    for (const PaletteGroup& group : palette.groups) {
        if (!group.name.empty()) {
            const auto hue = HueOfGroup(group.name);
            if (!hue) {
                throw huedata::HuesError(where + ": group \"" + huedata::PrintableText(group.name) +
                                         R"(" names no hue (export names each "Hue ID NAME"))");
            }
            if (group.colors.size() != HueColorCount || hues.contains(hue->id)) {
                throw huedata::HuesError(
                    where + ": group \"" + huedata::PrintableText(group.name) + "\" " +
                    (hues.contains(hue->id)
                         ? "gives hue " + std::to_string(hue->id) + " twice"
                         : "holds " + Colours(group.colors.size()) + "; a hue has 32"));
            }
            Gathered& gathered = hues[hue->id];
            gathered.name = hue->name;
            for (std::size_t i = 0; i < HueColorCount; ++i) gathered.colors[i] = &group.colors[i];
            continue;
        }
        for (const PaletteColor& color : group.colors) {
            const auto named = HueOfColor(color.name);
            if (!named) {
                throw huedata::HuesError(
                    where + ": colour \"" + huedata::PrintableText(color.name) +
                    R"(" names no hue (export names each "Hue ID colour INDEX NAME"))");
            }
            Gathered& gathered = hues[named->id];
            if (gathered.colors[named->index] != nullptr) {
                throw huedata::HuesError(where + ": colour \"" +
                                         huedata::PrintableText(color.name) + "\" is given twice");
            }
            if (named->index == 0) gathered.name = named->name;
            gathered.colors[named->index] = &color;
        }
    }
    huedata::SourceHues read;
    for (const auto& [id, gathered] : hues) {
        huedata::HueChange change{.id = id};
        huedata::ShownFields shown;
        // A name holding U+FFFD cannot be stored: it is an export's stand-in for a control
        // character, so the file's name stays.
        if (gathered.name.find("\xEF\xBF\xBD") == std::string::npos) {
            try {
                change.name = huedata::HueNameBytes(gathered.name);
            } catch (const std::invalid_argument& why) {
                throw huedata::HuesError(where + ": hue " + std::to_string(id) + ": name \"" +
                                         huedata::PrintableText(gathered.name) +
                                         "\" cannot be stored: " + why.what());
            }
            shown.names.push_back(gathered.name);
        }
        change.colors.emplace();
        for (std::size_t i = 0; i < HueColorCount; ++i) {
            if (gathered.colors[i] == nullptr) {
                throw huedata::HuesError(where + ": hue " + std::to_string(id) + " has no colour " +
                                         std::to_string(i));
            }
            const huedata::Rgb24 rgb = gathered.colors[i]->rgb;
            const int before = inexact;
            (*change.colors)[i] = huedata::StoredColor(rgb, inexact);
            if (inexact != before) {
                const std::string place =
                    name + ", hue " + std::to_string(id) + " colour " + std::to_string(i);
                if (strict) {
                    throw huedata::HuesError(place + ": " +
                                             huedata::InexactColorText(rgb, (*change.colors)[i]));
                }
                if (firstInexact.empty()) firstInexact = place;
            }
            shown.colors[i] = rgb;
        }
        shown.colorsShown = 0xFFFFFFFFU;
        read.changes.push_back(change);
        read.shown.push_back(std::move(shown));
    }
    return read;
}

}  // namespace huepalette
