// The error every command reports through, the one way a failure of the core to read or write
// a file becomes one, and text made safe to show a person.
#pragma once

#include "huedata/hue_file.h"
#include "huedata/safe_write.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace huetext {

// A failure to report as "hues: <message>" with exit status 2.
class HuesError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A failure of the core to read a file, in the words every command gives it: "PATH: reason".
std::string FileErrorText(const huedata::HueFileError& error);

// Runs `work`, a read or a write of the core, and reports its failure as every command does:
// a HuesError that names the file.
template <typename Work>
auto NamingTheFile(Work work) {
    try {
        return work();
    } catch (const huedata::HueFileError& error) {
        throw HuesError(FileErrorText(error));
    } catch (const huedata::FileWriteError& error) {
        throw HuesError(error.what());
    }
}

// The text with each control character replaced by U+FFFD, so that a name can never move
// a terminal's cursor, break a line of a palette file or hide in a web page.
std::string PrintableText(std::string_view utf8);

// The same text written at `out`, which has room for 3 * utf8.size() characters; returns the
// end. For writers of whole files of names.
char* WritePrintableText(char* out, std::string_view utf8);

}  // namespace huetext
