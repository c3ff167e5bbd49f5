// The one error for "this file: what went wrong", which hue files, palettes, pictures and
// outputs all report through; the error a command reports, and the one wrap of the first into
// the second.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace huedata {

// Why a file could not be read or written. what() is "FILE: reason", or for a write
// "cannot write FILE: reason".
class FileError : public std::runtime_error {
public:
    FileError(const std::filesystem::path& path, const std::string& reason);
    // A write refused: the same, said as one.
    static FileError Writing(const std::filesystem::path& path, const std::string& reason);

    const std::filesystem::path& path() const noexcept { return path_; }
    // The reason alone, without the file name: a read's starts with a capital letter.
    const std::string& reason() const noexcept { return reason_; }

private:
    FileError(const std::string& message, const std::filesystem::path& path,
              const std::string& reason);

    std::filesystem::path path_;
    std::string reason_;
};

// A failure to report as "hues: <message>" with exit status 2.
class HuesError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Runs `work`, a read or a write of a file, and reports its failure as every command does: a
// HuesError that names the file.
template <typename Work>
auto NamingTheFile(Work work) {
    try {
        return work();
    } catch (const FileError& error) {
        throw HuesError(error.what());
    }
}

}  // namespace huedata
