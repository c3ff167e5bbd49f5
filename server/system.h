// What `hues edit` asks of the system, one file for each system: random bytes from its
// generator, and the person's own browser opened on an address.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace server {

// Fills `bytes` from the system's generator of random numbers; throws when it cannot.
void SystemRandomBytes(std::span<unsigned char> bytes);

// Lets a listening socket be bound again at once when the server starts again, but never
// share its port with another program: where SO_REUSEADDR would allow that (Windows), the port
// is taken for this socket alone instead.
void KeepPortToOurselves(std::uintptr_t socket);

// Opens the person's browser on `address` without waiting for it: `$BROWSER` or xdg-open on
// Linux, the default browser on Windows. Nothing when it started; else why it did not, to say.
// `report` is called later, from another thread, should the opener fail after it started.
std::optional<std::string> OpenInBrowser(const std::string& address,
                                         void (*report)(const std::string& why));

}  // namespace server
