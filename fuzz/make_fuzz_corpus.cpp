// Writes the fuzzers' starting inputs from our own sample hues:
// make_fuzz_corpus RECORD_DIR READ_DIR FILE_DIR SOURCE_DIR MERGE_DIR
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
    if (argc != 6) {
        std::cerr << "usage: make_fuzz_corpus RECORD_DIR READ_DIR FILE_DIR SOURCE_DIR MERGE_DIR\n";
        return 2;
    }
    const std::filesystem::path recordDir = argv[1];
    const std::filesystem::path readDir = argv[2];
    const std::filesystem::path fileDir = argv[3];
    const std::filesystem::path sourceDir = argv[4];
    const std::filesystem::path mergeDir = argv[5];
    for (const auto& dir : {recordDir, readDir, fileDir, sourceDir, mergeDir}) {
        std::filesystem::create_directories(dir);
    }

    const auto hues = huetools::SampleHues();
    for (const int id : {0, 1, 2, 3, 2998}) {
        const auto entry = huetools::EncodeHueRecord(hues[static_cast<std::size_t>(id)]);
        huetools::WriteBytes(recordDir / ("entry-" + std::to_string(id)), entry);
    }

    const std::vector<huedata::HueRecord> firstBlocks(hues.begin(), hues.begin() + 16);
    auto file = huetools::HueFileImage(firstBlocks, huetools::SampleBlockHeader);
    huetools::WriteBytes(fileDir / "two-blocks", file);
    // Three sides of a merge: a name changed on both sides, a hue appended on one.
    {
        std::vector<unsigned char> ours = file, theirs = file;
        ours[huedata::HueOffset(3) + 68] = 'O';
        theirs[huedata::HueOffset(3) + 68] = 'T';
        theirs.insert(theirs.end(), file.begin() + 4, file.begin() + 4 + huedata::HueRecordSize);
        const auto sizes = static_cast<unsigned char>(file.size() & 0xFFU);
        std::vector<unsigned char> input{sizes, static_cast<unsigned char>(file.size() >> 8U),
                                         sizes, static_cast<unsigned char>(file.size() >> 8U)};
        for (const auto* side : {&file, &ours, &theirs})
            input.insert(input.end(), side->begin(), side->end());
        huetools::WriteBytes(mergeDir / "name-both-sides", input);
    }
    huetools::WriteBytes(fileDir / "one-entry", std::span(file).first(4 + huedata::HueRecordSize));
    huetools::WriteBytes(readDir / "entry-0", PositionThenFile(huedata::HuePosition(0), file));
    huetools::WriteBytes(readDir / "entry-8", PositionThenFile(huedata::HuePosition(8), file));
    huetools::WriteBytes(readDir / "entry-15", PositionThenFile(huedata::HuePosition(15), file));
    huetools::WriteBytes(readDir / "before-start", PositionThenFile(0, file));
    file.resize(file.size() - 1);
    huetools::WriteBytes(readDir / "one-byte-short",
                         PositionThenFile(huedata::HuePosition(15), file));
    // Hues as text, in each form a source takes: every field, a patch, and CSV.
    std::string colors = "\"#FF0000\"", stored = "64512";
    for (int i = 1; i < 32; ++i) colors += ",\"#00FF00\"", stored += ",992";
    const std::string sources[] = {
        "[\n  {\"id\":8,\"block_header\":3735928559,\"name\":\"Cr\u00e8me\",\"name_bytes\":"
        "\"4372E86D6500787800000000000000000000000A\",\"table_start\":-1,\"table_end\":31,"
        "\"colors\":[" +
            colors + "],\"stored\":[" + stored + "]}\n]\n",
        "{\"id\":3,\"table_end\":7}",
        "id,name,table_start,table_end\r\n1,\"Red, \"\"Hot\"\"\",0,31\r\n2,Blue,-5,5\r\n",
    };
    for (std::size_t i = 0; i < std::size(sources); ++i) {
        const std::string& text = sources[i];
        huetools::WriteBytes(
            sourceDir / ("source-" + std::to_string(i)),
            std::span(reinterpret_cast<const unsigned char*>(text.data()), text.size()));
    }
    return 0;
}
