#include "cli/app.h"

#include "cli/arguments.h"
#include "cli/check.h"
#include "cli/diff.h"
#include "cli/edit.h"
#include "cli/export.h"
#include "cli/find.h"
#include "cli/git_setup.h"
#include "cli/history.h"
#include "cli/merge.h"
#include "huecheck/check_report.h"
#include "huecolour/colour_search.h"
#include "huepalette/palette_export.h"
#include "huetext/csv_format.h"
#include "huetext/hue_view.h"
#include "huetext/ids.h"
#include "huetext/json_format.h"
#include "huetext/text_format.h"
#include "page/html_export.h"
#include "page/sample_picture.h"
#include "server/edit_server.h"

#include "huedata/hue_file.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>

namespace cli {

namespace {

// The highest identifier, for help texts.
const std::string HighestId = std::to_string(huedata::HighestHueId);

// What export writes: the palettes hues writes, then the page and the spreadsheet.
std::vector<std::string> ExportKinds() {
    std::vector<std::string> kinds;
    for (const huepalette::PaletteFormatInfo& format : huepalette::PaletteFormats()) {
        if (!format.exportKind.empty()) kinds.emplace_back(format.exportKind);
    }
    kinds.insert(kinds.end(), {"html", "csv"});
    return kinds;
}

struct Choices {
    std::string file{huedata::DefaultHueFilePath};
    std::vector<std::string> ids;
    std::string format = "text";
    std::string text;
    std::string color;
    std::size_t count = 10;
    std::string vision = "normal";
    double within = huecolour::DefaultSimilarWithin;
    std::string exportKind;
    std::optional<std::string> sample;
    std::optional<std::string> output;
    // build, apply, set and diff
    std::vector<std::string> sources;
    std::optional<std::string> base;
    std::size_t least = 0;
    bool strict = false;
    bool noBackup = false;
    bool dryRun = false;
    std::string encoding = "detect";
    int id = 0;
    std::optional<std::string> name;
    std::vector<std::string> table;
    std::optional<std::string> colors;
    std::optional<std::string> gradient;
    std::optional<int> copyOf;
    std::optional<std::string> picture;
    std::optional<std::string> palette;  // set --from
    std::optional<std::string> ramp, shift, range;
    std::optional<std::string> region;
    std::string first, second;
    // merge
    std::string mergeBase, ours, theirs;
    std::optional<std::string> prefer;
    std::optional<std::string> pathName;
    bool resolve = false;
    // git-setup
    bool global = false;
    bool undo = false;
    std::vector<std::string> patterns;
    // edit
    std::optional<std::uint16_t> port;
    bool noBrowser = false;
    bool fileGiven = false;
    bool web = false;
    std::string colorMode = "auto";
    // log and blame
    std::optional<std::string> rev;
    std::optional<std::size_t> most;
    // check
    std::vector<std::string> select, ignore;
    std::string failOn = "warning";
    std::optional<std::string> config;
    bool noConfig = false;
    bool fix = false, unsafeFixes = false, listRules = false;
    bool gitCheck = false;
    bool exportCheck = false;
};

struct Commands {
    CLI::App* show;
    CLI::App* list;
    CLI::App* find;
    CLI::App* nearest;
    CLI::App* similar;
    CLI::App* exportHues;
    CLI::App* build;
    CLI::App* apply;
    CLI::App* set;
    CLI::App* diff;
    CLI::App* edit;
    CLI::App* merge;
    CLI::App* gitSetup;
    CLI::App* log;
    CLI::App* blame;
    CLI::App* check;
};

void AddFormatOption(CLI::App* command, Choices& choices) {
    command->add_option("--format", choices.format, "Output format: text, json or csv")
        ->check(CLI::IsMember({"text", "json", "csv"}))
        ->capture_default_str();
}

void AddVisionOption(CLI::App* command, Choices& choices) {
    command
        ->add_option("--vision", choices.vision,
                     "Measure colours as seen with this vision, KIND[:SEVERITY]: normal, "
                     "protanomaly, deuteranomaly or tritanomaly, severity 0 to 100 (default 100)")
        ->capture_default_str();
}

void AddStrict(CLI::App* command, Choices& choices) {
    command->add_flag("--strict", choices.strict,
                      "A colour no hue can hold exactly is an error, not a warning");
}

void AddBackup(CLI::App* command, Choices& choices) {
    command->add_flag("--no-backup", choices.noBackup,
                      "Keep no copy of the previous file as FILE.bak");
}

// build and apply: how their sources are read, and a run that writes nothing.
void AddReadingOptions(CLI::App* command, Choices& choices) {
    AddStrict(command, choices);
    command
        ->add_option("--encoding", choices.encoding,
                     "How text without a byte-order mark is read: detect (UTF-8, else "
                     "Windows-1252 with a warning), utf-8 or windows-1252")
        ->check(CLI::IsMember({"detect", "utf-8", "windows-1252"}))
        ->capture_default_str();
    command->add_flag("--dry-run", choices.dryRun,
                      "Write nothing: show what would change as diff does; exit status 1 if "
                      "anything would");
}

// A command whose options are made only once it is named on the command line: a run needs
// one command's, and making every command's takes a noticeable part of a short run.
CLI::App* AddCommand(CLI::App& app, const char* name, const char* description,
                     std::function<void(CLI::App*)> addOptions) {
    CLI::App* command = app.add_subcommand(name, description);
    command->preparse_callback(
        [command, addOptions = std::move(addOptions)](std::size_t) { addOptions(command); });
    return command;
}

void AddSampleOption(CLI::App* command, Choices& choices, const std::string& what) {
    command->add_option(
        "--sample", choices.sample,
        what + " PNG picture (at most 512 x 512 pixels, 1 MiB) to show each hue on");
}

void AddReadingCommands(CLI::App& app, Choices& choices, Commands& commands) {
    commands.show = AddCommand(
        app, "show", "Show the given hues in full, in the order given", [&choices](CLI::App* show) {
            show->add_option("IDS", choices.ids,
                             "Hue identifiers: N or A-B, each 0 to " + HighestId)
                ->required();
            AddFormatOption(show, choices);
        });

    commands.list = AddCommand(app, "list", "List every hue the file holds",
                               [&choices](CLI::App* list) { AddFormatOption(list, choices); });

    commands.find = AddCommand(
        app, "find", "List the hues whose name contains TEXT, ignoring case; exit status 1 if none",
        [&choices](CLI::App* find) {
            find->add_option("TEXT", choices.text, "Text to look for in hue names")->required();
            AddFormatOption(find, choices);
        });

    commands.nearest = AddCommand(
        app, "nearest", "List the hues whose closest colour is nearest to COLOUR (deltaEOK)",
        [&choices](CLI::App* nearest) {
            nearest->add_option("COLOUR", choices.color, "A colour as #RRGGBB or RRGGBB")
                ->required();
            nearest->add_option("-n", choices.count, "How many hues to list")
                ->check(CLI::PositiveNumber)
                ->capture_default_str();
            AddVisionOption(nearest, choices);
            AddFormatOption(nearest, choices);
        });

    commands.similar = AddCommand(
        app, "similar",
        "List the pairs of hues whose colours, one by one, lie within D of each other (deltaEOK); "
        "exit status 1 if any",
        [&choices](CLI::App* similar) {
            similar->add_option("IDS", choices.ids, "Hue identifiers: N or A-B (default: all)");
            similar->add_option("--within", choices.within, "The largest distance D")
                ->check(CLI::NonNegativeNumber)
                ->capture_default_str();
            AddVisionOption(similar, choices);
            similar->add_option("--format", choices.format, "Output format: text or json")
                ->check(CLI::IsMember({"text", "json"}))
                ->capture_default_str();
        });
}

void AddExportCommand(CLI::App& app, Choices& choices, Commands& commands) {
    commands.exportHues = AddCommand(
        app, "export",
        "Export all hues, or those given, as a palette of an art program, a web page or a table "
        "for spreadsheets",
        [&choices](CLI::App* exportHues) {
            exportHues
                ->add_option("FORMAT", choices.exportKind,
                             "gpl, ase, aco, kpl, pal (JASC), hex, html, or csv: for a spreadsheet "
                             "(UTF-8 with a byte-order mark, names it would change guarded by an "
                             "apostrophe); apply takes csv, ase, aco and kpl back")
                ->required()
                ->check(CLI::IsMember(ExportKinds()));
            exportHues->add_option("IDS", choices.ids, "Hue identifiers: N or A-B");
            exportHues->add_option("-o,--output", choices.output,
                                   "Write to this file (atomically) instead of standard output");
            AddSampleOption(exportHues, choices, "html: a");
            exportHues->add_flag("--check", choices.exportCheck,
                                 "html: show hues check's findings beside each hue, as the "
                                 "config found beside the file chooses them");
        });
}

void AddFileEditCommands(CLI::App& app, Choices& choices, Commands& commands) {
    static constexpr const char* Sources =
        "JSON (as list --format json writes), CSV (as list --format csv writes), or ASE, ACO "
        "or KPL palettes (as export writes them) files; - is standard input";
    commands.build =
        AddCommand(app, "build", "Make a hue file from hues as text", [&choices](CLI::App* build) {
            build->add_option("SOURCE", choices.sources, Sources)->required();
            build->add_option("-o,--output", choices.output, "The hue file to write (atomically)")
                ->required();
            build->add_option("--base", choices.base,
                              "Start from this hue file's bytes; sources change only the fields "
                              "they name");
            build->add_option("--count", choices.least, "Hold at least N hues")
                ->check(CLI::Range(0, 32768));
            AddReadingOptions(build, choices);
        });

    commands.apply = AddCommand(
        app, "apply", "Change the hue file in place with hues as text, as build --base would",
        [&choices](CLI::App* apply) {
            apply->add_option("SOURCE", choices.sources, Sources)->required();
            AddReadingOptions(apply, choices);
            AddBackup(apply, choices);
        });

    commands.set = AddCommand(
        app, "set", "Change one hue of the hue file in place", [&choices](CLI::App* set) {
            set->add_option("ID", choices.id, "The hue to change, 0 to " + HighestId)
                ->required()
                ->check(CLI::Range(0, huedata::HighestHueId));
            set->add_option("--name", choices.name, "The name (at most 20 bytes in Windows-1252)");
            set->add_option("--table", choices.table,
                            "Table start and end, " + huedata::TableRangeText())
                ->expected(2);
            auto* colors =
                set->add_option("--colors", choices.colors, "All 32 colours: #RRGGBB,#RRGGBB,...");
            auto* gradient =
                set->add_option("--gradient", choices.gradient,
                                "2 to 32 colours, #RRGGBB,#RRGGBB,...: 32 colours from stop to "
                                "stop in OKLab")
                    ->excludes(colors);
            auto* picture =
                set->add_option("--from-picture", choices.picture,
                                "A ramp of 32 colours, dark to light, from a PNG, JPEG, GIF or "
                                "BMP picture")
                    ->excludes(colors)
                    ->excludes(gradient);
            auto* palette =
                set->add_option("--from", choices.palette,
                                "32 colours from a palette (ASE, ACO, KPL, GPL, JASC or RIFF PAL, "
                                "Paint.NET TXT, hex): all of it, or its group PALETTE#GROUP; 2 to "
                                "31 colours are the stops of a gradient")
                    ->excludes(colors)
                    ->excludes(gradient)
                    ->excludes(picture);
            auto* ramp =
                set->add_option("--ramp", choices.ramp,
                                "One colour, #RRGGBB: 32 shades of it, dark to light in OKLab, the "
                                "hue turned toward yellow as they lighten and toward blue as they "
                                "darken")
                    ->excludes(colors)
                    ->excludes(gradient)
                    ->excludes(picture)
                    ->excludes(palette);
            set->add_option("--shift", choices.shift,
                            "With --ramp: how far the hue turns at the ends, 0 to 90 degrees "
                            "(20)")
                ->needs(ramp);
            set->add_option("--range", choices.range,
                            "With --ramp: the OKLab lightness of colours 0 and 31, DARK,LIGHT "
                            "(0.10,0.95), widened to take the colour in")
                ->needs(ramp);
            set->add_option("--region", choices.region,
                            "Of the picture, only this rectangle: X,Y,WIDTH,HEIGHT in pixels")
                ->needs(picture);
            set->add_option("--copy-of", choices.copyOf,
                            "Start from this hue of the file; the other options change it")
                ->check(CLI::Range(0, huedata::HighestHueId));
            set->add_flag("--dry-run", choices.dryRun,
                          "Write nothing: show what would change as diff does; exit status 1 if "
                          "it would");
            AddStrict(set, choices);
            AddBackup(set, choices);
        });
}

void AddEditorCommand(CLI::App& app, Choices& choices, Commands& commands) {
    commands.edit = AddCommand(
        app, "edit",
        "Edit the hue file in your browser: a page served on 127.0.0.1 that saves into the file",
        [&choices](CLI::App* edit) {
            edit->add_option("--port", choices.port,
                             "Serve on this port (0: any free one); by default 48047, or the "
                             "next free one");
            edit->add_flag("--no-browser", choices.noBrowser,
                           "Print the page's address, but open no browser");
            AddSampleOption(edit, choices, "A");
        });
}

void AddDiffCommand(CLI::App& app, Choices& choices, Commands& commands) {
    commands.diff = AddCommand(
        app, "diff", "Show what differs between two hue files; exit status 1 if anything does",
        [&choices](CLI::App* diff) {
            diff->add_option("A", choices.first, "The first hue file")->required();
            diff->add_option("B", choices.second, "The second hue file")->required();
            diff->add_option("--format", choices.format,
                             "text, csv, json (a patch for build --base A), or html: a page of "
                             "every changed hue before and after")
                ->check(CLI::IsMember({"text", "json", "csv", "html"}))
                ->capture_default_str();
            diff->add_option("-o,--output", choices.output,
                             "Write to this file (atomically) instead of standard output");
            diff->add_flag("--web", choices.web,
                           "Show the page in your browser, served on 127.0.0.1 until its Done "
                           "(git difftool --tool=hues)");
            diff->add_option("-p,--path-name", choices.pathName,
                             "The file's name in the page's title (git's $MERGED)");
            AddSampleOption(diff, choices, "html and --web: a");
            diff->add_option("--port", choices.port, "With --web: serve on this port");
            diff->add_flag("--no-browser", choices.noBrowser,
                           "With --web: print the page's address, but open no browser");
        });
}

void AddGitCommands(CLI::App& app, Choices& choices, Commands& commands) {
    commands.merge = AddCommand(
        app, "merge",
        "Merge two changes of a hue file by hue and field, as git's merge driver; exit status 1 "
        "if conflicts remain",
        [&choices](CLI::App* merge) {
            merge->add_option("BASE", choices.mergeBase, "The common base (empty: none)")
                ->required();
            merge->add_option("OURS", choices.ours, "Our side, where the result goes")->required();
            merge->add_option("THEIRS", choices.theirs, "Their side")->required();
            merge->add_option("-o,--output", choices.output,
                              "Write the result to this file instead of OURS");
            merge
                ->add_option("--prefer", choices.prefer,
                             "Settle every conflict with ours or theirs (also HUES_MERGE_PREFER)")
                ->check(CLI::IsMember({"ours", "theirs"}));
            merge->add_option("-p,--path-name", choices.pathName,
                              "The file's name in messages (git's %P)");
            merge->add_flag("--resolve", choices.resolve,
                            "Resolve the conflicts by eye in your browser, as hues edit serves "
                            "(git mergetool --tool=hues)");
            merge->add_option("--port", choices.port, "With --resolve: as hues edit --port");
            merge->add_flag("--no-browser", choices.noBrowser,
                            "With --resolve: print the page's address, but open no browser");
        });
    commands.gitSetup = AddCommand(
        app, "git-setup",
        "Teach git hue files here: diff through the JSON listing, hues merge as merge driver "
        "and merge tool",
        [&choices](CLI::App* setup) {
            setup->add_option("PATTERN", choices.patterns,
                              "Files that are hue files, as in .gitattributes (default hues.mul)");
            setup->add_flag("--global", choices.global,
                            "For all your repositories: your git configuration and attributes");
            setup->add_flag("--undo", choices.undo, "Take away exactly what git-setup added");
            setup->add_flag("--check", choices.gitCheck,
                            "A pre-commit hook too: hues check on each hue file as staged, a "
                            "finding at error refusing the commit (a hook already there runs "
                            "first)");
        });
}

void AddHistoryCommands(CLI::App& app, Choices& choices, Commands& commands) {
    const auto addCommon = [&choices](CLI::App* command) {
        command->add_option("--rev", choices.rev,
                            "Start at this revision (by default HEAD, and the working file's "
                            "change first)");
        command->add_option("--format", choices.format, "Output format: text or json")
            ->check(CLI::IsMember({"text", "json"}))
            ->capture_default_str();
    };
    commands.log = AddCommand(
        app, "log",
        "The commits that changed these hues of the file, newest first, each with what changed "
        "(the file in a git repository)",
        [&choices, addCommon](CLI::App* log) {
            log->add_option("IDS", choices.ids, "Hue identifiers: N or A-B")->required();
            log->add_option("-n", choices.most, "At most N entries")->check(CLI::PositiveNumber);
            addCommon(log);
        });
    commands.blame = AddCommand(
        app, "blame", "The commit that last changed each hue of the file, or those given",
        [&choices, addCommon](CLI::App* blame) {
            blame->add_option("IDS", choices.ids, "Hue identifiers: N or A-B (default: all)");
            addCommon(blame);
        });
}

void AddCheckCommand(CLI::App& app, Choices& choices, Commands& commands) {
    commands.check = AddCommand(
        app, "check",
        "Check the hue file against rules that make it fit to ship; exit status 1 on a finding "
        "at --fail-on or above",
        [&choices](CLI::App* check) {
            check->add_option("IDS", choices.ids, "Hue identifiers: N or A-B (default: all)");
            check->add_option("--select", choices.select,
                              "Only these rules, RULE,RULE,... (instead of the config's)");
            check->add_option("--ignore", choices.ignore, "Not these rules, RULE,RULE,...");
            check
                ->add_option("--fail-on", choices.failOn,
                             "Exit status 1 on a finding at this level or above")
                ->check(CLI::IsMember({"error", "warning", "info"}))
                ->capture_default_str();
            check
                ->add_option("--format", choices.format,
                             "text, json, sarif (SARIF 2.1.0) or github (workflow commands)")
                ->check(CLI::IsMember({"text", "json", "sarif", "github"}))
                ->capture_default_str();
            auto* config = check->add_option(
                "--config", choices.config,
                "Use this config, not the .hues-check found beside the file or above it");
            check->add_flag("--no-config", choices.noConfig, "Use no config")->excludes(config);
            auto* fix = check->add_flag("--fix", choices.fix,
                                        "Apply the safe fixes of the findings, in place");
            check
                ->add_flag("--unsafe-fixes", choices.unsafeFixes,
                           "With --fix: the unsafe fixes too (they change what a player sees)")
                ->needs(fix);
            check
                ->add_flag("--dry-run", choices.dryRun,
                           "With --fix: write nothing, show what would change as diff does; "
                           "exit status 1 if it would")
                ->needs(fix);
            check->add_option("-p,--path-name", choices.pathName,
                              "The file's name in the findings, and where its config is found "
                              "(for a copy of it, as the commit hook checks)");
            check->add_flag("--list-rules", choices.listRules,
                            "List the rules: id, default level, fix and what each finds");
            AddBackup(check, choices);
        });
}

Commands AddCommands(CLI::App& app, Choices& choices) {
    Commands commands{};
    AddReadingCommands(app, choices, commands);
    AddExportCommand(app, choices, commands);
    AddFileEditCommands(app, choices, commands);
    AddEditorCommand(app, choices, commands);
    AddDiffCommand(app, choices, commands);
    AddGitCommands(app, choices, commands);
    AddHistoryCommands(app, choices, commands);
    AddCheckCommand(app, choices, commands);
    return commands;
}

// ---- Running them: each reads and checks everything it needs before it writes the first
// byte to `out`, and returns the exit status; what it says on standard error goes to `err` ----

struct Run {
    const Choices& choices;
    const Environment& env;
    huetext::TextBuilder& out;
    std::string& err;
};

std::filesystem::path PathOf(const std::string& text) {
    return huedata::PathFromUtf8(text);
}

huetext::TextStyle StyleFor(const Run& run) {
    return {.colors = ColorsFor(run.choices.colorMode, run.env)};
}

void WriteHues(const std::string& format, std::span<const huetext::HueView> hues, bool full,
               huetext::TextStyle style, huetext::TextBuilder& out) {
    if (format == "json") return huetext::HuesJson(hues, out);
    if (format == "csv") return huetext::HuesCsv(hues, out);
    return full ? huetext::ShowText(hues, style, out) : huetext::ListText(hues, style, out);
}

void WriteMatches(const std::string& format, std::span<const huetext::NearMatch> matches,
                  huetext::TextStyle style, huetext::TextBuilder& out) {
    if (format == "json") return huetext::NearestJson(matches, out);
    if (format == "csv") return huetext::NearestCsv(matches, out);
    return huetext::NearestText(matches, style, out);
}

// The hues named by id, or with none named the whole file. Hues given by id are read one entry
// each, as the window reads them, so that a few of a large file cost what they cost of a small
// one; past some hundreds, the whole file at once is quicker.
std::vector<huetext::HueView> LoadHuesNamed(const Run& run, std::span<const int> ids,
                                            huetext::HueFile& file) {
    constexpr std::size_t MostHuesReadAlone = 256;
    const auto path = PathOf(run.choices.file);
    if (!ids.empty() && ids.size() <= MostHuesReadAlone) return huetext::LoadViews(path, ids, file);
    file = huetext::LoadHueFile(path);
    return ids.empty() ? huetext::AllViews(file) : huetext::ViewsOf(file, ids);
}

// show, list, find, nearest and similar.
int RunReadingCommand(const Commands& commands, const Run& run) {
    const Choices& choices = run.choices;
    const huetext::TextStyle style = StyleFor(run);
    // Arguments are checked before the file is read, so that a typo is named as such.
    const std::vector<int> ids = huetext::ParseIds(choices.ids);
    const std::optional<huedata::Rgb24> color =
        commands.nearest->parsed() ? std::optional(huedata::ParseColor(choices.color))
                                   : std::nullopt;
    const huecolour::Vision vision = ParseVision(choices.vision);
    // A whole file's listing a part at a time as it is read. Held whole, the hues and their
    // views were most of a large listing's time: a fresh page touched for every 4 KB of them.
    if (commands.list->parsed() && ids.empty() && choices.format != "csv") {
        std::size_t listed = 0;
        huetext::HuesInParts(PathOf(choices.file))
            .ForEach([&](std::span<const huetext::HueView> views, std::size_t before) {
                if (choices.format == "json") {
                    huetext::HuesJsonPart(views, before, run.out);
                } else {
                    huetext::ListText(views, style, run.out);
                }
                listed = before + views.size();
            });
        if (choices.format == "json") huetext::HuesJsonEnd(listed, run.out);
        return Success;
    }
    huetext::HueFile file;
    const std::vector<huetext::HueView> hues = LoadHuesNamed(run, ids, file);
    if (commands.show->parsed()) {
        WriteHues(choices.format, hues, true, style, run.out);
        return Success;
    }
    if (commands.list->parsed()) {
        WriteHues(choices.format, hues, false, style, run.out);
        return Success;
    }
    if (commands.find->parsed()) {
        const auto found = FindHues(file, choices.text);
        WriteHues(choices.format, found, false, style, run.out);
        return found.empty() ? NothingFound : Success;
    }
    if (commands.similar->parsed()) {
        const auto pairs = huecolour::SimilarHues(huetext::ColoursOf(hues), choices.within, vision);
        if (choices.format == "json") {
            huetext::SimilarJson(pairs, run.out);
        } else {
            huetext::SimilarText(pairs, hues, run.out);
        }
        return pairs.empty() ? Success : SimilarFound;
    }
    const auto matches = huecolour::NearestHues(file.hues, *color, choices.count, vision);
    WriteMatches(choices.format, huetext::MatchesIn(file, matches), style, run.out);
    return Success;
}

// The picture named with --sample, read and checked before anything is written or served.
std::optional<page::SamplePicture> SampleChosen(const Choices& choices) {
    if (!choices.sample) return std::nullopt;
    return page::ReadSamplePicture(PathOf(*choices.sample));
}

int RunExport(const Run& run) {
    const Choices& choices = run.choices;
    const std::vector<int> ids = huetext::ParseIds(choices.ids);
    if (choices.sample && choices.exportKind != "html") {
        throw huedata::HuesError("--sample goes with export html: a palette has no pictures");
    }
    if (choices.exportCheck && choices.exportKind != "html") {
        throw huedata::HuesError(
            "--check goes with export html: a palette has nowhere to show findings");
    }
    const std::filesystem::path path = PathOf(choices.file);
    const auto exportTo = [&](const std::function<void(huetext::TextBuilder&)>& write) {
        if (choices.output) {
            WriteExportFile(path, PathOf(*choices.output), write);
        } else {
            write(run.out);
        }
    };
    const auto palette = huepalette::ExportedFormat(choices.exportKind);
    if (palette && ids.empty()) {
        // A whole file's palette likewise, read a part at a time as it is written.
        const huetext::HuesInParts hues(path);
        exportTo([&](huetext::TextBuilder& out) {
            huepalette::PaletteExport(*palette, hues, huetext::FileNameText(path), out);
        });
        return Success;
    }
    if (choices.exportKind == "html" && choices.exportCheck) {
        // The findings need every hue at once (pairs), so the file is read whole.
        huetext::HueFile file;
        const std::vector<huetext::HueView> hues = LoadHuesNamed(run, ids, file);
        const std::optional<page::SamplePicture> sample = SampleChosen(choices);
        const std::string findings = huecheck::PageFindingsOfFile(hues, path);
        exportTo([&](huetext::TextBuilder& out) {
            page::HtmlPage(huetext::HuesInParts(hues), huetext::FileNameText(path),
                           sample ? &*sample : nullptr, out, nullptr, findings);
        });
        return Success;
    }
    if (choices.exportKind == "html" && ids.empty()) {
        // A whole file's page is made from the file read anew for each of the page's sections.
        // Held whole, the hues, their views and the page's values were most of its time: a
        // fresh page of memory touched for every 4 KB of them.
        const huetext::HuesInParts hues(path);
        const std::optional<page::SamplePicture> sample = SampleChosen(choices);
        exportTo([&](huetext::TextBuilder& out) {
            page::HtmlPage(hues, huetext::FileNameText(path), sample ? &*sample : nullptr, out);
        });
        return Success;
    }
    huetext::HueFile file;
    const std::vector<huetext::HueView> hues = LoadHuesNamed(run, ids, file);
    const std::optional<page::SamplePicture> sample = SampleChosen(choices);
    const ExportRequest request{choices.exportKind, sample ? &*sample : nullptr};
    exportTo([&](huetext::TextBuilder& out) { ExportHues(path, hues, request, out); });
    return Success;
}

SourceReading ReadingChosen(const Run& run) {
    const Choices& choices = run.choices;
    return {.sources = choices.sources,
            .encoding = choices.encoding == "utf-8"          ? huetext::SourceEncoding::Utf8
                        : choices.encoding == "windows-1252" ? huetext::SourceEncoding::Windows1252
                                                             : huetext::SourceEncoding::Detect,
            .strict = choices.strict,
            .dryRun = choices.dryRun,
            .style = StyleFor(run)};
}

int RunBuild(const Run& run) {
    const Choices& choices = run.choices;
    return BuildHueFile({.reading = ReadingChosen(run),
                         .output = PathOf(*choices.output),
                         .base = choices.base ? std::optional(PathOf(*choices.base)) : std::nullopt,
                         .count = choices.least},
                        run.env, run.out, run.err);
}

int RunApply(const Run& run) {
    const Choices& choices = run.choices;
    return ApplyToHueFile({.reading = ReadingChosen(run),
                           .file = PathOf(choices.file),
                           .keepBackup = !choices.noBackup},
                          run.env, run.out, run.err);
}

int RunSet(const Run& run) {
    const Choices& choices = run.choices;
    return SetHue(
        {.file = PathOf(choices.file),
         .id = choices.id,
         .name = choices.name,
         .table = choices.table,
         .colors = choices.colors,
         .gradient = choices.gradient,
         .copyOf = choices.copyOf,
         .picture = choices.picture ? std::optional(PathOf(*choices.picture)) : std::nullopt,
         .region = choices.region,
         .palette = choices.palette,
         .ramp = choices.ramp,
         .shift = choices.shift,
         .range = choices.range,
         .keepBackup = !choices.noBackup,
         .strict = choices.strict,
         .dryRun = choices.dryRun,
         .style = StyleFor(run)},
        run.out, run.err);
}

int RunEditor(const Run& run) {
    const Choices& choices = run.choices;
    server::ServeHueEditor({.file = PathOf(choices.file),
                            .fileGiven = choices.fileGiven,
                            .port = choices.port,
                            .openBrowser = !choices.noBrowser,
                            .sample = SampleChosen(choices)},
                           {.printAddress = run.env.printNow, .tell = run.env.tellNow});
    return Success;
}

int RunDiff(const Run& run) {
    const Choices& choices = run.choices;
    DiffRequest request{
        .first = PathOf(choices.first),
        .second = PathOf(choices.second),
        .format = choices.web ? "html" : choices.format,
        .style = StyleFor(run),
        .output = choices.output ? std::optional(PathOf(*choices.output)) : std::nullopt,
        .name = choices.pathName,
        .sample = SampleChosen(choices)};
    if (choices.web) {
        server::ServeDiffPage(
            {.page = ServedDiffPage(request),
             .what = "the changes to " + (choices.pathName ? *choices.pathName : choices.second),
             .port = choices.port,
             .openBrowser = !choices.noBrowser},
            {.printAddress = run.env.printNow, .tell = run.env.tellNow});
        return Success;
    }
    const DiffOutcome diff = DiffHueFiles(request, run.out);
    run.err += diff.note;
    return diff.differ ? Differ : Success;
}

int RunMerge(const Run& run) {
    const Choices& choices = run.choices;
    const MergeReport merged = MergeFiles(
        {.base = PathOf(choices.mergeBase),
         .ours = PathOf(choices.ours),
         .theirs = PathOf(choices.theirs),
         .output = choices.output ? std::optional(PathOf(*choices.output)) : std::nullopt,
         .prefer = choices.prefer ? choices.prefer : run.env.mergePrefer,
         .name = choices.pathName,
         .resolving = choices.resolve});
    run.err += merged.err;
    if (!choices.resolve || merged.conflicts.empty()) return merged.status;
    // What is left, resolved by eye: the page saves into the merged file, and a save that
    // leaves no conflict ends it.
    run.env.tellNow(run.err.substr(0, run.err.size() - 1));
    run.err.clear();
    const std::size_t left =
        server::ServeHueEditor({.file = merged.written,
                                .fileGiven = true,
                                .port = choices.port,
                                .openBrowser = !choices.noBrowser,
                                .conflicts = merged.conflicts},
                               {.printAddress = run.env.printNow, .tell = run.env.tellNow});
    const std::string file = huedata::PathText(merged.written);
    if (left == 0) {
        run.err = "hues: the merge of " + file + " is resolved\n";
        return Success;
    }
    run.err = "hues: " + std::to_string(left) + (left == 1 ? " conflict" : " conflicts") +
              " left in " + file + ", ours kept there\n";
    return Unmerged;
}

int RunGitSetup(const Run& run) {
    const Choices& choices = run.choices;
    run.out << SetUpGit({.global = choices.global,
                         .undo = choices.undo,
                         .patterns = choices.patterns,
                         .check = choices.gitCheck},
                        run.env);
    return Success;
}

// log and blame: the file as named on the command line, read through git.
int RunHistory(const Commands& commands, const Run& run) {
    const Choices& choices = run.choices;
    std::vector<int> ids = huetext::ParseIds(choices.ids);
    const HistoryAsked asked{.file = choices.file,
                             .ids = std::move(ids),
                             .rev = choices.rev,
                             .most = choices.most,
                             .format = choices.format,
                             .style = StyleFor(run)};
    if (commands.log->parsed()) {
        LogHues(asked, run.out);
    } else {
        BlameHues(asked, run.out);
    }
    return Success;
}

int RunCheck(const Run& run) {
    const Choices& choices = run.choices;
    if (choices.listRules) {
        huecheck::RulesText(run.out);
        return Success;
    }
    return CheckHueFile(
        {.file = PathOf(choices.file),
         .ids = choices.ids,
         .select = choices.select,
         .ignore = choices.ignore,
         .failOn = choices.failOn,
         .format = choices.format,
         .config = choices.config ? std::optional(PathOf(*choices.config)) : std::nullopt,
         .noConfig = choices.noConfig,
         .pathName = choices.pathName,
         .fix = choices.fix,
         .unsafeFixes = choices.unsafeFixes,
         .dryRun = choices.dryRun,
         .keepBackup = !choices.noBackup,
         .style = StyleFor(run)},
        run.out, run.err);
}

int RunCommand(const Commands& commands, const Run& run) {
    if (commands.log->parsed() || commands.blame->parsed()) return RunHistory(commands, run);
    const std::pair<CLI::App*, int (*)(const Run&)> families[] = {
        {commands.exportHues, RunExport}, {commands.build, RunBuild},
        {commands.apply, RunApply},       {commands.set, RunSet},
        {commands.edit, RunEditor},       {commands.diff, RunDiff},
        {commands.merge, RunMerge},       {commands.gitSetup, RunGitSetup},
        {commands.check, RunCheck},
    };
    for (const auto& [command, runCommand] : families) {
        if (command->parsed()) return runCommand(run);
    }
    return RunReadingCommand(commands, run);
}

bool IsSetAndNotEmpty(const Environment& env, const char* name) {
    const std::optional<std::string> value = env.variable(name);
    return value && !value->empty();
}

}  // namespace

huetext::TerminalColors ColorsFor(std::string_view mode, const Environment& environment) {
    const bool wanted = mode == "always" || (mode == "auto" && environment.stdoutIsTerminal &&
                                             !IsSetAndNotEmpty(environment, "NO_COLOR") &&
                                             environment.variable("TERM") != "dumb");
    if (!wanted || !environment.showsColorEscapes()) return huetext::TerminalColors::None;
    const std::optional<std::string> depth = environment.variable("COLORTERM");
    return depth == "truecolor" || depth == "24bit" ? huetext::TerminalColors::TrueColor
                                                    : huetext::TerminalColors::Palette;
}

namespace {

// The commands as they were added, "a, b or c": the list help shows, written nowhere else.
std::string CommandList(const CLI::App& app) {
    const auto commands = app.get_subcommands([](const CLI::App*) { return true; });
    std::string list;
    for (std::size_t i = 0; i < commands.size(); ++i) {
        if (i > 0) list += i + 1 == commands.size() ? " or " : ", ";
        list += commands[i]->get_name();
    }
    return list;
}

Outcome FailureOutcome(const std::string& message) {
    return {Failure, {}, "hues: " + message + "\n"};
}

}  // namespace

Outcome RunHues(const std::vector<std::string>& arguments, const Environment& environment,
                const huetext::TextSink& out) {
    CLI::App app{
        "Finds hues in a hue file by number, name or colour, exports them, makes hue "
        "files from text and changes them.",
        "hues"};
    // A Windows build would otherwise take "/x" as an option.
    app.allow_windows_style_options(false);
    app.require_subcommand(1);
    app.fallthrough();
    app.set_version_flag("--version", "hues " HUES_VERSION);
    Choices choices;
    auto* file = app.add_option("-f,--file", choices.file, "The hue file")->capture_default_str();
    app.add_option("--color", choices.colorMode,
                   "Colours on a terminal: auto (where standard output is one, NO_COLOR is unset "
                   "and TERM is not dumb), always or never")
        ->check(CLI::IsMember({"auto", "always", "never"}))
        ->capture_default_str();
    const Commands commands = AddCommands(app, choices);

    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::Success& shown) {
        std::ostringstream help;
        std::ostringstream err;
        app.exit(shown, help, err);
        out(help.str());
        return {Success, {}, err.str()};
    } catch (const CLI::ParseError& error) {
        const auto unused = app.remaining();
        if (app.get_subcommands().empty() && !unused.empty()) {
            return FailureOutcome("'" + unused.front() + "' is not a command: use " +
                                  CommandList(app));
        }
        return FailureOutcome(std::string(error.what()) + " (see 'hues --help')");
    }
    choices.fileGiven = file->count() > 0;
    try {
        huetext::TextBuilder builder(out);
        std::string err;
        const int status = RunCommand(commands, {choices, environment, builder, err});
        builder.Flush();
        return {status, {}, err};
    } catch (const huedata::HuesError& error) {
        return FailureOutcome(error.what());
    }
}

Outcome RunHues(const std::vector<std::string>& arguments, const Environment& environment) {
    std::string printed;
    Outcome outcome =
        RunHues(arguments, environment, [&](std::string_view piece) { printed.append(piece); });
    outcome.out = std::move(printed);
    return outcome;
}

}  // namespace cli
