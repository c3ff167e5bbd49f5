// `build`, `apply` and `set`: hue files made from text, and changed in place without ever
// losing a byte or an edit.
#pragma once

#include "cli/app.h"
#include "cli/command.h"
#include "huecolour/picture_ramp.h"
#include "huecolour/shifted_ramp.h"
#include "huedata/color15.h"
#include "huedata/safe_write.h"
#include "hueformats/hue_source.h"
#include "hueformats/text_format.h"

#include <array>
#include <cstddef>
#include <cstdint>
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

// What `set` changes, read from its arguments and checked before anything is read.
struct SetRequest {
    std::filesystem::path file;
    int id = 0;
    std::optional<std::array<unsigned char, 20>> name = std::nullopt;
    std::optional<std::int16_t> tableStart = std::nullopt, tableEnd = std::nullopt;
    // The colours, from one of these: all 32, the stops of a gradient, a palette (PALETTE#GROUP:
    // its file and group), a picture's ramp (of its region), or a ramp from one colour.
    std::optional<std::vector<huedata::Rgb24>> colors = std::nullopt;
    std::optional<std::vector<huedata::Rgb24>> gradient = std::nullopt;
    std::optional<std::pair<std::filesystem::path, std::optional<std::string>>> palette =
        std::nullopt;
    std::optional<std::filesystem::path> picture = std::nullopt;
    std::optional<huecolour::PictureRegion> region = std::nullopt;
    std::optional<huedata::Rgb24> ramp = std::nullopt;
    huecolour::RampChoice rampChoice = {};
    std::optional<int> copyOf;
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

// What `set` made of its file: with dryRun the bytes before and after, nothing written; else
// what the edit in place did.
struct SetDone {
    std::vector<unsigned char> before, after;
    huedata::EditOutcome written;
};

// Changes one hue of `file` in place, or with dryRun only makes what it would be; colours no
// hue holds exactly are warned of in `err` before the file is read.
SetDone SetHue(const SetRequest& request, std::string& err);

// build, apply, set and edit (the editor in the browser): their options, and their runs.
std::vector<Command> EditCommands();

}  // namespace cli
