#include "huepalette/palette.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace huepalette {

namespace {

// In the order `export` lists them.
constexpr std::array<PaletteFormatInfo, 8> Formats{{
    {PaletteFormat::Gpl, "GIMP", "gpl", false},
    {PaletteFormat::Ase, "ASE", "ase", true},
    {PaletteFormat::Aco, "ACO", "aco", true},
    {PaletteFormat::Kpl, "KPL", "kpl", true},
    {PaletteFormat::JascPal, "JASC-PAL", "pal", false},
    {PaletteFormat::Hex, "hex", "hex", false},
    {PaletteFormat::RiffPal, "RIFF PAL", "", false},
    {PaletteFormat::PaintNet, "Paint.NET", "", false},
}};

}  // namespace

std::span<const PaletteFormatInfo> PaletteFormats() {
    return Formats;
}

const PaletteFormatInfo& InfoOf(PaletteFormat format) {
    return *std::find_if(Formats.begin(), Formats.end(),
                         [format](const PaletteFormatInfo& info) { return info.format == format; });
}

std::string_view FormatName(PaletteFormat format) {
    return InfoOf(format).name;
}

std::optional<PaletteFormat> ExportedFormat(std::string_view kind) {
    const auto* found = std::find_if(Formats.begin(), Formats.end(), [kind](const auto& info) {
        return !kind.empty() && info.exportKind == kind;
    });
    return found == Formats.end() ? std::nullopt : std::optional(found->format);
}

std::size_t ColorCount(const Palette& palette) {
    std::size_t count = 0;
    for (const PaletteGroup& group : palette.groups) count += group.colors.size();
    return count;
}

std::uint8_t ChannelFromUnit(double value) {
    // Rounded, never truncated: 0.999 of 255 is 255, as the program that wrote it meant.
    if (!(value > 0)) return 0;  // NaN too
    if (value >= 1) return 255;
    return static_cast<std::uint8_t>(std::lround(value * 255.0));
}

huedata::Rgb24 RgbFromUnits(double red, double green, double blue) {
    return {ChannelFromUnit(red), ChannelFromUnit(green), ChannelFromUnit(blue)};
}

huedata::Rgb24 RgbFromHsb(double hue, double saturation, double brightness) {
    const double h = std::fmod(std::fmod(hue, 360.0) + 360.0, 360.0) / 60.0;
    const double chroma = brightness * saturation;
    const double x = chroma * (1 - std::fabs(std::fmod(h, 2.0) - 1));
    const double m = brightness - chroma;
    std::array<double, 3> rgb{};
    switch (static_cast<int>(h)) {
        case 0:
            rgb = {chroma, x, 0};
            break;
        case 1:
            rgb = {x, chroma, 0};
            break;
        case 2:
            rgb = {0, chroma, x};
            break;
        case 3:
            rgb = {0, x, chroma};
            break;
        case 4:
            rgb = {x, 0, chroma};
            break;
        default:
            rgb = {chroma, 0, x};
            break;
    }
    return RgbFromUnits(rgb[0] + m, rgb[1] + m, rgb[2] + m);
}

namespace {

double SrgbEncoded(double linear) {
    return linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
}

}  // namespace

huedata::Rgb24 RgbFromLabD50(double lightness, double a, double b) {
    // CIE's inverse of L*a*b*, then XYZ (D50) to linear sRGB with Bradford's adaptation
    // (Lindbloom's matrix).
    constexpr double Epsilon = 216.0 / 24389.0;
    constexpr double Kappa = 24389.0 / 27.0;
    const double fy = (lightness + 16) / 116;
    const double fx = fy + a / 500;
    const double fz = fy - b / 200;
    const auto inverse = [&](double f) {
        return f * f * f > Epsilon ? f * f * f : (116 * f - 16) / Kappa;
    };
    const double x = 0.96422 * inverse(fx);
    const double y = lightness > Kappa * Epsilon ? fy * fy * fy : lightness / Kappa;
    const double z = 0.82521 * inverse(fz);
    const double red = 3.1338561 * x - 1.6168667 * y - 0.4906146 * z;
    const double green = -0.9787684 * x + 1.9161415 * y + 0.0334540 * z;
    const double blue = 0.0719453 * x - 0.2289914 * y + 1.4052427 * z;
    return RgbFromUnits(SrgbEncoded(std::clamp(red, 0.0, 1.0)),
                        SrgbEncoded(std::clamp(green, 0.0, 1.0)),
                        SrgbEncoded(std::clamp(blue, 0.0, 1.0)));
}

}  // namespace huepalette
