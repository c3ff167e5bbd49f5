// The 3,000-entry sample hue file in a fresh temporary folder, removed when done.
#pragma once

#include "tools/hue_image.h"
#include "tools/sample_hues.h"

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

class BenchHueFile {
public:
    BenchHueFile() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "hue-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        dir_ = pattern;
        path_ = dir_ / "hues.mul";
        huetools::WriteBytes(
            path_, huetools::HueFileImage(huetools::SampleHues(), huetools::SampleBlockHeader));
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
