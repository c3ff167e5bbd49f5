// The main window as data, shared by both front ends: its caption, size and colours, and every
// control with its name, kind, place in twips, tab index, text and background. Toolkit-free.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

namespace viewer {

enum class ControlKind { ListBox, Swatch, Caption, TextField, Button };

// Where a control's background comes from: the system's active-border colour, or none of its
// own (it shows the window's grey, or for a swatch the hue's colour once one is shown).
enum class Background { ActiveBorder, Window };

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct FormControl {
    std::string_view name;
    ControlKind kind;
    Rect twips;    // the first of the group for the swatches
    int tabIndex;  // the first of the group for the swatches
    std::u16string_view text;
    Background background;
    std::u16string_view spokenName;  // what a screen reader says; for a caption, its text
};

inline constexpr std::u16string_view WindowCaption = u"Hues Read by Brannick";
inline constexpr Rect ClientTwips{0, 0, 6375, 3165};
// The window's own background, RGB(192, 192, 192).
inline constexpr unsigned char WindowGrey = 192;
inline constexpr std::u16string_view DefaultPathText = u"c:\\program files\\ardenmoor\\hues.mul";

inline constexpr int SwatchCount = 32;
// Each swatch is one pixel wider than the step between them, so the strip has no gaps.
inline constexpr int SwatchStepTwips = 120;

// The controls that take focus in tab-index order, each caption just before its field (screen
// readers name a field after the caption before it): a window that takes its tab order from
// the order it creates its controls in creates them in this order.
inline constexpr std::array<FormControl, 10> MainFormControls{{
    {"Label1",
     ControlKind::Caption,
     {1320, 1680, 975, 195},
     2,
     u"Hues Name : ",
     Background::Window,
     u"Hues Name : "},
    {"txtName",
     ControlKind::TextField,
     {1320, 1920, 1935, 285},
     0,
     u"",
     Background::ActiveBorder,
     u"Hue name"},
    {"cmdGetIt",
     ControlKind::Button,
     {1320, 2280, 975, 375},
     1,
     u"Get It!",
     Background::Window,
     u"Get It!"},
    {"lstID",
     ControlKind::ListBox,
     {0, 0, 1215, 3150},
     3,
     u"",
     Background::ActiveBorder,
     u"Hue identifiers"},
    {"txtHuesPath",
     ControlKind::TextField,
     {1320, 2760, 2895, 285},
     4,
     DefaultPathText,
     Background::ActiveBorder,
     u"Hue file path"},
    {"Label2",
     ControlKind::Caption,
     {4560, 1680, 1470, 195},
     7,
     u"Table Start (in hex) : ",
     Background::Window,
     u"Table Start (in hex) : "},
    {"txtStart",
     ControlKind::TextField,
     {4320, 1920, 1935, 285},
     5,
     u"",
     Background::ActiveBorder,
     u"Table start"},
    {"Label3",
     ControlKind::Caption,
     {4560, 2520, 1425, 195},
     8,
     u"Table End (in hex) : ",
     Background::Window,
     u"Table End (in hex) : "},
    {"txtEnd",
     ControlKind::TextField,
     {4320, 2760, 1935, 285},
     6,
     u"",
     Background::ActiveBorder,
     u"Table end"},
    {"picHue", ControlKind::Swatch, {1920, 120, 135, 1215}, 9, u"", Background::Window, u""},
}};

// Whether a control of this kind takes the keyboard's focus: captions and swatches do not.
constexpr bool TakesFocus(ControlKind kind) {
    return kind == ControlKind::ListBox || kind == ControlKind::TextField ||
           kind == ControlKind::Button;
}

// The names of the controls that take focus, by their tab index: the window's tab order.
inline constexpr auto TabOrder = [] {
    constexpr auto focusable = [] {
        std::size_t count = 0;
        for (const FormControl& control : MainFormControls) count += TakesFocus(control.kind);
        return count;
    }();
    std::array<const FormControl*, focusable> controls{};
    std::size_t next = 0;
    for (const FormControl& control : MainFormControls) {
        if (TakesFocus(control.kind)) controls[next++] = &control;
    }
    std::sort(controls.begin(), controls.end(),
              [](const FormControl* a, const FormControl* b) { return a->tabIndex < b->tabIndex; });
    std::array<std::string_view, focusable> names{};
    for (std::size_t i = 0; i < names.size(); ++i) names[i] = controls[i]->name;
    return names;
}();

// Whether the table lists the controls that take focus in their tab order.
constexpr bool TableInTabOrder() {
    std::size_t next = 0;
    for (const FormControl& control : MainFormControls) {
        if (TakesFocus(control.kind) && control.name != TabOrder[next++]) return false;
    }
    return true;
}

// The place of the control called `name` in the table, and the control; the table must hold it.
std::size_t ControlIndex(std::string_view name);
const FormControl& Control(std::string_view name);

// Swatch `index`'s place in twips.
Rect SwatchTwips(int index);

// Twips to device pixels at `dpi` dots per inch, rounded to nearest; at 96 DPI every value
// of the table is a whole number of pixels.
int TwipsToPixels(int twips, int dpi);
Rect TwipsToPixels(const Rect& twips, int dpi);

}  // namespace viewer
