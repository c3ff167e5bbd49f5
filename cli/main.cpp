// hues: the hue file on the command line.
#include "cli/app.h"
#include "cli/platform.h"
#include "huegit/program.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

// All of standard input, as bytes.
std::string ReadStandardInput() {
    std::string text;
    std::array<char, std::size_t{64} * 1024> buffer{};
    for (std::size_t got = 0; (got = std::fread(buffer.data(), 1, buffer.size(), stdin)) > 0;) {
        text.append(buffer.data(), got);
    }
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace cli::platform;
    PrepareProcess();
    const char* mergePrefer = std::getenv("HUES_MERGE_PREFER");
    const cli::Environment environment{
        .stdoutIsTerminal = IsTerminal(stdout),
        .showsColorEscapes = ShowsColorEscapes,
        .mergePrefer = mergePrefer != nullptr && mergePrefer[0] != '\0'
                           ? std::optional<std::string>(mergePrefer)
                           : std::nullopt,
        .readStandardInput = ReadStandardInput,
        .printNow =
            [](std::string_view line) {
                Write(stdout, line);
                std::fflush(stdout);
            },
        .tellNow =
            [](std::string_view line) {
                Write(stderr, line);
                Write(stderr, "\n");
                std::fflush(stderr);  // Windows' C runtime buffers it when it is a pipe
            },
        .programPath = ProgramPath(),
        .variable = Variable,
        .runProgram = [](const std::vector<std::string>& arguments, std::string& output,
                         bool quiet) { return huegit::RunProgram(arguments, {}, output, quiet); },
    };
    // After a failed write the rest is not attempted: the first reason is the one to give.
    int writeError = 0;
    cli::Outcome outcome =
        cli::RunHues(Arguments(argc, argv), environment, [&](std::string_view piece) {
            if (writeError == 0 && !Write(stdout, piece)) writeError = errno;
        });
    if (writeError == 0 && std::fflush(stdout) != 0) writeError = errno;
    if (writeError != 0) {
        outcome.status = cli::Failure;
        outcome.err +=
            "hues: cannot write to standard output: " + std::string(std::strerror(writeError)) +
            "\n";
    }
    Write(stderr, outcome.err);
    return outcome.status;
}
