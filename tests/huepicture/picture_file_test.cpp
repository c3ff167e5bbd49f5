#include "huepicture/picture_file.h"

#include "huedata/file_error.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string FixtureBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::span<const std::uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// The reason a picture is refused with, or "" where it decodes and makes a ramp.
std::string Refusal(const std::string& bytes,
                    std::optional<huecolour::PictureRegion> region = std::nullopt) {
    try {
        const huepicture::DecodedPicture picture = huepicture::DecodePicture("p", Bytes(bytes));
        huepicture::RampFromPictureFile("p", picture, region);
        return "";
    } catch (const huedata::FileError& error) {
        const std::string message = error.what();
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
        return message;
    }
}

// Hostile and broken pictures are refused before or while they are decoded, each with its
// reason; what fuzzing found decodes, or is refused, without a fault.
TEST(PictureFile, HostilePicturesAreRefusedWithTheirReason) {
    const fs::path fixtures(HUES_FIXTURES);
    const std::string stripes = FixtureBytes(fixtures / "stripes.png");
    std::string flat = FixtureBytes(fixtures / "stripes.bmp");
    flat.replace(22, 4, 4, '\0');  // 0 pixels high
    const struct {
        std::string what, bytes;
        std::optional<huecolour::PictureRegion> region;
        std::string reason;
    } cases[] = {
        {"a header of 12,000 x 12,000 and nothing after it",
         std::string(
             "\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\x2E\xE0\0\0\x2E\xE0\x08\x06\0\0\0\0\0\0\0", 33),
         {},
         "p: 12000 x 12000 pixels is over the 100 megapixels"},
        {"cut short", stripes.substr(0, 200), {}, "p: the picture is broken"},
        {"text", "not a picture\n", {}, "p: not a picture hues reads"},
        {"0 rows", flat, {}, "p: the picture is broken: it is 256 x 0 pixels"},
        {"rows it does not hold",
         FixtureBytes(FUZZ_PICTURES "/bmp-rows-missing.bmp"),
         {},
         "p: the picture is broken: the file ends early"},
        {"a Huffman table past its end",
         FixtureBytes(fixtures / "too-many-codes.jpg"),
         {},
         "p: the picture is broken: a Huffman table holds over 256 codes"},
        {"a region outside", stripes, huecolour::PictureRegion{250, 0, 8, 8},
         "reaches outside the 256 x 8 picture"},
        {"an empty region", stripes, huecolour::PictureRegion{0, 0, 0, 8}, "is empty"},
        {"too few pixels", stripes, huecolour::PictureRegion{0, 0, 4, 4},
         "fewer than 32 opaque pixels"},
        {"the whole picture", stripes, {}, ""},
    };
    for (const auto& [what, bytes, region, reason] : cases) {
        const std::string refusal = Refusal(bytes, region);
        EXPECT_EQ(refusal.empty(), reason.empty()) << what << ": " << refusal;
        EXPECT_NE(refusal.find(reason), std::string::npos) << what << ": " << refusal;
    }
    for (const auto& found : fs::directory_iterator(fs::path(FUZZ_PICTURES))) {
        Refusal(FixtureBytes(found.path()));  // no fault, whatever it says
    }
}

}  // namespace
