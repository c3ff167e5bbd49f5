#include "hueformats/output_file.h"

#include "huedata/hue_view.h"

#include "huedata/hue_file.h"
#include "huedata/safe_write.h"

#include <system_error>

namespace hueformats {

namespace {

namespace fs = std::filesystem;

bool IsSameFile(const fs::path& first, const fs::path& second) {
    std::error_code error;
    return fs::equivalent(first, second, error) && !error;
}

}  // namespace

void WriteFileAtomically(const fs::path& target,
                         const std::function<void(huedata::TextBuilder&)>& write,
                         std::span<const fs::path> protectedFiles) {
    for (const fs::path& read : protectedFiles) {
        if (IsSameFile(target, read)) {
            throw huedata::HuesError("refusing to write over " + huedata::PathText(read) +
                                     ", which this command reads (given as " +
                                     huedata::PathText(target) + ")");
        }
    }
    huedata::NamingTheFile([&] {
        huedata::WriteFileSafely(target, [&](const huedata::ByteSink& sink) {
            huedata::TextBuilder out([&](std::string_view piece) { sink(piece); });
            write(out);
            out.Flush();
        });
    });
}

}  // namespace hueformats
