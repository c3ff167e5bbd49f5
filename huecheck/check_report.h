// `hues check`'s findings written for people (text), for programs (JSON), for code-scanning
// services (SARIF 2.1.0) and for GitHub's workflow commands, and its rules listed.
#pragma once

#include "huecheck/check_rules.h"
#include "huedata/text_builder.h"
#include "hueformats/text_format.h"

#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace huecheck {

// One line a finding, "FILE: hue N[ colour I]: LEVEL RULE: message", the level in colour where
// the style has colours; then the count of findings by level.
void CheckText(std::string_view file, std::span<const Finding> findings,
               hueformats::TextStyle style, huedata::TextBuilder& out);
// An array of {rule, level, hue, colour?, other_hue?, message}.
void CheckJson(std::span<const Finding> findings, huedata::TextBuilder& out);
// A SARIF 2.1.0 log of one run: every rule in tool.driver.rules, each finding a result
// located in the file (a relative URI as given) and, logically, at its hue.
void CheckSarif(std::string_view file, std::span<const Finding> findings, std::string_view version,
                huedata::TextBuilder& out);
// "::LEVEL file=FILE,title=RULE::hue N: message" a finding, info as a notice.
void CheckGithub(std::string_view file, std::span<const Finding> findings,
                 huedata::TextBuilder& out);
// The findings as the hue page takes them: {"hues": {"ID": {"worst": LEVEL, "count": N,
// "list": [the first few, as CheckJson writes them]}}}, so that a file with a finding on every
// hue does not make a page of them.
std::string PageFindingsJson(std::span<const Finding> findings);

// The same for the hues of `file`, held to the rules its config (found beside it, as `hues
// check` finds it) chooses; a config that does not read gives {"error": its reason}.
std::string PageFindingsOfFile(std::span<const huedata::HueView> hues,
                               const std::filesystem::path& file);

// Each rule's id, default level, fix and description, a line each.
void RulesText(huedata::TextBuilder& out);

}  // namespace huecheck
