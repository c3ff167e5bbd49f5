// A hue's colours from the colours a person chose: only those chosen are checked (warned of, or
// refused with strict); the colours made from them are each simply the nearest a hue holds.
#include "huedata/hue_edit.h"

#include "huedata/color15.h"
#include "huedata/file_error.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

using huedata::Rgb24;

TEST(StoredHueColors, ChecksWhatWasChosenAndTakesWhatWasMadeToTheNearest) {
    const Rgb24 exact{0xFF, 0x00, 0x00};
    const Rgb24 inexact{0x12, 0x34, 0x57};
    std::array<Rgb24, 32> made{};
    made.fill(inexact);
    struct Case {
        std::vector<Rgb24> chose;
        bool strict;
        std::string said;  // the warning, or what strict refuses
    };
    const std::string warned =
        "hues: warning: 2 colours were taken to the nearest a hue can "
        "hold (--strict makes this an error)\n";
    for (const auto& [chose, strict, said] : {
             Case{{exact}, false, ""},
             Case{{exact}, true, ""},
             Case{{inexact, exact, inexact}, false, warned},
             Case{{exact, inexact}, true, "colour 1: #123457 is not a colour a hue can hold"},
         }) {
        std::string warning;
        try {
            const auto stored = huedata::StoredHueColors(chose, made, strict, warning);
            EXPECT_EQ(warning, said);
            for (const huedata::Color15 color : stored) {
                EXPECT_EQ(color, huedata::NearestColor15(inexact));
            }
        } catch (const huedata::HuesError& error) {
            EXPECT_TRUE(strict);
            EXPECT_EQ(std::string(error.what()).rfind(said, 0), 0U) << error.what();
        }
    }
}

}  // namespace
