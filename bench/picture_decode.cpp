// The picture decoder alone, which `hues set --from-picture` is measured against: a file's bytes
// decoded to RGBA, as hues decodes them, and nothing else.   picture_decode FILE
// And the photo the benchmark uses: a 12-megapixel JPEG of quality 90, of smooth light and
// shade with grain, as a camera's are (some million colours).   picture_decode --photo FILE
#define STB_IMAGE_IMPLEMENTATION
#include "huepicture/picture_decoder.h"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

int WritePhoto(const char* path) {
    constexpr std::size_t Width = 4000, Height = 3000;
    std::vector<std::uint8_t> rgb(Width * Height * 3);
    std::uint32_t grain = 1;
    for (std::size_t y = 0; y < Height; ++y) {
        for (std::size_t x = 0; x < Width; ++x) {
            grain = grain * 1664525U + 1013904223U;
            const auto across = static_cast<double>(x), down = static_cast<double>(y);
            const double light = 0.5 + 0.35 * std::sin(across / 410.0) * std::cos(down / 290.0);
            const double noise = static_cast<double>(grain >> 24U) / 255.0 - 0.5;
            const std::array<double, 3> channels = {
                light * 1.10 + 0.04 * noise, light * 0.85 + 0.05 * noise,
                light * 0.60 + 0.06 * noise + 0.1 * down / static_cast<double>(Height)};
            for (std::size_t c = 0; c < 3; ++c) {
                rgb[(y * Width + x) * 3 + c] = static_cast<std::uint8_t>(
                    std::lround(255.0 * std::fmin(1.0, std::fmax(0.0, channels[c]))));
            }
        }
    }
    return stbi_write_jpg(path, static_cast<int>(Width), static_cast<int>(Height), 3, rgb.data(),
                          90) != 0
               ? 0
               : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--photo") return WritePhoto(argv[2]);
    if (argc != 2) {
        std::fprintf(stderr, "usage: picture_decode FILE | --photo FILE\n");
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file),
                                  std::istreambuf_iterator<char>()};
    // In the picture's own channels, as hues decodes it (a JPEG without alpha).
    int width = 0, height = 0, channels = 0;
    stbi_uc* pixels =
        stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                              static_cast<int>(bytes.size()), &width, &height, &channels, 0);
    const int status = pixels != nullptr ? 0 : 1;
    stbi_image_free(pixels);
    return status;
}
