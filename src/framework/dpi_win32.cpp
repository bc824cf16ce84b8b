#include "framework/dpi_win32.h"

#include "framework/scale.h"
#include "framework/system_dll_win32.h"

namespace fw::win {
namespace {

using SetContextFn = BOOL(WINAPI*)(HANDLE);                             // SetProcessDpiAwarenessContext
using SetAwarenessFn = HRESULT(WINAPI*)(int);                           // SetProcessDpiAwareness
using SetAwareFn = BOOL(WINAPI*)();                                     // SetProcessDPIAware
using DpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);  // GetDpiForMonitor
using DpiForWindowFn = UINT(WINAPI*)(HWND);                             // GetDpiForWindow
using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);  // AdjustWindowRectExForDpi
using MetricForDpiFn = int(WINAPI*)(int, UINT);                         // GetSystemMetricsForDpi

const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
const HANDLE kPerMonitorAware = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3));
constexpr int kProcessPerMonitorDpiAware = 2;
constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

}  // namespace

void DeclareDpiAware() {
    if (auto setContext = SystemFunction<SetContextFn>(L"user32.dll", "SetProcessDpiAwarenessContext")) {
        if (setContext(kPerMonitorAwareV2) || setContext(kPerMonitorAware)) return;
    }
    if (auto setAwareness = SystemFunction<SetAwarenessFn>(L"shcore.dll", "SetProcessDpiAwareness")) {
        if (SUCCEEDED(setAwareness(kProcessPerMonitorDpiAware))) return;
    }
    if (auto setAware = SystemFunction<SetAwareFn>(L"user32.dll", "SetProcessDPIAware")) setAware();
}

uint32_t SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<uint32_t>(dpi) : kLayoutDpi;
}

uint32_t DpiForMonitor(HMONITOR monitor) {
    static const auto dpiForMonitor = SystemFunction<DpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
    UINT dpiX = 0, dpiY = 0;
    if (monitor && dpiForMonitor && SUCCEEDED(dpiForMonitor(monitor, kEffectiveDpi, &dpiX, &dpiY)) && dpiX > 0)
        return dpiX;
    return SystemDpi();
}

uint32_t DpiForWindow(HWND window) {
    static const auto dpiForWindow = SystemFunction<DpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
    if (dpiForWindow && window) {
        if (const UINT dpi = dpiForWindow(window)) return dpi;
    }
    return DpiForMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY));
}

bool AdjustWindowRectForDpi(RECT& client, DWORD style, DWORD exStyle, uint32_t dpi) {
    static const auto adjust = SystemFunction<AdjustForDpiFn>(L"user32.dll", "AdjustWindowRectExForDpi");
    RECT r = client;
    if (adjust && adjust(&r, style, FALSE, exStyle, dpi)) {
        client = r;
        return true;
    }
    return AdjustWindowRectEx(&client, style, FALSE, exStyle) != 0;
}

int SystemMetricForDpi(int index, uint32_t dpi) {
    static const auto metric = SystemFunction<MetricForDpiFn>(L"user32.dll", "GetSystemMetricsForDpi");
    if (metric) return metric(index, dpi);
    const uint32_t system = SystemDpi();
    return static_cast<int>(static_cast<int64_t>(GetSystemMetrics(index)) * dpi / system);
}

}  // namespace fw::win
