// `build`, `apply` and `set`: hue files made from text, and changed in place without ever
// losing a byte or an edit.
#pragma once

#include "cli/app.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace hues {

struct BuildRequest {
    std::vector<std::string> sources;  // files of JSON or CSV; "-" is standard input
    std::filesystem::path output;
    std::optional<std::filesystem::path> base;  // the bytes to start from
    std::size_t count = 0;                      // at least this many hues
    bool strict = false;                        // a colour no hue can hold is an error
};

// Makes the file `output` from the sources. Returns what goes to standard error (warnings).
std::string BuildHueFile(const BuildRequest& request, const Environment& environment);

struct ApplyRequest {
    std::filesystem::path file;
    std::vector<std::string> sources;
    bool keepBackup = true;
    bool strict = false;
};

// Changes `file` in place as build --base would. Returns the one line saying what was done.
std::string ApplyToHueFile(const ApplyRequest& request, const Environment& environment);

struct SetRequest {
    std::filesystem::path file;
    int id = 0;
    std::optional<std::string> name;
    std::vector<std::string> table;     // START and END, when given
    std::optional<std::string> colors;  // C0,...,C31
    std::optional<std::string> gradient;
    std::optional<int> copyOf;
    bool keepBackup = true;
    bool strict = false;
};

// Changes one hue of `file` in place. Returns the one line saying what was done.
std::string SetHue(const SetRequest& request);

}  // namespace hues
