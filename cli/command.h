// A command of hues as the program adds it: its name, what it does, and how it adds its own
// options once it is named on the command line, giving back the run that reads them. What every
// run is handed, and the options and readings several commands share.
#pragma once

#include "cli/app.h"
#include "huedata/hue_view.h"
#include "huedata/text_builder.h"
#include "hueformats/text_format.h"
#include "page/sample_picture.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace cli {

// What every command's run is handed: the options of hues itself, and the program's edges.
struct Run {
    std::string file;  // -f, as given or by default
    bool fileGiven = false;
    std::string colorMode;  // --color
    const Environment& env;
    huedata::TextBuilder& out;
    std::string& err;
};

// Runs a command once its options are read; returns the exit status.
using CommandRun = std::function<int(const Run&)>;

struct Command {
    const char* name;
    std::string description;
    // Adds the command's options, which the run it gives back keeps and reads.
    std::function<CommandRun(CLI::App* command)> addOptions;
};

// The style of text for people, as --color and the terminal choose it.
hueformats::TextStyle StyleFor(const Run& run);

// A path as given on the command line (UTF-8).
std::filesystem::path PathOf(const std::string& text);

// The highest hue identifier, for help texts.
std::string HighestIdText();

// ---- Options several commands take ----

void AddFormatOption(CLI::App* command, std::string& format);
void AddVisionOption(CLI::App* command, std::string& vision);
void AddStrict(CLI::App* command, bool& strict);
void AddBackup(CLI::App* command, bool& noBackup);
void AddSampleOption(CLI::App* command, std::optional<std::string>& sample,
                     const std::string& what);

// The picture named with --sample, read and checked before anything is written or served.
std::optional<page::SamplePicture> SampleChosen(const std::optional<std::string>& sample);

// The hues named by id, or with none named the whole file of `run`.
std::vector<huedata::HueView> LoadHuesNamed(const Run& run, std::span<const int> ids,
                                            huedata::HueFile& file);

}  // namespace cli
