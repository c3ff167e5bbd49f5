// The font a caption is given: untouched where the layout's font fits, smaller then narrower
// where it does not, never below the smallest size, elided only when nothing fits.
#include "viewer/text_fit.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

using viewer::FontChoice;
using viewer::TextExtent;

// A face whose text is `widthPerPixel` wide for each pixel of its size, and 1.2 times its size
// tall; faces not listed are the system's fallback, as wide as the layout's.
struct FakeFaces {
    std::map<std::u16string_view, double> widthPerPixel;
    int smallestMeasured = 1000;
    TextExtent operator()(const FontChoice& font) {
        smallestMeasured = std::min(smallestMeasured, font.pixels);
        const auto found = widthPerPixel.find(font.face);
        const double perPixel =
            found == widthPerPixel.end() ? widthPerPixel.at(u"Layout") : found->second;
        return {perPixel * font.pixels, 1.2 * font.pixels};
    }
};

TEST(FitText, TakesTheLayoutFontWhereItFitsElseSmallerThenNarrowerThenElides) {
    struct Case {
        const char* what;
        int dpi;
        TextExtent room;
        double narrowPerPixel;  // Arial Narrow's width a pixel; the layout's is 6
        FontChoice expected;
        bool elided;
    };
    const Case cases[] = {
        {"fits as drawn", 96, {66, 14}, 5, {u"Layout", 11}, false},
        {"a little too wide: one pixel smaller", 96, {64, 14}, 5, {u"Layout", 10}, false},
        {"too wide at every size: narrower", 96, {52, 14}, 4.5, {u"Arial Narrow", 11}, false},
        {"too tall: smaller", 96, {100, 12.5}, 5, {u"Layout", 10}, false},
        // Nothing fits: elided, at the smallest size in the narrowest face.
        {"nothing fits", 96, {20, 14}, 5, {u"Arial Narrow", 9}, true},
        {"144 DPI fits", 144, {96, 20}, 5, {u"Layout", 16}, false},
        {"192 DPI one smaller", 192, {125, 26}, 5.9, {u"Layout", 20}, false},
        {"192 DPI nothing fits", 192, {10, 26}, 7, {u"Layout", 19}, true},
    };
    for (const Case& c : cases) {
        FakeFaces faces{{{u"Layout", 6.0}, {u"Arial Narrow", c.narrowPerPixel}}};
        const viewer::FittedFont fitted = viewer::FitText(
            u"Layout", c.dpi, c.room, [&](const FontChoice& font) { return faces(font); });
        EXPECT_EQ(fitted.font, c.expected) << c.what;
        EXPECT_EQ(fitted.elided, c.elided) << c.what;
        EXPECT_GE(faces.smallestMeasured, viewer::FontPixels(viewer::SmallestFontPoints, c.dpi))
            << c.what;
    }
}

TEST(FitText, SizesAreThePointsAtTheDensityRoundedAsTheSystemRoundsThem) {
    const std::map<int, std::pair<int, int>> expected{
        {96, {11, 9}}, {120, {13, 12}}, {144, {16, 14}}, {192, {21, 19}}};
    for (const auto& [dpi, sizes] : expected) {
        EXPECT_EQ(viewer::FontPixels(viewer::LayoutFontPoints, dpi), sizes.first) << dpi;
        EXPECT_EQ(viewer::FontPixels(viewer::SmallestFontPoints, dpi), sizes.second) << dpi;
    }
}

}  // namespace
