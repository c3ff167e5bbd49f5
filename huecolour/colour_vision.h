// Colours as a player with anomalous colour vision sees them: the model of Machado, Oliveira
// and Fernandes (2009), whose matrices (colour_vision_machado_2009.json, shared with the page)
// act on linear sRGB.
#pragma once

#include "huedata/color15.h"

#include <optional>
#include <string_view>

namespace huecolour {

enum class VisionKind { Normal, Protanomaly, Deuteranomaly, Tritanomaly };

struct Vision {
    VisionKind kind = VisionKind::Normal;
    int severity = 100;  // 0 (normal) to 100 (the full deficiency: protanopia, ...)

    bool operator==(const Vision&) const = default;
};

// "normal", "protanomaly", "deuteranomaly" or "tritanomaly"; nothing for any other word.
std::optional<VisionKind> VisionKindNamed(std::string_view name);

// `color` as seen with `vision`: in linear sRGB through the matrix of the severity (linearly
// between the two tabulated around it), clipped to 0..1, and back to 8-bit sRGB, rounded.
huedata::Rgb24 SeenColor(huedata::Rgb24 color, const Vision& vision);

}  // namespace huecolour
