#include "hue_image.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace huetools {

namespace {

unsigned char* PutLittleEndian16(unsigned char* out, std::int16_t value) {
    return huedata::PutLittleEndian(out, static_cast<std::uint16_t>(value), 2);
}

}  // namespace

std::array<unsigned char, huedata::HueRecordSize> EncodeHueRecord(
    const huedata::HueRecord& record) {
    std::array<unsigned char, huedata::HueRecordSize> bytes{};
    unsigned char* out = bytes.data();
    for (const huedata::Color15 color : record.Colors) out = PutLittleEndian16(out, color);
    out = PutLittleEndian16(out, record.TableStart);
    out = PutLittleEndian16(out, record.TableEnd);
    std::copy(record.Name.begin(), record.Name.end(), out);
    return bytes;
}

std::vector<unsigned char> HueFileImage(std::span<const huedata::HueRecord> records,
                                        std::uint32_t blockHeader) {
    std::vector<unsigned char> image;
    image.reserve(records.size() / huedata::HuesPerBlock * huedata::HueBlockSize +
                  huedata::HueBlockSize);
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (i % huedata::HuesPerBlock == 0) {
            std::array<unsigned char, huedata::HueBlockHeaderSize> header{};
            huedata::PutLittleEndian(header.data(), blockHeader, 4);
            image.insert(image.end(), header.begin(), header.end());
        }
        const auto entry = EncodeHueRecord(records[i]);
        image.insert(image.end(), entry.begin(), entry.end());
    }
    return image;
}

std::array<unsigned char, 20> NameBytes(std::string_view text) {
    std::array<unsigned char, 20> name{};
    std::copy_n(text.begin(), std::min(text.size(), name.size()), name.begin());
    return name;
}

void WriteBytes(const std::filesystem::path& path, std::span<const unsigned char> bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace huetools
