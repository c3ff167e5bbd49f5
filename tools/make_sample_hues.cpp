// Writes the sample hue file: make_sample_hues [output], by default the viewer's default path.
#include "hue_image.h"
#include "sample_hues.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    const std::filesystem::path output = argc > 1
                                             ? std::filesystem::path(argv[1])
                                             : std::filesystem::path(huetools::DefaultHuesFileName);
    try {
        const auto hues = huetools::SampleHues();
        huetools::WriteBytes(output, huetools::HueFileImage(hues, huetools::SampleBlockHeader));
    } catch (const std::exception& error) {
        std::cerr << "make_sample_hues: " << error.what() << '\n';
        return 1;
    }
    std::cout << "wrote " << huetools::SampleHueCount << " hues to " << output.string() << '\n';
    return 0;
}
