#include "hueformats/field_text.h"

#include "huedata/hue_view.h"

#include "huedata/hue_text.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>

namespace hueformats {

std::string FieldValueText(huedata::HueField field, const huedata::HueRecord& hue) {
    switch (field.kind) {
        case huedata::HueField::Name: {
            // Appended: GCC 12 warns falsely (-Wrestrict) about "literal" + std::string&&.
            std::string text = "\"";
            text.append(huedata::PrintableText(huedata::HueNameUtf8Text(hue.Name))).append("\"");
            return text;
        }
        case huedata::HueField::TableStart:
            return huedata::HexText(hue.TableStart);
        case huedata::HueField::TableEnd:
            return huedata::HexText(hue.TableEnd);
        case huedata::HueField::Color:
            break;
    }
    const huedata::Color15 stored = hue.Colors[field.color];
    return huedata::Color15Text(stored) + " " + huedata::RgbText(huedata::ConvertColor(stored));
}

std::string FieldValueText(huedata::HueField field, std::span<const unsigned char> bytes) {
    std::array<unsigned char, huedata::HueRecordSize> entry{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), huedata::FieldSize(field)),
                entry.begin() + static_cast<std::ptrdiff_t>(huedata::FieldOffset(field)));
    return FieldValueText(field, huedata::DecodeHueRecord(entry));
}

std::string NameBytesText(const huedata::HueRecord& hue) {
    std::string hex;
    for (const unsigned char byte : hue.Name) hex.append(huedata::HexOfByte[byte].data(), 2);
    return hex;
}

std::string BlockHeaderText(std::uint32_t header) {
    return fmt::format("0x{:08X}", header);
}

std::string ByteCountText(std::uint64_t count) {
    return fmt::format("{} byte{}", count, count == 1 ? "" : "s");
}

std::vector<std::string> FileChangeLines(const huedata::FileDifference& difference) {
    std::vector<std::string> lines;
    lines.reserve(difference.headers.size() + 2);
    for (const huedata::HeaderDifference& header : difference.headers) {
        lines.push_back(fmt::format("block {} header: {} \u2192 {}", header.block,
                                    BlockHeaderText(header.first), BlockHeaderText(header.second)));
    }
    if (difference.firstSize != difference.secondSize) {
        lines.push_back(fmt::format("size: {} \u2192 {} bytes ({} \u2192 {} hues)",
                                    difference.firstSize, difference.secondSize,
                                    difference.firstCount, difference.secondCount));
    }
    if (difference.tailsDiffer) {
        const auto tail = [](std::uint64_t size, std::size_t count) {
            return ByteCountText(size - huedata::EndOfEntries(count));
        };
        lines.push_back(fmt::format("the bytes after the last hue differ: {} \u2192 {}",
                                    tail(difference.firstSize, difference.firstCount),
                                    tail(difference.secondSize, difference.secondCount)));
    }
    return lines;
}

}  // namespace hueformats
