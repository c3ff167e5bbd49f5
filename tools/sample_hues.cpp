#include "sample_hues.h"

#include "hue_image.h"

#include <array>
#include <string>

namespace huetools {

namespace {

struct Family {
    std::string_view name;
    int red, green, blue;  // 5-bit base colour
};

constexpr std::array<Family, 24> Families = {{
    {"Crimson", 27, 3, 6}, {"Scarlet", 31, 6, 2}, {"Amber", 31, 19, 0},   {"Gold", 30, 25, 4},
    {"Olive", 16, 18, 4},  {"Lime", 18, 29, 6},   {"Emerald", 4, 24, 11}, {"Jade", 0, 21, 15},
    {"Teal", 2, 16, 17},   {"Azure", 6, 20, 31},  {"Cobalt", 0, 9, 26},   {"Indigo", 9, 4, 20},
    {"Violet", 18, 8, 28}, {"Plum", 17, 5, 17},   {"Magenta", 29, 4, 25}, {"Rose", 31, 14, 18},
    {"Coral", 31, 15, 10}, {"Sienna", 20, 9, 5},  {"Umber", 12, 8, 5},    {"Sand", 27, 23, 16},
    {"Slate", 10, 13, 16}, {"Ash", 20, 20, 20},   {"Ivory", 30, 30, 26},  {"Charcoal", 7, 7, 8},
}};

huedata::Color15 Pack(int red, int green, int blue) {
    return static_cast<huedata::Color15>((red << 10) | (green << 5) | blue);
}

// Dark at colour 0, the base colour at 19, nearly white at 31.
int GradientChannel(int base, int index) {
    if (index <= 19) return base * (4 + index) / 23;
    return base + (31 - base) * (index - 19) / 14;
}

// Variants fade towards grey and darken in steps, so no two names look alike.
int VariantChannel(int channel, int grey, int variant) {
    const int faded = channel + (grey - channel) * (variant % 5) / 6;
    return faded * (10 - (variant / 5) % 5) / 10;
}

huedata::HueRecord FamilyHue(std::size_t id) {
    const Family& family = Families[id % Families.size()];
    const int variant = static_cast<int>(id / Families.size());
    huedata::HueRecord hue{};
    for (int i = 0; i < 32; ++i) {
        const int red = GradientChannel(family.red, i);
        const int green = GradientChannel(family.green, i);
        const int blue = GradientChannel(family.blue, i);
        const int grey = (red + green + blue) / 3;
        hue.Colors[static_cast<std::size_t>(i)] =
            Pack(VariantChannel(red, grey, variant), VariantChannel(green, grey, variant),
                 VariantChannel(blue, grey, variant));
    }
    hue.TableStart = static_cast<std::int16_t>(id * 11);
    hue.TableEnd = static_cast<std::int16_t>(id * 11 + 31);
    hue.Name = NameBytes(std::string(family.name) + " " + std::to_string(variant));
    return hue;
}

huedata::HueRecord GreyRamp() {
    huedata::HueRecord hue{};
    for (int i = 0; i < 32; ++i) hue.Colors[static_cast<std::size_t>(i)] = Pack(i, i, i);
    hue.TableStart = 0;
    hue.TableEnd = 0x1F;
    hue.Name = NameBytes("Black to White");
    return hue;
}

// Pure channels, bit 15 set on some values and table values at the ends of their range.
huedata::HueRecord EdgeValues() {
    huedata::HueRecord hue{};
    constexpr std::array<std::uint16_t, 8> Pattern = {0x7C00, 0x03E0, 0x001F, 0x7FFF,
                                                      0x0000, 0xFC00, 0x83E0, 0xFFFF};
    for (std::size_t i = 0; i < 32; ++i) {
        hue.Colors[i] = static_cast<huedata::Color15>(Pattern[i % Pattern.size()]);
    }
    hue.TableStart = -1;
    hue.TableEnd = 0x7FFF;
    hue.Name = NameBytes("Edge Values");
    return hue;
}

huedata::HueRecord WithName(huedata::HueRecord hue, std::string_view name) {
    hue.Name = NameBytes(name);
    return hue;
}

}  // namespace

std::vector<huedata::HueRecord> SampleHues() {
    std::vector<huedata::HueRecord> hues;
    hues.reserve(SampleHueCount);
    for (std::size_t id = 0; id < SampleHueCount; ++id) hues.push_back(FamilyHue(id));
    hues[0] = GreyRamp();
    hues[1] = EdgeValues();
    hues[2] = WithName(hues[2], "Twenty Letter Amber!");  // fills all 20 bytes
    hues[3] = WithName(hues[3],
                       "Cr\xE8me Br\xFBl\xE9"
                       "e Gold");  // Windows-1252 letters
    hues[2998] = WithName(hues[2998], "Last Listed");
    return hues;
}

std::vector<huedata::HueRecord> HuesWithEveryByteInNames(std::size_t count) {
    const auto sample = SampleHues();
    std::vector<huedata::HueRecord> hues;
    hues.reserve(count);
    std::uint32_t state = 2463534242U;  // xorshift32, the same names on every system
    const auto next = [&state] {
        state ^= state << 13U;
        state ^= state >> 17U;
        state ^= state << 5U;
        return state;
    };
    for (std::size_t id = 0; id < count; ++id) {
        huedata::HueRecord hue = sample[id % sample.size()];
        if (id < 13) {
            for (std::size_t i = 0; i < hue.Name.size(); ++i)
                hue.Name[i] = static_cast<unsigned char>(id * 20 + i);
        } else if (id == 13 || id == 345) {
            hue.Name = NameBytes("Odd \x81\x8D\x8F\x90\x9D");
        } else {
            hue.Name = {};
            const std::size_t length = 1 + next() % 20;
            for (std::size_t i = 0; i < length; ++i)
                hue.Name[i] = static_cast<unsigned char>(1 + next() % 255);
            if (length < 19 && next() % 4 == 0) hue.Name[length + 1] = 'x';  // after the NUL
        }
        hues.push_back(hue);
    }
    return hues;
}

}  // namespace huetools
