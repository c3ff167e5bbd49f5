// What `hues diff --web` answers, apart from the network: the diff page, made once, to a
// request that passes the checks every server of ours makes; and Done, which ends it. Nothing
// it answers writes anything.
#pragma once

#include "server/request_gate.h"

#include <cstdint>
#include <string>

namespace server {

class DiffService {
public:
    DiffService(std::string page, std::string secret, std::uint16_t port);

    EditorResponse Handle(const EditorRequest& request);

    std::string_view Secret() const { return secret_; }
    // Whether the page said it is done (its Done button, or the page closed).
    bool DoneAsked() const { return doneAsked_; }

private:
    std::string page_;
    std::string secret_;
    std::uint16_t port_;
    bool doneAsked_ = false;
};

}  // namespace server
