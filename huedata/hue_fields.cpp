#include "hue_fields.h"

#include "hue_edit.h"
#include "hue_text.h"

#include <algorithm>

namespace huedata {

namespace {

// The name and the words of the fields that are not colours, by their kind.
struct FieldTexts {
    std::string_view name;
    std::string_view words;
};
constexpr std::array<FieldTexts, 3> NamedFields{
    {{"name", "name"}, {"table_start", "table start"}, {"table_end", "table end"}}};

}  // namespace

std::string_view ScalarFieldName(HueField::Kind kind) {
    return NamedFields[kind].name;
}

std::string FieldName(HueField field) {
    if (field.kind != HueField::Color) return std::string(NamedFields[field.kind].name);
    return std::string(ColorsName).append("/").append(std::to_string(field.color));
}

std::optional<HueField> FieldNamed(std::string_view name) {
    for (const HueField::Kind kind : {HueField::Name, HueField::TableStart, HueField::TableEnd}) {
        if (name == NamedFields[kind].name) return HueField{kind};
    }
    if (name == OlderTableStartName) return HueField{HueField::TableStart};
    if (name == OlderTableEndName) return HueField{HueField::TableEnd};
    const std::string colorsPrefix = std::string(ColorsName) + "/";
    for (const std::string_view prefix : {std::string_view(colorsPrefix), OlderColorPrefix}) {
        if (!name.starts_with(prefix)) continue;
        const std::string_view digits = name.substr(prefix.size());
        const std::optional<std::size_t> color = NumberFromText<std::size_t>(digits);
        const bool plain =
            !digits.empty() && digits.size() <= 2 && (digits == "0" || digits[0] != '0');
        if (color && plain && *color < 32) return HueField{HueField::Color, *color};
    }
    return std::nullopt;
}

std::string FieldWords(HueField field) {
    if (field.kind != HueField::Color) return std::string(NamedFields[field.kind].words);
    return "colour " + std::to_string(field.color);
}

std::vector<HueField> DifferingFields(const std::optional<HueRecord>& a,
                                      const std::optional<HueRecord>& b) {
    const bool whole = !a || !b;
    std::vector<HueField> fields;
    if (whole || a->Name != b->Name) fields.push_back({HueField::Name});
    if (whole || a->TableStart != b->TableStart) fields.push_back({HueField::TableStart});
    if (whole || a->TableEnd != b->TableEnd) fields.push_back({HueField::TableEnd});
    for (std::size_t i = 0; i < HueRecord{}.Colors.size(); ++i) {
        if (whole || a->Colors[i] != b->Colors[i]) fields.push_back({HueField::Color, i});
    }
    return fields;
}

FileDifference CompareHueFiles(std::span<const unsigned char> first,
                               std::span<const unsigned char> second) {
    FileDifference difference;
    difference.firstCount = HueCountForSize(first.size());
    difference.secondCount = HueCountForSize(second.size());
    difference.firstSize = first.size();
    difference.secondSize = second.size();
    const std::size_t most = std::max(difference.firstCount, difference.secondCount);
    for (std::size_t id = 0; id < most; ++id) {
        const auto at = static_cast<std::ptrdiff_t>(HueOffset(id));
        const bool inFirst = id < difference.firstCount, inSecond = id < difference.secondCount;
        if (inFirst && inSecond &&
            std::equal(first.begin() + at, first.begin() + at + HueRecordSize,
                       second.begin() + at)) {
            continue;
        }
        HueDifference hue{id, std::nullopt, std::nullopt, {}};
        if (inFirst) hue.first = HueAt(first, id);
        if (inSecond) hue.second = HueAt(second, id);
        hue.fields = DifferingFields(hue.first, hue.second);
        difference.hues.push_back(std::move(hue));
    }
    // A block's header belongs to a file that holds a hue of the block; past that, its bytes
    // are the tail's.
    const auto header = [](std::span<const unsigned char> bytes, std::size_t count,
                           std::size_t block) {
        return block * HuesPerBlock < count ? BlockHeaderAt(bytes, block) : 0U;
    };
    for (std::size_t block = 0; block * HuesPerBlock < most; ++block) {
        const std::uint32_t a = header(first, difference.firstCount, block);
        const std::uint32_t b = header(second, difference.secondCount, block);
        if (a != b) difference.headers.push_back({block, a, b});
    }
    const auto tail = [](std::span<const unsigned char> bytes, std::size_t count) {
        return bytes.subspan(static_cast<std::size_t>(EndOfEntries(count)));
    };
    difference.tailsDiffer = !std::ranges::equal(tail(first, difference.firstCount),
                                                 tail(second, difference.secondCount));
    return difference;
}

}  // namespace huedata
