// The deterministic sample hue file that ships with the demo: 3,000 entries of named
// gradients, greys and a few edge values, all made here from arithmetic.
#pragma once

#include "huedata/hue_file.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace huetools {

inline constexpr std::size_t SampleHueCount = 3000;
// Deliberately loud, so that a reader that strays into a block header shows it.
inline constexpr std::uint32_t SampleBlockHeader = 0xDEADBEEF;
// The viewer's default path; on POSIX systems it is an ordinary relative file name.
inline constexpr std::string_view DefaultHuesFileName = huedata::DefaultHueFilePath;

std::vector<huedata::HueRecord> SampleHues();

// `count` of the sample's hues (repeated past 3,000) whose names hold every byte value: the
// first thirteen run through 0x00 to 0xFF in turn, hue 13 and hue 345 hold the five bytes
// Windows-1252 leaves undefined, and the rest random bytes from a fixed start, some with more
// after a zero byte. Names as other tools leave them, which every system must read alike.
std::vector<huedata::HueRecord> HuesWithEveryByteInNames(std::size_t count);

}  // namespace huetools
