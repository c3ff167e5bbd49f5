// Krita's palette (KPL): a zip whose first entry, stored, is its mimetype, beside
// `colorset.xml` (the colours, a <Group> per group) and `profiles.xml`. Read in memory with
// zlib's minizip, never unpacked to disk, its colour set parsed by expat as it unpacks, so that
// what is held follows the colours; written by minizip.
#pragma once

#include "huedata/hue_view.h"
#include "huedata/text_builder.h"
#include "huepalette/palette.h"

#include <span>
#include <string>
#include <string_view>

namespace huepalette {

// Throws huedata::FileError "NAME: KPL: what is wrong" for a zip minizip cannot read, an entry
// whose path climbs out or that is named twice, an entry larger than it says or than a palette may
// be (a zip bomb), a missing or other mimetype, XML that is not a colour set, that declares an
// entity, or whose mark-up is far more than its colours need (deep, long or many elements).
Palette ReadKritaPalette(const std::string& name, std::span<const unsigned char> bytes);

// A group per hue, 32 columns, each colour named as the hue's GIMP palette names it.
void KritaPalette(const huedata::HuesInParts& hues, std::string_view paletteName,
                  huedata::TextBuilder& out);

}  // namespace huepalette
