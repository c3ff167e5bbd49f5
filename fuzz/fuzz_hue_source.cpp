// Arbitrary bytes as a source of hues (JSON or CSV, in any encoding a program saves text in):
// they are either refused with a message or decoded to UTF-8 and read into changes that keep the
// promises build relies on, each with what its text showed, which a file's bytes take back.
#include "huedata/hue_view.h"
#include "hueformats/hue_source.h"

#include "huedata/hue_edit.h"
#include "huedata/hue_text.h"

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

namespace {

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const bool strict : {false, true}) {
        try {
            std::string warning;
            const auto encoding = static_cast<hueformats::SourceEncoding>(size % 3);
            const hueformats::SourceText source =
                hueformats::DecodeSource("fuzz", bytes, encoding, warning);
            Require(huedata::IsUtf8(source.text));
            const huedata::SourceHues read =
                hueformats::ReadHueSources(std::span(&source, 1), strict);
            Require(read.shown.size() == read.changes.size());
            std::set<int> ids;
            for (const huedata::HueChange& change : read.changes) {
                Require(change.id >= 0 && change.id <= 32767 && ids.insert(change.id).second);
                Require(!change.blockHeader || change.id % 8 == 0);
            }
            Require(!strict || read.warning.empty());
            std::vector<unsigned char> image;
            huedata::ApplyHueChanges(image, read.changes);
            const int highest = ids.empty() ? -1 : *ids.rbegin();
            Require(image.size() == huedata::EndOfEntries(static_cast<std::size_t>(highest + 1)));
            // Laid over the bytes they made, the changes change nothing more.
            std::vector<unsigned char> again = image;
            huedata::ApplyHueChanges(
                again, huedata::ChangesOver(read, image, huedata::HueCountForSize(image.size())));
            Require(again == image);
        } catch (const huedata::HuesError& error) {
            const std::string message = error.what();
            Require(message.starts_with("fuzz:") && message.find('\n') == std::string::npos);
        }
    }
    return 0;
}
