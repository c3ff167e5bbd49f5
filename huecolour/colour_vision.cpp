#include "huecolour/colour_vision.h"

#include "huecolour/oklab.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace huecolour {

namespace {

using Matrix = std::array<std::array<double, 3>, 3>;
// Per kind (protanomaly, deuteranomaly, tritanomaly), the matrices of severity 0, 10, ..., 100.
using VisionTable = std::array<std::array<Matrix, 11>, 3>;

// Made by the build from the matrices' JSON file.
constexpr VisionTable Matrices = {{
#include "huecolour/colour_vision_table.inc"
}};

constexpr std::array<std::string_view, 4> KindNames = {"normal", "protanomaly", "deuteranomaly",
                                                       "tritanomaly"};

// The matrix of a severity, between the two tabulated around it; each entry lo + (hi - lo) * t,
// as the page computes it.
Matrix MatrixOf(const Vision& vision) {
    const auto& table = Matrices[static_cast<std::size_t>(vision.kind) - 1];
    const int severity = std::clamp(vision.severity, 0, 100);
    const auto low = static_cast<std::size_t>(severity / 10);
    const auto high = std::min<std::size_t>(low + 1, 10);
    const double t = static_cast<double>(severity % 10) / 10.0;
    Matrix m{};
    for (std::size_t i = 0; i < 3; ++i) {
        for (std::size_t j = 0; j < 3; ++j) {
            m[i][j] = table[low][i][j] + (table[high][i][j] - table[low][i][j]) * t;
        }
    }
    return m;
}

}  // namespace

std::optional<VisionKind> VisionKindNamed(std::string_view name) {
    const auto* found = std::find(KindNames.begin(), KindNames.end(), name);
    if (found == KindNames.end()) return std::nullopt;
    return static_cast<VisionKind>(found - KindNames.begin());
}

huedata::Rgb24 SeenColor(huedata::Rgb24 color, const Vision& vision) {
    if (vision.kind == VisionKind::Normal) return color;
    const Matrix m = MatrixOf(vision);
    const std::array<double, 3> in = {LinearFromSrgb(color.red), LinearFromSrgb(color.green),
                                      LinearFromSrgb(color.blue)};
    std::array<std::uint8_t, 3> out{};
    for (std::size_t i = 0; i < 3; ++i) {
        const double linear = m[i][0] * in[0] + m[i][1] * in[1] + m[i][2] * in[2];
        out[i] = SrgbFromLinear(std::clamp(linear, 0.0, 1.0));
    }
    return {out[0], out[1], out[2]};
}

}  // namespace huecolour
