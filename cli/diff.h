// `diff`: what differs between two hue files, hue by hue and field by field, for people (text),
// as a table (CSV), or as a patch that `build --base` lays over the first file (JSON).
#pragma once

#include "huetext/text_builder.h"
#include "huetext/text_format.h"

#include <filesystem>
#include <string>

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

}  // namespace hues
