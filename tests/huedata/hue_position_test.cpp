#include "huedata/hue_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

using huedata::HueId;
using huedata::HuePosition;

TEST(HuePosition, Landmarks) {
    EXPECT_EQ(HuePosition(0), 5);  // the file's first 4 bytes are a block header
    EXPECT_EQ(HuePosition(7), 621);
    EXPECT_EQ(HuePosition(8), 713);  // first entry of the second block: 708 + 4, 1-based
    EXPECT_EQ(HuePosition(2998), 265325);
    EXPECT_EQ(HuePosition(std::numeric_limits<HueId>::max()), 2899881);
}

TEST(HuePosition, EveryIdentifierLiesInsideItsOwnBlockPastTheHeader) {
    for (std::int32_t n = 0; n <= std::numeric_limits<HueId>::max(); ++n) {
        const std::int64_t offset = std::int64_t{HuePosition(static_cast<HueId>(n))} - 1;
        const std::int64_t blockStart = std::int64_t{708} * (n / 8);
        ASSERT_EQ(offset, blockStart + 4 + std::int64_t{88} * (n % 8)) << n;
        ASSERT_GE(offset, blockStart + 4) << n;
        ASSERT_LE(offset + 88, blockStart + 708) << n;
    }
}

TEST(HuePosition, NegativeIdentifiersFallBeforeTheFile) {
    EXPECT_LT(HuePosition(-1), 1);
    EXPECT_LT(HuePosition(std::numeric_limits<HueId>::min()), 1);
}

}  // namespace
