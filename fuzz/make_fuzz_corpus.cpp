// Writes the fuzzers' starting inputs from our own sample hues:
// make_fuzz_corpus RECORD_DIR READ_DIR FILE_DIR
#include "huedata/hue_file.h"
#include "tools/hue_image.h"
#include "tools/sample_hues.h"

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <span>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> PositionThenFile(std::int32_t position,
                                            const std::vector<unsigned char>& file) {
    const auto bits = static_cast<std::uint32_t>(position);
    std::vector<unsigned char> input = {
        static_cast<unsigned char>(bits & 0xFFU), static_cast<unsigned char>((bits >> 8U) & 0xFFU),
        static_cast<unsigned char>((bits >> 16U) & 0xFFU), static_cast<unsigned char>(bits >> 24U)};
    input.insert(input.end(), file.begin(), file.end());
    return input;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: make_fuzz_corpus RECORD_DIR READ_DIR FILE_DIR\n";
        return 2;
    }
    const std::filesystem::path recordDir = argv[1];
    const std::filesystem::path readDir = argv[2];
    const std::filesystem::path fileDir = argv[3];
    for (const auto& dir : {recordDir, readDir, fileDir}) std::filesystem::create_directories(dir);

    const auto hues = huetools::SampleHues();
    for (const int id : {0, 1, 2, 3, 2998}) {
        const auto entry = huetools::EncodeHueRecord(hues[static_cast<std::size_t>(id)]);
        huetools::WriteBytes(recordDir / ("entry-" + std::to_string(id)), entry);
    }

    const std::vector<huedata::HueRecord> firstBlocks(hues.begin(), hues.begin() + 16);
    auto file = huetools::HueFileImage(firstBlocks, huetools::SampleBlockHeader);
    huetools::WriteBytes(fileDir / "two-blocks", file);
    huetools::WriteBytes(fileDir / "one-entry", std::span(file).first(4 + huedata::HueRecordSize));
    huetools::WriteBytes(readDir / "entry-0", PositionThenFile(huedata::HuePosition(0), file));
    huetools::WriteBytes(readDir / "entry-8", PositionThenFile(huedata::HuePosition(8), file));
    huetools::WriteBytes(readDir / "entry-15", PositionThenFile(huedata::HuePosition(15), file));
    huetools::WriteBytes(readDir / "before-start", PositionThenFile(0, file));
    file.resize(file.size() - 1);
    huetools::WriteBytes(readDir / "one-byte-short",
                         PositionThenFile(huedata::HuePosition(15), file));
    return 0;
}
