#include "framework/system_dll_win32.h"

#include <string>

namespace fw::win {

void RestrictDllSearch() {
    SetDllDirectoryW(L"");  // the current folder leaves the search, on every Windows
    // Windows 8 and later, and 7 with its loader update.
    using SetDefaultFn = BOOL(WINAPI*)(DWORD);
    const auto setDefault = SystemFunction<SetDefaultFn>(L"kernel32.dll", "SetDefaultDllDirectories");
    if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE SystemDll(const wchar_t* name) {
    if (HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return module;
    // A Windows without the flag refuses it; the full path in the system folder does the same.
    if (GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(folder, length) + L"\\" + name;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace fw::win
