#include "server/system.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <thread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/random.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;  // NOLINT: the process's environment, for the browser it starts

namespace server {

void SystemRandomBytes(std::span<unsigned char> bytes) {
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = ::getrandom(bytes.data() + filled, bytes.size() - filled, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0)
            throw std::runtime_error(std::string("no random bytes: ") + std::strerror(errno));
        filled += static_cast<std::size_t>(got);
    }
}

void KeepPortToOurselves(std::uintptr_t socket) {
    const int reuse = 1;
    ::setsockopt(static_cast<int>(socket), SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
}

std::optional<std::string> OpenInBrowser(const std::string& address,
                                         void (*report)(const std::string& why)) {
    const char* chosen = std::getenv("BROWSER");
    const std::string opener = chosen != nullptr && chosen[0] != '\0' ? chosen : "xdg-open";
    // The browser's chatter never reaches standard output, which holds the address alone.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::string program = opener, argument = address;
    char* arguments[] = {program.data(), argument.data(), nullptr};
    pid_t child = 0;
    const int failed = posix_spawnp(&child, program.c_str(), &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) return opener + " could not be started: " + std::strerror(failed);
    std::thread([child, opener, report] {
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            report(opener + " did not open a browser (exit status " +
                   std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + ")");
        }
    }).detach();
    return std::nullopt;
}

}  // namespace server
