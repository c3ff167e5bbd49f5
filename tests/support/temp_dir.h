// A fresh folder for one test's files, removed with everything in it afterwards.
#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

class TempDir {
public:
    TempDir() {
        std::random_device random;
        do {
            path_ = std::filesystem::temp_directory_path() /
                    ("hue-test-" + std::to_string(random()) + std::to_string(random()));
        } while (!std::filesystem::create_directory(path_));
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& name) const {
        return path_ / name;
    }

private:
    std::filesystem::path path_;
};
