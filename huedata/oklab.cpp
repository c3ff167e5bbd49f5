#include "oklab.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

namespace huedata {

namespace {

using Matrix = std::array<std::array<double, 3>, 3>;

// Linear sRGB to XYZ (D65), from the sRGB primaries as CSS Color 4 gives them.
constexpr Matrix LinearSrgbToXyz = {{
    {506752.0 / 1228815.0, 87881.0 / 245763.0, 12673.0 / 70218.0},
    {87098.0 / 409605.0, 175762.0 / 245763.0, 12673.0 / 175545.0},
    {7918.0 / 409605.0, 87881.0 / 737289.0, 1001167.0 / 1053270.0},
}};

// Ottosson's M1 (XYZ to cone response) and M2 (compressed cone response to Lab).
constexpr Matrix XyzToLms = {{
    {0.8189330101, 0.3618667424, -0.1288597137},
    {0.0329845436, 0.9293118715, 0.0361456387},
    {0.0482003018, 0.2643662691, 0.6338517070},
}};
constexpr Matrix LmsToLab = {{
    {0.2104542553, 0.7936177850, -0.0040720468},
    {1.9779984951, -2.4285922050, 0.4505937099},
    {0.0259040371, 0.7827717662, -0.8086757660},
}};

std::array<double, 3> Multiply(const Matrix& m, const std::array<double, 3>& v) {
    return {m[0][0] * v[0] + m[0][1] * v[1] + m[0][2] * v[2],
            m[1][0] * v[0] + m[1][1] * v[1] + m[1][2] * v[2],
            m[2][0] * v[0] + m[2][1] * v[1] + m[2][2] * v[2]};
}

constexpr Matrix Product(const Matrix& a, const Matrix& b) {
    Matrix product{};
    for (std::size_t i = 0; i < 3; ++i) {
        for (std::size_t j = 0; j < 3; ++j) {
            for (std::size_t k = 0; k < 3; ++k) product[i][j] += a[i][k] * b[k][j];
        }
    }
    return product;
}

// The way back, from the same matrices, so that a colour goes there and back unchanged.
constexpr Matrix Inverse(const Matrix& m) {
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    Matrix inverse{};
    for (std::size_t i = 0; i < 3; ++i) {
        for (std::size_t j = 0; j < 3; ++j) {
            // The cofactor of m[j][i], from the rows and columns other than j and i.
            const std::size_t r0 = (j + 1) % 3, r1 = (j + 2) % 3, c0 = (i + 1) % 3,
                              c1 = (i + 2) % 3;
            inverse[i][j] = (m[r0][c0] * m[r1][c1] - m[r0][c1] * m[r1][c0]) / det;
        }
    }
    return inverse;
}

// The quick conversion works in single precision, four colours to a vector register.
using QuickMatrix = std::array<std::array<float, 3>, 3>;

constexpr QuickMatrix InSinglePrecision(const Matrix& m) {
    QuickMatrix single{};
    for (std::size_t i = 0; i < 3; ++i) {
        for (std::size_t j = 0; j < 3; ++j) single[i][j] = static_cast<float>(m[i][j]);
    }
    return single;
}

// Linear sRGB straight to cone response: one product instead of two.
constexpr QuickMatrix QuickLinearSrgbToLms = InSinglePrecision(Product(XyzToLms, LinearSrgbToXyz));
constexpr QuickMatrix QuickLmsToLab = InSinglePrecision(LmsToLab);

// The cube root of a >= 0 to within 5e-5, relatively: a first guess from the bits, whose
// exponent divided by three is the root's (3.5% off at worst), then one step of Halley's
// method, which roughly cubes the relative error. The root of 0 comes out as 1e-13, near
// enough; with no branch, a loop of it vectorises.
inline float QuickCbrt(float a) {
    const auto guess = std::bit_cast<float>(std::bit_cast<std::uint32_t>(a) / 3U + 0x2A5137A0U);
    const float cube = guess * guess * guess;
    return guess * (cube + 2.0F * a) / (2.0F * cube + a);
}

struct QuickLms {
    float l, m, s;
};

QuickLms QuickLmsFromSrgb(Rgb24 color) {
    const auto& m = QuickLinearSrgbToLms;
    const auto r = static_cast<float>(LinearFromSrgb(color.red));
    const auto g = static_cast<float>(LinearFromSrgb(color.green));
    const auto b = static_cast<float>(LinearFromSrgb(color.blue));
    return {m[0][0] * r + m[0][1] * g + m[0][2] * b, m[1][0] * r + m[1][1] * g + m[1][2] * b,
            m[2][0] * r + m[2][1] * g + m[2][2] * b};
}

inline std::array<float, 3> QuickLabFromLms(float l, float m, float s) {
    const auto& k = QuickLmsToLab;
    const float lc = QuickCbrt(l), mc = QuickCbrt(m), sc = QuickCbrt(s);
    return {k[0][0] * lc + k[0][1] * mc + k[0][2] * sc, k[1][0] * lc + k[1][1] * mc + k[1][2] * sc,
            k[2][0] * lc + k[2][1] * mc + k[2][2] * sc};
}

}  // namespace

// A table of the 256 values, as comparing a whole file converts tens of thousands of colours.
double LinearFromSrgb(std::uint8_t channel) {
    static const auto linear = [] {
        std::array<double, 256> table{};
        for (std::size_t i = 0; i < table.size(); ++i) {
            const double c = static_cast<double>(i) / 255.0;
            table[i] = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        }
        return table;
    }();
    return linear[channel];
}

std::uint8_t SrgbFromLinear(double linear) {
    const double c =
        linear <= 0.0031308 ? linear * 12.92 : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
    return static_cast<std::uint8_t>(std::lround(std::clamp(c, 0.0, 1.0) * 255.0));
}

OkLab OkLabFromXyz(double x, double y, double z) {
    const auto lms = Multiply(XyzToLms, {x, y, z});
    const auto lab = Multiply(LmsToLab, {std::cbrt(lms[0]), std::cbrt(lms[1]), std::cbrt(lms[2])});
    return {lab[0], lab[1], lab[2]};
}

OkLab OkLabFromSrgb(Rgb24 color) {
    const auto xyz = Multiply(
        LinearSrgbToXyz,
        {LinearFromSrgb(color.red), LinearFromSrgb(color.green), LinearFromSrgb(color.blue)});
    return OkLabFromXyz(xyz[0], xyz[1], xyz[2]);
}

Rgb24 SrgbFromOkLab(const OkLab& lab) {
    static const Matrix labToLms = Inverse(LmsToLab);
    static const Matrix xyzToLinearSrgb = Inverse(LinearSrgbToXyz);
    static const Matrix lmsToXyz = Inverse(XyzToLms);
    const auto root = Multiply(labToLms, {lab.L, lab.a, lab.b});
    const auto xyz = Multiply(lmsToXyz, {root[0] * root[0] * root[0], root[1] * root[1] * root[1],
                                         root[2] * root[2] * root[2]});
    const auto linear = Multiply(xyzToLinearSrgb, xyz);
    return {SrgbFromLinear(linear[0]), SrgbFromLinear(linear[1]), SrgbFromLinear(linear[2])};
}

OkLab QuickOkLabFromSrgb(Rgb24 color) {
    const QuickLms lms = QuickLmsFromSrgb(color);
    const auto lab = QuickLabFromLms(lms.l, lms.m, lms.s);
    return {lab[0], lab[1], lab[2]};
}

void QuickDeltaEOK(const OkLab& target, std::span<const Rgb24> colors, std::span<float> distances) {
    // A block at a time: the table look-ups first, then the arithmetic, which vectorises, then
    // the square roots, which would not (they may set errno).
    constexpr std::size_t Block = 256;
    std::array<float, Block> l{}, m{}, s{}, squared{};
    const auto targetL = static_cast<float>(target.L);
    const auto targetA = static_cast<float>(target.a);
    const auto targetB = static_cast<float>(target.b);
    for (std::size_t start = 0; start < colors.size(); start += Block) {
        const std::size_t count = std::min(Block, colors.size() - start);
        for (std::size_t i = 0; i < count; ++i) {
            const QuickLms lms = QuickLmsFromSrgb(colors[start + i]);
            l[i] = lms.l;
            m[i] = lms.m;
            s[i] = lms.s;
        }
        for (std::size_t i = 0; i < count; ++i) {
            const auto lab = QuickLabFromLms(l[i], m[i], s[i]);
            const float dL = lab[0] - targetL, da = lab[1] - targetA, db = lab[2] - targetB;
            squared[i] = dL * dL + da * da + db * db;
        }
        for (std::size_t i = 0; i < count; ++i) distances[start + i] = std::sqrt(squared[i]);
    }
}

double DeltaEOK(const OkLab& first, const OkLab& second) {
    const double dL = first.L - second.L, da = first.a - second.a, db = first.b - second.b;
    return std::sqrt(dL * dL + da * da + db * db);
}

std::array<Rgb24, 32> GradientColors(std::span<const Rgb24> stops) {
    std::array<Rgb24, 32> colors{};
    const std::size_t gaps = stops.size() - 1;
    for (std::size_t i = 0; i < colors.size(); ++i) {
        // Colour i lies i * gaps / 31 of the way along the stops.
        const std::size_t stop = i * gaps / 31;
        const std::size_t rest = i * gaps % 31;
        if (rest == 0) {
            colors[i] = stops[stop];
            continue;
        }
        const OkLab from = OkLabFromSrgb(stops[stop]);
        const OkLab to = OkLabFromSrgb(stops[stop + 1]);
        const double t = static_cast<double>(rest) / 31.0;
        colors[i] = SrgbFromOkLab({from.L + (to.L - from.L) * t, from.a + (to.a - from.a) * t,
                                   from.b + (to.b - from.b) * t});
    }
    return colors;
}

}  // namespace huedata
