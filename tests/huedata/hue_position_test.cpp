#include "huedata/hue_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

using huedata::HueId;
using huedata::HuePosition;

TEST(HuePosition, EveryIdentifierLiesInsideItsOwnBlockPastTheHeader) {
    for (std::int32_t n = 0; n <= std::numeric_limits<HueId>::max(); ++n) {
        const std::int64_t offset = std::int64_t{HuePosition(static_cast<HueId>(n))} - 1;
        const std::int64_t blockStart = std::int64_t{708} * (n / 8);
        ASSERT_EQ(offset, blockStart + 4 + std::int64_t{88} * (n % 8)) << n;
        ASSERT_GE(offset, blockStart + 4) << n;
        ASSERT_LE(offset + 88, blockStart + 708) << n;
    }
}

}  // namespace
