#include "huecolour/shifted_ramp.h"

#include "huecolour/oklab.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace huecolour {

namespace {

// OKLCH's hue in degrees, 0 to 360. The page takes the same steps in the same order, so that
// both give the same bits.
double HueDegrees(const OkLab& lab) {
    const double degrees = std::atan2(lab.b, lab.a) * 180.0 / std::numbers::pi;
    return degrees < 0 ? degrees + 360.0 : degrees;
}

OkLab FromLch(double lightness, double chroma, double hue) {
    const double radians = hue * std::numbers::pi / 180.0;
    return {lightness, chroma * std::cos(radians), chroma * std::sin(radians)};
}

bool InSrgb(const OkLab& lab) {
    const auto linear = LinearSrgbFromOkLab(lab);
    return std::ranges::all_of(linear, [](double channel) { return channel >= 0 && channel <= 1; });
}

// `hue` turned toward `end` by `degrees` along the shorter arc, and never past it.
double TurnedToward(double hue, double end, double degrees) {
    const double gap = std::fmod(end - hue + 540.0, 360.0) - 180.0;
    const double turn = std::min(degrees, std::abs(gap));
    return gap < 0 ? hue - turn : hue + turn;
}

// The chroma, or the most sRGB shows at that lightness and hue.
double ChromaInSrgb(double lightness, double chroma, double hue) {
    if (InSrgb(FromLch(lightness, chroma, hue))) return chroma;
    double inside = 0, outside = chroma;
    while (outside - inside > 1e-6) {
        const double middle = (inside + outside) / 2;
        (InSrgb(FromLch(lightness, middle, hue)) ? inside : outside) = middle;
    }
    return inside;
}

}  // namespace

std::array<huedata::Rgb24, 32> ShiftedRamp(huedata::Rgb24 base, const RampChoice& choice) {
    const OkLab lab = OkLabFromSrgb(base);
    const double dark = std::min(choice.dark, lab.L), light = std::max(choice.light, lab.L);
    std::array<double, 32> lightness{};
    std::size_t k = 0;
    for (std::size_t i = 0; i < lightness.size(); ++i) {
        lightness[i] = dark + (light - dark) * static_cast<double>(i) / 31.0;
        if (std::abs(lightness[i] - lab.L) < std::abs(lightness[k] - lab.L)) k = i;
    }
    const bool grey = base.red == base.green && base.green == base.blue;
    const double chroma = std::sqrt(lab.a * lab.a + lab.b * lab.b), hue = HueDegrees(lab);
    const double warm = HueDegrees(OkLabFromSrgb({255, 255, 0}));
    const double cool = HueDegrees(OkLabFromSrgb({0, 0, 255}));
    std::array<huedata::Rgb24, 32> colors{};
    for (std::size_t i = 0; i < colors.size(); ++i) {
        const double l = lightness[i];
        if (i == k) {
            colors[i] = base;
        } else if (grey) {
            // OKLab's grey of lightness L is L cubed in linear light, in every channel alike.
            const std::uint8_t channel = SrgbFromLinear(l * l * l);
            colors[i] = {channel, channel, channel};
        } else {
            const double turned =
                i > k ? TurnedToward(hue, warm, choice.shift * (l - lab.L) / (light - lab.L))
                      : TurnedToward(hue, cool, choice.shift * (lab.L - l) / (lab.L - dark));
            colors[i] = SrgbFromOkLab(FromLch(l, ChromaInSrgb(l, chroma, turned), turned));
        }
    }
    return colors;
}

}  // namespace huecolour
