#include "cli/arguments.h"

#include "huedata/file_error.h"
#include "huedata/hue_text.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace cli {

huecolour::Vision ParseVision(std::string_view text) {
    const auto colon = text.find(':');
    const auto kind = huecolour::VisionKindNamed(text.substr(0, colon));
    int severity = 100;
    bool severityRead = true;
    if (colon != std::string_view::npos) {
        const std::string_view digits = text.substr(colon + 1);
        const auto read = huedata::NumberFromText<int>(digits);
        severity = read.value_or(-1);
        severityRead = severity >= 0 && severity <= 100;
    }
    if (!kind || !severityRead) {
        throw huedata::HuesError(
            "'" + huedata::PrintableText(text) +
            "' is not a colour vision: give normal, protanomaly, deuteranomaly or "
            "tritanomaly, and after a colon a severity of 0 to 100 if not 100");
    }
    return {*kind, severity};
}

huecolour::PictureRegion ParseRegion(std::string_view text) {
    std::array<std::uint32_t, 4> numbers{};
    std::size_t start = 0;
    bool read = true;
    for (std::size_t i = 0; i < numbers.size() && read; ++i) {
        const std::size_t comma = text.find(',', start);
        const bool last = i + 1 == numbers.size();
        const auto number =
            huedata::NumberFromText<std::uint32_t>(text.substr(start, comma - start));
        read = number && last == (comma == std::string_view::npos);
        numbers[i] = number.value_or(0);
        start = comma + 1;
    }
    if (!read) {
        throw huedata::HuesError("--region: '" + huedata::PrintableText(text) +
                                 "' is not a region: give X,Y,WIDTH,HEIGHT in pixels");
    }
    return {numbers[0], numbers[1], numbers[2], numbers[3]};
}

}  // namespace cli
