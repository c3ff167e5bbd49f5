// The 3,000-entry sample hue file in a fresh temporary folder, removed when done; or, given a
// larger count, the sample's hues over and over up to that count (the format allows 32,768).
#pragma once

#include "tools/hue_image.h"
#include "tools/sample_hues.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

class BenchHueFile {
public:
    explicit BenchHueFile(std::size_t count = huetools::SampleHueCount) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "hue-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        dir_ = pattern;
        path_ = dir_ / "hues.mul";
        const auto sample = huetools::SampleHues();
        std::vector<huedata::HueRecord> hues;
        hues.reserve(count);
        for (std::size_t id = 0; id < count; ++id) hues.push_back(sample[id % sample.size()]);
        huetools::WriteBytes(path_, huetools::HueFileImage(hues, huetools::SampleBlockHeader));
    }
    BenchHueFile(const BenchHueFile&) = delete;
    BenchHueFile& operator=(const BenchHueFile&) = delete;
    ~BenchHueFile() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path dir_;
    std::filesystem::path path_;
};
