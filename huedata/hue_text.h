// The texts shown for a hue: its name and its table values in hexadecimal.
#pragma once

#include "color15.h"

#include <array>
#include <cstdint>
#include <string>

namespace huedata {

// The name bytes before the first zero byte (all 20 when there is none), decoded from the
// system's ANSI code page on Windows and from Windows-1252 everywhere else.
std::u16string HueNameText(const std::array<unsigned char, 20>& name);

// The value's 16 bits as unsigned hexadecimal: upper case, no prefix, no leading zeros.
// Negative values show their two's complement, so -1 is "FFFF" and 0 is "0".
std::string HexText(std::int16_t value);

// A stored colour value as written in tooltips: "0x" and four upper-case hex digits.
std::string Color15Text(Color15 value);

// A 24-bit colour in the familiar web form, e.g. "#FF0000".
std::string RgbText(Rgb24 color);

}  // namespace huedata
