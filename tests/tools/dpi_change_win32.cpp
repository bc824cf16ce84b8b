// Tells a window that the system moved it to a monitor of another DPI, as the end-to-end
// tests cannot move a window between monitors under Wine: sends it WM_DPICHANGED with the
// new DPI and a suggested rectangle.
//   dpi_change.exe CAPTION DPI LEFT TOP RIGHT BOTTOM
// The rectangle is placed at the same address in the window's process and in this one,
// so the message reaches it whether or not the system copies it across.
#include <windows.h>

#include <cstdlib>
#include <cwchar>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

int wmain(int argc, wchar_t** argv) {
    if (argc != 7) {
        fwprintf(stderr, L"usage: dpi_change CAPTION DPI LEFT TOP RIGHT BOTTOM\n");
        return 2;
    }
    HWND window = FindWindowW(nullptr, argv[1]);
    if (!window) return 3;
    const WORD dpi = static_cast<WORD>(wcstol(argv[2], nullptr, 10));
    const RECT suggested{wcstol(argv[3], nullptr, 10), wcstol(argv[4], nullptr, 10), wcstol(argv[5], nullptr, 10),
                         wcstol(argv[6], nullptr, 10)};
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return 4;
    void* there = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    void* here = there ? VirtualAlloc(there, sizeof(RECT), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE) : nullptr;
    if (!there || here != there || !WriteProcessMemory(process, there, &suggested, sizeof(suggested), nullptr))
        return 5;
    *static_cast<RECT*>(here) = suggested;
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(there));
    return 0;
}
