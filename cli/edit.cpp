#include "cli/edit.h"

#include "cli/arguments.h"

#include "huecolour/colour_search.h"
#include "huedata/hue_text.h"
#include "huedata/hue_view.h"
#include "hueformats/diff_format.h"
#include "hueformats/formats.h"
#include "hueformats/hue_apply.h"
#include "hueformats/output_file.h"
#include "huepalette/palette_hues.h"
#include "huepalette/palette_read.h"
#include "huepicture/picture_file.h"
#include "server/edit_server.h"

#include "huecolour/oklab.h"
#include "huecolour/shifted_ramp.h"
#include "huedata/hue_edit.h"
#include "huedata/hue_fields.h"
#include "huedata/safe_write.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <map>
#include <memory>
#include <stdexcept>

namespace cli {

namespace {

namespace fs = std::filesystem;

// A source of text may be as large as the JSON of every hue the format allows, and more.
constexpr std::uint64_t MostSourceBytes = std::uint64_t{1} << 30U;

// Every source read and checked; warnings go to `err`.
huedata::SourceHues ReadSources(const SourceReading& reading, const Environment& environment,
                                std::string& err) {
    std::vector<hueformats::HueSource> sources;
    for (const std::string& name : reading.sources) {
        if (name == "-") {
            sources.push_back({"standard input", environment.readStandardInput()});
            continue;
        }
        const auto read = huedata::NamingTheFile(
            [&] { return huedata::ReadFileBytes(huedata::PathFromUtf8(name), MostSourceBytes); });
        sources.push_back({name, std::string(read.begin(), read.end())});
    }
    return hueformats::ReadHues(sources, reading.encoding, reading.strict, err);
}

// A name as `diff` shows it.
std::string NameShown(const std::array<unsigned char, 20>& name) {
    std::string shown = "\"";
    shown.append(huedata::PrintableText(huedata::HueNameUtf8Text(name))).append("\"");
    return shown;
}

// A line for each hue the changes rename (the first 20, then how many more), so that a name
// mangled on its way through another program is seen before the file is shared.
std::string Renamed(std::span<const unsigned char> before, std::size_t held,
                    std::span<const huedata::HueChange> changes) {
    constexpr std::size_t MostNamed = 20;
    std::string lines;
    std::size_t count = 0;
    for (const huedata::HueChange& change : changes) {
        const auto id = static_cast<std::size_t>(change.id);
        if (!change.name || id >= held) continue;
        const auto name = huedata::HueAt(before, id).Name;
        if (name == *change.name) continue;
        if (++count <= MostNamed) {
            lines += "hues: hue " + std::to_string(id) + " renamed: " + NameShown(name) +
                     " \xE2\x86\x92 " + NameShown(*change.name) + "\n";
        }
    }
    if (count > MostNamed) {
        lines += "hues: and " + std::to_string(count - MostNamed) + " more hues renamed\n";
    }
    return lines;
}

// The one line an edit in place ends with.
std::string Report(const std::string& what, const fs::path& file,
                   const huedata::EditOutcome& outcome) {
    if (!outcome.changed) {
        return "hues: " + huedata::PathText(file) + " already holds " + what +
               " as given; nothing changed\n";
    }
    if (outcome.backup) {
        return "hues: " + what + " changed; previous file kept as " +
               huedata::PathText(*outcome.backup) + "\n";
    }
    return "hues: " + what + " changed in " + huedata::PathText(file) + "\n";
}

std::int16_t TableValue(const std::string& text) {
    const auto value = huedata::NumberFromText<int>(text);
    if (!value || *value < huedata::LowestTableValue || *value > huedata::HighestTableValue) {
        throw huedata::HuesError("--table: '" + text + "' is not a table value from " +
                                 huedata::TableRangeText());
    }
    return static_cast<std::int16_t>(*value);
}

std::vector<huedata::Rgb24> ColorList(const std::string& option, const std::string& text) {
    std::vector<huedata::Rgb24> colors;
    std::size_t start = 0;
    for (;;) {
        const auto comma = text.find(',', start);
        try {
            colors.push_back(huedata::ParseColor(text.substr(start, comma - start)));
        } catch (const huedata::HuesError& error) {
            throw huedata::HuesError(option + ": " + error.what());
        }
        if (comma == std::string::npos) return colors;
        start = comma + 1;
    }
}

// Whether `text` is a number from `least` to `most`, whole or with a fraction, read into `value`.
bool ReadNumberBetween(std::string_view text, double least, double most, double& value) {
    const std::optional<double> number = huedata::NumberFromText<double>(text);
    if (!number || !(*number >= least && *number <= most)) return false;
    value = *number;
    return true;
}

// PALETTE#GROUP: the file and the group. A '#' belongs to the file's path where the whole
// names a file.
std::pair<fs::path, std::optional<std::string>> PaletteAndGroup(const std::string& text) {
    const auto hash = text.rfind('#');
    std::error_code ignored;
    if (hash == std::string::npos || fs::exists(huedata::PathFromUtf8(text), ignored)) {
        return {huedata::PathFromUtf8(text), std::nullopt};
    }
    return {huedata::PathFromUtf8(text.substr(0, hash)), text.substr(hash + 1)};
}

// The colours a person chose for `set`: all 32, a gradient's stops (a palette's colours among
// them), or a ramp's one colour; none for a picture.
std::vector<huedata::Rgb24> ChosenColors(const SetRequest& request) {
    if (request.palette) {
        const auto& [path, group] = *request.palette;
        const std::string name = huedata::PathText(path);
        return huepalette::PaletteColorsFor(
            name,
            huepalette::ReadPalette(name,
                                    huedata::ReadFileBytes(path, huepalette::MostPaletteBytes)),
            group);
    }
    if (request.ramp) return {*request.ramp};
    if (request.gradient) return *request.gradient;
    if (request.colors) return *request.colors;
    return {};
}

// The change `set` asks for, made in full before the file is touched. It goes one way, down:
// the files read (palette, picture), the 32 colours made of them, then stored as a hue holds
// them. 32 stops make exactly those 32 colours.
huedata::HueChange SetChange(const SetRequest& request, std::string& warning) {
    huedata::HueChange change{.id = request.id,
                              .name = request.name,
                              .tableStart = request.tableStart,
                              .tableEnd = request.tableEnd};
    const std::vector<huedata::Rgb24> chose = ChosenColors(request);
    if (request.picture) {
        const huepicture::DecodedPicture picture = huepicture::ReadPicture(*request.picture);
        change.colors = huepicture::RampFromPictureFile(*request.picture, picture, request.region);
    }
    if (!chose.empty()) {
        const std::array<huedata::Rgb24, 32> made =
            request.ramp ? huecolour::ShiftedRamp(*request.ramp, request.rampChoice)
                         : huecolour::GradientColors(chose);
        change.colors = huedata::StoredHueColors(chose, made, request.strict, warning);
    }
    return change;
}

}  // namespace

int ShowDryRun(const std::string& name, std::vector<unsigned char> before,
               std::vector<unsigned char> after, hueformats::TextStyle style,
               huedata::TextBuilder& out, std::string& err) {
    const bool differ = before != after;
    hueformats::DiffText(name, name + " as it would be", huedata::CompareHueFiles(before, after),
                         style, out);
    err += "hues: --dry-run: " + (differ ? name + " would change" : name + " would stay as it is") +
           "; nothing was written\n";
    return differ ? WouldChange : Success;
}

int BuildHueFile(const BuildRequest& request, const Environment& environment,
                 huedata::TextBuilder& out, std::string& err) {
    const huedata::SourceHues hues = ReadSources(request.reading, environment, err);
    std::vector<unsigned char> image;
    if (request.base)
        image = huedata::NamingTheFile([&] { return huedata::ReadFileBytes(*request.base); });
    huedata::ApplyHueChanges(
        image, huedata::ChangesOver(hues, image, huedata::HueCountForSize(image.size())),
        request.count);

    if (request.reading.dryRun) {
        std::vector<unsigned char> before;
        std::error_code missing;
        if (fs::exists(request.output, missing)) {
            before = huedata::NamingTheFile([&] { return huedata::ReadFileBytes(request.output); });
        }
        return ShowDryRun(huedata::PathText(request.output), std::move(before), std::move(image),
                          request.reading.style, out, err);
    }
    std::vector<fs::path> read;
    for (const std::string& source : request.reading.sources) {
        if (source != "-") read.push_back(huedata::PathFromUtf8(source));
    }
    if (request.base) read.push_back(*request.base);
    hueformats::WriteFileAtomically(
        request.output,
        [&](huedata::TextBuilder& written) {
            written << std::string_view(reinterpret_cast<const char*>(image.data()), image.size());
        },
        read);
    return Success;
}

int ApplyToHueFile(const ApplyRequest& request, const Environment& environment,
                   huedata::TextBuilder& out, std::string& err) {
    const huedata::SourceHues hues = ReadSources(request.reading, environment, err);
    if (request.reading.dryRun) {
        std::vector<unsigned char> image =
            huedata::NamingTheFile([&] { return huedata::ReadFileBytes(request.file); });
        std::vector<unsigned char> after = image;
        huedata::ApplyHueChanges(
            after, huedata::ChangesOver(hues, image, huedata::HueCountForSize(image.size())));
        return ShowDryRun(huedata::PathText(request.file), std::move(image), std::move(after),
                          request.reading.style, out, err);
    }
    std::string renamed;
    const hueformats::ApplyHooks hooks{
        .before =
            [&](std::span<const unsigned char> before,
                std::span<const huedata::HueChange> changes) {
                renamed = Renamed(before, huedata::HueCountForSize(before.size()), changes);
            },
        .after = {}};
    const hueformats::HuesApplied applied = huedata::NamingTheFile(
        [&] { return hueformats::ApplyHuesSafely(request.file, hues, request.keepBackup, hooks); });
    const std::size_t changed = applied.changed;
    const std::string what = changed == 1 ? "1 hue" : std::to_string(changed) + " hues";
    err += renamed +
           Report(applied.outcome.changed ? what : "these hues", request.file, applied.outcome);
    return Success;
}

SetDone SetHue(const SetRequest& request, std::string& err) {
    std::string warning;
    huedata::HueChange change = SetChange(request, warning);
    err += warning;
    SetDone done;
    if (request.dryRun) {
        done.before = huedata::NamingTheFile([&] { return huedata::ReadFileBytes(request.file); });
        const std::size_t held = huedata::HueCountForSize(done.before.size());
        if (request.copyOf) {
            huedata::StartFromCopy(change, *request.copyOf, done.before, held, request.file);
        }
        done.after = done.before;
        huedata::ApplyHueChanges(done.after, std::span(&change, 1));
        return done;
    }
    const auto oneChange = [&] { return std::span(&change, 1); };
    done.written = huedata::NamingTheFile([&] {
        return huedata::EditFileSafely(
            request.file,
            {.sizeFor =
                 [&](std::uint64_t size) { return huedata::SizeForHueChanges(size, oneChange()); },
             .change =
                 [&](std::span<unsigned char> image, std::uint64_t sizeBefore) {
                     const std::size_t held = huedata::HueCountForSize(sizeBefore);
                     if (request.copyOf) {
                         huedata::StartFromCopy(change, *request.copyOf, image, held, request.file);
                     }
                     return huedata::ApplyHueChanges(image, held, oneChange()) > 0;
                 }},
            request.keepBackup);
    });
    return done;
}

namespace {

// How build, apply and set read their sources, and a run that writes nothing.
struct ReadingOptions {
    std::vector<std::string> sources;
    bool strict = false;
    bool dryRun = false;
    std::string encoding = "detect";
};

void AddReadingOptions(CLI::App* command, ReadingOptions& reading) {
    AddStrict(command, reading.strict);
    command
        ->add_option("--encoding", reading.encoding,
                     "How text without a byte-order mark is read: detect (UTF-8, else "
                     "Windows-1252 with a warning), utf-8 or windows-1252")
        ->check(CLI::IsMember({"detect", "utf-8", "windows-1252"}))
        ->capture_default_str();
    command->add_flag("--dry-run", reading.dryRun,
                      "Write nothing: show what would change as diff does; exit status 1 if "
                      "anything would");
}

SourceReading ReadingChosen(const ReadingOptions& reading, const Run& run) {
    return {.sources = reading.sources,
            .encoding = reading.encoding == "utf-8" ? hueformats::SourceEncoding::Utf8
                        : reading.encoding == "windows-1252"
                            ? hueformats::SourceEncoding::Windows1252
                            : hueformats::SourceEncoding::Detect,
            .strict = reading.strict,
            .dryRun = reading.dryRun,
            .style = StyleFor(run)};
}

constexpr const char* Sources =
    "JSON (as list --format json writes), CSV (as list --format csv writes), or ASE, ACO "
    "or KPL palettes (as export writes them) files; - is standard input";

struct BuildOptions {
    ReadingOptions reading;
    std::string output;
    std::optional<std::string> base;
    std::size_t least = 0;
};

CommandRun AddBuildOptions(CLI::App* build) {
    auto options = std::make_shared<BuildOptions>();
    build->add_option("SOURCE", options->reading.sources, Sources)->required();
    build->add_option("-o,--output", options->output, "The hue file to write (atomically)")
        ->required();
    build->add_option("--base", options->base,
                      "Start from this hue file's bytes; sources change only the fields "
                      "they name");
    build->add_option("--count", options->least, "Hold at least N hues")
        ->check(CLI::Range(0, 32768));
    AddReadingOptions(build, options->reading);
    return [options](const Run& run) {
        return BuildHueFile(
            {.reading = ReadingChosen(options->reading, run),
             .output = PathOf(options->output),
             .base = options->base ? std::optional(PathOf(*options->base)) : std::nullopt,
             .count = options->least},
            run.env, run.out, run.err);
    };
}

struct ApplyOptions {
    ReadingOptions reading;
    bool noBackup = false;
};

CommandRun AddApplyOptions(CLI::App* apply) {
    auto options = std::make_shared<ApplyOptions>();
    apply->add_option("SOURCE", options->reading.sources, Sources)->required();
    AddReadingOptions(apply, options->reading);
    AddBackup(apply, options->noBackup);
    return [options](const Run& run) {
        return ApplyToHueFile({.reading = ReadingChosen(options->reading, run),
                               .file = PathOf(run.file),
                               .keepBackup = !options->noBackup},
                              run.env, run.out, run.err);
    };
}

struct SetOptions {
    int id = 0;
    std::optional<std::string> name;
    std::vector<std::string> table;
    std::optional<std::string> colors, gradient, picture, palette, ramp, shift, range, region;
    std::optional<int> copyOf;
    bool dryRun = false, strict = false, noBackup = false;
};

// Colours given as #RRGGBB,#RRGGBB,... to `option`, as many as `least` to `most`.
std::vector<huedata::Rgb24> ColorsGiven(const std::string& option, const std::string& text,
                                        std::size_t least, std::size_t most,
                                        const std::string& asked) {
    std::vector<huedata::Rgb24> colors = ColorList(option, text);
    if (colors.size() < least || colors.size() > most) {
        throw huedata::HuesError(option + ": gives " + std::to_string(colors.size()) +
                                 " colours; " + asked);
    }
    return colors;
}

// --ramp's colour, shift and range.
void ReadRamp(const SetOptions& options, SetRequest& request) {
    request.ramp = ColorsGiven("--ramp", *options.ramp, 1, 1, "give one, #RRGGBB").front();
    huecolour::RampChoice& choice = request.rampChoice;
    if (options.shift && !ReadNumberBetween(*options.shift, 0, 90, choice.shift)) {
        throw huedata::HuesError("--shift: \"" + huedata::PrintableText(*options.shift) +
                                 "\" is not a number of degrees from 0 to 90");
    }
    if (options.range) {
        const std::string_view text = *options.range;
        const auto comma = text.find(',');
        if (comma == std::string_view::npos ||
            !ReadNumberBetween(text.substr(0, comma), 0, 1, choice.dark) ||
            !ReadNumberBetween(text.substr(comma + 1), 0, 1, choice.light) ||
            !(choice.dark < choice.light)) {
            throw huedata::HuesError(
                "--range: \"" + huedata::PrintableText(text) +
                "\" is not two lightnesses DARK,LIGHT with 0 <= DARK < LIGHT <= 1");
        }
    }
}

// `set`'s arguments read and checked, in the order of its options, before anything is read.
SetRequest SetRequestOf(const SetOptions& o, const Run& run) {
    SetRequest request{.file = PathOf(run.file),
                       .id = o.id,
                       .copyOf = o.copyOf,
                       .keepBackup = !o.noBackup,
                       .strict = o.strict,
                       .dryRun = o.dryRun,
                       .style = StyleFor(run)};
    if (o.name) {
        try {
            request.name = huedata::HueNameBytes(*o.name);
        } catch (const std::invalid_argument& why) {
            throw huedata::HuesError("--name: \"" + huedata::PrintableText(*o.name) +
                                     "\" cannot be stored: " + why.what());
        }
    }
    if (!o.table.empty()) {
        request.tableStart = TableValue(o.table.at(0));
        request.tableEnd = TableValue(o.table.at(1));
    }
    if (o.colors) request.colors = ColorsGiven("--colors", *o.colors, 32, 32, "a hue has 32");
    if (o.gradient) {
        request.gradient = ColorsGiven("--gradient", *o.gradient, 2, 32, "give 2 to 32 stops");
    }
    if (o.palette) request.palette = PaletteAndGroup(*o.palette);
    if (o.ramp) ReadRamp(o, request);
    if (o.picture) {
        request.picture = PathOf(*o.picture);
        if (o.region) request.region = ParseRegion(*o.region);
    }
    if (!o.name && o.table.empty() && !o.colors && !o.gradient && !o.palette && !o.ramp &&
        !o.picture && !o.copyOf) {
        throw huedata::HuesError(
            "set: nothing to change: give --name, --table, --colors, --gradient, --ramp, --from, "
            "--from-picture or --copy-of");
    }
    return request;
}

// set's request goes down and comes back done; then a dry run's difference is shown, or the
// line saying what was done.
int RunSet(const SetOptions& options, const Run& run) {
    const SetRequest request = SetRequestOf(options, run);
    SetDone done = SetHue(request, run.err);
    if (request.dryRun) {
        return ShowDryRun(huedata::PathText(request.file), std::move(done.before),
                          std::move(done.after), request.style, run.out, run.err);
    }
    run.err += Report("hue " + std::to_string(request.id), request.file, done.written);
    return Success;
}

CommandRun AddSetOptions(CLI::App* set) {
    auto options = std::make_shared<SetOptions>();
    set->add_option("ID", options->id, "The hue to change, 0 to " + HighestIdText())
        ->required()
        ->check(CLI::Range(0, huedata::HighestHueId));
    set->add_option("--name", options->name, "The name (at most 20 bytes in Windows-1252)");
    set->add_option("--table", options->table, "Table start and end, " + huedata::TableRangeText())
        ->expected(2);
    auto* colors =
        set->add_option("--colors", options->colors, "All 32 colours: #RRGGBB,#RRGGBB,...");
    auto* gradient = set->add_option("--gradient", options->gradient,
                                     "2 to 32 colours, #RRGGBB,#RRGGBB,...: 32 colours from stop "
                                     "to stop in OKLab")
                         ->excludes(colors);
    auto* picture = set->add_option("--from-picture", options->picture,
                                    "A ramp of 32 colours, dark to light, from a PNG, JPEG, GIF "
                                    "or BMP picture")
                        ->excludes(colors)
                        ->excludes(gradient);
    auto* palette = set->add_option("--from", options->palette,
                                    "32 colours from a palette (ASE, ACO, KPL, GPL, JASC or RIFF "
                                    "PAL, Paint.NET TXT, hex): all of it, or its group "
                                    "PALETTE#GROUP; 2 to 31 colours are the stops of a gradient")
                        ->excludes(colors)
                        ->excludes(gradient)
                        ->excludes(picture);
    auto* ramp = set->add_option("--ramp", options->ramp,
                                 "One colour, #RRGGBB: 32 shades of it, dark to light in OKLab, "
                                 "the hue turned toward yellow as they lighten and toward blue as "
                                 "they darken")
                     ->excludes(colors)
                     ->excludes(gradient)
                     ->excludes(picture)
                     ->excludes(palette);
    set->add_option("--shift", options->shift,
                    "With --ramp: how far the hue turns at the ends, 0 to 90 degrees (20)")
        ->needs(ramp);
    set->add_option("--range", options->range,
                    "With --ramp: the OKLab lightness of colours 0 and 31, DARK,LIGHT "
                    "(0.10,0.95), widened to take the colour in")
        ->needs(ramp);
    set->add_option("--region", options->region,
                    "Of the picture, only this rectangle: X,Y,WIDTH,HEIGHT in pixels")
        ->needs(picture);
    set->add_option("--copy-of", options->copyOf,
                    "Start from this hue of the file; the other options change it")
        ->check(CLI::Range(0, huedata::HighestHueId));
    set->add_flag("--dry-run", options->dryRun,
                  "Write nothing: show what would change as diff does; exit status 1 if it would");
    AddStrict(set, options->strict);
    AddBackup(set, options->noBackup);
    return [options](const Run& run) { return RunSet(*options, run); };
}

struct EditorOptions {
    std::optional<std::uint16_t> port;
    bool noBrowser = false;
    std::optional<std::string> sample;
};

CommandRun AddEditorOptions(CLI::App* edit) {
    auto options = std::make_shared<EditorOptions>();
    edit->add_option("--port", options->port,
                     "Serve on this port (0: any free one); by default 48047, or the next free "
                     "one");
    edit->add_flag("--no-browser", options->noBrowser,
                   "Print the page's address, but open no browser");
    AddSampleOption(edit, options->sample, "A");
    return [options](const Run& run) {
        server::ServeHueEditor({.file = PathOf(run.file),
                                .fileGiven = run.fileGiven,
                                .port = options->port,
                                .openBrowser = !options->noBrowser,
                                .sample = SampleChosen(options->sample)},
                               {.printAddress = run.env.printNow, .tell = run.env.tellNow});
        return int{Success};
    };
}

}  // namespace

std::vector<Command> EditCommands() {
    return {
        {"build", "Make a hue file from hues as text", AddBuildOptions},
        {"apply", "Change the hue file in place with hues as text, as build --base would",
         AddApplyOptions},
        {"set", "Change one hue of the hue file in place", AddSetOptions},
        {"edit",
         "Edit the hue file in your browser: a page served on 127.0.0.1 that saves into the file",
         AddEditorOptions},
    };
}

}  // namespace cli
