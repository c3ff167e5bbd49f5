// Builds hue files byte by byte: for the sample generator, the tests and the benchmarks.
// Written straight from the file layout, independently of the reader it helps to check.
#pragma once

#include "huedata/hue_file.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

namespace huetools {

// The 88 bytes of one entry, little-endian, as a hue file stores them.
std::array<unsigned char, huedata::HueRecordSize> EncodeHueRecord(const huedata::HueRecord& record);

// The records laid out as a hue file: blocks of a 4-byte header (`blockHeader`,
// little-endian) and eight entries. The last block holds only the entries that remain.
std::vector<unsigned char> HueFileImage(std::span<const huedata::HueRecord> records,
                                        std::uint32_t blockHeader);

// Name bytes as stored: the text's bytes, cut at 20, padded with zero bytes.
std::array<unsigned char, 20> NameBytes(std::string_view text);

// Writes the bytes to `path`, replacing the file. Throws std::runtime_error on failure.
void WriteBytes(const std::filesystem::path& path, std::span<const unsigned char> bytes);

}  // namespace huetools
