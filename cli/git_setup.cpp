#include "cli/git_setup.h"

#include "huedata/hue_view.h"
#include "hueformats/output_file.h"

#include "huedata/hue_file.h"

#include <CLI/CLI.hpp>

#include <memory>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <utility>

namespace cli {

namespace {

namespace fs = std::filesystem;

// git, run in one repository or for the user's configuration.
class Git {
public:
    Git(const Environment& environment, bool global)
        : environment_(environment), scope_(global ? "--global" : "--local") {}

    // What it printed, less the line's end; nothing when it failed. Its complaints are kept
    // from the person: a failure here is an answer, not an error.
    std::optional<std::string> Ask(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), "git");
        std::string output;
        const int status = environment_.runProgram(arguments, output, true);
        if (status < 0) throw huedata::HuesError("git-setup: git cannot be run: is it installed?");
        if (status != 0) return std::nullopt;
        while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) {
            output.pop_back();
        }
        return output;
    }

    void Config(const std::vector<std::string>& arguments) const {
        std::vector<std::string> command{"git", "config", scope_};
        command.insert(command.end(), arguments.begin(), arguments.end());
        std::string output;
        if (environment_.runProgram(command, output, false) != 0) {
            throw huedata::HuesError("git-setup: git config " + scope_ + " " + arguments.front() +
                                     " failed");
        }
    }
    std::optional<std::string> Get(const std::string& key) const {
        return Ask({"config", scope_, "--get", key});
    }
    // Takes away a section of the configuration when nothing is left in it.
    void RemoveIfEmpty(const std::string& section, const std::string& pattern) const {
        if (!Ask({"config", scope_, "--get-regexp", pattern})) {
            (void)Ask({"config", scope_, "--remove-section", section});
        }
    }

private:
    const Environment& environment_;
    std::string scope_;
};

// Text as a POSIX shell reads it back: git runs drivers, text converters and tools through one.
std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

struct Setting {
    std::string key, value;
};

// This program by its full path, so that git finds it whether or not it is on PATH.
std::vector<Setting> Settings(const std::string& hues) {
    return {
        {"diff.hues.textconv", hues + " list --format json -f"},
        {"diff.hues.cachetextconv", "true"},
        {"merge.hues.name", "hue files, merged by hue and field (hues merge)"},
        {"merge.hues.driver", hues + " merge %O %A %B -p %P"},
        {"mergetool.hues.cmd",
         hues + R"( merge --resolve "$BASE" "$LOCAL" "$REMOTE" -o "$MERGED")"},
        {"mergetool.hues.trustExitCode", "true"},
        {"difftool.hues.cmd", hues + R"( diff "$LOCAL" "$REMOTE" --web -p "$MERGED")"},
    };
}
// Each section of ours, and the names of the settings in it.
constexpr std::array<std::pair<const char*, const char*>, 4> Sections{{
    {"diff.hues", "^diff\\.hues\\."},
    {"merge.hues", "^merge\\.hues\\."},
    {"mergetool.hues", "^mergetool\\.hues\\."},
    {"difftool.hues", "^difftool\\.hues\\."},
}};

std::string AttributeLine(const std::string& pattern) {
    return pattern + " diff=hues merge=hues";
}

// Where the attributes go: the repository's top, or the user's own attributes file.
fs::path AttributesFile(const Git& git, const Environment& environment, bool global) {
    if (!global) {
        const auto top = git.Ask({"rev-parse", "--show-toplevel"});
        if (!top) {
            throw huedata::HuesError(
                "git-setup: this is not inside a git repository; run it in one, or give "
                "--global to set it up for all of yours");
        }
        return huedata::PathFromUtf8(*top) / ".gitattributes";
    }
    if (const auto configured =
            git.Ask({"config", "--global", "--type=path", "--get", "core.attributesfile"})) {
        return huedata::PathFromUtf8(*configured);
    }
    const auto xdg = environment.variable("XDG_CONFIG_HOME");
    if (xdg && !xdg->empty()) return huedata::PathFromUtf8(*xdg) / "git" / "attributes";
    auto home = environment.variable("HOME");
    if (!home || home->empty()) home = environment.variable("USERPROFILE");
    if (!home || home->empty())
        throw huedata::HuesError("git-setup: no home folder (HOME) for --global");
    return huedata::PathFromUtf8(*home) / ".config" / "git" / "attributes";
}

std::vector<std::string> LinesOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

void WriteLines(const fs::path& file, const std::vector<std::string>& lines) {
    std::error_code error;
    fs::create_directories(file.parent_path(), error);
    hueformats::WriteFileAtomically(file,
                                    [&](huedata::TextBuilder& out) {
                                        for (const std::string& line : lines) out << line << '\n';
                                    },
                                    {});
}

// The first line of the hook marks it as ours, so that it is never taken for the person's.
constexpr std::string_view HookMark = "# pre-commit hook of hues git-setup --check";
constexpr const char* ChainedHook = "pre-commit.before-hues";

std::string HookScript(const std::string& hues) {
    return "#!/bin/sh\n" + std::string(HookMark) + R"hook(
# Each hue file as staged (the index's blob, not the work tree's) is checked with hues
# check, and a finding at error refuses the commit. A hook that was here before runs first, as pre-commit.before-hues.
hooks=$(dirname "$0")
if [ -x "$hooks/pre-commit.before-hues" ]; then
    "$hooks/pre-commit.before-hues" "$@" || exit $?
fi
staged=$(mktemp) || exit 1
blob=$(mktemp) || exit 1
found=$(mktemp) || exit 1
trap 'rm -f "$staged" "$blob" "$found"' EXIT
git -c core.quotePath=false diff --cached --name-only --diff-filter=ACMR >"$staged" || exit 1
status=0
while IFS= read -r path; do
    case $(git check-attr --cached diff -- "$path") in
    *": diff: hues") ;;
    *) continue ;;
    esac
    git cat-file blob ":$path" >"$blob" || exit 1
    )hook" +
           hues + R"hook( check -f "$blob" -p "$path" --fail-on error >"$found" || {
        # The findings only where they refuse the commit: a passing one stays quiet.
        cat "$found"
        status=1
    }
done <"$staged"
if [ $status -ne 0 ]; then
    echo "hues: the commit is refused: a staged hue file has a finding at error (git commit --no-verify skips the check)" >&2
fi
exit $status
)hook";
}

bool IsOurHook(const fs::path& hook) {
    const std::vector<std::string> lines = LinesOf(hook);
    return lines.size() > 1 && lines[1] == HookMark;
}

fs::path HooksFolder(const Git& git) {
    const auto hooks = git.Ask({"rev-parse", "--path-format=absolute", "--git-path", "hooks"});
    if (!hooks)
        throw huedata::HuesError(
            "git-setup: --check: git cannot say where this repository's hooks are");
    return huedata::PathFromUtf8(*hooks);
}

// Installs the hook, the one there before kept beside it and run first.
std::string AddHook(const Git& git, const std::string& hues) {
    const fs::path folder = HooksFolder(git);
    const fs::path hook = folder / "pre-commit";
    const std::string where = huedata::PathText(hook);
    std::error_code error;
    std::string said;
    if (fs::exists(hook, error) && !IsOurHook(hook)) {
        if (fs::exists(folder / ChainedHook, error)) {
            throw huedata::HuesError(
                "git-setup: --check: " + where + " and " + huedata::PathText(folder / ChainedHook) +
                " are both there already; neither is hues's, and neither is changed");
        }
        fs::rename(hook, folder / ChainedHook, error);
        if (error)
            throw huedata::HuesError("git-setup: --check: " + where + ": " + error.message());
        said += where + ": the hook there before kept as " + ChainedHook + ", and run first\n";
    }
    fs::create_directories(folder, error);
    hueformats::WriteFileAtomically(
        hook, [&](huedata::TextBuilder& out) { out << HookScript(hues); }, {});
    fs::permissions(hook,
                    fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                        fs::perms::others_read | fs::perms::others_exec,
                    error);
    return said + where + ": checks each staged hue file before a commit\n";
}

std::string RemoveHook(const Git& git) {
    const fs::path folder = HooksFolder(git);
    const fs::path hook = folder / "pre-commit";
    std::error_code error;
    if (!fs::exists(hook, error) || !IsOurHook(hook)) return {};
    fs::remove(hook, error);
    std::string said = "removed " + huedata::PathText(hook) + "\n";
    if (fs::exists(folder / ChainedHook, error)) {
        fs::rename(folder / ChainedHook, hook, error);
        said += huedata::PathText(hook) + ": the hook there before put back\n";
    }
    return said;
}

}  // namespace

std::string SetUpGit(const GitSetupRequest& request, const Environment& environment) {
    const Git git(environment, request.global);
    if (request.check && request.global) {
        throw huedata::HuesError(
            "git-setup: --check installs a hook in one repository: give it without "
            "--global");
    }
    const fs::path attributes = AttributesFile(git, environment, request.global);
    std::vector<std::string> patterns = request.patterns;
    if (patterns.empty()) patterns.emplace_back("hues.mul");
    std::vector<std::string> lines = LinesOf(attributes);
    const std::string where = huedata::PathText(attributes);
    std::string said;

    if (!request.undo) {
        for (const Setting& setting : Settings(ShellQuoted(environment.programPath))) {
            git.Config({setting.key, setting.value});
            said += "set " + setting.key + " = " + setting.value + "\n";
        }
        const std::size_t before = lines.size();
        for (const std::string& pattern : patterns) {
            const std::string line = AttributeLine(pattern);
            if (std::ranges::find(lines, line) != lines.end()) {
                said.append(where).append(" has already: ").append(line).append("\n");
            } else {
                lines.push_back(line);
                said.append(where).append(": added ").append(line).append("\n");
            }
        }
        if (lines.size() != before) WriteLines(attributes, lines);
        if (request.check) said += AddHook(git, ShellQuoted(environment.programPath));
        return said;
    }

    for (const Setting& setting : Settings({})) {
        if (!git.Get(setting.key)) continue;
        git.Config({"--unset-all", setting.key});
        said += "removed " + setting.key + "\n";
    }
    // A section left with nothing in it goes too; one that holds settings of the person's own
    // stays.
    for (const auto& [section, pattern] : Sections) git.RemoveIfEmpty(section, pattern);
    const std::size_t before = lines.size();
    for (const std::string& pattern : patterns) {
        const std::string line = AttributeLine(pattern);
        if (std::erase(lines, line) > 0)
            said.append(where).append(": removed ").append(line).append("\n");
    }
    if (lines.size() != before) {
        const bool nothingLeft = std::ranges::all_of(lines, [](const std::string& line) {
            return line.find_first_not_of(" \t") == std::string::npos;
        });
        if (nothingLeft) {
            std::error_code error;
            fs::remove(attributes, error);
        } else {
            WriteLines(attributes, lines);
        }
    }
    if (!request.global) said += RemoveHook(git);
    if (said.empty()) said = "nothing of hues's was set up here\n";
    return said;
}

Command GitSetupCommand() {
    return {"git-setup",
            "Teach git hue files here: diff through the JSON listing, hues merge as merge driver "
            "and merge tool",
            [](CLI::App* setup) {
                auto request = std::make_shared<GitSetupRequest>();
                setup->add_option("PATTERN", request->patterns,
                                  "Files that are hue files, as in .gitattributes (default "
                                  "hues.mul)");
                setup->add_flag("--global", request->global,
                                "For all your repositories: your git configuration and "
                                "attributes");
                setup->add_flag("--undo", request->undo, "Take away exactly what git-setup added");
                setup->add_flag("--check", request->check,
                                "A pre-commit hook too: hues check on each hue file as staged, a "
                                "finding at error refusing the commit (a hook already there "
                                "runs first)");
                return CommandRun([request](const Run& run) {
                    run.out << SetUpGit(*request, run.env);
                    return int{Success};
                });
            }};
}

}  // namespace cli
