#include "server/request_gate.h"

#include "server/system.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>

namespace server {

// The value of `name` in the query of `target`, as it stands (nothing here is escaped).
std::string_view QueryValue(std::string_view target, std::string_view name) {
    const auto question = target.find('?');
    if (question == std::string_view::npos) return {};
    std::string_view query = target.substr(question + 1);
    while (!query.empty()) {
        const auto amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        if (pair.size() > name.size() && pair.starts_with(name) && pair[name.size()] == '=') {
            return pair.substr(name.size() + 1);
        }
        if (amp == std::string_view::npos) break;
        query.remove_prefix(amp + 1);
    }
    return {};
}

EditorResponse Refusal(unsigned status, const std::string& why) {
    return {status, "application/json", nlohmann::json{{"error", why}}.dump()};
}

std::string_view TargetPath(std::string_view target) {
    return target.substr(0, target.find('?'));
}

std::optional<EditorResponse> RefusedAtTheDoor(const EditorRequest& request, std::uint16_t port,
                                               std::string_view secret) {
    // Only the names the loopback address is reached by, with this server's port: a page of
    // another site that rebinds its own name to 127.0.0.1 sends its own name here.
    std::string suffix = ":";  // appended, not added: GCC 12 at -O3 misreads ":" + text
    suffix += std::to_string(port);
    const std::string_view host = request.host;
    const bool ours =
        std::ranges::any_of(std::array<std::string_view, 3>{"127.0.0.1", "localhost", "[::1]"},
                            [&](std::string_view name) {
                                return host.size() == name.size() + suffix.size() &&
                                       host.starts_with(name) && host.ends_with(suffix);
                            });
    if (!ours) return Refusal(403, "this server answers only at 127.0.0.1:" + std::to_string(port));
    if (!SameInConstantTime(QueryValue(request.target, "key"), secret)) {
        return Refusal(403, "the address lacks the secret hues printed");
    }
    // Where the browser says which page asks, it must be this server's own: a page of another
    // site may load our address, and must learn nothing from it.
    if (!request.origin.empty() && request.origin != "http://" + request.host) {
        return Refusal(403, "only this server's own page may ask here");
    }
    return std::nullopt;
}

std::optional<EditorResponse> RefusedAsChange(const EditorRequest& request) {
    if (request.method != "POST") return Refusal(405, "changes are sent with POST");
    // A page of another site may post here with the secret it cannot know, but never with this
    // server's own origin.
    const std::string origin = "http://" + request.host;
    if (request.origin != origin) return Refusal(403, "changes come only from the server's page");
    if (!request.contentType.starts_with("application/json")) {
        return Refusal(415, "changes are sent as application/json");
    }
    return std::nullopt;
}

std::string NewSecret() {
    std::array<unsigned char, 32> bytes{};
    SystemRandomBytes(bytes);
    std::string hex;
    for (const unsigned char byte : bytes) {
        hex += "0123456789abcdef"[byte >> 4U];
        hex += "0123456789abcdef"[byte & 0xFU];
    }
    return hex;
}

bool SameInConstantTime(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    unsigned difference = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        difference |= static_cast<unsigned char>(a[i]) ^ static_cast<unsigned char>(b[i]);
    }
    return difference == 0;
}

}  // namespace server
