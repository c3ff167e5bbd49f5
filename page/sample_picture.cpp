#include "page/sample_picture.h"

#include "huetext/hue_view.h"

#include "huedata/hue_file.h"

#include <fmt/format.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

namespace hues {

namespace {

constexpr std::string_view PngSignature = "\x89PNG\r\n\x1a\n";

std::uint32_t BigEndian32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value = (value << 8U) | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

[[noreturn]] void Refuse(const std::filesystem::path& path, const std::string& reason) {
    throw HuesError(fmt::format("{}: {}", huedata::PathText(path), reason));
}

}  // namespace

SamplePicture ReadSamplePicture(const std::filesystem::path& path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        Refuse(path, std::make_error_code(std::errc::no_such_file_or_directory).message());
    }
    if (error) Refuse(path, error.message());
    if (status.type() != std::filesystem::file_type::regular) {
        Refuse(path, "the sample picture is not a regular file");
    }
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) Refuse(path, error.message());
    if (size > LargestSampleBytes) {
        Refuse(path, fmt::format("the sample picture is {} bytes; it may be at most 1 MiB", size));
    }
    std::ifstream file(path, std::ios::binary);
    SamplePicture picture;
    picture.png.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (!file.good() && !file.eof()) Refuse(path, std::strerror(errno));
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

}  // namespace hues
