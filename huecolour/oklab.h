// Perceptual colour distance: OKLab (Björn Ottosson, 2020) and deltaEOK, the Euclidean
// distance in it, as CSS Color Module Level 4 defines them for sRGB colours; and gradients
// made in it.
#pragma once

#include "huedata/color15.h"

#include <array>

#include <cstdint>
#include <span>

namespace huecolour {

struct OkLab {
    double L, a, b;
};

// The matrices OKLab is made with, for a page that makes it too: linear sRGB to XYZ (D65),
// XYZ to cone response (Ottosson's M1), and its cube roots to Lab (M2).
struct OkLabMatrices {
    using Matrix = std::array<std::array<double, 3>, 3>;
    Matrix linearSrgbToXyz, xyzToLms, lmsToLab;
};
const OkLabMatrices& OkLabMatricesUsed();

// An 8-bit sRGB channel with the standard sRGB transfer function undone: 0 to 1.
double LinearFromSrgb(std::uint8_t channel);

// The way back: an 8-bit sRGB channel from its linear value, clamped and rounded.
std::uint8_t SrgbFromLinear(double linear);

// CIE XYZ (D65, Y of white = 1) to OKLab.
OkLab OkLabFromXyz(double x, double y, double z);

// An sRGB colour, decoded with the standard sRGB transfer function, to OKLab.
OkLab OkLabFromSrgb(huedata::Rgb24 color);

// The linear sRGB of an OKLab point, unclamped: a channel outside 0..1 is a colour sRGB
// cannot show.
std::array<double, 3> LinearSrgbFromOkLab(const OkLab& lab);

// The inverse of OkLabFromSrgb: the sRGB colour of an OKLab point, each channel clamped to
// 0..255 and rounded to the nearest.
huedata::Rgb24 SrgbFromOkLab(const OkLab& lab);

// deltaEOK from `target` to each of `colors`, into `distances`, quickly: in single precision,
// with a cube root good to 5e-5, over whole vectors of colours at a time. For ranking many
// colours, of which only the few nearest need the exact value: for every colour a 15-bit
// stored value shows, each distance is within QuickDistanceError of the exact one.
void QuickDeltaEOK(const OkLab& target, std::span<const huedata::Rgb24> colors,
                   std::span<float> distances);
inline constexpr double QuickDistanceError = 2e-4;

// The point those distances are measured from.
OkLab QuickOkLabFromSrgb(huedata::Rgb24 color);

// deltaEOK: the straight-line distance between two colours in OKLab.
double DeltaEOK(const OkLab& first, const OkLab& second);

// Each colour of `stops`, at evenly spaced places along 32 colours, and between them the
// colours in between in OKLab; a stop that falls on a colour gives exactly that colour.
std::array<huedata::Rgb24, 32> GradientColors(std::span<const huedata::Rgb24> stops);

}  // namespace huecolour
