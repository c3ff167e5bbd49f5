// What `hues edit` answers, apart from the network: each request checked before anything is
// done for it (the address it was sent to, the secret, the page it came from, its form), then
// the editor page made afresh from the hue file, a save into the file through the same safe
// edit as `apply`, or another hue file opened when none was found.
#pragma once

#include "huegit/hue_history.h"
#include "page/sample_picture.h"

#include "huedata/hue_merge.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace hues {

struct EditorRequest {
    std::string method;  // "GET", "POST", ...
    std::string target;  // the path and the query
    std::string host;    // the Host header
    std::string origin;  // the Origin header, or empty
    std::string contentType;
    std::string body;
};

struct EditorResponse {
    unsigned status = 200;
    std::string contentType = "application/json";
    std::string body;
};

// The largest request body taken: the patch of every hue the format allows, and room to spare.
inline constexpr std::uint64_t MostEditorRequestBytes = std::uint64_t{40} << 20U;

class EditorService {
public:
    // `fileGiven`: the file was named with -f, so the page may not open another.
    // `sample`, when given, is the picture the page shows every hue on. `conflicts`, when there
    // are any, are those a merge left in the file, for the person to resolve in the page.
    EditorService(std::filesystem::path file, bool fileGiven, std::string secret,
                  std::uint16_t port, std::optional<SamplePicture> sample = std::nullopt,
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

    std::filesystem::path file_;
    bool fileGiven_;
    std::string secret_;
    std::uint16_t port_;
    std::optional<SamplePicture> sample_;
    std::vector<huedata::MergeConflict> conflicts_;
    std::size_t conflictsLeft_;
    bool stopAsked_ = false;
    // The file's history in git, and the commit at HEAD it was read at.
    std::optional<std::pair<std::string, huegit::HueHistory>> history_;
};

// The checks every request to a server of ours passes first: sent to this server's own address
// and port (never to a name of another site rebound to 127.0.0.1), with the secret in its
// query. The refusal, or nothing.
std::optional<EditorResponse> RefusedAtTheDoor(const EditorRequest& request, std::uint16_t port,
                                               std::string_view secret);

// And for a request that changes anything: a POST from this server's own page, of JSON.
std::optional<EditorResponse> RefusedAsChange(const EditorRequest& request);

// The path of a request's target, without its query.
std::string_view TargetPath(std::string_view target);

// A refusal: {"error": why}.
EditorResponse Refusal(unsigned status, const std::string& why);

// A secret of 256 bits from the system's generator, as 64 hexadecimal digits.
std::string NewSecret();

// Whether two texts are the same, in a time that depends on their lengths alone.
bool SameInConstantTime(std::string_view a, std::string_view b);

}  // namespace hues
