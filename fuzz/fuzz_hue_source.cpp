// Arbitrary text as a source of hues (JSON or CSV): it is either refused with a message or
// read into changes that keep the promises build relies on.
#include "huetext/hue_source.h"
#include "huetext/hue_view.h"

#include "huedata/hue_edit.h"

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
    const hues::SourceText source{"fuzz", std::string(reinterpret_cast<const char*>(data), size)};
    for (const bool strict : {false, true}) {
        try {
            const hues::SourceHues read = hues::ReadHueSources(std::span(&source, 1), strict);
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
        } catch (const hues::HuesError& error) {
            const std::string message = error.what();
            Require(message.starts_with("fuzz:") && message.find('\n') == std::string::npos);
        }
    }
    return 0;
}
