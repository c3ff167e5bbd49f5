#include "cli/command.h"

#include "hueformats/formats.h"

#include "huedata/hue_file.h"

#include <CLI/CLI.hpp>

namespace cli {

hueformats::TextStyle StyleFor(const Run& run) {
    return {.colors = ColorsFor(run.colorMode, run.env)};
}

std::filesystem::path PathOf(const std::string& text) {
    return huedata::PathFromUtf8(text);
}

std::string HighestIdText() {
    return std::to_string(huedata::HighestHueId);
}

void AddFormatOption(CLI::App* command, std::string& format) {
    command->add_option("--format", format, "Output format: text, json or csv")
        ->check(CLI::IsMember(hueformats::ListKinds()))
        ->capture_default_str();
}

void AddVisionOption(CLI::App* command, std::string& vision) {
    command
        ->add_option("--vision", vision,
                     "Measure colours as seen with this vision, KIND[:SEVERITY]: normal, "
                     "protanomaly, deuteranomaly or tritanomaly, severity 0 to 100 (default 100)")
        ->capture_default_str();
}

void AddStrict(CLI::App* command, bool& strict) {
    command->add_flag("--strict", strict,
                      "A colour no hue can hold exactly is an error, not a warning");
}

void AddBackup(CLI::App* command, bool& noBackup) {
    command->add_flag("--no-backup", noBackup, "Keep no copy of the previous file as FILE.bak");
}

void AddSampleOption(CLI::App* command, std::optional<std::string>& sample,
                     const std::string& what) {
    command->add_option(
        "--sample", sample,
        what + " PNG picture (at most 512 x 512 pixels, 1 MiB) to show each hue on");
}

std::optional<page::SamplePicture> SampleChosen(const std::optional<std::string>& sample) {
    if (!sample) return std::nullopt;
    return huedata::NamingTheFile([&] { return page::ReadSamplePicture(PathOf(*sample)); });
}

// Hues given by id are read one entry each, as the window reads them, so that a few of a large
// file cost what they cost of a small one; past some hundreds, the whole file at once is quicker.
std::vector<huedata::HueView> LoadHuesNamed(const Run& run, std::span<const int> ids,
                                            huedata::HueFile& file) {
    constexpr std::size_t MostHuesReadAlone = 256;
    const auto path = PathOf(run.file);
    if (!ids.empty() && ids.size() <= MostHuesReadAlone) return huedata::LoadViews(path, ids, file);
    file = huedata::LoadHueFile(path);
    return ids.empty() ? huedata::AllViews(file) : huedata::ViewsOf(file, ids);
}

}  // namespace cli
