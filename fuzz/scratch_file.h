// What the file-reading fuzzers share: a scratch file for each input, and a check that
// stops the fuzzer on a broken property.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>

#include <unistd.h>

inline void Require(bool condition) {
    if (!condition) __builtin_trap();
}

// One temporary file for the whole run, removed at exit.
inline const std::filesystem::path& ScratchFile() {
    static const std::filesystem::path path = [] {
        std::string name = (std::filesystem::temp_directory_path() / "hue-fuzz-XXXXXX").string();
        const int fd = ::mkstemp(name.data());
        Require(fd >= 0);
        ::close(fd);
        std::atexit([] { std::filesystem::remove(ScratchFile()); });
        return std::filesystem::path(name);
    }();
    return path;
}

inline void WriteScratchFile(std::span<const unsigned char> contents) {
    std::ofstream file(ScratchFile(), std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(contents.data()),
               static_cast<std::streamsize>(contents.size()));
}
