// `build`, `apply` and `set`: hue files made from text, and changed in place without ever
// losing a byte or an edit.
#pragma once

#include "cli/app.h"
#include "cli/command.h"
#include "hueformats/hue_source.h"
#include "hueformats/text_format.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace cli {

// How the sources are read, and whether anything is written.
struct SourceReading {
    std::vector<std::string> sources;  // JSON, CSV, or ASE, ACO, KPL; "-" is standard input
    hueformats::SourceEncoding encoding = hueformats::SourceEncoding::Detect;
    bool strict = false;  // a colour no hue can hold is an error
    // Nothing written: what would change goes to standard output as `diff` writes it, and the
    // exit status is 1 where anything would.
    bool dryRun = false;
    hueformats::TextStyle style;  // of that diff
};

struct BuildRequest {
    SourceReading reading;
    std::filesystem::path output;
    std::optional<std::filesystem::path> base;  // the bytes to start from
    std::size_t count = 0;                      // at least this many hues
};

// Makes the file `output` from the sources. Returns the exit status; warnings go to `err`.
int BuildHueFile(const BuildRequest& request, const Environment& environment,
                 huedata::TextBuilder& out, std::string& err);

struct ApplyRequest {
    SourceReading reading;
    std::filesystem::path file;
    bool keepBackup = true;
};

// Changes `file` in place as build --base would, and says so in `err`: a line for each hue
// renamed (the first 20), then the one line saying what was done. Returns the exit status.
int ApplyToHueFile(const ApplyRequest& request, const Environment& environment,
                   huedata::TextBuilder& out, std::string& err);

struct SetRequest {
    std::filesystem::path file;
    int id = 0;
    std::optional<std::string> name;
    std::vector<std::string> table;     // START and END, when given
    std::optional<std::string> colors;  // C0,...,C31
    std::optional<std::string> gradient;
    std::optional<int> copyOf;
    std::optional<std::filesystem::path> picture;  // the colours made from this picture
    std::optional<std::string> region;             // of it, X,Y,W,H
    std::optional<std::string> palette;            // the colours from PALETTE[#GROUP]
    std::optional<std::string> ramp;               // the colours made from this one
    std::optional<std::string> shift, range;       // and how, as given
    bool keepBackup = true;
    bool strict = false;
    bool dryRun = false;          // write nothing: show what would change as diff does
    hueformats::TextStyle style;  // of that diff
};

// --dry-run: what an edit would make of `before`, written to `out` as `diff` writes it, and a
// line to `err` saying nothing was written. Returns 1 where anything would change, else 0.
int ShowDryRun(const std::string& name, std::vector<unsigned char> before,
               std::vector<unsigned char> after, hueformats::TextStyle style,
               huedata::TextBuilder& out, std::string& err);

// Changes one hue of `file` in place; the one line saying what was done goes to `err`. Returns
// the exit status: with dryRun, 1 where the hue would change.
int SetHue(const SetRequest& request, huedata::TextBuilder& out, std::string& err);

// build, apply, set and edit (the editor in the browser): their options, and their runs.
std::vector<Command> EditCommands();

}  // namespace cli
