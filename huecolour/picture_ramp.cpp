#include "huecolour/picture_ramp.h"

#include "huecolour/oklab.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <future>
#include <vector>

namespace huecolour {

namespace {

struct PictureColor {
    OkLab lab;
    std::uint32_t rgb;
    std::uint32_t count;  // of the region's pixels
};

bool Darker(const PictureColor& x, const PictureColor& y) {
    if (x.lab.L != y.lab.L) return x.lab.L < y.lab.L;
    if (x.lab.a != y.lab.a) return x.lab.a < y.lab.a;
    if (x.lab.b != y.lab.b) return x.lab.b < y.lab.b;
    return x.rgb < y.rgb;
}

huedata::Rgb24 Unpacked(std::uint32_t rgb) {
    return {static_cast<std::uint8_t>(rgb >> 16U), static_cast<std::uint8_t>((rgb >> 8U) & 0xFFU),
            static_cast<std::uint8_t>(rgb & 0xFFU)};
}

// Runs `first` on a thread of its own and `second` on this one, and returns when both are
// done; what either throws is thrown here. A small picture's halves take less time than a
// thread's start: those run one after the other.
template <typename First, typename Second>
void SideBySide(bool small, First first, Second second) {
    if (small) {
        first();
        second();
        return;
    }
    auto other = std::async(std::launch::async, first);
    second();
    other.get();
}

bool IsSmall(const PictureRegion& region) {
    return std::uint64_t{region.width} * region.height < (std::uint64_t{1} << 16U);
}

// Calls `visit` with each opaque pixel of rows `from` to `to` of the region: a pointer to its
// red, green and blue. A picture of 3 channels has no alpha: every pixel is opaque.
template <std::size_t Channels, typename Visit>
void ForEachOpaquePixel(const RgbaPicture& picture, const PictureRegion& region, std::uint32_t from,
                        std::uint32_t to, Visit visit) {
    for (std::uint32_t y = from; y < to; ++y) {
        const std::uint8_t* p =
            picture.rgba.data() + (std::size_t{y} * picture.width + region.x) * Channels;
        for (std::uint32_t x = 0; x < region.width; ++x, p += Channels) {
            if (Channels == 3 || p[3] != 0) visit(p);
        }
    }
}

using RedCounts = std::array<std::size_t, 257>;

// Each pixel's green and blue put beside the others of its red, all the reds in order: two
// passes over the picture, read in order, the region's two halves side by side, each writing its
// own part of every red's place.
template <std::size_t Channels>
std::vector<std::uint16_t> GreenBlueByRed(const RgbaPicture& picture, const PictureRegion& region,
                                          RedCounts& starts) {
    const std::uint32_t middle = region.y + region.height / 2;
    std::array<RedCounts, 2> halves{};
    const auto count = [&](std::size_t half, std::uint32_t from, std::uint32_t to) {
        ForEachOpaquePixel<Channels>(picture, region, from, to,
                                     [&](const std::uint8_t* p) { ++halves[half][p[0]]; });
    };
    SideBySide(
        IsSmall(region), [&] { count(0, region.y, middle); },
        [&] { count(1, middle, region.y + region.height); });
    std::array<std::array<std::size_t, 256>, 2> next{};
    starts = {};
    for (std::size_t red = 0; red < 256; ++red) {
        next[0][red] = starts[red];
        next[1][red] = starts[red] + halves[0][red];
        starts[red + 1] = next[1][red] + halves[1][red];
    }
    std::vector<std::uint16_t> greenBlue(starts.back());
    const auto place = [&](std::size_t half, std::uint32_t from, std::uint32_t to) {
        auto& at = next[half];
        ForEachOpaquePixel<Channels>(picture, region, from, to, [&](const std::uint8_t* p) {
            greenBlue[at[p[0]]++] = static_cast<std::uint16_t>(p[1] << 8U | p[2]);
        });
    };
    SideBySide(
        IsSmall(region), [&] { place(0, region.y, middle); },
        [&] { place(1, middle, region.y + region.height); });
    return greenBlue;
}

// The colours of the reds `from` to `to` and their counts, counted in a table of 65,536 that stays
// in the processor's cache; a red's colours in the order first met, as a run's sums do not
// depend on it.
std::vector<PictureColor> ColorsOfReds(const std::vector<std::uint16_t>& greenBlue,
                                       const RedCounts& starts, std::uint32_t from,
                                       std::uint32_t to) {
    std::vector<PictureColor> colors;
    colors.reserve(std::min<std::size_t>(starts[to] - starts[from], std::size_t{1} << 19U));
    std::vector<std::uint32_t> counts(65536);
    std::vector<std::uint16_t> met(65536);
    for (std::uint32_t red = from; red < to; ++red) {
        std::size_t kinds = 0;
        for (std::size_t i = starts[red]; i < starts[red + 1]; ++i) {
            if (counts[greenBlue[i]]++ == 0) met[kinds++] = greenBlue[i];
        }
        for (std::size_t k = 0; k < kinds; ++k) {
            const std::uint32_t rgb = red << 16U | met[k];
            colors.push_back({OkLabFromSrgb(Unpacked(rgb)), rgb, counts[met[k]]});
            counts[met[k]] = 0;
        }
    }
    return colors;
}

// Each colour of the region's opaque pixels and how many there are, a red at a time (a table of
// all 16.7 million colours would be 64 MB, every count a trip to memory), the reds in two halves
// of about as many pixels side by side.
std::vector<PictureColor> CountedColors(const RgbaPicture& picture, const PictureRegion& region) {
    RedCounts starts{};
    const std::vector<std::uint16_t> greenBlue = picture.channels == 3
                                                     ? GreenBlueByRed<3>(picture, region, starts)
                                                     : GreenBlueByRed<4>(picture, region, starts);
    std::uint32_t middle = 0;
    while (middle < 256 && starts[middle] < greenBlue.size() / 2) ++middle;
    std::vector<PictureColor> dark, light;
    SideBySide(
        IsSmall(region), [&] { dark = ColorsOfReds(greenBlue, starts, 0, middle); },
        [&] { light = ColorsOfReds(greenBlue, starts, middle, 256); });
    dark.insert(dark.end(), light.begin(), light.end());
    return dark;
}

// A run's sums are kept in whole units of 2^-20 of OKLab, each colour's value rounded to one:
// a sum of up to 100 million pixels is then exact in a double, whatever order it is added in,
// and the mean is the same to the last bit here and in the page.
constexpr double SumUnit = 1048576.0;
double InSumUnits(double value) {
    return std::floor(value * SumUnit + 0.5);
}

struct RunSums {
    std::array<std::array<double, 3>, 32> sums{};

    void Add(std::size_t run, const PictureColor& color, std::uint64_t count) {
        const auto share = static_cast<double>(count);
        sums[run][0] += InSumUnits(color.lab.L) * share;
        sums[run][1] += InSumUnits(color.lab.a) * share;
        sums[run][2] += InSumUnits(color.lab.b) * share;
    }
};

// Where pixel k * n / 32 begins run k.
std::array<std::uint64_t, 33> RunBounds(std::uint64_t pixels) {
    std::array<std::uint64_t, 33> bounds{};
    for (std::size_t k = 0; k < bounds.size(); ++k) bounds[k] = k * pixels / 32;
    return bounds;
}

}  // namespace

std::optional<std::array<huedata::Color15, 32>> RampFromPicture(const RgbaPicture& picture,
                                                                const PictureRegion& region) {
    const bool inside =
        region.x <= picture.width && region.width <= picture.width - region.x &&
        region.y <= picture.height && region.height <= picture.height - region.y &&
        (picture.channels == 3 || picture.channels == 4) &&
        picture.rgba.size() >= std::size_t{picture.width} * picture.height * picture.channels;
    if (!inside) return std::nullopt;
    const std::vector<PictureColor> colors = CountedColors(picture, region);
    std::uint64_t pixels = 0;
    for (const PictureColor& color : colors) pixels += color.count;
    if (pixels < LeastRampPixels) return std::nullopt;
    const auto bounds = RunBounds(pixels);

    // The colours in buckets by L (0 to 1; a bucket's place rises with it), and where each
    // bucket's pixels begin in the order by lightness. A bucket that lies inside one run adds
    // to that run whatever the order of its colours; only the few a run begins inside are put
    // in order, colour by colour.
    constexpr std::size_t Buckets = 65536;
    const auto bucketOf = [](const PictureColor& color) {
        const double place = std::max(color.lab.L, 0.0) * static_cast<double>(Buckets);
        return std::min(static_cast<std::size_t>(place), Buckets - 1);
    };
    std::vector<std::uint64_t> bucketStarts(Buckets + 1);
    for (const PictureColor& color : colors) bucketStarts[bucketOf(color) + 1] += color.count;
    for (std::size_t i = 1; i <= Buckets; ++i) bucketStarts[i] += bucketStarts[i - 1];
    constexpr std::uint8_t Split = 32;
    std::vector<std::uint8_t> runOfBucket(Buckets);
    std::size_t run = 0;
    for (std::size_t i = 0; i < Buckets; ++i) {
        // The empty buckets after the lightest colour belong to the last run.
        while (run + 1 < 32 && bounds[run + 1] <= bucketStarts[i]) ++run;
        runOfBucket[i] =
            bucketStarts[i + 1] <= bounds[run + 1] ? static_cast<std::uint8_t>(run) : Split;
    }

    RunSums sums;
    std::vector<PictureColor> split;
    for (const PictureColor& color : colors) {
        const std::uint8_t whole = runOfBucket[bucketOf(color)];
        if (whole == Split) {
            split.push_back(color);
        } else {
            sums.Add(whole, color, color.count);
        }
    }
    // The split buckets' colours in order, from where their bucket begins, each shared out
    // among the runs it falls into.
    std::sort(split.begin(), split.end(), [&](const PictureColor& x, const PictureColor& y) {
        return bucketOf(x) != bucketOf(y) ? bucketOf(x) < bucketOf(y) : Darker(x, y);
    });
    std::uint64_t at = 0;
    std::size_t bucket = Buckets;
    for (const PictureColor& color : split) {
        if (bucketOf(color) != bucket) {
            bucket = bucketOf(color);
            at = bucketStarts[bucket];
            run = 0;
            while (bounds[run + 1] <= at) ++run;
        }
        std::uint64_t left = color.count;
        while (left > 0) {
            const std::uint64_t taken = std::min(left, bounds[run + 1] - at);
            sums.Add(run, color, taken);
            at += taken;
            left -= taken;
            if (at == bounds[run + 1]) ++run;
        }
    }

    std::array<huedata::Color15, 32> ramp{};
    for (std::size_t k = 0; k < ramp.size(); ++k) {
        const auto count = static_cast<double>(bounds[k + 1] - bounds[k]);
        const auto& sum = sums.sums[k];
        ramp[k] = huedata::NearestColor15(SrgbFromOkLab(
            {sum[0] / count / SumUnit, sum[1] / count / SumUnit, sum[2] / count / SumUnit}));
    }
    return ramp;
}

}  // namespace huecolour
