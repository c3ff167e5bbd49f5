// What `hues edit` answers, apart from the network: each request checked at the door
// (request_gate.h) before anything is done for it, then the editor page made afresh from the
// hue file, a save into the file through the same safe edit as `apply`, `hues check`'s
// findings of the file, or another hue file opened when none was found.
#pragma once

#include "huegit/hue_history.h"
#include "page/sample_picture.h"
#include "server/request_gate.h"

#include "huedata/hue_merge.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace server {

class EditorService {
public:
    // `fileGiven`: the file was named with -f, so the page may not open another.
    // `sample`, when given, is the picture the page shows every hue on. `conflicts`, when there
    // are any, are those a merge left in the file, for the person to resolve in the page.
    EditorService(std::filesystem::path file, bool fileGiven, std::string secret,
                  std::uint16_t port, std::optional<page::SamplePicture> sample = std::nullopt,
                  std::vector<huedata::MergeConflict> conflicts = {});

    EditorResponse Handle(const EditorRequest& request);

    // The headers every answer carries, whatever it is.
    static constexpr std::string_view NoSniff = "nosniff";
    static constexpr std::string_view NoStore = "no-store";
    static std::string_view SecurityPolicy();

    std::string_view Secret() const { return secret_; }
    // Whether the page asked the server to stop (started from a menu, it has no Ctrl+C).
    bool StopAsked() const { return stopAsked_; }
    // Resolving a merge: how many conflicts the file as last saved leaves, as the page counts
    // them; a save that leaves none ends the server.
    std::size_t ConflictsLeft() const { return conflictsLeft_; }

private:
    EditorResponse Page();
    EditorResponse Save(std::string_view stamp, std::string_view left, const std::string& body);
    EditorResponse Open(const std::string& body);
    EditorResponse History(std::string_view hue);
    EditorResponse Findings();

    std::filesystem::path file_;
    bool fileGiven_;
    std::string secret_;
    std::uint16_t port_;
    std::optional<page::SamplePicture> sample_;
    std::vector<huedata::MergeConflict> conflicts_;
    std::size_t conflictsLeft_;
    bool stopAsked_ = false;
    // The file's history in git, and the commit at HEAD it was read at.
    std::optional<std::pair<std::string, huegit::HueHistory>> history_;
};

}  // namespace server
