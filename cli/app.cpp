#include "cli/app.h"

#include "cli/check.h"
#include "cli/command.h"
#include "cli/diff.h"
#include "cli/edit.h"
#include "cli/export.h"
#include "cli/git_setup.h"
#include "cli/history.h"
#include "cli/listing.h"
#include "cli/merge.h"

#include "huedata/hue_file.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>

namespace cli {

namespace {

// Every command of hues, registered here once, in the order help lists them: help, the run and
// the error for an unknown command all come from this list.
std::vector<Command> AllCommands() {
    std::vector<Command> commands = ListingCommands();
    commands.push_back(ExportCommand());
    for (Command& command : EditCommands()) commands.push_back(std::move(command));
    commands.push_back(DiffCommand());
    commands.push_back(MergeCommand());
    commands.push_back(GitSetupCommand());
    for (Command& command : HistoryCommands()) commands.push_back(std::move(command));
    commands.push_back(CheckCommand());
    return commands;
}

bool IsSetAndNotEmpty(const Environment& env, const char* name) {
    const std::optional<std::string> value = env.variable(name);
    return value && !value->empty();
}

}  // namespace

hueformats::TerminalColors ColorsFor(std::string_view mode, const Environment& environment) {
    const bool wanted = mode == "always" || (mode == "auto" && environment.stdoutIsTerminal &&
                                             !IsSetAndNotEmpty(environment, "NO_COLOR") &&
                                             environment.variable("TERM") != "dumb");
    if (!wanted || !environment.showsColorEscapes()) return hueformats::TerminalColors::None;
    const std::optional<std::string> depth = environment.variable("COLORTERM");
    return depth == "truecolor" || depth == "24bit" ? hueformats::TerminalColors::TrueColor
                                                    : hueformats::TerminalColors::Palette;
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
                const huedata::TextSink& out) {
    CLI::App app{
        "Finds hues in a hue file by number, name or colour, exports them, makes hue "
        "files from text and changes them.",
        "hues"};
    // A Windows build would otherwise take "/x" as an option.
    app.allow_windows_style_options(false);
    app.require_subcommand(1);
    app.fallthrough();
    app.set_version_flag("--version", "hues " HUES_VERSION);
    std::string fileText{huedata::DefaultHueFilePath};
    std::string colorMode = "auto";
    auto* file = app.add_option("-f,--file", fileText, "The hue file")->capture_default_str();
    app.add_option("--color", colorMode,
                   "Colours on a terminal: auto (where standard output is one, NO_COLOR is unset "
                   "and TERM is not dumb), always or never")
        ->check(CLI::IsMember({"auto", "always", "never"}))
        ->capture_default_str();
    // A command's options are made only once it is named on the command line: a run needs one
    // command's, and making every command's takes a noticeable part of a short run.
    const std::vector<Command> commands = AllCommands();
    CommandRun chosen;
    for (const Command& command : commands) {
        CLI::App* added = app.add_subcommand(command.name, command.description);
        added->preparse_callback(
            [added, &command, &chosen](std::size_t) { chosen = command.addOptions(added); });
    }

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
    try {
        huedata::TextBuilder builder(out);
        std::string err;
        const int status = chosen({.file = fileText,
                                   .fileGiven = file->count() > 0,
                                   .colorMode = colorMode,
                                   .env = environment,
                                   .out = builder,
                                   .err = err});
        builder.Flush();
        return {status, {}, err};
    } catch (const huedata::HuesError& error) {
        return FailureOutcome(error.what());
    } catch (const huedata::FileError& error) {
        // A file's failure that no command named otherwise, said as NamingTheFile says it.
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
