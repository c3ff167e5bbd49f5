// Arbitrary bytes as a palette of an art program, for `set --from`, `apply` and `build`: read,
// or refused with one line that names the file; a palette read gives colours or a refusal.
#include "huedata/file_error.h"
#include "huepalette/palette_hues.h"
#include "huepalette/palette_read.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

void RequireOneLine(const std::runtime_error& error) {
    const std::string message = error.what();
    Require(message.starts_with("fuzz") && message.find('\n') == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    huepalette::Palette palette;
    try {
        palette = huepalette::ReadPalette("fuzz", {data, size});
        Require(huepalette::ColorCount(palette) > 0);
    } catch (const huedata::FileError& error) {
        RequireOneLine(error);
        return 0;
    }
    try {
        const auto colors = huepalette::PaletteColorsFor("fuzz", palette, std::nullopt);
        Require(colors.size() >= 2 && colors.size() <= 32);
    } catch (const huedata::HuesError& error) {
        RequireOneLine(error);
    }
    try {
        int inexact = 0;
        std::string first;
        const huedata::SourceHues hues =
            huepalette::PaletteHues("fuzz", palette, false, inexact, first);
        Require(hues.changes.size() == hues.shown.size());
    } catch (const huedata::HuesError& error) {
        RequireOneLine(error);
    }
    return 0;
}
