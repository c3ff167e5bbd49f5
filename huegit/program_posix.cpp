#include "huegit/program.h"

#include <array>
#include <cerrno>
#include <csignal>

#include <pthread.h>
#include <thread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace huegit {

int RunProgram(const std::vector<std::string>& arguments, std::string_view input,
               const OutputSink& output, bool quiet) {
    std::array<int, 2> out{}, in{-1, -1};
    if (::pipe2(out.data(), O_CLOEXEC) != 0) return -1;
    // A pipe of a megabyte, where the system allows it: a program that hands over hundreds of
    // megabytes (git cat-file) then waits on this one a sixteenth as often.
    (void)::fcntl(out[0], F_SETPIPE_SZ, 1 << 20);
    if (!input.empty() && ::pipe2(in.data(), O_CLOEXEC) != 0) {
        ::close(out[0]);
        ::close(out[1]);
        return -1;
    }
    posix_spawn_file_actions_t actions{};
    posix_spawn_file_actions_init(&actions);
    if (input.empty()) {
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    } else {
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    }
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    if (quiet) posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    const int started = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    // The input goes in beside the reading of the output, so that neither side waits on a
    // full pipe while the other does.
    std::thread feeder;
    if (!input.empty()) {
        ::close(in[0]);
        feeder = std::thread([fd = in[1], input, started] {
            // A program that stops reading early must not end hues with SIGPIPE: blocked in
            // this thread alone, it leaves the write failing, and goes with the thread.
            sigset_t pipe{};
            sigemptyset(&pipe);
            sigaddset(&pipe, SIGPIPE);
            pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
            for (std::size_t at = 0; started == 0 && at < input.size();) {
                const ssize_t put = ::write(fd, input.data() + at, input.size() - at);
                if (put > 0) {
                    at += static_cast<std::size_t>(put);
                } else if (errno != EINTR) {
                    break;
                }
            }
            ::close(fd);
        });
    }
    std::vector<char> buffer(std::size_t{1} << 20);
    for (ssize_t got = 0;
         started == 0 && (got = ::read(out[0], buffer.data(), buffer.size())) != 0;) {
        if (got > 0) {
            output({buffer.data(), static_cast<std::size_t>(got)});
        } else if (errno != EINTR) {
            break;
        }
    }
    ::close(out[0]);
    if (feeder.joinable()) feeder.join();
    if (started != 0) return -1;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace huegit
