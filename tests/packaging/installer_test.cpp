// The Windows installer, run silently as a user would run it from a script: what it installs
// and registers, updating in place, a clean uninstall, and the PATH round trip.
#include <gtest/gtest.h>

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr wchar_t UninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\HueViewer";

// The installer as built; its path is a Unix one, which Wine sees on drive Z:.
std::wstring SetupProgram() {
    std::wstring path = L"Z:" + fs::path(HUEVIEWER_SETUP).wstring();
    for (wchar_t& c : path) c = c == L'/' ? L'\\' : c;
    return path;
}

// Runs a program, `meanwhile` with its process while it runs, and gives its exit status.
DWORD RunProgram(std::wstring commandLine, const std::function<void(HANDLE)>& meanwhile = {}) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return static_cast<DWORD>(-1);
    }
    if (meanwhile) meanwhile(process.hProcess);
    WaitForSingleObject(process.hProcess, 120000);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return status;
}

fs::path KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    SHGetKnownFolderPath(id, 0, nullptr, &path);
    fs::path folder(path);
    CoTaskMemFree(path);
    return folder;
}

std::optional<std::wstring> RegistryText(const wchar_t* key, const wchar_t* name,
                                         DWORD* type = nullptr) {
    DWORD bytes = 0;
    DWORD found = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key, name,
                     RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, &found, nullptr,
                     &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::wstring text(bytes / sizeof(wchar_t), L'\0');
    RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                 &found, text.data(), &bytes);
    text.resize(bytes / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    if (type != nullptr) *type = found;
    return text;
}

std::optional<DWORD> RegistryNumber(const wchar_t* key, const wchar_t* name) {
    DWORD value = 0;
    DWORD bytes = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &value, &bytes) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

void SetPath(const std::optional<std::wstring>& value, DWORD type) {
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Environment", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                    nullptr);
    if (value) {
        RegSetValueExW(key, L"Path", 0, type, reinterpret_cast<const BYTE*>(value->c_str()),
                       static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t)));
    } else {
        RegDeleteValueW(key, L"Path");
    }
    RegCloseKey(key);
}

// The silent uninstaller returns at once and goes on in a copy of itself: wait for its work.
bool WaitUntil(const std::function<bool()>& done) {
    for (int tries = 0; tries < 600; ++tries) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

class InstallerTest : public testing::Test {
protected:
    const fs::path folder_ = KnownFolder(FOLDERID_LocalAppData) / L"Programs" / L"Hue Viewer";
    const fs::path shortcut_ = KnownFolder(FOLDERID_Programs) / L"Hue Viewer.lnk";
    const fs::path editorShortcut_ = KnownFolder(FOLDERID_Programs) / L"Hue Editor.lnk";

    void install(const std::wstring& options = L"") {
        ASSERT_EQ(RunProgram(L"\"" + SetupProgram() + L"\" /S" + options), 0U);
    }
    // The uninstaller's copy may still hold the folder for a moment after its work is seen.
    void removeFolder() {
        std::error_code error;
        EXPECT_TRUE(WaitUntil([&] {
            fs::remove_all(folder_, error);
            return !error;
        })) << error.message();
    }
    void uninstall() {
        const std::optional<std::wstring> quiet =
            RegistryText(UninstallKey, L"QuietUninstallString");
        ASSERT_TRUE(quiet.has_value());
        ASSERT_EQ(RunProgram(*quiet), 0U);
        ASSERT_TRUE(WaitUntil([&] {
            return !RegistryText(UninstallKey, L"DisplayName") &&
                   !fs::exists(folder_ / L"uninstall.exe");
        }));
    }
};

// The text of the path field of the viewer's window, which is then closed: the edit field
// that holds a hue file's name.
std::wstring PathFieldOfViewer() {
    HWND window = FindWindowW(L"HueViewerMainWindow", nullptr);
    std::wstring path;
    for (HWND edit = FindWindowExW(window, nullptr, L"Edit", nullptr); edit != nullptr;
         edit = FindWindowExW(window, edit, L"Edit", nullptr)) {
        std::array<wchar_t, 512> text{};
        SendMessageW(edit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
        if (std::wstring_view(text.data()).ends_with(L".mul")) path = text.data();
    }
    PostMessageW(window, WM_CLOSE, 0, 0);
    return path;
}

TEST_F(InstallerTest, InstallsUpdatesInPlaceAndUninstallsCleanly) {
    install();
    for (const wchar_t* file : {L"hueviewer.exe", L"hues.exe", L"README.md", L"LICENSE"}) {
        EXPECT_TRUE(fs::is_regular_file(folder_ / file)) << fs::path(file);
    }
    EXPECT_TRUE(fs::is_regular_file(shortcut_));
    EXPECT_TRUE(fs::is_regular_file(editorShortcut_));
    const std::wstring program = (folder_ / L"hueviewer.exe").wstring();
    const std::wstring uninstaller = (folder_ / L"uninstall.exe").wstring();
    const std::pair<const wchar_t*, std::wstring> texts[] = {
        {L"DisplayName", L"Hue Viewer"},
        {L"DisplayVersion", HUEVIEWER_VERSION},
        {L"Publisher", L"The hueviewer authors"},
        {L"DisplayIcon", program + L",0"},
        {L"InstallLocation", folder_.wstring()},
        {L"UninstallString", L"\"" + uninstaller + L"\""},
        {L"QuietUninstallString", L"\"" + uninstaller + L"\" /S"},
    };
    for (const auto& [name, value] : texts) EXPECT_EQ(RegistryText(UninstallKey, name), value);
    EXPECT_EQ(RegistryNumber(UninstallKey, L"NoModify"), 1U);
    EXPECT_EQ(RegistryNumber(UninstallKey, L"NoRepair"), 1U);
    const auto bytes =
        fs::file_size(folder_ / L"hueviewer.exe") + fs::file_size(folder_ / L"hues.exe");
    EXPECT_GE(RegistryNumber(UninstallKey, L"EstimatedSize").value_or(0), bytes / 1024);
    EXPECT_FALSE(RegistryNumber(UninstallKey, L"AddedToPath")) << "PATH changed unasked";

    // The installed program opens with the file it is given in its path field.
    const std::wstring given = L"C:\\h\u00FCe \u4E2D\u6587.mul";
    EXPECT_EQ(RunProgram(L"\"" + program + L"\" \"" + given + L"\"",
                         [&](HANDLE viewer) {
                             WaitForInputIdle(viewer, 30000);
                             EXPECT_EQ(PathFieldOfViewer(), given);
                         }),
              0U);

    // Installing again over it: one folder, one shortcut, one entry; a file of the user's
    // in the folder is kept, there and through the uninstall.
    { std::ofstream(folder_ / L"hues.html") << "<!doctype html>"; }
    install();
    EXPECT_EQ(RegistryText(UninstallKey, L"InstallLocation"), folder_.wstring());
    EXPECT_TRUE(fs::is_regular_file(folder_ / L"hueviewer.exe"));
    EXPECT_TRUE(fs::is_regular_file(shortcut_));
    int shortcuts = 0;
    for (const auto& entry : fs::directory_iterator(shortcut_.parent_path())) {
        shortcuts += entry.path().filename().wstring().starts_with(L"Hue ") ? 1 : 0;
    }
    EXPECT_EQ(shortcuts, 2);

    uninstall();
    std::vector<fs::path> left;
    for (const auto& entry : fs::directory_iterator(folder_))
        left.push_back(entry.path().filename());
    EXPECT_EQ(left, std::vector<fs::path>{L"hues.html"});
    EXPECT_FALSE(fs::exists(shortcut_));
    EXPECT_FALSE(fs::exists(editorShortcut_));
    removeFolder();
}

TEST_F(InstallerTest, AddsToALongPathOnlyWhenAskedAndRemovesExactlyThat) {
    DWORD originalType = REG_EXPAND_SZ;
    const std::optional<std::wstring> original =
        RegistryText(L"Environment", L"Path", &originalType);
    std::wstring longPath;
    for (int i = 0; longPath.size() < 4000; ++i) {
        longPath += L"C:\\Tools\\folder-" + std::to_wstring(10000 + i) + L";";
    }
    longPath.resize(4000);
    SetPath(longPath, REG_EXPAND_SZ);

    install(L" /AddToPath");
    DWORD type = 0;
    EXPECT_EQ(RegistryText(L"Environment", L"Path", &type), longPath + L";" + folder_.wstring());
    EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(RegistryNumber(UninstallKey, L"AddedToPath"), 1U);
    install();  // a later install without the switch keeps the entry, once
    EXPECT_EQ(RegistryText(L"Environment", L"Path"), longPath + L";" + folder_.wstring());

    uninstall();
    EXPECT_EQ(RegistryText(L"Environment", L"Path", &type), longPath);
    EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
    SetPath(original, originalType);
    removeFolder();
}

}  // namespace

int main(int argc, char** argv) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    CoUninitialize();
    return status;
}
