#include "main_window.h"

#include "huedata/hue_file.h"
#include "huedata/hue_text.h"
#include "viewer/form_layout.h"
#include "viewer/start_arguments.h"
#include "viewer/text_fit.h"

#include <commctrl.h>
#include <commdlg.h>
#include <oleacc.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <span>
#include <vector>

namespace {

constexpr wchar_t WindowClassName[] = L"HueViewerMainWindow";

// Control ids stay clear of IDOK and IDCANCEL, which dialog keyboard handling sends itself.
constexpr int FirstControlId = 100;  // + index in the control table
constexpr int FirstSwatchId = 200;   // + swatch index
constexpr int BrowseButtonId = 300;
constexpr UINT_PTR SubclassId = 1;

// The font this layout was drawn for; Windows maps it to Microsoft Sans Serif.
constexpr std::u16string_view LayoutFontFace = u"MS Sans Serif";

const wchar_t* Wide(std::u16string_view text) {
    return reinterpret_cast<const wchar_t*>(text.data());
}

std::wstring WideString(std::u16string_view text) {
    return {text.begin(), text.end()};
}

std::u16string Utf16(std::wstring_view text) {
    return {text.begin(), text.end()};
}

std::wstring WindowText(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

COLORREF WindowGrey() {
    return RGB(viewer::WindowGrey, viewer::WindowGrey, viewer::WindowGrey);
}

int Scale(int value, int dpi) {
    return MulDiv(value, dpi, USER_DEFAULT_SCREEN_DPI);
}

// The browse button's side at 96 DPI: it sits inside the path field's 19-pixel height.
constexpr int BrowseButtonSide = 17;

const wchar_t* WindowClassFor(viewer::ControlKind kind) {
    switch (kind) {
        case viewer::ControlKind::ListBox:
            return WC_LISTBOXW;
        case viewer::ControlKind::TextField:
            return WC_EDITW;
        case viewer::ControlKind::Button:
            return WC_BUTTONW;
        case viewer::ControlKind::Caption:
        case viewer::ControlKind::Swatch:
            break;
    }
    return WC_STATICW;
}

DWORD StyleFor(const viewer::FormControl& entry) {
    constexpr DWORD Child = WS_CHILD | WS_VISIBLE;
    switch (entry.kind) {
        case viewer::ControlKind::ListBox:
            // The items are numbers the list need not store: it holds only their count and
            // asks the window to draw each, so "Get It!" fills it at once (see ListItemText).
            return Child | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
                   LBS_NODATA | LBS_OWNERDRAWFIXED;
        case viewer::ControlKind::TextField: {
            const bool isPath = entry.name == "txtHuesPath";
            // The viewer writes the result fields; they stay selectable for copying.
            // The browse button lies over the path field's right end; the field must not paint
            // over it.
            return Child | WS_TABSTOP | ES_AUTOHSCROLL |
                   (isPath ? DWORD{WS_CLIPSIBLINGS} : DWORD{ES_READONLY});
        }
        case viewer::ControlKind::Button:
            return Child | WS_TABSTOP | BS_PUSHBUTTON;
        case viewer::ControlKind::Caption:
            // One line, elided should no font fit (never wrapped to show only its first words);
            // SS_NOTIFY lets it take the mouse for the tooltip that then shows it whole.
            return Child | SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS | SS_NOTIFY;
        case viewer::ControlKind::Swatch:
            // Drawn by the window; the text is only the spoken name, "Colour N", and the colour
            // too once a hue is shown. SS_NOTIFY lets the swatch take the mouse for its tooltip
            // and menu.
            return Child | SS_OWNERDRAW | SS_NOTIFY;
    }
    return Child;
}

// Screen readers name a field after the caption before it; the list and the path field have
// none, so they carry their name as an annotation.
struct SpokenName {
    HWND control;
    std::u16string name;
};
void AnnotateSpokenNames(std::span<const SpokenName> names) {
    IAccPropServices* services = nullptr;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices, reinterpret_cast<void**>(&services)))) {
        return;
    }
    for (const auto& [control, name] : names) {
        const std::wstring text = WideString(name);
        services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                 PROPID_ACC_NAME, text.c_str());
    }
    services->Release();
}

// The system's file dialog wants its filters as pairs of zero-terminated strings.
std::wstring DialogFilter() {
    std::wstring filter = WideString(viewer::HueFilesFilter);
    filter += L'\0';
    filter += L"*.mul";
    filter += L'\0';
    filter += L"All files (*.*)";
    filter += L'\0';
    filter += L"*.*";
    filter += L'\0';
    return filter;
}

bool PutOnClipboard(HWND owner, const std::wstring& text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr) return false;
    std::copy_n(text.c_str(), text.size() + 1, static_cast<wchar_t*>(GlobalLock(memory)));
    GlobalUnlock(memory);
    if (!OpenClipboard(owner)) {
        GlobalFree(memory);
        return false;
    }
    EmptyClipboard();
    const bool taken = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    CloseClipboard();
    if (!taken) GlobalFree(memory);
    return taken;
}

bool IsEditControl(HWND hwnd) {
    std::array<wchar_t, 16> name{};
    GetClassNameW(hwnd, name.data(), static_cast<int>(name.size()));
    return CompareStringOrdinal(name.data(), -1, WC_EDITW, -1, TRUE) == CSTR_EQUAL;
}

HFONT MakeFont(const viewer::FontChoice& font) {
    const std::wstring face = WideString(font.face);
    return CreateFontW(-font.pixels, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, face.c_str());
}

// `text` as `hwnd` draws it in `font`: its width, and the height of its line.
viewer::TextExtent MeasureIn(HWND hwnd, HFONT font, std::wstring_view text) {
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &extent);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return {static_cast<double>(extent.cx),
            static_cast<double>(std::max<LONG>(extent.cy, metrics.tmHeight))};
}

// The font `text` fits `room` in, measured as `hwnd` draws it.
viewer::FittedFont FitIn(HWND hwnd, std::wstring_view text, int dpi, viewer::TextExtent room) {
    return viewer::FitText(LayoutFontFace, dpi, room, [&](const viewer::FontChoice& choice) {
        HFONT font = MakeFont(choice);
        const viewer::TextExtent extent = MeasureIn(hwnd, font, text);
        DeleteObject(font);
        return extent;
    });
}

// The height of a line of text in `font`, as a list box gives its items.
int TextHeight(HWND hwnd, HFONT font) {
    return static_cast<int>(MeasureIn(hwnd, font, L"").height);
}

// The folder of the file at `path` when there is one, to open the dialog there.
std::wstring FolderOfExistingFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    const std::size_t slash = path.find_last_of(L"\\/");
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
        slash == std::wstring::npos) {
        return {};
    }
    return path.substr(0, slash);
}

ATOM RegisterWindowClass() {
    static const ATOM atom = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = DefWindowProcW;  // replaced per window once it is made
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hIcon = LoadIconW(windowClass.hInstance, MAKEINTRESOURCEW(1));
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = WindowClassName;
        return RegisterClassExW(&windowClass);
    }();
    return atom;
}

constexpr DWORD WindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

}  // namespace

void ShowErrorMessageBox(HWND owner, const std::wstring& title, const std::wstring& text) {
    MessageBoxW(owner, text.c_str(), title.c_str(), MB_OK | MB_ICONERROR);
}

std::wstring ChooseHueFileInDialog(HWND owner, const std::wstring& currentPath) {
    const std::wstring filter = DialogFilter();
    const std::wstring title = WideString(viewer::BrowseDialogTitle);
    // Long paths are welcome: the program declares itself long-path aware.
    std::wstring file(32768, L'\0');
    const std::wstring folder = FolderOfExistingFile(currentPath);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrTitle = title.c_str();
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
    if (!GetOpenFileNameW(&dialog)) return {};
    file.resize(std::char_traits<wchar_t>::length(file.c_str()));
    return file;
}

UINT TrackMenu(HWND owner, HMENU menu, POINT screenPoint) {
    return static_cast<UINT>(TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, screenPoint.x,
                                              screenPoint.y, owner, nullptr));
}

frmMain::frmMain(ErrorReporter reportError, FileChooser chooseFile, MenuPicker pickFromMenu)
    : reportError_(std::move(reportError)),
      chooseFile_(std::move(chooseFile)),
      pickFromMenu_(std::move(pickFromMenu)) {
    windowBrush_ = CreateSolidBrush(WindowGrey());
    activeBorderBrush_ = CreateSolidBrush(GetSysColor(COLOR_ACTIVEBORDER));
    hwnd_ = CreateWindowExW(0, MAKEINTATOM(RegisterWindowClass()), Wide(viewer::WindowCaption),
                            WindowStyle, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&frmMain::WindowProc));
    createControls();
    createBrowseButton();
    createTooltips();
    layOut(static_cast<int>(GetDpiForWindow(hwnd_)));
    DragAcceptFiles(hwnd_, TRUE);
}

frmMain::~frmMain() {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
    if (font_ != nullptr) DeleteObject(font_);
    for (HFONT font : captionFonts_) DeleteObject(font);
    DeleteObject(windowBrush_);
    DeleteObject(activeBorderBrush_);
}

HWND frmMain::control(std::string_view name) const {
    return GetDlgItem(hwnd_, FirstControlId + static_cast<int>(viewer::ControlIndex(name)));
}

// Made in the table's order, each caption just before its field: Windows tabs from control to
// control in the order they were made.
static_assert(viewer::TableInTabOrder(), "the table lists the controls in their tab order");
void frmMain::createControls() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const auto make = [&](const wchar_t* windowClass, std::u16string_view text, DWORD style,
                          DWORD exStyle, int id) {
        return CreateWindowExW(exStyle, windowClass, Wide(text), style, 0, 0, 0, 0, hwnd_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                               nullptr);
    };
    for (std::size_t index = 0; index < viewer::MainFormControls.size(); ++index) {
        const viewer::FormControl& entry = viewer::MainFormControls[index];
        if (entry.kind == viewer::ControlKind::Swatch) {
            for (int i = 0; i < SwatchCount; ++i) {
                const std::u16string name = viewer::SwatchName(i);
                picHue[static_cast<std::size_t>(i)] =
                    make(WC_STATICW, name, StyleFor(entry), 0, FirstSwatchId + i);
            }
            continue;
        }
        const bool sunken = entry.kind == viewer::ControlKind::ListBox ||
                            entry.kind == viewer::ControlKind::TextField;
        // A list box shows no text of its own; its window text is a name some readers speak.
        const std::u16string text(entry.kind == viewer::ControlKind::ListBox ? entry.spokenName
                                                                             : entry.text);
        make(WindowClassFor(entry.kind), text.c_str(), StyleFor(entry),
             sunken ? WS_EX_CLIENTEDGE : 0, FirstControlId + static_cast<int>(index));
    }
    lstID = control("lstID");
    cmdGetIt = control("cmdGetIt");
    Label1 = control("Label1");
    Label2 = control("Label2");
    Label3 = control("Label3");
    txtName = control("txtName");
    txtStart = control("txtStart");
    txtEnd = control("txtEnd");
    txtHuesPath = control("txtHuesPath");
    const std::array names{
        SpokenName{lstID, std::u16string(viewer::Control("lstID").spokenName)},
        SpokenName{txtHuesPath, std::u16string(viewer::Control("txtHuesPath").spokenName)}};
    AnnotateSpokenNames(names);
    // The list reads a click on its selected entry again, and gives its items' texts.
    SetWindowSubclass(lstID, &frmMain::ControlProc, SubclassId, reinterpret_cast<DWORD_PTR>(this));
}

// A small button inside the right end of the path field, so the window's layout stays. It
// lies over the field rather than in it: an edit control paints over children of its own.
void frmMain::createBrowseButton() {
    browse_ = CreateWindowExW(0, WC_BUTTONW, Wide(viewer::BrowseButtonName),
                              WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON | BS_ICON, 0, 0, 0, 0, hwnd_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(BrowseButtonId)),
                              GetModuleHandleW(nullptr), nullptr);
}

void frmMain::createTooltips() {
    tooltips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    // The captions and the button show their whole text as a tip only when it is elided.
    std::vector<HWND> tools(picHue.begin(), picHue.end());
    tools.insert(tools.end(), {browse_, Label1, Label2, Label3, cmdGetIt});
    for (HWND tool : tools) {
        TTTOOLINFOW info{};
        info.cbSize = sizeof info;
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.hwnd = GetParent(tool);
        info.uId = reinterpret_cast<UINT_PTR>(tool);
        info.lpszText = const_cast<wchar_t*>(L"");
        SendMessageW(tooltips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }
    setTooltip(browse_, WideString(viewer::BrowseButtonName));
}

void frmMain::setTooltip(HWND tool, const std::wstring& text) const {
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = GetParent(tool);
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(tooltips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

// Every control at its place in twips for `dpi`, and the font made again for it.
void frmMain::layOut(int dpi) {
    dpi_ = dpi;
    // The frame as it is, rather than as AdjustWindowRectExForDpi predicts it: the client
    // area must come out exact even where the frame does not follow the DPI.
    const viewer::Rect client = viewer::TwipsToPixels(viewer::ClientTwips, dpi);
    RECT outer{};
    RECT inner{};
    GetWindowRect(hwnd_, &outer);
    GetClientRect(hwnd_, &inner);
    SetWindowPos(hwnd_, nullptr, 0, 0, client.width + (outer.right - outer.left) - inner.right,
                 client.height + (outer.bottom - outer.top) - inner.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    const auto place = [&](HWND control, const viewer::Rect& twips) {
        const viewer::Rect pixels = viewer::TwipsToPixels(twips, dpi);
        MoveWindow(control, pixels.left, pixels.top, pixels.width, pixels.height, TRUE);
    };
    for (std::size_t index = 0; index < viewer::MainFormControls.size(); ++index) {
        const viewer::FormControl& entry = viewer::MainFormControls[index];
        if (entry.kind != viewer::ControlKind::Swatch) {
            place(GetDlgItem(hwnd_, FirstControlId + static_cast<int>(index)), entry.twips);
        }
    }
    for (int i = 0; i < SwatchCount; ++i) place(swatch(i), viewer::SwatchTwips(i));
    fitFonts(dpi);

    // The browse button fills the field's inner height at its right end; text stops before it.
    GetClientRect(txtHuesPath, &inner);
    const int side = std::min(Scale(BrowseButtonSide, dpi), static_cast<int>(inner.bottom));
    POINT corner{inner.right - side, (inner.bottom - side) / 2};
    MapWindowPoints(txtHuesPath, hwnd_, &corner, 1);
    SetWindowPos(browse_, HWND_TOP, corner.x, corner.y, side, side, SWP_NOACTIVATE);
    const int iconSide = Scale(16, dpi) <= side - 2 ? Scale(16, dpi) : side - 2;
    HANDLE folder = LoadImageW(GetModuleHandleW(L"shell32.dll"), MAKEINTRESOURCEW(4), IMAGE_ICON,
                               iconSide, iconSide, LR_SHARED);
    SendMessageW(browse_, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(folder));
    SendMessageW(txtHuesPath, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, side + Scale(1, dpi)));
}

// The fonts for `dpi`, from the face the layout was drawn for at its size, each made smaller
// or narrower only where the system's face for it would not fit. Made when the density is, so
// a selection never measures anything. Without a font of their own, controls would fall back
// to the bold System font.
void frmMain::fitFonts(int dpi) {
    const auto setFont = [](HWND control, HFONT font) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    };
    // The fields hold any text: theirs is fitted to their height alone.
    RECT field{};
    GetClientRect(txtName, &field);
    const viewer::TextExtent fieldRoom{1e9, static_cast<double>(field.bottom)};
    HFONT oldFont = font_;
    font_ = MakeFont(FitIn(txtName, L"", dpi, fieldRoom).font);
    for (HWND control : {lstID, txtName, txtStart, txtEnd, txtHuesPath}) setFont(control, font_);
    for (int i = 0; i < SwatchCount; ++i) setFont(swatch(i), font_);
    SendMessageW(lstID, LB_SETITEMHEIGHT, 0, MAKELPARAM(TextHeight(lstID, font_), 0));
    SendMessageW(tooltips_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    if (oldFont != nullptr) DeleteObject(oldFont);

    std::vector<HFONT> oldFonts = std::move(captionFonts_);
    captionFonts_.clear();
    // A push button draws its text inside its edges and the focus rectangle within them.
    const int buttonInset = GetSystemMetricsForDpi(SM_CXEDGE, static_cast<UINT>(dpi)) * 2 + 2;
    for (HWND control : {Label1, Label2, Label3, cmdGetIt}) {
        RECT box{};
        GetClientRect(control, &box);
        const int inset = control == cmdGetIt ? buttonInset : 0;
        const std::wstring text = WindowText(control);
        const viewer::FittedFont fitted =
            FitIn(control, text, dpi,
                  {static_cast<double>(box.right - 2 * inset), static_cast<double>(box.bottom)});
        captionFonts_.push_back(MakeFont(fitted.font));
        setFont(control, captionFonts_.back());
        setTooltip(control, fitted.elided ? text : std::wstring());
    }
    for (HFONT font : oldFonts) DeleteObject(font);
}

LRESULT CALLBACK frmMain::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<frmMain*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
    return self->handleMessage(message, wParam, lParam);
}

LRESULT frmMain::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            onCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
            return onControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_ERASEBKGND: {
            RECT client{};
            GetClientRect(hwnd_, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, windowBrush_);
            return 1;
        }
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item.CtlType == ODT_LISTBOX) {
                onDrawListItem(item);
            } else {
                onDrawSwatch(item);
            }
            return TRUE;
        }
        case WM_MEASUREITEM:
            // Made before its font; layOut sets the height for the font once there is one.
            reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight =
                static_cast<UINT>(Scale(13, dpi_));
            return TRUE;
        case WM_CONTEXTMENU:
            onContextMenu(reinterpret_cast<HWND>(wParam),
                          {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            return 0;
        case WM_DROPFILES:
            onDropFiles(reinterpret_cast<HDROP>(wParam));
            return 0;
        case WM_ACTIVATE:
            onActivate(LOWORD(wParam) != WA_INACTIVE);
            return 0;
        case WM_DPICHANGED: {
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            layOut(LOWORD(wParam));
            return 0;
        }
        case WM_CLOSE:
            DestroyWindow(hwnd_);
            return 0;
        case WM_NCDESTROY:
            hwnd_ = nullptr;
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

LRESULT CALLBACK frmMain::ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR /*id*/, DWORD_PTR self) {
    auto* window = reinterpret_cast<frmMain*>(self);
    if ((message == LB_GETTEXT || message == LB_GETTEXTLEN) && hwnd == window->lstID) {
        // The list stores no text; its items' texts, for this window and for screen readers.
        const auto count = static_cast<WPARAM>(SendMessageW(hwnd, LB_GETCOUNT, 0, 0));
        if (wParam >= count) return LB_ERR;
        const std::u16string text = viewer::ListItemText(static_cast<int>(wParam));
        if (message == LB_GETTEXT) {
            std::copy_n(text.c_str(), text.size() + 1, reinterpret_cast<wchar_t*>(lParam));
        }
        return static_cast<LRESULT>(text.size());
    }
    if (message == WM_LBUTTONDOWN && hwnd == window->lstID) {
        // The list reports no change for a click on the entry already selected; that click
        // reads it again, e.g. after the path was fixed.
        const LRESULT before = SendMessageW(hwnd, LB_GETCURSEL, 0, 0);
        const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
        const LRESULT hit = SendMessageW(hwnd, LB_ITEMFROMPOINT, 0, lParam);
        if (before != LB_ERR && HIWORD(hit) == 0 && LOWORD(hit) == before &&
            SendMessageW(hwnd, LB_GETCURSEL, 0, 0) == before) {
            window->lstID_Click();
        }
        return result;
    }
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, &frmMain::ControlProc, SubclassId);
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

void frmMain::onCommand(int id, int code) {
    // Enter: the dialog keyboard asks for the default command, which is the focused button.
    if (id == IDOK && GetFocus() == cmdGetIt) {
        SendMessageW(cmdGetIt, BM_CLICK, 0, 0);
    } else if (id == GetDlgCtrlID(cmdGetIt) && code == BN_CLICKED) {
        cmdGetIt_Click();
    } else if (id == GetDlgCtrlID(lstID) && code == LBN_SELCHANGE) {
        lstID_Click();
    } else if (id == BrowseButtonId && code == BN_CLICKED) {
        onBrowse();
    }
}

LRESULT frmMain::onControlColor(HDC dc, HWND control) {
    const bool isField = control == lstID || control == txtName || control == txtStart ||
                         control == txtEnd || control == txtHuesPath;
    if (isField) {
        SetBkColor(dc, GetSysColor(COLOR_ACTIVEBORDER));
        return reinterpret_cast<LRESULT>(activeBorderBrush_);
    }
    SetBkColor(dc, WindowGrey());
    return reinterpret_cast<LRESULT>(windowBrush_);
}

// An item as the list box would draw its own text: highlighted when selected.
void frmMain::onDrawListItem(const DRAWITEMSTRUCT& item) const {
    if (item.itemID == static_cast<UINT>(-1)) {  // an empty list with the focus
        if ((item.itemState & ODS_FOCUS) != 0) DrawFocusRect(item.hDC, &item.rcItem);
        return;
    }
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const COLORREF back = GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_ACTIVEBORDER);
    SetDCBrushColor(item.hDC, back);
    FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    SetBkColor(item.hDC, back);
    SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const std::u16string text = viewer::ListItemText(static_cast<int>(item.itemID));
    RECT box = item.rcItem;
    box.left += Scale(2, dpi_);
    DrawTextW(item.hDC, Wide(text), static_cast<int>(text.size()), &box,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if ((item.itemState & ODS_FOCUS) != 0) DrawFocusRect(item.hDC, &item.rcItem);
}

void frmMain::onDrawSwatch(const DRAWITEMSTRUCT& item) const {
    const auto index = static_cast<std::size_t>(static_cast<int>(item.CtlID) - FirstSwatchId);
    COLORREF color = WindowGrey();  // the form's grey until a hue is shown
    if (shown_ && index < shown_->swatches.size()) {
        const huedata::Rgb24 rgb = shown_->swatches[index].rgb;
        color = RGB(rgb.red, rgb.green, rgb.blue);
    }
    SetDCBrushColor(item.hDC, color);
    FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void frmMain::onContextMenu(HWND target, POINT screenPoint) {
    const auto found = std::find(picHue.begin(), picHue.end(), target);
    if (found == picHue.end() || !shown_) return;      // nothing to copy before a hue is shown
    if (screenPoint.x == -1 && screenPoint.y == -1) {  // from the keyboard: below the swatch
        RECT rect{};
        GetWindowRect(target, &rect);
        screenPoint = {rect.left, rect.bottom};
    }
    const auto texts =
        viewer::SwatchCopyTexts(shown_->swatches[static_cast<std::size_t>(found - picHue.begin())]);
    HMENU menu = CreatePopupMenu();
    for (UINT entry = 0; entry < texts.size(); ++entry) {
        AppendMenuW(menu, MF_STRING, entry + 1, Wide(viewer::CopyMenuText(texts[entry])));
    }
    const UINT chosen = pickFromMenu_(hwnd_, menu, screenPoint);
    DestroyMenu(menu);
    if (chosen >= 1 && chosen <= texts.size()) PutOnClipboard(hwnd_, WideString(texts[chosen - 1]));
}

void frmMain::onDropFiles(HDROP drop) {
    // One file goes into the path field, as if chosen; nothing is read until a selection.
    if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) == 1) {
        std::wstring file(DragQueryFileW(drop, 0, nullptr, 0) + 1, L'\0');
        file.resize(DragQueryFileW(drop, 0, file.data(), static_cast<UINT>(file.size())));
        usePath(file);
    }
    DragFinish(drop);
}

// Focus comes back to the control that had it when the window is activated again.
void frmMain::onActivate(bool active) {
    if (!active) {
        HWND focus = GetFocus();
        focusBeforeDeactivation_ = focus != nullptr && IsChild(hwnd_, focus) ? focus : nullptr;
    } else if (focusBeforeDeactivation_ != nullptr && IsWindow(focusBeforeDeactivation_)) {
        SetFocus(focusBeforeDeactivation_);
    } else {
        SetFocus(txtName);
    }
}

void frmMain::onBrowse() {
    const std::wstring chosen = chooseFile_(hwnd_, WindowText(txtHuesPath));
    if (!chosen.empty()) usePath(chosen);
}

void frmMain::usePath(const std::wstring& path) {
    SetWindowTextW(txtHuesPath, path.c_str());
}

bool frmMain::TranslateKeyboard(MSG& message) {
    // The plain edit control has no Ctrl+A of its own; people expect it to select all.
    if (message.message == WM_KEYDOWN && message.wParam == 'A' && GetKeyState(VK_CONTROL) < 0 &&
        GetKeyState(VK_MENU) >= 0 && IsEditControl(message.hwnd) && IsChild(hwnd_, message.hwnd)) {
        SendMessageW(message.hwnd, EM_SETSEL, 0, -1);
        return true;
    }
    return IsDialogMessageW(hwnd_, &message) != FALSE;
}

int frmMain::Run() {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (hwnd_ != nullptr && TranslateKeyboard(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

void frmMain::StartWith(const std::vector<std::u16string>& arguments) {
    const viewer::StartArguments start = viewer::ParseStartArguments(arguments);
    if (start.path) usePath(WideString(*start.path));
    const std::u16string ignored = viewer::IgnoredArgumentsMessage(start);
    if (!ignored.empty())
        reportError_(hwnd_, WideString(viewer::WindowCaption), WideString(ignored));
}

void frmMain::cmdGetIt_Click() {
    SendMessageW(lstID, LB_RESETCONTENT, 0, 0);
    SendMessageW(lstID, LB_SETCOUNT, viewer::ListedHueCount, 0);
    InvalidateRect(lstID, nullptr, TRUE);
}

void frmMain::lstID_Click() {
    const LRESULT selected = SendMessageW(lstID, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR) return;
    std::wstring item(static_cast<std::size_t>(
                          SendMessageW(lstID, LB_GETTEXTLEN, static_cast<WPARAM>(selected), 0)) +
                          1,
                      L'\0');
    item.resize(static_cast<std::size_t>(SendMessageW(
        lstID, LB_GETTEXT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(item.data()))));
    const std::u16string itemText = Utf16(item);
    const auto failure =
        viewer::ReadSelectedItem(itemText, [this](std::int32_t position) { ReadHue(position); });
    if (failure) reportReadFailure(itemText, *failure);
}

void frmMain::ReadHue(std::int32_t position) {
    // Read first: a failed read must leave everything on screen as it was. The path goes to
    // the core as UTF-16, so any file name works.
    const huedata::HueRecord hue =
        huedata::ReadHueRecord(std::filesystem::path(WindowText(txtHuesPath)), position);
    ShowHue(viewer::ShowHue(hue));
}

void frmMain::ShowHue(const viewer::ShownHue& hue) {
    SetWindowTextW(txtName, Wide(hue.name));
    SetWindowTextW(txtStart, Wide(hue.tableStart));
    SetWindowTextW(txtEnd, Wide(hue.tableEnd));
    shown_ = hue;
    for (int i = 0; i < SwatchCount; ++i) {
        const viewer::Swatch& shown = hue.swatches[static_cast<std::size_t>(i)];
        const HWND control = swatch(i);
        setTooltip(control, WideString(viewer::SwatchTooltip(i, shown)));
        // The swatch's text is its spoken name, "Colour 5, #FF0000". A static control paints
        // itself at once when renamed: not drawn meanwhile, it is painted once, with the rest.
        SendMessageW(control, WM_SETREDRAW, FALSE, 0);
        SetWindowTextW(control, WideString(viewer::SwatchSpokenName(i, shown)).c_str());
        SendMessageW(control, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(control, nullptr, FALSE);
    }
}

void frmMain::reportReadFailure(std::u16string_view item, std::u16string_view reason) {
    const std::u16string text =
        viewer::ReadFailureMessage(item, Utf16(WindowText(txtHuesPath)), reason);
    reportError_(hwnd_, WideString(viewer::WindowCaption), WideString(text));
}
