#include "hueformats/csv_reading.h"

namespace hueformats {

char CsvSeparator(std::string_view text) {
    bool inQuotes = false;
    for (const char c : text) {
        if (c == '"') inQuotes = !inQuotes;
        if (inQuotes) continue;
        if (c == ',' || c == ';' || c == '\t') return c;
        if (c == '\n') break;
    }
    return ',';
}

CsvRows ReadCsvRows(std::string_view text) {
    const char separator = CsvSeparator(text);
    CsvRows read;
    std::vector<CsvRow>& rows = read.rows;
    CsvRow row{0, {}};
    std::string field;
    bool quoted = false, inQuotes = false;
    const auto endRow = [&] {
        row.fields.push_back(std::move(field));
        field.clear();
        const bool blank = row.fields.size() == 1 && row.fields[0].empty() && !quoted;
        if (!blank) rows.push_back(std::move(row));
        row = CsvRow{0, {}};
        quoted = false;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (row.fields.empty() && field.empty() && !quoted) row.offset = i;
        if (inQuotes) {
            if (c != '"')
                field += c;
            else if (i + 1 < text.size() && text[i + 1] == '"')
                field += text[++i];
            else
                inQuotes = false;
        } else if (c == '"' && field.empty() && !quoted) {
            inQuotes = quoted = true;
        } else if (c == separator) {
            row.fields.push_back(std::move(field));
            field.clear();
            quoted = false;
        } else if (c == '\n' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            if (c == '\r') ++i;
            endRow();
        } else {
            field += c;
        }
    }
    if (inQuotes) {
        read.unclosedAt = row.offset;
        return read;
    }
    if (!row.fields.empty() || !field.empty() || quoted) endRow();
    return read;
}

}  // namespace hueformats
