// `diff`: what differs between two hue files, hue by hue and field by field, for people (text),
// as a table (CSV), or as a patch that `build --base` lays over the first file (JSON).
#pragma once

#include "huetext/text_builder.h"
#include "huetext/text_format.h"

#include <filesystem>
#include <string>
#include <vector>

namespace hues {

struct DiffRequest {
    std::filesystem::path first, second;
    std::string format;  // text, json or csv
    TextStyle style;
};

struct DiffOutcome {
    bool differ = false;
    std::string note;  // for standard error: why the patch cannot rebuild the second file
};

DiffOutcome DiffHueFiles(const DiffRequest& request, TextBuilder& out);

// Two hue files' bytes, each with the name the output gives it.
struct DiffSide {
    std::string name;
    std::vector<unsigned char> bytes;
};

// The same for bytes at hand (what an edit would make, say).
DiffOutcome DiffHueBytes(const DiffSide& first, const DiffSide& second, const std::string& format,
                         TextStyle style, TextBuilder& out);

}  // namespace hues
