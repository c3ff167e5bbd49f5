#include "form_layout.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace viewer {

std::size_t ControlIndex(std::string_view name) {
    const auto found =
        std::find_if(MainFormControls.begin(), MainFormControls.end(),
                     [name](const FormControl& entry) { return entry.name == name; });
    if (found == MainFormControls.end()) {
        throw std::logic_error("the main form has no control " + std::string(name));
    }
    return static_cast<std::size_t>(found - MainFormControls.begin());
}

const FormControl& Control(std::string_view name) {
    return MainFormControls[ControlIndex(name)];
}

Rect SwatchTwips(int index) {
    Rect rect = Control("picHue").twips;
    rect.left += SwatchStepTwips * index;
    return rect;
}

// Rounds half away from zero, as Windows' MulDiv does, so both front ends agree at any DPI.
int TwipsToPixels(int twips, int dpi) {
    constexpr long long TwipsPerInch = 1440;
    const long long scaled = static_cast<long long>(twips) * dpi;
    const long long rounded =
        (2 * (scaled < 0 ? -scaled : scaled) + TwipsPerInch) / (2 * TwipsPerInch);
    return static_cast<int>(scaled < 0 ? -rounded : rounded);
}

Rect TwipsToPixels(const Rect& twips, int dpi) {
    return {TwipsToPixels(twips.left, dpi), TwipsToPixels(twips.top, dpi),
            TwipsToPixels(twips.width, dpi), TwipsToPixels(twips.height, dpi)};
}

}  // namespace viewer
