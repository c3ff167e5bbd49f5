// The viewer's window worked as a user works it, for the one suite of window behaviours. Each
// front end's test program defines these members for its own toolkit (qt/, win32/); nothing
// else in the suite knows which window it drives.
//
// Controls are named as in the control table ("lstID", "txtHuesPath"...), a swatch as
// "picHue(i)" (see SwatchControl), and the browse button at the end of the path field as
// "browse". Colours are 0xRRGGBB.
#pragma once

#include "viewer/form_layout.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

std::string SwatchControl(int index);

// PressButton: the system's key that presses the focused button (Enter on Windows).
enum class Key { Down, End, PressButton, SelectAll };

// Where the two windows differ today, so that the suite asks each for what it does.
struct WindowDifferences {
    // Each text field speaks the name the window gives it. Under Wine the accessibility
    // bridge names a field after the caption before it instead, so there the suite asks only
    // that it has a name.
    bool fieldsSpeakTheirOwnNames;
};
extern const WindowDifferences ThisWindow;

class WindowDriver {
public:
    WindowDriver();  // the window made and shown, with its reports and file chooser recorded
    ~WindowDriver();
    WindowDriver(const WindowDriver&) = delete;
    WindowDriver& operator=(const WindowDriver&) = delete;

    // The DPIs this window can be laid out at in a test, and the switch to one of them.
    static std::vector<int> Dpis();
    void layOutAt(int dpi);

    // What the user does.
    void pressGetIt();
    void select(int row);  // a click on the list's item `row`
    void press(std::string_view control, Key key);
    void type(std::string_view control, const std::u16string& text);
    void browse(const std::u16string& answer);  // the chooser answers `answer`; empty: cancelled
    void drop(const std::filesystem::path& file, std::string_view onto);
    // The entries of the menu a right-click on swatch `index` shows (none: no menu), and the
    // entry `choose` of it taken (-1: none).
    std::vector<std::u16string> rightClickSwatch(int index, int choose);
    // The program started with these arguments, and a hue read straight by its file position.
    void startWith(const std::vector<std::u16string>& arguments);
    void readHue(std::int32_t position);

    // What the user sees and hears.
    std::u16string title();
    std::u16string text(std::string_view control);
    std::u16string selectedText(std::string_view control);
    int itemCount();
    std::u16string itemText(int row);
    int selectedRow();  // -1: none
    std::uint32_t paintedColor(int swatch);
    std::u16string tooltip(std::string_view control);
    std::u16string spokenName(std::string_view control);
    std::string nextInTabOrder(std::string_view control);
    viewer::Rect clientArea();
    viewer::Rect placeOf(std::string_view control);
    // A caption's or the button's whole text shown on one line inside its own rectangle, in
    // the font it has; for a text field or the list, a line of its font inside it.
    bool readsWhole(std::string_view control);
    bool browseHasIcon();
    std::u16string clipboardText();
    // Each report as "title|text", and the paths the file chooser was opened with.
    const std::vector<std::u16string>& reports();
    const std::vector<std::u16string>& chooserStarts();

    struct Window;

private:
    std::unique_ptr<Window> window_;
};
