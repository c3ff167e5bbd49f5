// The builder every writer of hues as text shares.
#include "huedata/text_builder.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

namespace {

TEST(WriteSmallDecimal, WritesEveryValueAsToStringDoes) {
    for (std::uint32_t value = 0; value < 100000; ++value) {
        std::array<char, 8> digits{};
        char* end = huedata::WriteSmallDecimal(digits.data(), value);
        ASSERT_EQ(std::string(digits.data(), end), std::to_string(value));
    }
}

}  // namespace
