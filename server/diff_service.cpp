#include "server/diff_service.h"

#include <utility>

namespace server {

DiffService::DiffService(std::string page, std::string secret, std::uint16_t port)
    : page_(std::move(page)), secret_(std::move(secret)), port_(port) {}

EditorResponse DiffService::Handle(const EditorRequest& request) {
    if (auto refused = RefusedAtTheDoor(request, port_, secret_)) return *refused;
    const std::string_view path = TargetPath(request.target);
    if (path == "/") {
        if (request.method != "GET") return Refusal(405, "the page is read with GET");
        return {200, "text/html; charset=utf-8", page_};
    }
    if (path != "/done") return Refusal(404, "there is nothing here");
    if (auto refused = RefusedAsChange(request)) return *refused;
    doneAsked_ = true;
    return {200, "application/json", R"({"done":true})"};
}

}  // namespace server
