// Lists the monitors the system reports, one a line: "LEFT TOP RIGHT BOTTOM", and "primary"
// for the primary one. With "changed", then tells every top-level window that the display
// changed, as Windows does when a monitor is switched on or off: Wine 8 sends nothing when
// the change comes from the X server.
//   monitors.exe [changed]
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

BOOL CALLBACK Print(HMONITOR monitor, HDC, LPRECT, LPARAM) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(monitor, &info)) return TRUE;
    const RECT& r = info.rcMonitor;
    std::printf("%ld %ld %ld %ld%s\n", r.left, r.top, r.right, r.bottom,
                (info.dwFlags & MONITORINFOF_PRIMARY) ? " primary" : "");
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (!EnumDisplayMonitors(nullptr, nullptr, Print, 0)) return 1;
    if (argc > 1 && std::wcscmp(argv[1], L"changed") == 0) {
        std::fflush(stdout);
        const LPARAM size = MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        SendMessageTimeoutW(HWND_BROADCAST, WM_DISPLAYCHANGE, 32, size, SMTO_ABORTIFHUNG, 5000, nullptr);
    }
    return 0;
}
