// The Win32 window's two actions on a real window under Wine: filling the list, and one
// selection through to a repainted window with the file read included.
#include "win32_bench.h"

#include "tools/hue_image.h"
#include "tools/sample_hues.h"
#include "viewer/win32/main_window.h"

#include <commctrl.h>
#include <objbase.h>

#include <filesystem>

namespace {

void Select(frmMain& window, int row) {
    HWND list = window.control("lstID");
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    SendMessageW(window.hwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
}

}  // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "hue-bench.mul";
    huetools::WriteBytes(
        file, huetools::HueFileImage(huetools::SampleHues(), huetools::SampleBlockHeader));
    {
        frmMain window;
        ShowWindow(window.hwnd(), SW_SHOW);
        PumpMessages();
        Report("BM_FillList", MedianMicroseconds([&] {
                   window.cmdGetIt_Click();
                   PumpMessages();  // includes the list's repaint
               }));
        SetWindowTextW(window.control("txtHuesPath"), file.c_str());
        int row = 0;
        Report("BM_SelectAndShow", MedianMicroseconds([&] {
                   row = row == 7 ? 8 : 7;  // alternate, so every round is a new selection
                   Select(window, row);
                   PumpMessages();  // paints what the selection changed
               }));
        // The same without the repaint: what the actions cost apart from drawing.
        Report("BM_FillListUnpainted", MedianMicroseconds([&] { window.cmdGetIt_Click(); }));
        Report("BM_SelectAndShowUnpainted", MedianMicroseconds([&] {
                   row = row == 7 ? 8 : 7;
                   Select(window, row);
               }));
        PumpMessages();
        // Wine's own floor: one child window of the same size repainted, and the same for 32.
        HWND bare = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 9, 81,
                                    window.hwnd(), nullptr, nullptr, nullptr);
        Report("BM_RepaintBareChild", MedianMicroseconds([&] {
                   InvalidateRect(bare, nullptr, TRUE);
                   PumpMessages();
               }));
        DestroyWindow(bare);
    }
    std::filesystem::remove(file);
    CoUninitialize();
    return 0;
}
