#include "huedata/file_error.h"

#include "huedata/hue_file.h"

#include <string_view>

namespace huedata {

namespace {

// Appended: GCC 12 warns falsely (-Wrestrict) about "literal" + std::string&&.
std::string Message(std::string_view verb, const std::filesystem::path& path,
                    const std::string& reason) {
    std::string message(verb);
    message.append(PathText(path)).append(": ").append(reason);
    return message;
}

}  // namespace

FileError::FileError(const std::filesystem::path& path, const std::string& reason)
    : FileError(Message("", path, reason), path, reason) {}

FileError FileError::Writing(const std::filesystem::path& path, const std::string& reason) {
    return {Message("cannot write ", path, reason), path, reason};
}

FileError::FileError(const std::string& message, const std::filesystem::path& path,
                     const std::string& reason)
    : std::runtime_error(message), path_(path), reason_(reason) {}

}  // namespace huedata
