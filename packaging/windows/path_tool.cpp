// hueviewer-path: adds the installation folder to the user's PATH, or removes it again, for
// the installer. The installer's own strings hold 1,024 characters, too few for many a PATH:
// writing one back through them would cut it short.
//
// Usage: hueviewer-path add|remove FOLDER
// Exit status: 0 changed, 1 nothing to change (already there, or not there), 2 failed (the
// PATH is left exactly as it was).
#include "path_entry.h"

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr wchar_t EnvironmentKey[] = L"Environment";
constexpr wchar_t PathValue[] = L"Path";
// The longest value an environment variable can hold.
constexpr std::size_t LongestPath = 32767;

struct RegistryText {
    std::wstring text;
    DWORD type = REG_EXPAND_SZ;  // what a new PATH is: it may name %VARIABLES%
    bool exists = false;
};

std::optional<RegistryText> ReadPath(HKEY key) {
    RegistryText value;
    DWORD bytes = 0;
    LSTATUS status = RegQueryValueExW(key, PathValue, nullptr, &value.type, nullptr, &bytes);
    if (status == ERROR_FILE_NOT_FOUND) return RegistryText{};
    if (status != ERROR_SUCCESS || (value.type != REG_SZ && value.type != REG_EXPAND_SZ)) {
        return std::nullopt;
    }
    value.text.resize(bytes / sizeof(wchar_t) + 1);
    bytes = static_cast<DWORD>(value.text.size() * sizeof(wchar_t));
    status = RegQueryValueExW(key, PathValue, nullptr, &value.type,
                              reinterpret_cast<BYTE*>(value.text.data()), &bytes);
    if (status != ERROR_SUCCESS) return std::nullopt;
    value.text.resize(bytes / sizeof(wchar_t));
    while (!value.text.empty() && value.text.back() == L'\0') value.text.pop_back();
    value.exists = true;
    return value;
}

bool WritePath(HKEY key, const RegistryText& value, const std::wstring& text) {
    if (text.empty()) return RegDeleteValueW(key, PathValue) == ERROR_SUCCESS;
    if (text.size() > LongestPath) return false;
    const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, PathValue, 0, value.type,
                          reinterpret_cast<const BYTE*>(text.c_str()), bytes) == ERROR_SUCCESS;
}

// Tells running programs (Explorer above all) that the environment changed.
void AnnounceChange() {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                        reinterpret_cast<LPARAM>(EnvironmentKey), SMTO_ABORTIFHUNG, 5000, &ignored);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    const std::wstring_view action = argv[1];
    const std::wstring_view folder = argv[2];
    if ((action != L"add" && action != L"remove") || folder.empty() ||
        folder.find(L';') != std::wstring_view::npos) {
        return 2;
    }
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, EnvironmentKey, 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return 2;
    }
    int status = 2;
    if (const std::optional<RegistryText> path = ReadPath(key)) {
        const std::optional<std::wstring> changed =
            action == L"add" ? pathentry::WithFolderAdded(path->text, folder)
                             : pathentry::WithFolderRemoved(path->text, folder);
        status = !changed ? 1 : WritePath(key, *path, *changed) ? 0 : 2;
    }
    RegCloseKey(key);
    if (status == 0) AnnounceChange();
    return status;
}
