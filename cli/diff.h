// `diff`: what differs between two hue files, hue by hue and field by field, for people (text,
// and a page: HTML, or served to a browser), as a table (CSV), or as a patch that
// `build --base` lays over the first file (JSON).
#pragma once

#include "cli/command.h"
#include "huedata/text_builder.h"
#include "hueformats/text_format.h"
#include "page/sample_picture.h"

#include "huedata/hue_fields.h"

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace cli {

struct DiffRequest {
    std::filesystem::path first, second;
    std::string format;  // text, json, csv or html
    hueformats::TextStyle style;
    std::optional<std::filesystem::path> output;  // written atomically, not to standard output
    std::optional<std::string> name;              // the file's name in the page's title
    std::optional<page::SamplePicture> sample;    // the page shows each changed hue on it
};

struct DiffOutcome {
    bool differ = false;
    std::string note;  // for standard error: why the patch cannot rebuild the second file
};

DiffOutcome DiffHueFiles(const DiffRequest& request, huedata::TextBuilder& out);

// The diff page of the two files, for `hues diff --web` to serve: its Done button ends it.
std::string ServedDiffPage(const DiffRequest& request);

// A hue file's bytes, with the name the output gives it.
struct DiffSide {
    std::string name;
    std::span<const unsigned char> bytes;
};

// The same for bytes at hand (what an edit would make, say).
DiffOutcome DiffHueBytes(const DiffSide& first, const DiffSide& second, const std::string& format,
                         hueformats::TextStyle style, huedata::TextBuilder& out);

// `diff`: its options, and its run.
Command DiffCommand();

}  // namespace cli
