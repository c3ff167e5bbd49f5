// A hue from one colour: 32 shades from dark to light, evenly in OKLab lightness, the hue turned
// toward yellow as they lighten and toward blue as they darken, as pixel artists shade, and the
// chroma kept wherever sRGB can show it. The page's editor makes the same ramp by the same steps,
// to the same stored values.
#pragma once

#include "huedata/color15.h"

#include <array>

namespace huecolour {

struct RampChoice {
    double shift = 20;    // degrees of hue at the ends, 0 to 90
    double dark = 0.10;   // OKLab lightness of colour 0, below `light`
    double light = 0.95;  // and of colour 31
};

// The 32 colours from `base`:
// 1. The base in OKLCH (L_b, C_b, h_b); the range DARK..LIGHT widened to take L_b in.
// 2. Colour i has lightness DARK + (LIGHT - DARK) * i / 31; colour k, whose lightness is nearest
//    L_b (the lower of two as near), is the base itself.
// 3. Above k the hue turns from h_b toward that of #FFFF00 by SHIFT * (L_i - L_b) / (LIGHT - L_b)
//    degrees, below it toward that of #0000FF by SHIFT * (L_b - L_i) / (L_b - DARK), along the
//    shorter arc and never past that end.
// 4. The chroma is C_b, or where sRGB cannot show that, the most it can at that lightness and
//    hue (halved to within 1e-6).
// 5. Each to 8-bit sRGB. A grey base (red, green and blue equal) gives greys.
std::array<huedata::Rgb24, 32> ShiftedRamp(huedata::Rgb24 base, const RampChoice& choice);

}  // namespace huecolour
