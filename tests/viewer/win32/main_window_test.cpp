// The Win32 window, created for real and driven with the messages the system sends it.
#include "viewer/win32/main_window.h"

#include "huedata/hue_file.h"
#include "tests/support/numbered_hues.h"
#include "tests/support/temp_dir.h"
#include "tools/hue_image.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <oleacc.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using huedata::HueRecord;

std::wstring TextOf(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring Wide(std::u16string_view text) {
    return {text.begin(), text.end()};
}

std::wstring ClipboardText() {
    std::wstring text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
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

class Win32WindowTest : public testing::Test {
protected:
    TempDir dir_;
    std::vector<std::wstring> reports_;        // title and text of each report
    std::vector<std::wstring> chooserStarts_;  // the path the chooser was opened with
    std::wstring chosenFile_;                  // what the chooser answers
    std::vector<std::wstring> menuTexts_;      // the entries of the last menu shown
    UINT menuChoice_ = 0;                      // what the menu picker answers
    std::unique_ptr<frmMain> window_;

    void SetUp() override {
        window_ = std::make_unique<frmMain>(
            [this](HWND owner, const std::wstring& title, const std::wstring& text) {
                EXPECT_EQ(owner, window_->hwnd());
                reports_.push_back(title + L"|" + text);
            },
            [this](HWND, const std::wstring& current) {
                chooserStarts_.push_back(current);
                return chosenFile_;
            },
            [this](HWND, HMENU menu, POINT) {
                menuTexts_.clear();
                for (int i = 0; i < GetMenuItemCount(menu); ++i) {
                    std::array<wchar_t, 64> text{};
                    GetMenuStringW(menu, static_cast<UINT>(i), text.data(),
                                   static_cast<int>(text.size()), MF_BYPOSITION);
                    menuTexts_.emplace_back(text.data());
                }
                return menuChoice_;
            });
        ShowWindow(window_->hwnd(), SW_SHOW);
        UpdateWindow(window_->hwnd());
    }
    void TearDown() override { window_.reset(); }

    HWND control(const char* name) { return window_->control(name); }
    std::wstring shownName() { return TextOf(control("txtName")); }
    fs::path writeHueFile(const fs::path& name, const std::vector<HueRecord>& hues) {
        const fs::path path = dir_ / name;
        huetools::WriteBytes(path, huetools::HueFileImage(hues, 0xA5A5A5A5));
        return path;
    }
    void usePath(const std::wstring& path) {
        SendMessageW(control("txtHuesPath"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    }
    void pressGetIt() { SendMessageW(control("cmdGetIt"), BM_CLICK, 0, 0); }
    // A selection as the list reports it: the new current item, then the notice.
    void select(int row) {
        HWND list = control("lstID");
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
        SendMessageW(window_->hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
    }
    std::wstring itemText(int row) {
        std::array<wchar_t, 16> text{};
        SendMessageW(control("lstID"), LB_GETTEXT, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(text.data()));
        return text.data();
    }
    std::wstring tooltipOf(HWND tool) {
        HWND tips = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr);
        for (; tips != nullptr; tips = FindWindowExW(nullptr, tips, TOOLTIPS_CLASSW, nullptr)) {
            if (GetWindow(tips, GW_OWNER) == window_->hwnd()) break;
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
    // The swatches' colours as the window has painted them.
    std::vector<COLORREF> paintedSwatches() {
        RedrawWindow(window_->hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        std::vector<COLORREF> colours;
        HDC dc = GetDC(window_->hwnd());
        for (int i = 0; i < frmMain::SwatchCount; ++i) {
            const RECT swatch = placeOf(window_->swatch(i));
            colours.push_back(
                GetPixel(dc, (swatch.left + swatch.right) / 2, (swatch.top + swatch.bottom) / 2));
        }
        ReleaseDC(window_->hwnd(), dc);
        return colours;
    }
    // Everything a failed read must leave as it was.
    std::vector<std::wstring> screen() {
        std::vector<std::wstring> shown;
        for (const char* name : {"txtName", "txtStart", "txtEnd", "txtHuesPath"}) {
            shown.push_back(TextOf(control(name)));
        }
        shown.push_back(std::to_wstring(SendMessageW(control("lstID"), LB_GETCOUNT, 0, 0)));
        for (int i = 0; i < frmMain::SwatchCount; ++i) {
            shown.push_back(TextOf(window_->swatch(i)) + tooltipOf(window_->swatch(i)));
        }
        for (const COLORREF colour : paintedSwatches()) shown.push_back(std::to_wstring(colour));
        return shown;
    }
    RECT placeOf(HWND hwnd) {
        RECT rect{};
        GetWindowRect(hwnd, &rect);
        MapWindowPoints(nullptr, window_->hwnd(), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
};

void ExpectPlacedAt(const RECT& placed, const viewer::Rect& expected, const std::string& what) {
    EXPECT_EQ((viewer::Rect{placed.left, placed.top, placed.right - placed.left,
                            placed.bottom - placed.top}),
              expected)
        << what;
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

TEST_F(Win32WindowTest, StartsEmptyWithTheDefaultPathAndKeepsTheTabOrder) {
    EXPECT_EQ(TextOf(window_->hwnd()), L"Hues Read by Brannick");
    EXPECT_EQ(SendMessageW(control("lstID"), LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(TextOf(control("txtHuesPath")), LR"(c:\program files\ardenmoor\hues.mul)");
    EXPECT_EQ(shownName() + TextOf(control("txtStart")) + TextOf(control("txtEnd")), L"");
    EXPECT_EQ(tooltipOf(window_->swatch(5)), L"");
    EXPECT_EQ(tooltipOf(window_->browseButton()), L"Choose the hue file\u2026");
    for (const COLORREF colour : paintedSwatches()) EXPECT_EQ(colour, RGB(192, 192, 192));

    HWND focus = control("txtName");
    for (const char* next : {"cmdGetIt", "lstID", "txtHuesPath", "txtStart", "txtEnd", "txtName"}) {
        focus = GetNextDlgTabItem(window_->hwnd(), focus, FALSE);
        EXPECT_EQ(focus, control(next)) << next;
    }
    // Focus comes back where it was when the window is activated again.
    SetFocus(control("txtHuesPath"));
    SendMessageW(window_->hwnd(), WM_ACTIVATE, WA_INACTIVE, 0);
    SetFocus(control("cmdGetIt"));
    SendMessageW(window_->hwnd(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(GetFocus(), control("txtHuesPath"));
}

TEST_F(Win32WindowTest, LaysOutTheTableAtEachDpiWithCaptionsThatFit) {
    for (const int dpi : {96, 144, 96}) {
        if (window_->dpi() != dpi) {
            RECT suggested{};
            GetWindowRect(window_->hwnd(), &suggested);
            SendMessageW(window_->hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                         reinterpret_cast<LPARAM>(&suggested));
        }
        RECT client{};
        GetClientRect(window_->hwnd(), &client);
        EXPECT_EQ(client.right, dpi == 96 ? 425 : 638);
        EXPECT_EQ(client.bottom, dpi == 96 ? 211 : 317);
        for (const viewer::FormControl& entry : viewer::MainFormControls) {
            if (entry.kind == viewer::ControlKind::Swatch) continue;
            HWND hwnd = control(entry.name.data());
            ExpectPlacedAt(placeOf(hwnd), viewer::TwipsToPixels(entry.twips, dpi),
                           std::string(entry.name) + " at " + std::to_string(dpi));
            EXPECT_NE(SendMessageW(hwnd, WM_GETFONT, 0, 0), 0) << entry.name;
            EXPECT_FALSE(AccessibleName(hwnd).empty()) << entry.name << " has no spoken name";
            if (entry.kind != viewer::ControlKind::Caption) continue;
            // One line that fits: the caption's text at the control's own font.
            HDC dc = GetDC(hwnd);
            HGDIOBJ old =
                SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
            SIZE extent{};
            const std::wstring caption = TextOf(hwnd);
            GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
            SelectObject(dc, old);
            ReleaseDC(hwnd, dc);
            RECT box{};
            GetClientRect(hwnd, &box);
            EXPECT_LE(extent.cx, box.right) << entry.name << " at " << dpi;
            EXPECT_LE(extent.cy, box.bottom) << entry.name << " at " << dpi;
        }
        for (int i = 0; i < frmMain::SwatchCount; ++i) {
            ExpectPlacedAt(placeOf(window_->swatch(i)),
                           viewer::TwipsToPixels(viewer::SwatchTwips(i), dpi),
                           "swatch " + std::to_string(i));
            EXPECT_EQ(AccessibleName(window_->swatch(i)), Wide(viewer::SwatchName(i)));
        }
        EXPECT_EQ(AccessibleName(window_->browseButton()), L"Choose the hue file\u2026");
    }
}

TEST_F(Win32WindowTest, GetItFillsTheListAndReadsNothing) {
    usePath(writeHueFile("hues.mul", NumberedHues(16)).wstring());
    pressGetIt();
    select(3);
    usePath((dir_ / "absent.mul").wstring());
    for (int press = 0; press < 2; ++press) {
        pressGetIt();
        ASSERT_EQ(SendMessageW(control("lstID"), LB_GETCOUNT, 0, 0), 2999);
        for (int row = 0; row < 2999; ++row) ASSERT_EQ(itemText(row), std::to_wstring(row));
        EXPECT_EQ(SendMessageW(control("lstID"), LB_GETCURSEL, 0, 0), LB_ERR);
    }
    EXPECT_TRUE(reports_.empty());
    EXPECT_EQ(shownName(), L"Hue 3");
}

TEST_F(Win32WindowTest, ShowsTheSelectedHueAndReadsAfreshEachTime) {
    auto hues = NumberedHues(16);
    hues[8].Name = huetools::NameBytes("Cr\xE8me \x80 Gold");  // é and € in the ANSI code page
    hues[8].TableStart = 0x1F;
    hues[8].TableEnd = -1;
    hues[8].Colors[0] = 0x0000;
    hues[8].Colors[5] = 0x7C00;
    hues[8].Colors[6] = static_cast<std::int16_t>(0x83E0);  // bit 15 set: still pure green
    hues[8].Colors[31] = 0x7FFF;
    // A name outside the ANSI code page works too, typed into the field as it stands.
    usePath(writeHueFile(L"h\u00FCe \u4E2D\u6587.mul", hues).wstring());
    pressGetIt();
    select(8);
    EXPECT_EQ(shownName(), L"Cr\u00E8me \u20AC Gold");
    EXPECT_EQ(TextOf(control("txtStart")), L"1F");
    EXPECT_EQ(TextOf(control("txtEnd")), L"FFFF");
    const std::vector<COLORREF> painted = paintedSwatches();
    EXPECT_EQ(painted[0], RGB(0, 0, 0));
    EXPECT_EQ(painted[5], RGB(255, 0, 0));
    EXPECT_EQ(painted[6], RGB(0, 255, 0));
    EXPECT_EQ(painted[31], RGB(255, 255, 255));
    EXPECT_EQ(tooltipOf(window_->swatch(6)), L"Colour 6: 0x83E0 \u2192 #00FF00");

    hues[8].Name = huetools::NameBytes("Repainted");
    writeHueFile(L"h\u00FCe \u4E2D\u6587.mul", hues);
    select(9);
    select(8);
    EXPECT_EQ(shownName(), L"Repainted");
    hues[7].Name = huetools::NameBytes("From the other file");
    usePath(writeHueFile("other.mul", hues).wstring());
    select(7);
    EXPECT_EQ(shownName(), L"From the other file");
    EXPECT_TRUE(reports_.empty());
}

TEST_F(Win32WindowTest, AFailedReadIsReportedOnceAndChangesNothing) {
    const fs::path good = writeHueFile("hues.mul", NumberedHues(16));
    writeHueFile("short.mul", NumberedHues(4));
    fs::create_directory(dir_ / "folder");
    const struct {
        std::wstring path;
        std::wstring reason;
    } cases[] = {
        {(dir_ / "absent.mul").wstring(), L""},
        {(dir_ / "folder").wstring(), L""},
        {(dir_ / "short.mul").wstring(),
         L"The file is 356 bytes long, too short for the hue entry"},
        {L"NUL", L""},
    };
    for (const auto& [path, reason] : cases) {
        reports_.clear();
        usePath(good.wstring());
        pressGetIt();
        select(2);
        usePath(path);
        const std::vector<std::wstring> before = screen();
        select(9);
        ASSERT_EQ(reports_.size(), 1U) << path;
        const std::wstring expected =
            L"Hues Read by Brannick|Could not read hue 9 from the hue file \"" + path + L"\". " +
            reason;
        EXPECT_EQ(reports_[0].substr(0, expected.size()), expected);
        EXPECT_GT(reports_[0].size(), expected.size() + 1)
            << "no reason given: " << reports_[0].size();
        EXPECT_EQ(screen(), before) << path;
        EXPECT_EQ(SendMessageW(control("lstID"), LB_GETCURSEL, 0, 0), 9);
    }
}

TEST_F(Win32WindowTest, ASwatchMenuCopiesTheColourOnceAHueIsShown) {
    RECT swatch{};
    GetWindowRect(window_->swatch(5), &swatch);
    const LPARAM at = MAKELPARAM(swatch.left + 2, swatch.top + 2);
    SendMessageW(window_->hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window_->swatch(5)), at);
    EXPECT_TRUE(menuTexts_.empty()) << "a menu before any hue was shown";

    HueRecord hue = NumberedHue(0);
    hue.Colors[5] = 0x7C00;
    usePath(writeHueFile("menu.mul", {hue}).wstring());
    window_->ReadHue(huedata::HuePosition(0));
    for (const auto& [choice, copied] : {std::pair{1U, L"#FF0000"}, std::pair{2U, L"0x7C00"}}) {
        menuChoice_ = choice;
        SendMessageW(window_->hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window_->swatch(5)),
                     at);
        EXPECT_EQ(menuTexts_, (std::vector<std::wstring>{L"Copy #FF0000", L"Copy 0x7C00"}));
        EXPECT_EQ(ClipboardText(), copied);
    }
}

TEST_F(Win32WindowTest, BrowseDropAndKeyboardConveniences) {
    const fs::path chosen = writeHueFile("chosen.mul", NumberedHues(4));
    chosenFile_.clear();  // cancelled: the path stays
    SendMessageW(window_->browseButton(), BM_CLICK, 0, 0);
    EXPECT_EQ(TextOf(control("txtHuesPath")), LR"(c:\program files\ardenmoor\hues.mul)");
    chosenFile_ = chosen.wstring();
    SendMessageW(window_->browseButton(), BM_CLICK, 0, 0);
    EXPECT_EQ(chooserStarts_.size(), 2U);
    EXPECT_EQ(TextOf(control("txtHuesPath")), chosen.wstring());
    EXPECT_EQ(shownName(), L"");

    const std::wstring dropped = (dir_ / "dropped.mul").wstring();  // need not exist yet
    SendMessageW(window_->hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf(dropped)), 0);
    EXPECT_EQ(TextOf(control("txtHuesPath")), dropped);
    EXPECT_EQ(shownName(), L"");

    // Ctrl+A selects the whole path, as people expect of a text field.
    std::array<BYTE, 256> keys{};
    GetKeyboardState(keys.data());
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys.data());
    MSG message{control("txtHuesPath"), WM_KEYDOWN, 'A', 0, 0, {}};
    EXPECT_TRUE(window_->TranslateKeyboard(message));
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys.data());
    DWORD start = 1;
    DWORD end = 0;
    SendMessageW(control("txtHuesPath"), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0U);
    EXPECT_EQ(end, dropped.size());

    // Enter presses the focused button, as in any dialog.
    SetFocus(control("cmdGetIt"));
    MSG enter{control("cmdGetIt"), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    EXPECT_TRUE(window_->TranslateKeyboard(enter));
    EXPECT_EQ(SendMessageW(control("lstID"), LB_GETCOUNT, 0, 0), 2999);
    EXPECT_TRUE(reports_.empty());
}

TEST_F(Win32WindowTest, StartsWithTheFileItWasGiven) {
    const std::wstring standard = LR"(c:\program files\ardenmoor\hues.mul)";
    const struct {
        std::vector<std::u16string> arguments;
        std::wstring path;
        std::wstring reported;
    } cases[] = {
        {{}, standard, L""},
        {{u"C:\\h\u00FCe \u4E2D\u6587.mul"}, L"C:\\h\u00FCe \u4E2D\u6587.mul", L""},
        {{u"--verbose"}, standard, L"\"--verbose\""},
        {{u"a.mul", u"b.mul"}, standard, L"\"a.mul\", \"b.mul\""},
    };
    for (const auto& [arguments, path, reported] : cases) {
        reports_.clear();
        usePath(standard);
        window_->StartWith(arguments);
        EXPECT_EQ(TextOf(control("txtHuesPath")), path);
        ASSERT_EQ(reports_.size(), reported.empty() ? 0U : 1U) << path;
        if (!reported.empty()) {
            EXPECT_NE(reports_[0].find(reported), std::wstring::npos) << reports_[0];
        }
        EXPECT_EQ(shownName(), L"");  // nothing is read until a selection
    }
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
