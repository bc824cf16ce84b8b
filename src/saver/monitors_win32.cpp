#include "saver/monitors_win32.h"

#include <windows.h>

namespace saver {

using namespace petals;  // the engine this front end draws with
namespace {

// Functions newer than the oldest system the program runs on are looked up at run time,
// so it still starts where they are missing.
template <typename Fn>
Fn Lookup(const wchar_t* dll, const char* name) {
    HMODULE module = GetModuleHandleW(dll);
    if (!module) module = LoadLibraryW(dll);
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

using SetContextFn = BOOL(WINAPI*)(HANDLE);                // SetProcessDpiAwarenessContext
using SetAwarenessFn = HRESULT(WINAPI*)(int);              // SetProcessDpiAwareness
using SetAwareFn = BOOL(WINAPI*)();                        // SetProcessDPIAware
using DpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);  // GetDpiForMonitor

const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
const HANDLE kPerMonitorAware = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3));
constexpr int kProcessPerMonitorDpiAware = 2;
constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

uint32_t SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<uint32_t>(dpi) : 96;
}

struct Listing {
    std::vector<Monitor> monitors;
    DpiForMonitorFn dpiForMonitor = nullptr;
    uint32_t systemDpi = 96;
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    auto& listing = *reinterpret_cast<Listing*>(data);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(monitor, &info)) return TRUE;
    const RECT& r = info.rcMonitor;
    UINT dpiX = 0, dpiY = 0;
    uint32_t dpi = listing.systemDpi;
    if (listing.dpiForMonitor && SUCCEEDED(listing.dpiForMonitor(monitor, kEffectiveDpi, &dpiX, &dpiY)) && dpiX > 0)
        dpi = dpiX;
    listing.monitors.push_back(Monitor{PixelRect{r.left, r.top, r.right, r.bottom}, dpi});
    return TRUE;
}

}  // namespace

void DeclareDpiAware() {
    if (auto setContext = Lookup<SetContextFn>(L"user32.dll", "SetProcessDpiAwarenessContext")) {
        if (setContext(kPerMonitorAwareV2) || setContext(kPerMonitorAware)) return;
    }
    if (auto setAwareness = Lookup<SetAwarenessFn>(L"shcore.dll", "SetProcessDpiAwareness")) {
        if (SUCCEEDED(setAwareness(kProcessPerMonitorDpiAware))) return;
    }
    if (auto setAware = Lookup<SetAwareFn>(L"user32.dll", "SetProcessDPIAware")) setAware();
}

PixelRect VirtualScreen() {
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    // Systems without the virtual-screen metrics answer 0: then the primary screen is all.
    if (width <= 0 || height <= 0) return PixelRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return PixelRect{left, top, left + width, top + height};
}

std::vector<Monitor> ListMonitors() {
    Listing listing;
    listing.systemDpi = SystemDpi();
    listing.dpiForMonitor = Lookup<DpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&listing));
    if (listing.monitors.empty()) listing.monitors.push_back(Monitor{VirtualScreen(), listing.systemDpi});
    return listing.monitors;
}

}  // namespace saver
