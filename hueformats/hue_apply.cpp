#include "hueformats/hue_apply.h"

namespace hueformats {

HuesApplied ApplyHuesSafely(const std::filesystem::path& file, const huedata::SourceHues& hues,
                            bool keepBackup, const ApplyHooks& hooks) {
    HuesApplied applied;
    applied.outcome = huedata::EditFileSafely(
        file,
        {.sizeFor =
             [&](std::uint64_t size) { return huedata::SizeForHueChanges(size, hues.changes); },
         .change =
             [&](std::span<unsigned char> image, std::uint64_t sizeBefore) {
                 const std::size_t held = huedata::HueCountForSize(sizeBefore);
                 const auto changes = huedata::ChangesOver(hues, image, held);
                 if (hooks.before) hooks.before(image.first(sizeBefore), changes);
                 applied.changed = huedata::ApplyHueChanges(image, held, changes);
                 if (hooks.after) hooks.after(image);
                 return applied.changed > 0;
             }},
        keepBackup);
    return applied;
}

}  // namespace hueformats
