// Arbitrary bytes as a picture to take a hue from: refused with one line that names the file, or
// decoded to at most 100 megapixels, from which a ramp is made or refused likewise.
#include "huedata/file_error.h"
#include "huepicture/picture_file.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const huepicture::DecodedPicture picture = huepicture::DecodePicture("fuzz", {data, size});
        Require(std::uint64_t{picture.width} * picture.height <= huepicture::LargestPicturePixels);
        Require(picture.rgba != nullptr && picture.width > 0 && picture.height > 0);
        const auto ramp = huepicture::RampFromPictureFile("fuzz", picture, std::nullopt);
        Require(ramp.size() == 32);
    } catch (const huedata::FileError& error) {
        const std::string message = error.what();
        Require(message.starts_with("fuzz:") && message.find('\n') == std::string::npos);
    }
    return 0;
}
