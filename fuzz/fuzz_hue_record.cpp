// Arbitrary bytes through the record decoding and every text the window shows for a hue.
// Besides crashes and undefined behaviour, it traps on texts that break their promises.
#include "huedata/color15.h"
#include "huedata/hue_file.h"
#include "huedata/hue_text.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

void CheckHexText(std::int16_t value) {
    const std::string text = huedata::HexText(value);
    Require(!text.empty() && text.size() <= 4);
    Require(text.size() == 1 || text.front() != '0');
    Require(std::stoul(text, nullptr, 16) == static_cast<std::uint16_t>(value));
}

void CheckColor(huedata::Color15 value) {
    const huedata::Rgb24 rgb = huedata::ConvertColor(value);
    const std::string stored = huedata::Color15Text(value);
    Require(stored.size() == 6 &&
            std::stoul(stored, nullptr, 16) == static_cast<std::uint16_t>(value));
    const std::string shown = huedata::RgbText(rgb);
    Require(shown.size() == 7 && shown.front() == '#');
    Require(std::stoul(shown.substr(1), nullptr, 16) ==
            ((std::uint32_t{rgb.red} << 16U) | (std::uint32_t{rgb.green} << 8U) | rgb.blue));
}

void CheckName(const std::array<unsigned char, 20>& name) {
    const std::u16string text = huedata::HueNameText(name);
    const auto end = std::find(name.begin(), name.end(), 0);
    Require(text.size() == static_cast<std::size_t>(end - name.begin()));
    Require(text.find(u'\0') == std::u16string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::array<unsigned char, huedata::HueRecordSize> bytes{};
    std::copy_n(data, std::min(size, bytes.size()), bytes.begin());
    const huedata::HueRecord hue = huedata::DecodeHueRecord(bytes);
    CheckName(hue.Name);
    CheckHexText(hue.TableStart);
    CheckHexText(hue.TableEnd);
    for (const huedata::Color15 color : hue.Colors) CheckColor(color);
    return 0;
}
