#include "huegit/program.h"

namespace huegit {

int RunProgram(const std::vector<std::string>& arguments, std::string_view input,
               std::string& output, bool quiet) {
    return RunProgram(
        arguments, input, [&](std::string_view piece) { output.append(piece); }, quiet);
}

}  // namespace huegit
