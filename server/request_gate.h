// The door of every server of ours (`hues edit`, `hues diff --web`): a request and its answer
// apart from the network, and the checks each request passes before anything is done for it.
// A local server is a door into the person's files, so every request is refused until the
// address it was sent to, its secret and the page it came from say it is our own page's.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace server {

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

// The checks every request passes first, on every route: sent to this server's own address and
// port (never to a name of another site rebound to 127.0.0.1), with the secret in its query,
// and, where the browser says which page asks (Origin), from this server's own. The refusal,
// or nothing.
std::optional<EditorResponse> RefusedAtTheDoor(const EditorRequest& request, std::uint16_t port,
                                               std::string_view secret);

// And for a request that changes anything: a POST from this server's own page, of JSON.
std::optional<EditorResponse> RefusedAsChange(const EditorRequest& request);

// The path of a request's target, without its query.
std::string_view TargetPath(std::string_view target);

// The value of `name` in the query of `target`, as it stands (nothing here is escaped).
std::string_view QueryValue(std::string_view target, std::string_view name);

// A refusal: {"error": why}.
EditorResponse Refusal(unsigned status, const std::string& why);

// A secret of 256 bits from the system's generator, as 64 hexadecimal digits.
std::string NewSecret();

// Whether two texts are the same, in a time that depends on their lengths alone.
bool SameInConstantTime(std::string_view a, std::string_view b);

}  // namespace server
