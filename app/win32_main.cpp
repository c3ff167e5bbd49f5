// Starts the viewer on Windows: one window, with the hue file it was given, if any, in its
// path field.
#include "viewer/win32/main_window.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

// The arguments after the program's name, from the UTF-16 command line: any file name works.
std::vector<std::u16string> CommandLineArguments() {
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::u16string> arguments;
    for (int i = 1; words != nullptr && i < count; ++i) {
        const std::wstring_view word(words[i]);
        arguments.emplace_back(word.begin(), word.end());
    }
    LocalFree(words);
    return arguments;
}

}  // namespace

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
        window.StartWith(CommandLineArguments());
        status = window.Run();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return status;
}
