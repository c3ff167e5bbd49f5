// The Win32 window under the window behaviours, created for real and driven with the messages
// the system sends it; what is seen read back from the controls, the screen and the
// accessibility interface.
#include "tests/viewer/window_driver.h"

#include "viewer/win32/main_window.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <oleacc.h>
#include <shlobj.h>

#include <algorithm>
#include <array>
#include <string>

namespace {

std::wstring TextOf(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

// wchar_t holds UTF-16 on Windows.
std::u16string Utf16(std::wstring_view text) {
    return {text.begin(), text.end()};
}

std::wstring Wide(std::u16string_view text) {
    return {text.begin(), text.end()};
}

// What a file manager hands over when files are dropped on a window.
HDROP DropOf(const std::wstring& file) {
    const std::size_t bytes = sizeof(DROPFILES) + (file.size() + 2) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    file.copy(reinterpret_cast<wchar_t*>(drop + 1), file.size());
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

std::wstring AccessibleName(HWND hwnd) {
    IAccessible* accessible = nullptr;
    if (FAILED(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(&accessible)))) {
        return {};
    }
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::wstring text;
    if (accessible->get_accName(self, &name) == S_OK && name != nullptr) text = name;
    SysFreeString(name);
    accessible->Release();
    return text;
}

RECT PlaceIn(HWND window, HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// With Ctrl held down or not, as the keyboard state the window reads.
void HoldControlKey(bool held) {
    std::array<BYTE, 256> keys{};
    GetKeyboardState(keys.data());
    keys[VK_CONTROL] = held ? 0x80 : 0;
    SetKeyboardState(keys.data());
}

}  // namespace

const WindowDifferences ThisWindow{.fieldsSpeakTheirOwnNames = false};

struct WindowDriver::Window {
    std::vector<std::u16string> reports;
    std::vector<std::u16string> chooserStarts;
    std::wstring chosenFile;
    std::vector<std::u16string> menuTexts;  // the entries of the last menu shown
    int menuChoice = -1;                    // the entry the menu picker takes
    frmMain window{[this](HWND owner, const std::wstring& title, const std::wstring& text) {
                       EXPECT_EQ(owner, window.hwnd());
                       reports.push_back(Utf16(title + L"|" + text));
                   },
                   [this](HWND, const std::wstring& current) {
                       chooserStarts.push_back(Utf16(current));
                       return chosenFile;
                   },
                   [this](HWND, HMENU menu, POINT) {
                       menuTexts.clear();
                       for (int i = 0; i < GetMenuItemCount(menu); ++i) {
                           std::array<wchar_t, 64> text{};
                           GetMenuStringW(menu, static_cast<UINT>(i), text.data(),
                                          static_cast<int>(text.size()), MF_BYPOSITION);
                           menuTexts.push_back(Utf16(text.data()));
                       }
                       return menuChoice < 0 ? 0U : GetMenuItemID(menu, menuChoice);
                   }};

    HWND control(std::string_view name) {
        if (name == "frmMain") return window.hwnd();
        if (name == "browse") return window.browseButton();
        if (name.starts_with("picHue("))
            return window.swatch(std::stoi(std::string(name.substr(7))));
        return window.control(name);
    }
    HWND list() { return window.control("lstID"); }
    std::wstring tooltipOf(HWND tool) {
        HWND tips = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr);
        for (; tips != nullptr; tips = FindWindowExW(nullptr, tips, TOOLTIPS_CLASSW, nullptr)) {
            if (GetWindow(tips, GW_OWNER) == window.hwnd()) break;
        }
        std::array<wchar_t, 128> text{};
        TTTOOLINFOW info{};
        info.cbSize = sizeof info;
        info.hwnd = GetParent(tool);
        info.uId = reinterpret_cast<UINT_PTR>(tool);
        info.lpszText = text.data();
        SendMessageW(tips, TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&info));
        return text.data();
    }
};

WindowDriver::WindowDriver() : window_(std::make_unique<Window>()) {
    ShowWindow(window_->window.hwnd(), SW_SHOW);
    UpdateWindow(window_->window.hwnd());
}

WindowDriver::~WindowDriver() = default;

// Moving to a monitor of another scale, and back.
std::vector<int> WindowDriver::Dpis() {
    return {96, 144, 192, 96};
}

void WindowDriver::layOutAt(int dpi) {
    if (window_->window.dpi() == dpi) return;
    RECT suggested{};
    GetWindowRect(window_->window.hwnd(), &suggested);
    SendMessageW(window_->window.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                 reinterpret_cast<LPARAM>(&suggested));
}

void WindowDriver::pressGetIt() {
    SendMessageW(window_->control("cmdGetIt"), BM_CLICK, 0, 0);
}

// A click as the list reports it: the new current item, then the notice, even when the item
// was already the current one.
void WindowDriver::select(int row) {
    HWND list = window_->list();
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    SendMessageW(window_->window.hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
}

// Through the message loop's own path: the window's keyboard handling first.
void WindowDriver::press(std::string_view control, Key key) {
    HWND target = window_->control(control);
    const WPARAM virtualKey = key == Key::Down          ? VK_DOWN
                              : key == Key::End         ? VK_END
                              : key == Key::PressButton ? VK_RETURN
                                                        : 'A';
    if (key == Key::PressButton) SetFocus(target);
    HoldControlKey(key == Key::SelectAll);
    MSG message{target, WM_KEYDOWN, virtualKey, 0, 0, {}};
    const bool handled = window_->window.TranslateKeyboard(message);
    HoldControlKey(false);
    if (key == Key::SelectAll || key == Key::PressButton) {
        EXPECT_TRUE(handled) << "a dialog key the window left alone";
    }
    if (!handled) DispatchMessageW(&message);
}

void WindowDriver::type(std::string_view control, const std::u16string& text) {
    const std::wstring wide = Wide(text);
    SendMessageW(window_->control(control), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

void WindowDriver::browse(const std::u16string& answer) {
    window_->chosenFile = Wide(answer);
    SendMessageW(window_->window.browseButton(), BM_CLICK, 0, 0);
}

// Windows hands a drop on a control that takes no files to the window that does.
void WindowDriver::drop(const std::filesystem::path& file, std::string_view) {
    SendMessageW(window_->window.hwnd(), WM_DROPFILES,
                 reinterpret_cast<WPARAM>(DropOf(file.wstring())), 0);
}

std::vector<std::u16string> WindowDriver::rightClickSwatch(int index, int choose) {
    HWND swatch = window_->window.swatch(index);
    RECT place{};
    GetWindowRect(swatch, &place);
    window_->menuTexts.clear();
    window_->menuChoice = choose;
    SendMessageW(window_->window.hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(swatch),
                 MAKELPARAM(place.left + 2, place.top + 2));
    return window_->menuTexts;
}

void WindowDriver::startWith(const std::vector<std::u16string>& arguments) {
    window_->window.StartWith(arguments);
}

void WindowDriver::readHue(std::int32_t position) {
    window_->window.ReadHue(position);
}

std::u16string WindowDriver::title() {
    return Utf16(TextOf(window_->window.hwnd()));
}

std::u16string WindowDriver::text(std::string_view control) {
    return Utf16(TextOf(window_->control(control)));
}

std::u16string WindowDriver::selectedText(std::string_view control) {
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(window_->control(control), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return text(control).substr(start, end - start);
}

int WindowDriver::itemCount() {
    return static_cast<int>(SendMessageW(window_->list(), LB_GETCOUNT, 0, 0));
}

std::u16string WindowDriver::itemText(int row) {
    std::array<wchar_t, 16> text{};
    SendMessageW(window_->list(), LB_GETTEXT, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(text.data()));
    return Utf16(text.data());
}

int WindowDriver::selectedRow() {
    const LRESULT selected = SendMessageW(window_->list(), LB_GETCURSEL, 0, 0);
    return selected == LB_ERR ? -1 : static_cast<int>(selected);
}

// As the window has painted it.
std::uint32_t WindowDriver::paintedColor(int swatch) {
    HWND hwnd = window_->window.hwnd();
    RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    const RECT place = PlaceIn(hwnd, window_->window.swatch(swatch));
    HDC dc = GetDC(hwnd);
    const COLORREF color =
        GetPixel(dc, (place.left + place.right) / 2, (place.top + place.bottom) / 2);
    ReleaseDC(hwnd, dc);
    return (std::uint32_t{GetRValue(color)} << 16) | (std::uint32_t{GetGValue(color)} << 8) |
           GetBValue(color);
}

std::u16string WindowDriver::tooltip(std::string_view control) {
    return Utf16(window_->tooltipOf(window_->control(control)));
}

std::u16string WindowDriver::spokenName(std::string_view control) {
    return Utf16(AccessibleName(window_->control(control)));
}

std::string WindowDriver::nextInTabOrder(std::string_view control) {
    HWND next = GetNextDlgTabItem(window_->window.hwnd(), window_->control(control), FALSE);
    for (const viewer::FormControl& entry : viewer::MainFormControls) {
        if (entry.kind != viewer::ControlKind::Swatch && window_->control(entry.name) == next) {
            return std::string(entry.name);
        }
    }
    return "(none)";
}

viewer::Rect WindowDriver::clientArea() {
    RECT client{};
    GetClientRect(window_->window.hwnd(), &client);
    return {client.left, client.top, client.right - client.left, client.bottom - client.top};
}

viewer::Rect WindowDriver::placeOf(std::string_view control) {
    const RECT place = PlaceIn(window_->window.hwnd(), window_->control(control));
    return {place.left, place.top, place.right - place.left, place.bottom - place.top};
}

bool WindowDriver::readsWhole(std::string_view control) {
    HWND hwnd = window_->control(control);
    const auto font = reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    if (font == nullptr) return false;  // the bold System font: none of its own
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, font);
    const std::wstring text = TextOf(hwnd);
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    RECT box{};
    GetClientRect(hwnd, &box);
    if (control.starts_with("txt") || control.starts_with("lst")) {
        return metrics.tmHeight <= box.bottom;
    }
    // A button draws its caption inside its edges.
    const int edges =
        control == "cmdGetIt"
            ? 2 * GetSystemMetricsForDpi(SM_CXEDGE, static_cast<UINT>(window_->window.dpi()))
            : 0;
    return extent.cx <= box.right - edges && std::max(extent.cy, metrics.tmHeight) <= box.bottom;
}

bool WindowDriver::browseHasIcon() {
    return SendMessageW(window_->window.browseButton(), BM_GETIMAGE, IMAGE_ICON, 0) != 0;
}

std::u16string WindowDriver::clipboardText() {
    std::u16string text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text = Utf16(static_cast<const wchar_t*>(GlobalLock(data)));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

const std::vector<std::u16string>& WindowDriver::reports() {
    return window_->reports;
}

const std::vector<std::u16string>& WindowDriver::chooserStarts() {
    return window_->chooserStarts;
}

namespace {

// What only the Win32 window has to do itself: Qt's widgets do both on their own.
class Win32Window : public testing::Test {
protected:
    frmMain window_{[](HWND, const std::wstring&, const std::wstring& text) {
                        ADD_FAILURE() << "reported: " << std::string(text.begin(), text.end());
                    },
                    [](HWND, const std::wstring&) { return std::wstring(); }};
    Win32Window() { ShowWindow(window_.hwnd(), SW_SHOW); }
};

TEST_F(Win32Window, BringsFocusBackWhereItWasWhenActivatedAgain) {
    SetFocus(window_.control("txtHuesPath"));
    SendMessageW(window_.hwnd(), WM_ACTIVATE, WA_INACTIVE, 0);
    SetFocus(window_.control("cmdGetIt"));
    SendMessageW(window_.hwnd(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(GetFocus(), window_.control("txtHuesPath"));
}

}  // namespace

int main(int argc, char** argv) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    CoUninitialize();
    return status;
}
