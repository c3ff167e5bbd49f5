#include "cli/listing.h"

#include "hueformats/formats.h"

#include "cli/arguments.h"
#include "cli/find.h"
#include "huecolour/colour_search.h"
#include "huedata/hue_text.h"
#include "hueformats/csv_format.h"
#include "hueformats/json_format.h"

#include <CLI/CLI.hpp>

#include <memory>

namespace cli {

namespace {

enum class Listing { Show, List, Find, Nearest, Similar };

struct ListingOptions {
    Listing listing = Listing::List;
    std::vector<std::string> ids;
    std::string format = "text";
    std::string text;   // find
    std::string color;  // nearest
    std::size_t count = 10;
    std::string vision = "normal";
    double within = huecolour::DefaultSimilarWithin;
};

void WriteHues(const std::string& format, std::span<const huedata::HueView> hues, bool full,
               hueformats::TextStyle style, huedata::TextBuilder& out) {
    hueformats::ListFormat(format)->list(hues, full, style, out);
}

void WriteMatches(const std::string& format, std::span<const huecolour::NearMatch> matches,
                  hueformats::TextStyle style, huedata::TextBuilder& out) {
    if (format == "json") return hueformats::NearestJson(matches, out);
    if (format == "csv") return hueformats::NearestCsv(matches, out);
    return hueformats::NearestText(matches, style, out);
}

// A whole file's listing a part at a time as it is read. Held whole, the hues and their views
// were most of a large listing's time: a fresh page touched for every 4 KB of them.
void ListInParts(const ListingOptions& options, hueformats::TextStyle style, const Run& run) {
    std::size_t listed = 0;
    huedata::HuesInParts(PathOf(run.file))
        .ForEach([&](std::span<const huedata::HueView> views, std::size_t before) {
            if (options.format == "json") {
                hueformats::HuesJsonPart(views, before, run.out);
            } else {
                hueformats::ListText(views, style, run.out);
            }
            listed = before + views.size();
        });
    if (options.format == "json") hueformats::HuesJsonEnd(listed, run.out);
}

int RunListing(const ListingOptions& options, const Run& run) {
    const hueformats::TextStyle style = StyleFor(run);
    // Arguments are checked before the file is read, so that a typo is named as such.
    const std::vector<int> ids = huedata::ParseIds(options.ids);
    const std::optional<huedata::Rgb24> color =
        options.listing == Listing::Nearest ? std::optional(huedata::ParseColor(options.color))
                                            : std::nullopt;
    const huecolour::Vision vision = ParseVision(options.vision);
    if (options.listing == Listing::List && ids.empty() && options.format != "csv") {
        ListInParts(options, style, run);
        return Success;
    }
    huedata::HueFile file;
    const std::vector<huedata::HueView> hues = LoadHuesNamed(run, ids, file);
    switch (options.listing) {
        case Listing::Show:
        case Listing::List:
            WriteHues(options.format, hues, options.listing == Listing::Show, style, run.out);
            return Success;
        case Listing::Find: {
            const auto found = FindHues(file, options.text);
            WriteHues(options.format, found, false, style, run.out);
            return found.empty() ? NothingFound : Success;
        }
        case Listing::Similar: {
            const auto pairs =
                huecolour::SimilarHues(huecolour::ColoursOf(hues), options.within, vision);
            if (options.format == "json") {
                hueformats::SimilarJson(pairs, run.out);
            } else {
                hueformats::SimilarText(pairs, hues, run.out);
            }
            return pairs.empty() ? Success : SimilarFound;
        }
        case Listing::Nearest:
            break;
    }
    const auto matches = huecolour::NearestHues(file.hues, *color, options.count, vision);
    WriteMatches(options.format, huecolour::MatchesIn(file, matches), style, run.out);
    return Success;
}

// A listing's command: its options made as `add` adds them, read by its run.
Command ListingCommand(const char* name, std::string description, Listing listing,
                       std::function<void(CLI::App*, ListingOptions&)> add) {
    return {name, std::move(description), [listing, add = std::move(add)](CLI::App* command) {
                auto options = std::make_shared<ListingOptions>();
                options->listing = listing;
                add(command, *options);
                return CommandRun([options](const Run& run) { return RunListing(*options, run); });
            }};
}

}  // namespace

std::vector<Command> ListingCommands() {
    return {
        ListingCommand("show", "Show the given hues in full, in the order given", Listing::Show,
                       [](CLI::App* show, ListingOptions& options) {
                           show->add_option(
                                   "IDS", options.ids,
                                   "Hue identifiers: N or A-B, each 0 to " + HighestIdText())
                               ->required();
                           AddFormatOption(show, options.format);
                       }),
        ListingCommand(
            "list", "List every hue the file holds", Listing::List,
            [](CLI::App* list, ListingOptions& options) { AddFormatOption(list, options.format); }),
        ListingCommand(
            "find", "List the hues whose name contains TEXT, ignoring case; exit status 1 if none",
            Listing::Find,
            [](CLI::App* find, ListingOptions& options) {
                find->add_option("TEXT", options.text, "Text to look for in hue names")->required();
                AddFormatOption(find, options.format);
            }),
        ListingCommand(
            "nearest", "List the hues whose closest colour is nearest to COLOUR (deltaEOK)",
            Listing::Nearest,
            [](CLI::App* nearest, ListingOptions& options) {
                nearest->add_option("COLOUR", options.color, "A colour as #RRGGBB or RRGGBB")
                    ->required();
                nearest->add_option("-n", options.count, "How many hues to list")
                    ->check(CLI::PositiveNumber)
                    ->capture_default_str();
                AddVisionOption(nearest, options.vision);
                AddFormatOption(nearest, options.format);
            }),
        ListingCommand(
            "similar",
            "List the pairs of hues whose colours, one by one, lie within D of each other "
            "(deltaEOK); exit status 1 if any",
            Listing::Similar,
            [](CLI::App* similar, ListingOptions& options) {
                similar->add_option("IDS", options.ids, "Hue identifiers: N or A-B (default: all)");
                similar->add_option("--within", options.within, "The largest distance D")
                    ->check(CLI::NonNegativeNumber)
                    ->capture_default_str();
                AddVisionOption(similar, options.vision);
                similar->add_option("--format", options.format, "Output format: text or json")
                    ->check(CLI::IsMember({"text", "json"}))
                    ->capture_default_str();
            }),
    };
}

}  // namespace cli
