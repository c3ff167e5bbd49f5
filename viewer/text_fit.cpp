#include "text_fit.h"

#include <vector>

namespace viewer {

// As Windows' MulDiv rounds, half away from zero, so both windows agree at any DPI.
int FontPixels(int points, int dpi) {
    constexpr int PointsPerInch = 72;
    return (2 * points * dpi + PointsPerInch) / (2 * PointsPerInch);
}

FittedFont FitText(std::u16string_view layoutFace, int dpi, TextExtent room,
                   const MeasureText& measure) {
    std::vector<std::u16string_view> faces{layoutFace};
    faces.insert(faces.end(), std::begin(NarrowerFaces), std::end(NarrowerFaces));
    const int largest = FontPixels(LayoutFontPoints, dpi);
    const int smallest = FontPixels(SmallestFontPoints, dpi);
    FittedFont narrowest{{layoutFace, smallest}, true};
    double narrowestWidth = measure(narrowest.font).width;
    for (const std::u16string_view face : faces) {
        for (int pixels = largest; pixels >= smallest; --pixels) {
            const FontChoice font{face, pixels};
            const TextExtent extent = measure(font);
            if (extent.width <= room.width && extent.height <= room.height) return {font, false};
            if (pixels == smallest && extent.width < narrowestWidth) {
                narrowest.font = font;
                narrowestWidth = extent.width;
            }
        }
    }
    return narrowest;
}

}  // namespace viewer
