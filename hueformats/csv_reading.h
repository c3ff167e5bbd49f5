// Reading CSV (RFC 4180) as the programs people edit it in save it: line breaks CRLF or LF,
// fields separated by ",", ";" or tabs (whichever the header line uses), quotes doubled inside
// quoted fields. Rows and fields only: what they mean is the reader of hues' business.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hueformats {

struct CsvRow {
    std::size_t offset;  // of the row's first character
    std::vector<std::string> fields;
};

struct CsvRows {
    std::vector<CsvRow> rows;  // blank lines left out
    // Where the row with a quoted field that is never closed starts; then `rows` stops before it.
    std::optional<std::size_t> unclosedAt;
};

// The separator the header line uses: the first of ",", ";" and tab outside quotes (a column's
// name holds none of them); "," where the header is one column.
char CsvSeparator(std::string_view text);

CsvRows ReadCsvRows(std::string_view text);

}  // namespace hueformats
