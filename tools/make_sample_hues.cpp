// Writes the sample hue file: make_sample_hues [output [count [every-byte]]], by default the
// viewer's default path and the sample's 3,000 hues; a larger count repeats them, up to 32,768;
// every-byte gives them names that hold every byte value (HuesWithEveryByteInNames).
#include "hue_image.h"
#include "sample_hues.h"

#include <algorithm>
#include <exception>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    const std::filesystem::path output = argc > 1
                                             ? std::filesystem::path(argv[1])
                                             : std::filesystem::path(huetools::DefaultHuesFileName);
    std::size_t count = huetools::SampleHueCount;
    try {
        if (argc > 2) count = std::min<std::size_t>(std::stoul(argv[2]), huedata::MaxHueCount);
        std::vector<huedata::HueRecord> hues;
        if (argc > 3 && std::string(argv[3]) == "every-byte") {
            hues = huetools::HuesWithEveryByteInNames(count);
        } else {
            const auto sample = huetools::SampleHues();
            hues.reserve(count);
            for (std::size_t id = 0; id < count; ++id) hues.push_back(sample[id % sample.size()]);
        }
        huetools::WriteBytes(output, huetools::HueFileImage(hues, huetools::SampleBlockHeader));
    } catch (const std::exception& error) {
        std::cerr << "make_sample_hues: " << error.what() << '\n';
        return 1;
    }
    std::cout << "wrote " << count << " hues to " << output.string() << '\n';
    return 0;
}
