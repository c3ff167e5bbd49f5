// Perceptual colour distance: OKLab (Björn Ottosson, 2020) and deltaEOK, the Euclidean
// distance in it, as CSS Color Module Level 4 defines them for sRGB colours.
#pragma once

#include "color15.h"

#include <cstdint>

namespace huedata {

struct OkLab {
    double L, a, b;
};

// An 8-bit sRGB channel with the standard sRGB transfer function undone: 0 to 1.
double LinearFromSrgb(std::uint8_t channel);

// CIE XYZ (D65, Y of white = 1) to OKLab.
OkLab OkLabFromXyz(double x, double y, double z);

// An sRGB colour, decoded with the standard sRGB transfer function, to OKLab.
OkLab OkLabFromSrgb(Rgb24 color);

// Nearly the same, in a fraction of the time: for ranking many colours, of which only the few
// nearest need the exact value. For every colour a 15-bit stored value shows, the quick point
// lies within QuickDistanceError of the exact one (5e-5 at worst), so a deltaEOK measured on it
// is off by no more than that.
OkLab QuickOkLabFromSrgb(Rgb24 color);
inline constexpr double QuickDistanceError = 2e-4;

// deltaEOK: the straight-line distance between two colours in OKLab.
double DeltaEOK(const OkLab& first, const OkLab& second);

}  // namespace huedata
