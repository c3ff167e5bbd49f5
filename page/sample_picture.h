// The picture a hue page shows each hue on: a PNG of at most 512 × 512 pixels and 1 MiB,
// read and checked whole before anything is written, then embedded in the page.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace page {

inline constexpr std::uint32_t LargestSampleSide = 512;
inline constexpr std::uintmax_t LargestSampleBytes = std::uintmax_t{1024} * 1024;

struct SamplePicture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::string png;  // the file's bytes
};

// Reads and checks the picture at `path`. Throws huedata::FileError naming the file for anything
// that is not a PNG within the limits.
SamplePicture ReadSamplePicture(const std::filesystem::path& path);

}  // namespace page
