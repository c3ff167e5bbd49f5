#include "huepicture/picture_file.h"

#include "huedata/file_error.h"

#include "huedata/hue_file.h"
#include "huedata/hue_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

// The decoder's code lives here.
#define STB_IMAGE_IMPLEMENTATION
#include "huepicture/picture_decoder.h"

namespace huepicture {

namespace {

// The file's bytes handed to the decoder as it asks for them, noting whether it asked for more
// than there are: its readers take a missing byte as a zero and go on, so that a file cut short
// would decode as a picture whose rest is black.
struct PictureBytes {
    std::span<const std::uint8_t> bytes;
    std::size_t at = 0;
    bool shortOfBytes = false;

    static int Read(void* user, char* data, int size) {
        auto& self = *static_cast<PictureBytes*>(user);
        const std::size_t left = self.bytes.size() - self.at;
        const std::size_t count = std::min(left, static_cast<std::size_t>(size));
        if (count == 0 && size > 0) self.shortOfBytes = true;
        std::copy_n(self.bytes.data() + self.at, count, data);
        self.at += count;
        return static_cast<int>(count);
    }
    static void Skip(void* user, int count) {
        auto& self = *static_cast<PictureBytes*>(user);
        if (count < 0) {
            self.at -=
                std::min(self.at, static_cast<std::size_t>(-static_cast<std::int64_t>(count)));
            return;
        }
        const std::size_t left = self.bytes.size() - self.at;
        if (static_cast<std::size_t>(count) > left) self.shortOfBytes = true;
        self.at += std::min(left, static_cast<std::size_t>(count));
    }
    static int AtEnd(void* user) {
        const auto& self = *static_cast<PictureBytes*>(user);
        return self.at >= self.bytes.size() ? 1 : 0;
    }
};

constexpr stbi_io_callbacks PictureReading = {&PictureBytes::Read, &PictureBytes::Skip,
                                              &PictureBytes::AtEnd};

// Whether the bytes begin as a PNG, JPEG, GIF or BMP does: such a file that does not read is a
// broken picture rather than something else.
bool HasPictureSignature(std::span<const std::uint8_t> bytes) {
    const auto startsWith = [&](std::string_view signature) {
        return bytes.size() >= signature.size() &&
               std::equal(
                   signature.begin(), signature.end(), bytes.begin(),
                   [](char c, std::uint8_t byte) { return static_cast<std::uint8_t>(c) == byte; });
    };
    return startsWith("\x89PNG\r\n\x1A\n") || startsWith("\xFF\xD8\xFF") || startsWith("GIF8") ||
           startsWith("BM");
}

// Whether every Huffman table a JPEG defines holds at most the 256 symbols a table has room
// for. The decoder as Debian ships it writes a table's symbols without that check, past the
// end of its table: such a file is refused before it is decoded. Only the markers' lengths and
// the tables' counts are read here, in the segments before, between and after the scans.
bool JpegTablesFit(std::span<const std::uint8_t> bytes) {
    std::size_t at = 2;  // after the start of image
    while (at + 4 <= bytes.size()) {
        if (bytes[at] != 0xFF) {  // entropy-coded data: on to the next marker
            ++at;
            continue;
        }
        const std::uint8_t marker = bytes[at + 1];
        // Fill bytes, a stuffed zero, restarts and the end carry no length.
        if (marker == 0xFF || marker == 0x00 || (marker >= 0xD0 && marker <= 0xD9)) {
            at += marker == 0xFF ? 1 : 2;
            continue;
        }
        const std::size_t length = huedata::BigEndianValue(bytes.subspan(at + 2, 2));
        const std::size_t end = std::min(bytes.size(), at + 2 + length);
        if (marker == 0xC4) {  // define Huffman tables
            // As the decoder reads them: a table begun inside the segment is read whole, past
            // its end if need be, and a byte past the file's end is read as 0.
            for (std::size_t table = at + 4; table < end;) {
                std::size_t symbols = 0;
                for (std::size_t i = table + 1; i <= table + 16 && i < bytes.size(); ++i) {
                    symbols += bytes[i];
                }
                if (symbols > 256) return false;
                table += 17 + symbols;
            }
        }
        at = std::max(end, at + 4);
    }
    return true;
}

// Whether an uncompressed BMP holds every row its header says it has. The decoder would
// make room for them all and read what is missing as black: 6 KB that says it is 256 x 262,144
// took a second and 200 MB before it was found short.
bool BmpRowsFit(std::span<const std::uint8_t> bytes) {
    constexpr std::size_t InfoHeaderEnd = 34;  // BITMAPINFOHEADER up to its compression
    if (bytes.size() < InfoHeaderEnd || bytes[0] != 'B' || bytes[1] != 'M') return true;
    const auto at = [&](std::size_t offset, std::size_t size) {
        return huedata::LittleEndianValue(bytes.subspan(offset, size));
    };
    const std::uint32_t headerSize = at(14, 4), compression = at(30, 4);
    constexpr std::uint32_t Uncompressed = 0, BitFields = 3;
    if (headerSize < 40 || (compression != Uncompressed && compression != BitFields)) return true;
    const std::uint64_t width = at(18, 4), bitsPerPixel = at(28, 2);
    const auto height = static_cast<std::int32_t>(at(22, 4));
    const auto rows = static_cast<std::uint64_t>(std::abs(std::int64_t{height}));
    constexpr std::uint64_t Largest = std::uint64_t{1} << 24U;  // the decoder refuses more
    if (width > Largest || rows > Largest) return true;
    const std::uint64_t stride = (width * bitsPerPixel + 31) / 32 * 4;
    return std::uint64_t{at(10, 4)} + stride * rows <= bytes.size();
}

// The decoder's reason, which may quote bytes of the file (an unknown chunk's name), in plain
// letters: one line, nothing a terminal would take as a command.
std::string DecoderSays(std::string_view reason) {
    std::string text(reason);
    for (char& c : text) {
        if (c < ' ' || c > '~') c = '?';
    }
    return text;
}

std::string RegionText(const huecolour::PictureRegion& region) {
    return std::to_string(region.x) + "," + std::to_string(region.y) + "," +
           std::to_string(region.width) + "," + std::to_string(region.height);
}

}  // namespace

void FreePixels::operator()(std::uint8_t* pixels) const {
    stbi_image_free(pixels);
}

DecodedPicture DecodePicture(const std::filesystem::path& path,
                             std::span<const std::uint8_t> bytes) {
    if (!bytes.empty() && bytes[0] == 0xFF && !JpegTablesFit(bytes)) {
        throw huedata::FileError(path,
                                 "the picture is broken: a Huffman table holds over 256 codes");
    }
    PictureBytes header{bytes};
    int width = 0, height = 0, channels = 0;
    if (stbi_info_from_callbacks(&PictureReading, &header, &width, &height, &channels) == 0) {
        throw huedata::FileError(path, HasPictureSignature(bytes)
                                           ? "the picture is broken: its header does not read"
                                           : "not a picture hues reads (PNG, JPEG, GIF or BMP)");
    }
    if (!BmpRowsFit(bytes))
        throw huedata::FileError(path, "the picture is broken: the file ends early");
    // A BMP may say it is 0 pixels high, and the decoder takes it at its word.
    if (width <= 0 || height <= 0) {
        throw huedata::FileError(path, "the picture is broken: it is " + std::to_string(width) +
                                           " x " + std::to_string(height) + " pixels");
    }
    const auto pixels = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    if (pixels > LargestPicturePixels) {
        throw huedata::FileError(path, std::to_string(width) + " x " + std::to_string(height) +
                                           " pixels is over the 100 megapixels hues reads");
    }
    // A picture without alpha (a JPEG, most photos) decoded without it: a quarter less to write
    // and to read again.
    const int wanted = channels == 2 || channels == 4 ? 4 : 3;
    PictureBytes reading{bytes};
    std::unique_ptr<std::uint8_t, FreePixels> decoded(
        stbi_load_from_callbacks(&PictureReading, &reading, &width, &height, &channels, wanted));
    if (!decoded || reading.shortOfBytes) {
        const char* reason = stbi_failure_reason();
        throw huedata::FileError(
            path, "the picture is broken: " + (decoded || reason == nullptr || *reason == '\0'
                                                   ? "the file ends early"
                                                   : DecoderSays(reason)));
    }
    return {static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height),
            std::unique_ptr<std::uint8_t, FreePixels>(decoded.release()),
            static_cast<std::uint32_t>(wanted)};
}

DecodedPicture ReadPicture(const std::filesystem::path& path) {
    // Mapped where the system maps files: a photo's bytes are read once, by the decoder.
    constexpr std::uint64_t MostPictureBytes = std::uint64_t{1} << 30U;
    const huedata::FileBytes file(path, MostPictureBytes);
    return DecodePicture(path, file.bytes());
}

std::array<huedata::Color15, 32> RampFromPictureFile(
    const std::filesystem::path& path, const DecodedPicture& picture,
    const std::optional<huecolour::PictureRegion>& region) {
    const huecolour::PictureRegion used =
        region.value_or(huecolour::PictureRegion{0, 0, picture.width, picture.height});
    if (used.width == 0 || used.height == 0) {
        throw huedata::FileError(path, "the region " + RegionText(used) + " is empty");
    }
    const bool inside = used.x < picture.width && used.width <= picture.width - used.x &&
                        used.y < picture.height && used.height <= picture.height - used.y;
    if (!inside) {
        throw huedata::FileError(path, "the region " + RegionText(used) + " reaches outside the " +
                                           std::to_string(picture.width) + " x " +
                                           std::to_string(picture.height) + " picture");
    }
    const auto ramp = huecolour::RampFromPicture(picture.Pixels(), used);
    if (!ramp) {
        throw huedata::FileError(
            path, "fewer than 32 opaque pixels in " +
                      (region ? "the region " + RegionText(used) : std::string("the picture")) +
                      ": a hue needs 32 colours");
    }
    return *ramp;
}

}  // namespace huepicture
