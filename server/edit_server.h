// `hues edit`: the hue editor page served on the loopback interface alone, saving straight
// into the hue file, until Ctrl+C (SIGINT, SIGTERM; the console's Ctrl+C on Windows). And
// `hues diff --web`: a diff page served the same way until its Done.
#pragma once

#include "page/sample_picture.h"

#include "huedata/hue_merge.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace server {

// The port hues edit serves on unless told another: the same from run to run, as the browser
// keeps a page's unsaved changes per address. When it is taken, the next free one.
inline constexpr std::uint16_t EditorPort = 48047;

struct EditServerRequest {
    std::filesystem::path file;
    bool fileGiven = false;  // named with -f: missing or unreadable is an error before serving
    std::optional<std::uint16_t> port;  // exactly this one; 0 any free port
    bool openBrowser = true;
    std::optional<page::SamplePicture> sample = std::nullopt;  // read and checked already
    // Resolving a merge: the conflicts it left in the file, shown in the page's conflicts panel.
    std::vector<huedata::MergeConflict> conflicts = {};
};

struct EditServerIo {
    std::function<void(std::string_view)> printAddress;  // the one line for standard output
    std::function<void(std::string_view)> tell;          // a line for the person (standard error)
};

// Serves until stopped, or until a save leaves no conflict of a merge. Returns how many
// conflicts were left then. Throws HuesError for a file given that cannot be read or a port
// that cannot be had, before anything is served.
std::size_t ServeHueEditor(const EditServerRequest& request, const EditServerIo& io);

struct DiffServerRequest {
    std::string page;                   // the diff page, made already
    std::string what;                   // what the page shows, for the person
    std::optional<std::uint16_t> port;  // exactly this one; by default any free one
    bool openBrowser = true;
};

// Serves the page, reading nothing and writing nothing, until its Done (its button, or the
// page closed) or Ctrl+C. Throws HuesError for a port that cannot be had.
void ServeDiffPage(const DiffServerRequest& request, const EditServerIo& io);

}  // namespace server
