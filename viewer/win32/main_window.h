// The viewer's one window on Windows, on the plain Win32 API. "Get It!" fills the identifier
// list; selecting an identifier reads that hue afresh from the file named in the path field
// and shows its name, its table values in hexadecimal and its 32 colours as swatches.
#pragma once

#include "viewer/form_layout.h"
#include "viewer/hue_display.h"

#include <windows.h>

#include <shellapi.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Tells the user that an action failed; the window goes on afterwards.
using ErrorReporter =
    std::function<void(HWND owner, const std::wstring& title, const std::wstring& text)>;
// The reporter a running program uses: a message box with the error icon.
void ShowErrorMessageBox(HWND owner, const std::wstring& title, const std::wstring& text);

// Asks the user for a hue file, starting from `currentPath`; an empty result means none.
using FileChooser = std::function<std::wstring(HWND owner, const std::wstring& currentPath)>;
// The chooser a running program uses: the system's file dialog.
std::wstring ChooseHueFileInDialog(HWND owner, const std::wstring& currentPath);

// Shows a popup menu at a point on the screen and returns the chosen command, 0 for none.
using MenuPicker = std::function<UINT(HWND owner, HMENU menu, POINT screenPoint)>;
// The picker a running program uses: the menu tracked until the user chooses or leaves it.
UINT TrackMenu(HWND owner, HMENU menu, POINT screenPoint);

class frmMain {
public:
    static constexpr int SwatchCount = viewer::SwatchCount;

    explicit frmMain(ErrorReporter reportError = ShowErrorMessageBox,
                     FileChooser chooseFile = ChooseHueFileInDialog,
                     MenuPicker pickFromMenu = TrackMenu);
    ~frmMain();
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    HWND hwnd() const { return hwnd_; }
    // A control by its name in the control table ("lstID", "txtHuesPath"...), a swatch by
    // index, and the browse button at the right end of the path field.
    HWND control(std::string_view name) const;
    HWND swatch(int index) const { return picHue[static_cast<std::size_t>(index)]; }
    HWND browseButton() const { return browse_; }
    int dpi() const { return dpi_; }

    // The two user actions; public so that tests and benchmarks can drive them directly.
    void cmdGetIt_Click();
    void lstID_Click();
    // Takes the arguments the program was started with: one hue file goes into the path
    // field; anything else is ignored, and the report says what.
    void StartWith(const std::vector<std::u16string>& arguments);
    // Reads the hue at a 1-based file position and shows it. Throws huedata::FileError
    // before changing anything on screen when the file cannot be read.
    void ReadHue(std::int32_t position);

    // The keyboard handling of a dialog (Tab, Shift+Tab, Enter, Space) and Ctrl+A in the
    // text fields, for the message loop; true when the message was handled.
    bool TranslateKeyboard(MSG& message);
    // Runs the message loop until the window is closed; returns the program's exit status.
    int Run();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR id, DWORD_PTR self);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void createControls();
    void createBrowseButton();
    void createTooltips();
    void layOut(int dpi);
    void fitFonts(int dpi);
    void onCommand(int id, int code);
    LRESULT onControlColor(HDC dc, HWND control);
    void onDrawListItem(const DRAWITEMSTRUCT& item) const;
    void onDrawSwatch(const DRAWITEMSTRUCT& item) const;
    void onContextMenu(HWND target, POINT screenPoint);
    void onDropFiles(HDROP drop);
    void onActivate(bool active);
    void onBrowse();
    void usePath(const std::wstring& path);
    void ShowHue(const viewer::ShownHue& hue);
    void reportReadFailure(std::u16string_view item, std::u16string_view reason);
    void setTooltip(HWND tool, const std::wstring& text) const;

    ErrorReporter reportError_;
    FileChooser chooseFile_;
    MenuPicker pickFromMenu_;
    // The hue on show; none before the first hue is read.
    std::optional<viewer::ShownHue> shown_;

    HWND hwnd_ = nullptr;
    HWND lstID = nullptr;
    std::array<HWND, SwatchCount> picHue{};
    HWND Label1 = nullptr;
    HWND Label2 = nullptr;
    HWND Label3 = nullptr;
    HWND txtName = nullptr;
    HWND txtStart = nullptr;
    HWND txtEnd = nullptr;
    HWND txtHuesPath = nullptr;
    HWND cmdGetIt = nullptr;
    HWND browse_ = nullptr;
    HWND tooltips_ = nullptr;
    HWND focusBeforeDeactivation_ = nullptr;

    int dpi_ = USER_DEFAULT_SCREEN_DPI;
    // Made again for each density: the fields' and the list's font, and one for each caption
    // and the button, fitted to its rectangle (see viewer/text_fit.h).
    HFONT font_ = nullptr;
    std::vector<HFONT> captionFonts_;
    // Made once for the window's lifetime and freed with it.
    HBRUSH windowBrush_ = nullptr;
    HBRUSH activeBorderBrush_ = nullptr;
};
