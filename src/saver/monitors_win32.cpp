#include "saver/monitors_win32.h"

#include <windows.h>

#include "framework/dpi_win32.h"

namespace saver {

using namespace petals;  // the engine this front end draws with
namespace {

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    auto& monitors = *reinterpret_cast<std::vector<Monitor>*>(data);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(monitor, &info)) return TRUE;
    const RECT& r = info.rcMonitor;
    monitors.push_back(Monitor{PixelRect{r.left, r.top, r.right, r.bottom}, fw::win::DpiForMonitor(monitor)});
    return TRUE;
}

}  // namespace

PixelRect VirtualScreen() {
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    // Systems without the virtual-screen metrics answer 0: then the primary screen is all.
    if (width <= 0 || height <= 0) return PixelRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return PixelRect{left, top, left + width, top + height};
}

std::vector<Monitor> ListMonitors() {
    std::vector<Monitor> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    if (monitors.empty()) monitors.push_back(Monitor{VirtualScreen(), fw::win::SystemDpi()});
    return monitors;
}

}  // namespace saver
