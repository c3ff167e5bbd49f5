#include "server/system.h"

#include <stdexcept>

#include <winsock2.h>
// After winsock2.h, which must come first.
#include <windows.h>
// After windows.h, which they build on.
#include <bcrypt.h>
#include <shellapi.h>

namespace server {

void SystemRandomBytes(std::span<unsigned char> bytes) {
    const NTSTATUS status = BCryptGenRandom(nullptr, bytes.data(), static_cast<ULONG>(bytes.size()),
                                            BCRYPT_USE_SYSTEM_PREFERRED_RNG);
    if (status < 0) throw std::runtime_error("no random bytes from BCryptGenRandom");
}

void KeepPortToOurselves(std::uintptr_t socket) {
    const BOOL exclusive = TRUE;
    ::setsockopt(static_cast<SOCKET>(socket), SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
                 reinterpret_cast<const char*>(&exclusive), sizeof exclusive);
}

std::optional<std::string> OpenInBrowser(const std::string& address,
                                         void (* /*report*/)(const std::string& why)) {
    // The address is plain ASCII: the loopback address, a port and hexadecimal digits.
    const std::wstring wide(address.begin(), address.end());
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32) {
        return "the default browser could not be opened (error " + std::to_string(result) + ")";
    }
    return std::nullopt;
}

}  // namespace server
