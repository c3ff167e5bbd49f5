// Starts the viewer on Windows: one window, no command line of its own.
#include "viewer/win32/main_window.h"

#include <commctrl.h>
#include <objbase.h>

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int showCommand) {
    // COM carries the spoken names of the controls that have no caption.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    int status = 0;
    {
        frmMain window;
        ShowWindow(window.hwnd(), showCommand);
        UpdateWindow(window.hwnd());
        status = window.Run();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return status;
}
