#include "hueformats/hue_source.h"

#include "huedata/hue_text.h"
#include "huedata/hue_view.h"
#include "hueformats/csv_format.h"
#include "hueformats/csv_reading.h"

#include "huecolour/oklab.h"
#include "huedata/hue_fields.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <stdexcept>

namespace hueformats {

namespace {

using huedata::HueField;

// TableStart or TableEnd, where `name` is the field table's name of one.
std::optional<HueField::Kind> TableFieldNamed(std::string_view name) {
    for (const HueField::Kind kind : {HueField::TableStart, HueField::TableEnd}) {
        if (name == huedata::ScalarFieldName(kind)) return kind;
    }
    return std::nullopt;
}

using json = nlohmann::json;
using huedata::Color15;
using huedata::Rgb24;

// Where a hue stands in its source, for messages: a line, and in JSON a column.
struct Place {
    const SourceText* source;
    std::size_t offset;  // of the hue's first character
    bool withColumn;
};

std::string PlaceText(const Place& place) {
    const std::string_view text = place.source->text;
    const std::string_view before = text.substr(0, std::min(place.offset, text.size()));
    const std::size_t line =
        1 + static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
    const std::size_t lineStart =
        before.rfind('\n') == std::string_view::npos ? 0 : before.rfind('\n') + 1;
    std::string where = place.source->name + ":" + std::to_string(line);
    if (place.withColumn) where += ":" + std::to_string(place.offset - lineStart + 1);
    return where;
}

[[noreturn]] void Fault(const Place& place, std::optional<int> id, const std::string& field,
                        const std::string& reason) {
    std::string message = PlaceText(place) + ": ";
    if (id) message += "hue " + std::to_string(*id) + ": ";
    // What the source holds is shown as it is, but never with a line break or an escape.
    if (!field.empty()) message += huedata::PrintableText(field) + ": ";
    throw huedata::HuesError(message + huedata::PrintableText(reason));
}

// The first colour that was not exactly one a hue can hold, and how many there were.
struct Inexact {
    int count = 0;
    std::string first;
};

// Reads the fields of one hue, whichever form it came in, and checks them.
class HueReader {
public:
    HueReader(const Place& place, bool strict, Inexact& inexact)
        : place_(place), strict_(strict), inexact_(inexact) {}

    void Id(std::int64_t id) {
        if (id < 0 || id > huedata::HighestHueId)
            Fail("id", "must be from 0 to " + std::to_string(huedata::HighestHueId) + ", not " +
                           std::to_string(id));
        change_.id = static_cast<int>(id);
        id_ = change_.id;
    }
    void Name(const std::string& text) { nameText_ = text; }
    // The name as written, where the text read as the name may have lost a guard (CSV).
    void NameAsWritten(const std::string& text) { nameAsWritten_ = text; }
    void NameBytes(std::string_view hex) {
        std::array<unsigned char, 20> bytes{};
        const bool fits = hex.size() == 40 && std::all_of(hex.begin(), hex.end(), [](char c) {
                              return std::isxdigit(static_cast<unsigned char>(c)) != 0;
                          });
        if (!fits)
            Fail(std::string(huedata::NameBytesName),
                 "must be 40 hexadecimal digits (the 20 bytes of the name)");
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = *huedata::NumberFromText<unsigned char>(hex.substr(2 * i, 2), 16);
        }
        nameBytes_ = bytes;
    }
    // `which`: TableStart or TableEnd.
    void Table(huedata::HueField::Kind which, std::int64_t value) {
        if (value < huedata::LowestTableValue || value > huedata::HighestTableValue) {
            Fail(std::string(huedata::ScalarFieldName(which)),
                 "must be from " + huedata::TableRangeText() + ", not " + std::to_string(value));
        }
        (which == huedata::HueField::TableStart ? change_.tableStart : change_.tableEnd) =
            static_cast<std::int16_t>(value);
    }
    void Color(std::size_t index, std::string_view text) {
        try {
            colors_[index] = huedata::ParseColor(text);
        } catch (const huedata::HuesError& why) {
            Fail(ColorField(index), why.what());
        }
    }
    void Stored(std::size_t index, std::int64_t value) {
        if (value < 0 || value > 65535) {
            Fail(std::string(huedata::StoredName) + "/" + std::to_string(index),
                 "must be from 0 to 65535, not " + std::to_string(value));
        }
        stored_[index] = static_cast<Color15>(static_cast<std::uint16_t>(value));
    }
    void BlockHeader(std::int64_t value) {
        if (value < 0 || value > std::int64_t{0xFFFFFFFF}) {
            Fail(std::string(huedata::BlockHeaderName),
                 "must be from 0 to 4294967295, not " + std::to_string(value));
        }
        change_.blockHeader = static_cast<std::uint32_t>(value);
    }
    void HasColors() { hasColors_ = true; }
    void HasStored() { hasStored_ = true; }

    [[noreturn]] void Fail(const std::string& field, const std::string& reason) const {
        Fault(place_, id_, field, reason);
    }

    // The change, once every field is read: a name typed over its bytes wins, and so does a
    // colour changed over its stored value.
    huedata::HueChange Finish() {
        if (change_.blockHeader &&
            static_cast<std::size_t>(change_.id) % huedata::HuesPerBlock != 0) {
            Fail(std::string(huedata::BlockHeaderName),
                 "only the first hue of a block, whose id is a multiple of 8, "
                 "carries one");
        }
        change_.name = nameBytes_;
        if (nameText_ && (!nameBytes_ || huedata::HueNameUtf8Text(*nameBytes_) != *nameText_)) {
            try {
                change_.name = huedata::HueNameBytes(*nameText_);
            } catch (const std::invalid_argument& why) {
                Fail("name", "\"" + huedata::PrintableText(*nameText_) +
                                 "\" cannot be stored: " + why.what());
            }
            shown_.names.push_back(*nameText_);
            if (nameAsWritten_) shown_.names.push_back(*nameAsWritten_);
        }
        if (hasColors_ || hasStored_) {
            std::array<Color15, 32> colors{};
            for (std::size_t i = 0; i < colors.size(); ++i) {
                const bool agree =
                    hasStored_ && (!hasColors_ || huedata::ConvertColor(stored_[i]) == colors_[i]);
                colors[i] = agree ? stored_[i] : Edited(i);
                if (!agree) {
                    shown_.colorsShown |= 1U << i;
                    shown_.colors[i] = colors_[i];
                }
            }
            change_.colors = colors;
        }
        return change_;
    }
    const huedata::ShownFields& Shown() const { return shown_; }

    // A colour's field as the JSON format names it.
    static std::string ColorField(std::size_t index) {
        return huedata::FieldName({huedata::HueField::Color, index});
    }

private:
    Color15 Edited(std::size_t index) {
        const Rgb24 color = colors_[index];
        int inexact = 0;
        const Color15 stored = huedata::StoredColor(color, inexact);
        if (inexact != 0) {
            const std::string what = huedata::InexactColorText(color, stored);
            if (strict_) Fail(ColorField(index), what);
            if (inexact_.count++ == 0) {
                inexact_.first = PlaceText(place_) + ": hue " + std::to_string(change_.id) + ": " +
                                 ColorField(index) + ": " + what;
            }
        }
        return stored;
    }

    Place place_;
    bool strict_;
    Inexact& inexact_;
    std::optional<int> id_;
    huedata::HueChange change_;
    std::optional<std::array<unsigned char, 20>> nameBytes_;
    std::optional<std::string> nameText_, nameAsWritten_;
    huedata::ShownFields shown_;
    std::array<Rgb24, 32> colors_{};
    std::array<Color15, 32> stored_{};
    bool hasColors_ = false, hasStored_ = false;
};

// One hue read, with what its text showed and where it stands.
struct ReadHue {
    huedata::HueChange change;
    huedata::ShownFields shown;
    Place place;
};

// ---- JSON ----

// Where each hue object of a well-formed document starts: the items of the outer array, or
// the one object.
std::vector<std::size_t> ItemOffsets(std::string_view text) {
    std::vector<std::size_t> items;
    int depth = 0;
    bool inString = false, awaiting = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
        if ((depth == 1 && awaiting && c != ']') || (depth == 0 && c == '{')) {
            items.push_back(i);
            awaiting = false;
        }
        if (c == '"') inString = true;
        if (c == '[' || c == '{') {
            awaiting = depth == 0 && c == '[';
            ++depth;
        }
        if (c == ']' || c == '}') --depth;
        if (c == ',' && depth == 1) awaiting = true;
    }
    return items;
}

std::string Shown(const json& value) {
    std::string text = value.dump();
    if (text.size() > 40) text = text.substr(0, 37) + "...";
    return text;
}

std::int64_t Integer(const HueReader& reader, const std::string& field, const json& value) {
    if (value.is_number_unsigned()) {
        return static_cast<std::int64_t>(std::min<std::uint64_t>(
            value.get<std::uint64_t>(), std::numeric_limits<std::int64_t>::max()));
    }
    if (!value.is_number_integer())
        reader.Fail(field, "expected a whole number, found " + Shown(value));
    return value.get<std::int64_t>();
}

const std::string& String(const HueReader& reader, const std::string& field, const json& value) {
    if (!value.is_string()) reader.Fail(field, "expected a string, found " + Shown(value));
    return value.get_ref<const std::string&>();
}

const json::array_t& ArrayOf32(const HueReader& reader, const std::string& field,
                               const json& value) {
    if (!value.is_array()) reader.Fail(field, "expected an array of 32, found " + Shown(value));
    const auto& items = value.get_ref<const json::array_t&>();
    if (items.size() != 32) {
        reader.Fail(field, "has " + std::to_string(items.size()) + " items; a hue has 32 colours");
    }
    return items;
}

ReadHue ReadJsonHue(const json& object, const Place& place, bool strict, Inexact& inexact) {
    HueReader reader(place, strict, inexact);
    if (!object.is_object())
        Fault(place, std::nullopt, "", "expected a hue object, found " + Shown(object));
    const auto id = object.find("id");
    if (id == object.end()) Fault(place, std::nullopt, "", "the hue object has no \"id\"");
    reader.Id(Integer(reader, "id", *id));
    for (const auto& [key, value] : object.items()) {
        if (key == "id") continue;
        if (key == huedata::ScalarFieldName(HueField::Name)) {
            reader.Name(String(reader, key, value));
        } else if (key == huedata::NameBytesName) {
            reader.NameBytes(String(reader, key, value));
        } else if (const auto table = TableFieldNamed(key)) {
            reader.Table(*table, Integer(reader, key, value));
        } else if (key == huedata::BlockHeaderName) {
            reader.BlockHeader(Integer(reader, key, value));
        } else if (key == huedata::ColorsName) {
            const auto& items = ArrayOf32(reader, key, value);
            for (std::size_t i = 0; i < items.size(); ++i) {
                reader.Color(i, String(reader, HueReader::ColorField(i), items[i]));
            }
            reader.HasColors();
        } else if (key == huedata::StoredName) {
            const auto& items = ArrayOf32(reader, key, value);
            for (std::size_t i = 0; i < items.size(); ++i) {
                reader.Stored(
                    i, Integer(reader, std::string(huedata::StoredName) + "/" + std::to_string(i),
                               items[i]));
            }
            reader.HasStored();
        } else {
            reader.Fail(key,
                        "is not a field of a hue: id, block_header, name, name_bytes, "
                        "table_start, table_end, colors, stored");
        }
    }
    const huedata::HueChange change = reader.Finish();
    return {change, reader.Shown(), place};
}

// The text of a parse error without the library's prefix ("[json.exception...] ... column N: ").
std::string ParseErrorText(const json::exception& error) {
    const std::string text = error.what();
    const auto column = text.find("column ");
    const auto colon = text.find(": ", column == std::string::npos ? 0 : column);
    return colon == std::string::npos ? text : text.substr(colon + 2);
}

void ReadJson(const SourceText& source, bool strict, Inexact& inexact, std::vector<ReadHue>& hues) {
    json document;
    try {
        document = json::parse(source.text);
    } catch (const json::parse_error& error) {
        const Place place{&source, error.byte == 0 ? 0 : error.byte - 1, true};
        Fault(place, std::nullopt, "", "not valid JSON: " + ParseErrorText(error));
    } catch (const json::exception& error) {  // a number too large for any type, say
        Fault(Place{&source, 0, true}, std::nullopt, "",
              "not valid JSON: " + ParseErrorText(error));
    }
    const std::vector<std::size_t> offsets = ItemOffsets(source.text);
    const auto placeOf = [&](std::size_t item) {
        return Place{&source, item < offsets.size() ? offsets[item] : 0, true};
    };
    if (document.is_object()) {
        hues.push_back(ReadJsonHue(document, placeOf(0), strict, inexact));
        return;
    }
    if (!document.is_array()) {
        Fault(Place{&source, 0, true}, std::nullopt, "",
              "expected an array of hue objects or one hue object");
    }
    hues.reserve(hues.size() + document.size());
    for (std::size_t i = 0; i < document.size(); ++i) {
        hues.push_back(ReadJsonHue(document[i], placeOf(i), strict, inexact));
    }
}

// ---- CSV (its rows: csv_reading.h) ----

// The index of a colour column, "color0" to "color31", as the export names them.
std::optional<std::size_t> ColorColumn(std::string_view column) {
    if (!column.starts_with("color")) return std::nullopt;
    const std::string_view digits = column.substr(5);
    const auto index = huedata::NumberFromText<std::size_t>(digits);
    if (!index || *index >= huedata::HueColorCount || (digits.size() > 1 && digits[0] == '0')) {
        return std::nullopt;
    }
    return index;
}

std::int64_t CsvInteger(const HueReader& reader, const std::string& field,
                        const std::string& text) {
    const auto value = huedata::NumberFromText<std::int64_t>(text);
    if (!value)
        reader.Fail(field,
                    "expected a whole number, found \"" + huedata::PrintableText(text) + "\"");
    return *value;
}

// A cell as written, without the apostrophe that guards it from a spreadsheet (as export csv
// writes it), where it holds one.
std::string_view Unguarded(std::string_view cell) {
    if (cell.starts_with('\'') && SpreadsheetMightChange(cell.substr(1))) cell.remove_prefix(1);
    return cell;
}

void ReadCsv(const SourceText& source, bool strict, Inexact& inexact, std::vector<ReadHue>& hues) {
    const CsvRows read = ReadCsvRows(source.text);
    if (read.unclosedAt) {
        Fault(Place{&source, *read.unclosedAt, false}, std::nullopt, "",
              "a quoted field is never closed");
    }
    const std::vector<CsvRow>& rows = read.rows;
    if (rows.empty()) return;
    const std::vector<std::string>& header = rows.front().fields;
    const Place headerPlace{&source, rows.front().offset, false};
    int colorColumns = 0;
    for (std::size_t i = 0; i < header.size(); ++i) {
        const std::string& column = header[i];
        const bool color = ColorColumn(column).has_value();
        const bool known = color || column == "id" ||
                           column == huedata::ScalarFieldName(HueField::Name) ||
                           TableFieldNamed(column).has_value();
        if (!known) {
            Fault(headerPlace, std::nullopt, column,
                  "is not a column of a hue: id, name, table_start, table_end, color0 to color31");
        }
        if (std::count(header.begin(), header.end(), column) > 1) {
            Fault(headerPlace, std::nullopt, column, "is a column given twice");
        }
        colorColumns += color ? 1 : 0;
    }
    if (std::find(header.begin(), header.end(), "id") == header.end()) {
        Fault(headerPlace, std::nullopt, "", "the header has no column \"id\"");
    }
    if (colorColumns != 0 && colorColumns != 32) {
        Fault(headerPlace, std::nullopt, "",
              "the header has " + std::to_string(colorColumns) +
                  " of the 32 colour columns color0 to color31; give all or none");
    }
    const auto idColumn =
        static_cast<std::size_t>(std::find(header.begin(), header.end(), "id") - header.begin());
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const CsvRow& row = rows[r];
        const Place place{&source, row.offset, false};
        HueReader reader(place, strict, inexact);
        if (row.fields.size() != header.size()) {
            Fault(place, std::nullopt, "",
                  "the row has " + std::to_string(row.fields.size()) + " fields; the header has " +
                      std::to_string(header.size()));
        }
        reader.Id(CsvInteger(reader, "id", std::string(Unguarded(row.fields[idColumn]))));
        for (std::size_t i = 0; i < header.size(); ++i) {
            const std::string& column = header[i];
            const std::string value(Unguarded(row.fields[i]));
            if (column == huedata::ScalarFieldName(HueField::Name)) {
                reader.Name(value);
                if (value != row.fields[i]) reader.NameAsWritten(row.fields[i]);
            }
            if (const auto table = TableFieldNamed(column)) {
                reader.Table(*table, CsvInteger(reader, column, value));
            }
            if (const auto index = ColorColumn(column)) reader.Color(*index, value);
        }
        if (colorColumns != 0) reader.HasColors();
        const huedata::HueChange change = reader.Finish();
        hues.push_back({change, reader.Shown(), place});
    }
}

}  // namespace

bool LooksLikeJson(std::string_view text) {
    // A NUL counts as space, so that UTF-16's bytes, told before they are decoded, say the same.
    const auto first = text.find_first_not_of(std::string_view(" \t\r\n\0", 5));
    return first != std::string_view::npos && (text[first] == '[' || text[first] == '{');
}

huedata::SourceHues ReadHueSources(std::span<const SourceText> sources, bool strict) {
    Inexact inexact;
    std::vector<ReadHue> hues;
    for (const SourceText& source : sources) {
        if (source.text.find_first_not_of(" \t\r\n") == std::string::npos) {
            Fault(Place{&source, 0, false}, std::nullopt, "",
                  "holds no hues: give JSON (as list --format json writes) or CSV");
        }
        if (LooksLikeJson(source.text)) {
            ReadJson(source, strict, inexact, hues);
        } else {
            ReadCsv(source, strict, inexact, hues);
        }
    }
    // Sized to the ids given: a table for every id the format allows would cost a small
    // edit more than the rest of its reading.
    std::size_t idCount = 0;
    for (const ReadHue& hue : hues) {
        idCount = std::max(idCount, static_cast<std::size_t>(hue.change.id) + 1);
    }
    std::vector<const Place*> firstPlace(idCount, nullptr);
    huedata::SourceHues read;
    read.changes.reserve(hues.size());
    read.shown.reserve(hues.size());
    for (const ReadHue& hue : hues) {
        const Place*& first = firstPlace[static_cast<std::size_t>(hue.change.id)];
        if (first != nullptr) {
            Fault(hue.place, hue.change.id, "id", "is given twice; first at " + PlaceText(*first));
        }
        first = &hue.place;
        read.changes.push_back(hue.change);
        read.shown.push_back(hue.shown);
    }
    read.warning = huedata::InexactColorsWarning(inexact.count, inexact.first);
    return read;
}

}  // namespace hueformats
