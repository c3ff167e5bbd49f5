#include "cli/check.h"

#include "cli/edit.h"
#include "huecheck/check_config.h"
#include "huecheck/check_report.h"
#include "huecheck/check_rules.h"
#include "huedata/hue_edit.h"
#include "huedata/hue_text.h"
#include "huedata/safe_write.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <memory>

namespace cli {

namespace {

namespace fs = std::filesystem;

std::vector<std::string> RuleIds(std::span<const std::string> lists, std::string_view option) {
    std::vector<std::string> ids;
    for (const std::string& list : lists) {
        const auto some = huecheck::RuleIdsListed(list, option);
        ids.insert(ids.end(), some.begin(), some.end());
    }
    return ids;
}

huecheck::RuleChoice RulesChosen(const CheckRequest& request, const std::string& shownName) {
    huecheck::CheckAsked asked{.select = std::nullopt,
                               .ignore = RuleIds(request.ignore, "--ignore")};
    if (!request.select.empty()) asked.select = RuleIds(request.select, "--select");
    std::optional<fs::path> config = request.config;
    if (!config && !request.noConfig)
        config = huecheck::FindCheckConfig(huedata::PathFromUtf8(shownName));
    return huecheck::ChooseRules(config, asked);
}

// The name changes the chosen fixes make of the hues of `image` (those of `ids`, or every
// one), as they read now.
std::vector<huedata::HueChange> FixesFor(std::span<const unsigned char> image,
                                         std::span<const int> ids,
                                         const huecheck::RuleChoice& choice,
                                         huecheck::Fix allowed) {
    const std::size_t held = huedata::HueCountForSize(image.size());
    std::vector<huedata::HueChange> changes;
    const auto fix = [&](std::size_t id) {
        if (id >= held) return;
        const huedata::HueRecord record = huedata::HueAt(image, id);
        const int hue = static_cast<int>(id);
        if (const auto name = huecheck::FixedName(record.Name, hue, choice, allowed)) {
            changes.push_back({.id = hue, .name = name});
        }
    };
    if (ids.empty()) {
        for (std::size_t id = 0; id < held; ++id) fix(id);
    } else {
        for (const int id : ids) fix(static_cast<std::size_t>(id));
    }
    return changes;
}

int FixHueFile(const CheckRequest& request, std::span<const int> ids,
               const huecheck::RuleChoice& choice, const std::string& shownName,
               huedata::TextBuilder& out, std::string& err) {
    const huecheck::Fix allowed = request.unsafeFixes ? huecheck::Fix::Unsafe : huecheck::Fix::Safe;
    if (request.dryRun) {
        std::vector<unsigned char> before =
            huedata::NamingTheFile([&] { return huedata::ReadFileBytes(request.file); });
        std::vector<unsigned char> after = before;
        huedata::ApplyHueChanges(after, FixesFor(before, ids, choice, allowed));
        return ShowDryRun(shownName, std::move(before), std::move(after), request.style, out, err);
    }
    std::size_t fixed = 0;
    // The fixes are found again in the writer's turn, on the bytes as they are then: a fix
    // never touches a name another writer changed meanwhile.
    const huedata::EditOutcome outcome = huedata::NamingTheFile([&] {
        return huedata::EditFileSafely(
            request.file,
            {.sizeFor = [](std::uint64_t size) { return size; },
             .change =
                 [&](std::span<unsigned char> image, std::uint64_t sizeBefore) {
                     const auto changes = FixesFor(image, ids, choice, allowed);
                     fixed = huedata::ApplyHueChanges(image, huedata::HueCountForSize(sizeBefore),
                                                      changes);
                     return fixed > 0;
                 }},
            request.keepBackup);
    });
    if (outcome.changed) {
        err += "hues: fixed the name" +
               (fixed == 1 ? std::string(" of 1 hue") : "s of " + std::to_string(fixed) + " hues") +
               " in " + shownName +
               (outcome.backup ? "; previous file kept as " + huedata::PathText(*outcome.backup)
                               : "") +
               "\n";
    } else {
        err += "hues: " + shownName + ": nothing to fix\n";
    }
    return Success;
}

void WriteFindings(const CheckRequest& request, const std::string& shownName,
                   std::span<const huecheck::Finding> findings, huedata::TextBuilder& out) {
    if (request.format == "json") {
        huecheck::CheckJson(findings, out);
    } else if (request.format == "sarif") {
        huecheck::CheckSarif(shownName, findings, HUES_VERSION, out);
    } else if (request.format == "github") {
        huecheck::CheckGithub(shownName, findings, out);
    } else {
        huecheck::CheckText(shownName, findings, request.style, out);
    }
}

}  // namespace

int CheckHueFile(const CheckRequest& request, huedata::TextBuilder& out, std::string& err) {
    // Every argument and the config are checked before the file is read or changed.
    const std::vector<int> ids = huedata::ParseIds(request.ids);
    const std::string shownName =
        request.pathName ? *request.pathName : huedata::PathText(request.file);
    const huecheck::RuleChoice choice = RulesChosen(request, shownName);
    const auto failOn = huecheck::LevelNamed(request.failOn);
    if (request.fix) {
        const int status = FixHueFile(request, ids, choice, shownName, out, err);
        if (request.dryRun) return status;
    }
    huedata::HueFile file;
    std::vector<huedata::HueView> hues;
    if (ids.empty()) {
        file = huedata::LoadHueFile(request.file);
        hues = huedata::AllViews(file);
    } else {
        hues = huedata::LoadViews(request.file, ids, file);
    }
    const std::vector<huecheck::Finding> findings = huecheck::CheckHues(hues, choice);
    WriteFindings(request, shownName, findings, out);
    const bool failed = std::any_of(findings.begin(), findings.end(), [&](const auto& finding) {
        return failOn && finding.level >= *failOn;
    });
    return failed ? FindingsFailed : Success;
}

namespace {

struct CheckOptions {
    std::vector<std::string> ids, select, ignore;
    std::string failOn = "warning";
    std::string format = "text";
    std::optional<std::string> config, pathName;
    bool noConfig = false, fix = false, unsafeFixes = false, dryRun = false, listRules = false,
         noBackup = false;
};

int RunCheck(const CheckOptions& options, const Run& run) {
    if (options.listRules) {
        huecheck::RulesText(run.out);
        return Success;
    }
    return CheckHueFile(
        {.file = PathOf(run.file),
         .ids = options.ids,
         .select = options.select,
         .ignore = options.ignore,
         .failOn = options.failOn,
         .format = options.format,
         .config = options.config ? std::optional(PathOf(*options.config)) : std::nullopt,
         .noConfig = options.noConfig,
         .pathName = options.pathName,
         .fix = options.fix,
         .unsafeFixes = options.unsafeFixes,
         .dryRun = options.dryRun,
         .keepBackup = !options.noBackup,
         .style = StyleFor(run)},
        run.out, run.err);
}

}  // namespace

Command CheckCommand() {
    return {
        "check",
        "Check the hue file against rules that make it fit to ship; exit status 1 on a finding "
        "at --fail-on or above",
        [](CLI::App* check) {
            auto options = std::make_shared<CheckOptions>();
            check->add_option("IDS", options->ids, "Hue identifiers: N or A-B (default: all)");
            check->add_option("--select", options->select,
                              "Only these rules, RULE,RULE,... (instead of the config's)");
            check->add_option("--ignore", options->ignore, "Not these rules, RULE,RULE,...");
            check
                ->add_option("--fail-on", options->failOn,
                             "Exit status 1 on a finding at this level or above")
                ->check(CLI::IsMember({"error", "warning", "info"}))
                ->capture_default_str();
            check
                ->add_option("--format", options->format,
                             "text, json, sarif (SARIF 2.1.0) or github (workflow commands)")
                ->check(CLI::IsMember({"text", "json", "sarif", "github"}))
                ->capture_default_str();
            auto* config = check->add_option(
                "--config", options->config,
                "Use this config, not the .hues-check found beside the file or above it");
            check->add_flag("--no-config", options->noConfig, "Use no config")->excludes(config);
            auto* fix = check->add_flag("--fix", options->fix,
                                        "Apply the safe fixes of the findings, in place");
            check
                ->add_flag("--unsafe-fixes", options->unsafeFixes,
                           "With --fix: the unsafe fixes too (they change what a player sees)")
                ->needs(fix);
            check
                ->add_flag("--dry-run", options->dryRun,
                           "With --fix: write nothing, show what would change as diff does; "
                           "exit status 1 if it would")
                ->needs(fix);
            check->add_option("-p,--path-name", options->pathName,
                              "The file's name in the findings, and where its config is found "
                              "(for a copy of it, as the commit hook checks)");
            check->add_flag("--list-rules", options->listRules,
                            "List the rules: id, default level, fix and what each finds");
            AddBackup(check, options->noBackup);
            return CommandRun([options](const Run& run) { return RunCheck(*options, run); });
        }};
}

}  // namespace cli
