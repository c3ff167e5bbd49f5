#include "hue_edit.h"

#include "file_error.h"
#include "hue_text.h"
#include "system_files.h"

#include <algorithm>

namespace huedata {

namespace {

unsigned char* PutInt16(unsigned char* out, std::int16_t value) {
    return PutLittleEndian(out, static_cast<std::uint16_t>(value), 2);
}

}  // namespace

void EncodeHueRecord(const HueRecord& record, std::span<unsigned char, HueRecordSize> bytes) {
    unsigned char* out = bytes.data();
    for (const Color15 color : record.Colors) out = PutInt16(out, color);
    out = PutInt16(PutInt16(out, record.TableStart), record.TableEnd);
    std::copy(record.Name.begin(), record.Name.end(), out);
}

std::uint32_t BlockHeaderAt(std::span<const unsigned char> image, std::size_t block) {
    const std::size_t at = block * HueBlockSize;
    if (at >= image.size()) return 0;
    return LittleEndianValue(image.subspan(at, std::min(HueBlockHeaderSize, image.size() - at)));
}

HueRecord HueAt(std::span<const unsigned char> image, std::size_t id) {
    std::array<unsigned char, HueRecordSize> bytes{};
    const auto at = static_cast<std::size_t>(HueOffset(id));
    if (at < image.size()) {
        std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(at),
                    std::min(HueRecordSize, image.size() - at), bytes.begin());
    }
    return DecodeHueRecord(bytes);
}

std::uint64_t SizeForHueChanges(std::uint64_t size, std::span<const HueChange> changes,
                                std::size_t leastCount) {
    std::size_t count = leastCount;
    for (const HueChange& change : changes) {
        count = std::max(count, static_cast<std::size_t>(change.id) + 1);
    }
    return std::max(size, EndOfEntries(count));
}

std::size_t ApplyHueChanges(std::span<unsigned char> image, std::size_t heldBefore,
                            std::span<const HueChange> changes) {
    std::size_t altered = 0;
    for (const HueChange& change : changes) {
        const auto id = static_cast<std::size_t>(change.id);
        unsigned char* entry = image.data() + HueOffset(id);
        // The entry and the four bytes before it (a block's first hue's header), as they were.
        std::array<unsigned char, HueBlockHeaderSize + HueRecordSize> before{};
        std::copy_n(entry - HueBlockHeaderSize, before.size(), before.begin());
        if (change.colors) {
            unsigned char* out = entry;
            for (const Color15 color : *change.colors) out = PutInt16(out, color);
        }
        if (change.tableStart) PutInt16(entry + HueTableStartOffset, *change.tableStart);
        if (change.tableEnd) PutInt16(entry + HueTableEndOffset, *change.tableEnd);
        if (change.name) std::copy(change.name->begin(), change.name->end(), entry + HueNameOffset);
        if (change.blockHeader && id % HuesPerBlock == 0) {
            PutLittleEndian(entry - HueBlockHeaderSize, *change.blockHeader, 4);
        }
        const bool same = std::equal(before.begin(), before.end(), entry - HueBlockHeaderSize);
        altered += id >= heldBefore || !same ? 1 : 0;
    }
    return altered;
}

std::size_t ApplyHueChanges(std::vector<unsigned char>& image, std::span<const HueChange> changes,
                            std::size_t leastCount) {
    const std::size_t heldBefore = HueCountForSize(image.size());
    image.resize(static_cast<std::size_t>(SizeForHueChanges(image.size(), changes, leastCount)));
    return ApplyHueChanges(std::span(image), heldBefore, changes);
}

std::vector<HueChange> ChangesOver(const SourceHues& hues, std::span<const unsigned char> image,
                                   std::size_t held) {
    std::vector<HueChange> changes = hues.changes;
    for (std::size_t i = 0; i < changes.size(); ++i) {
        HueChange& change = changes[i];
        const ShownFields& shown = hues.shown[i];
        if (static_cast<std::size_t>(change.id) >= held) continue;
        const HueRecord file = HueAt(image, static_cast<std::size_t>(change.id));
        if (!shown.names.empty() &&
            std::ranges::find(shown.names, HueNameUtf8Text(file.Name)) != shown.names.end()) {
            change.name = file.Name;
        }
        for (std::size_t c = 0; c < file.Colors.size(); ++c) {
            const bool fromText = ((shown.colorsShown >> c) & 1U) != 0;
            if (fromText && ConvertColor(file.Colors[c]) == shown.colors[c]) {
                (*change.colors)[c] = file.Colors[c];
            }
        }
    }
    return changes;
}

std::string InexactColorsWarning(int count, std::string_view firstAt) {
    if (count == 0) return {};
    std::string warning = "hues: warning: " + std::to_string(count) +
                          (count == 1 ? " colour was" : " colours were") +
                          " taken to the nearest a hue can hold";
    if (!firstAt.empty()) warning.append(", the first at ").append(firstAt);
    return warning + " (--strict makes this an error)\n";
}

std::string InexactColorText(Rgb24 color, Color15 stored) {
    return RgbText(color) + " is not a colour a hue can hold; the nearest is " +
           RgbText(ConvertColor(stored));
}

Color15 StoredColor(Rgb24 color, int& inexact) {
    const Color15 stored = NearestColor15(color);
    if (ConvertColor(stored) != color) ++inexact;
    return stored;
}

std::array<Color15, 32> StoredHueColors(std::span<const Rgb24> chose,
                                        std::span<const Rgb24, 32> made, bool strict,
                                        std::string& warning) {
    int inexact = 0;
    for (std::size_t i = 0; i < chose.size(); ++i) {
        const int before = inexact;
        const Color15 stored = StoredColor(chose[i], inexact);
        if (inexact != before && strict) {
            throw HuesError("colour " + std::to_string(i) + ": " +
                            InexactColorText(chose[i], stored));
        }
    }
    warning = InexactColorsWarning(inexact);
    std::array<Color15, 32> stored{};
    std::ranges::transform(made, stored.begin(), NearestColor15);
    return stored;
}

void StartFromCopy(HueChange& change, int copyOf, std::span<const unsigned char> image,
                   std::size_t held, const std::filesystem::path& file) {
    if (static_cast<std::size_t>(copyOf) >= held) {
        throw HuesError(PathText(file) + ": --copy-of: hue " + std::to_string(copyOf) +
                        " is past the end of the file, which holds " + std::to_string(held) +
                        " hues");
    }
    const HueRecord copied = HueAt(image, static_cast<std::size_t>(copyOf));
    if (!change.name) change.name = copied.Name;
    if (!change.tableStart) change.tableStart = copied.TableStart;
    if (!change.tableEnd) change.tableEnd = copied.TableEnd;
    if (!change.colors) change.colors = copied.Colors;
}

}  // namespace huedata
