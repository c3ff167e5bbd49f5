// A source of hues as text, as the programs people edit them in save it: its bytes read as
// their byte-order mark says (UTF-8, UTF-16 LE or BE), else as UTF-8 or Windows-1252, a file
// a spreadsheet spelled twice read as it was.
#pragma once

#include <string>
#include <string_view>

namespace hueformats {

// One source's text (UTF-8) and the name its messages give it (a file's path, "standard input").
struct SourceText {
    std::string name;
    std::string text;
};

// How a source's bytes are read: by what they show, or as one encoding whatever they show.
enum class SourceEncoding { Detect, Utf8, Windows1252 };

// A source's bytes as UTF-8 text. A byte-order mark (UTF-8, UTF-16 LE or BE) is taken as what it
// says; without one, text that is valid UTF-8 is taken as it is, and other text as Windows-1252,
// with a warning line ("hues: warning: ...") added to `warning`, unless `encoding` says which.
// Throws HuesError naming the source for bytes that are not text (a NUL byte without a UTF-16
// mark, a broken UTF-16) or not in the encoding it says.
SourceText DecodeSource(std::string name, std::string_view bytes, SourceEncoding encoding,
                        std::string& warning);

}  // namespace hueformats
