// Changing a hue file's bytes: a hue written back as stored, and changes to some fields of some
// hues laid over a file's bytes without disturbing any other byte.
#pragma once

#include "hue_file.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace huedata {

// The 88 bytes of one entry as a hue file stores them (little-endian).
void EncodeHueRecord(const HueRecord& record, std::span<unsigned char, HueRecordSize> bytes);

// The fields of one hue to change; those left empty keep the bytes they have.
struct HueChange {
    int id = 0;  // 0 to HighestHueId
    std::optional<std::array<unsigned char, 20>> name = std::nullopt;
    std::optional<std::int16_t> tableStart = std::nullopt;
    std::optional<std::int16_t> tableEnd = std::nullopt;
    std::optional<std::array<Color15, 32>> colors = std::nullopt;
    // The header of the block this hue starts; only for the first hue of a block.
    std::optional<std::uint32_t> blockHeader = std::nullopt;

    friend bool operator==(const HueChange&, const HueChange&) = default;
};

// The header of block `block` in a file's bytes; 0 where the file ends before it.
std::uint32_t BlockHeaderAt(std::span<const unsigned char> image, std::size_t block);

// The hue `id` of a file's bytes as it would read, bytes past the end counting as zero.
HueRecord HueAt(std::span<const unsigned char> image, std::size_t id);

// The size of a file of `size` bytes once it holds at least `leastCount` hues and every hue
// changed: never less than it was.
std::uint64_t SizeForHueChanges(std::uint64_t size, std::span<const HueChange> changes,
                                std::size_t leastCount = 0);

// Lays the changes over a file's bytes, in order; `image` is already at SizeForHueChanges'
// size, the bytes it grew by zero, and `heldBefore` is how many hues it held before it grew.
// Returns how many of the changes altered their hue: its bytes, its block's header, or a hue
// the file did not hold before.
std::size_t ApplyHueChanges(std::span<unsigned char> image, std::size_t heldBefore,
                            std::span<const HueChange> changes);

// The same, growing the bytes first, with zero bytes, to hold at least `leastCount` hues and
// every hue changed; nothing else is added or removed.
std::size_t ApplyHueChanges(std::vector<unsigned char>& image, std::span<const HueChange> changes,
                            std::size_t leastCount = 0);

// ---- Hues read from a source (a listing, a spreadsheet, a palette), as changes ----

// What the text of one hue showed, where its text decided a field: the name (both readings
// where a leading apostrophe may guard it or belong to it), and each colour given as #RRGGBB
// with no stored value that shows it.
struct ShownFields {
    std::vector<std::string> names;
    std::uint32_t colorsShown = 0;  // bit i: colour i
    std::array<Rgb24, 32> colors{};
};

struct SourceHues {
    // Only the fields each source object names; every hue once.
    std::vector<HueChange> changes;
    std::vector<ShownFields> shown;  // for each change
    // One line for standard error, "hues: warning: ..." and a line break, or empty.
    std::string warning;
};

// The changes to lay over a file's bytes (`held` hues), where a field whose text shows exactly
// what the file's hue shows keeps the file's bytes: the text carries no top bit of a colour and
// no byte after a name's NUL, so a listing applied to its own file changes nothing.
std::vector<HueChange> ChangesOver(const SourceHues& hues, std::span<const unsigned char> image,
                                   std::size_t held);

// The warning for `count` colours taken to the nearest a hue can hold (the first at `firstAt`,
// where the text says where), or nothing for none.
std::string InexactColorsWarning(int count, std::string_view firstAt = {});

// What is wrong with a colour no stored value shows exactly: "#RRGGBB is not a colour a hue can
// hold; the nearest is #RRGGBB", for --strict's error and the warning's first place.
std::string InexactColorText(Rgb24 color, Color15 stored);

// The stored value of a colour a person chose. One that no stored value shows exactly is
// taken to the nearest; `inexact` counts it.
Color15 StoredColor(Rgb24 color, int& inexact);

// A hue's 32 colours `made` from colours a person `chose` (all 32, a gradient's stops, a ramp's
// one colour), each made colour the nearest a hue can hold. The chosen are checked: `warning`
// says how many a hue cannot hold exactly, and with `strict` the first of them is refused
// ("colour I: ...", HuesError).
std::array<Color15, 32> StoredHueColors(std::span<const Rgb24> chose,
                                        std::span<const Rgb24, 32> made, bool strict,
                                        std::string& warning);

// `set --copy-of`: the fields `change` leaves as they are come from hue `copyOf` of the file's
// bytes (`held` hues). Throws HuesError naming `file` for a hue past its end.
void StartFromCopy(HueChange& change, int copyOf, std::span<const unsigned char> image,
                   std::size_t held, const std::filesystem::path& file);

}  // namespace huedata
