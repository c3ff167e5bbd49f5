#include "page/sample_picture.h"

#include "huedata/hue_view.h"

#include "huedata/hue_file.h"

#include <fmt/format.h>

#include <array>
#include <span>

namespace page {

namespace {

constexpr std::string_view PngSignature = "\x89PNG\r\n\x1a\n";

std::uint32_t BigEndian32(const std::string& bytes, std::size_t at) {
    return huedata::BigEndianValue(
        std::span(reinterpret_cast<const unsigned char*>(bytes.data()) + at, 4));
}

[[noreturn]] void Refuse(const std::filesystem::path& path, const std::string& reason) {
    throw huedata::FileError(path, reason);
}

}  // namespace

SamplePicture ReadSamplePicture(const std::filesystem::path& path) {
    // Read as every file is read, with the same refusals: missing, not a regular file, unreadable.
    const std::uint64_t size = huedata::ReadableFileSize(path);
    if (size > LargestSampleBytes) {
        Refuse(path, fmt::format("the sample picture is {} bytes; it may be at most 1 MiB", size));
    }
    const auto bytes = huedata::ReadFileBytes(path, LargestSampleBytes);
    SamplePicture picture;
    picture.png.assign(bytes.begin(), bytes.end());
    // The signature, then the header chunk, which the format puts first: its width and height.
    if (picture.png.size() < 24 || !picture.png.starts_with(PngSignature) ||
        picture.png.compare(12, 4, "IHDR") != 0) {
        Refuse(path, "the sample picture is not a PNG file");
    }
    picture.width = BigEndian32(picture.png, 16);
    picture.height = BigEndian32(picture.png, 20);
    if (picture.width == 0 || picture.height == 0 || picture.width > LargestSampleSide ||
        picture.height > LargestSampleSide) {
        Refuse(path,
               fmt::format("the sample picture is {} x {} pixels; it may be at most {} x {}",
                           picture.width, picture.height, LargestSampleSide, LargestSampleSide));
    }
    return picture;
}

}  // namespace page
