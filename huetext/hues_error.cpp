#include "huetext/hues_error.h"

#include <algorithm>

namespace huetext {

std::string FileErrorText(const huedata::HueFileError& error) {
    // Appended: GCC 12 warns falsely (-Wrestrict) about "literal" + std::string&&.
    std::string text = huedata::PathText(error.path());
    text.append(": ").append(error.reason());
    return text;
}

std::string PrintableText(std::string_view utf8) {
    std::string text(3 * utf8.size(), '\0');
    text.resize(static_cast<std::size_t>(WritePrintableText(text.data(), utf8) - text.data()));
    return text;
}

char* WritePrintableText(char* out, std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        // C1 controls arrive as C2 80..C2 9F.
        const bool c1 =
            byte == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) <= 0x9F;
        if (byte < 0x20 || byte == 0x7F || c1) {
            out = std::copy_n("\xEF\xBF\xBD", 3, out);
            if (c1) ++i;
        } else {
            *out++ = utf8[i];
        }
    }
    return out;
}

}  // namespace huetext
