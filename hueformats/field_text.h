// A hue's fields and a file's parts as texts meant for a person give them (show, diff, log,
// merge's messages): the same words and the same form of every value wherever they appear. The
// listings that programs and spreadsheets read (JSON, CSV) keep their numbers.
#pragma once

#include "huedata/hue_fields.h"

#include <cstdint>
#include <span>
#include <string>

namespace hueformats {

// A field's value: a name in quotes (a control character as U+FFFD), a table value in
// hexadecimal as the window shows it, a colour as its stored value and the colour it shows
// ("0x7C00 #FF0000").
std::string FieldValueText(huedata::HueField field, const huedata::HueRecord& hue);

// The same from the field's bytes as the file stores them.
std::string FieldValueText(huedata::HueField field, std::span<const unsigned char> bytes);

// A name's 20 bytes in hexadecimal, for two names whose texts read the same.
std::string NameBytesText(const huedata::HueRecord& hue);

// A block's header ("0xDEADBEEF"), and a count of bytes ("1 byte", "5 bytes").
std::string BlockHeaderText(std::uint32_t header);
std::string ByteCountText(std::uint64_t count);

// What changed in the file apart from its hues, a line each in the words of a sentence that
// starts it ("block 10 header: 0x00000000 → 0xDEADBEEF", "size: ...", "the bytes after the
// last hue: ..."), in file order.
std::vector<std::string> FileChangeLines(const huedata::FileDifference& difference);

}  // namespace hueformats
