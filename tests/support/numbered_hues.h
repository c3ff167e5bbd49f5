// Hues that differ in every field, so a read of the wrong entry or of a block header shows.
#pragma once

#include "huedata/hue_file.h"
#include "tools/hue_image.h"

#include <string>
#include <vector>

inline huedata::HueRecord NumberedHue(int id) {
    huedata::HueRecord hue{};
    for (std::size_t i = 0; i < hue.Colors.size(); ++i) {
        hue.Colors[i] = static_cast<std::int16_t>(id * 32 + static_cast<int>(i));
    }
    hue.TableStart = static_cast<std::int16_t>(id);
    hue.TableEnd = static_cast<std::int16_t>(-id - 1);
    hue.Name = huetools::NameBytes("Hue " + std::to_string(id));
    return hue;
}

inline std::vector<huedata::HueRecord> NumberedHues(int count) {
    std::vector<huedata::HueRecord> hues;
    hues.reserve(static_cast<std::size_t>(count));
    for (int id = 0; id < count; ++id) hues.push_back(NumberedHue(id));
    return hues;
}
