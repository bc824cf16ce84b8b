// The process's DPI awareness and what the system says of DPI, for both modes that draw
// in real pixels: the saver and the settings dialog. Functions newer than the oldest
// system the program runs on are looked up at run time, so the imports stay as they are
// and the program still starts where they are missing.
#pragma once

#include <windows.h>

#include <cstdint>

namespace fw::win {

// Before any window: the process works in the screens' real pixels, per monitor where
// the system knows that, else at the system DPI.
void DeclareDpiAware();

// The DPI of the screen as a whole (96 when it cannot be read).
uint32_t SystemDpi();

// A monitor's own DPI; the system DPI where the system cannot tell.
uint32_t DpiForMonitor(HMONITOR monitor);

// The DPI a window is drawn at: its own where the system tracks it, else its monitor's.
uint32_t DpiForWindow(HWND window);

// The outer rectangle a window of that style needs around `client` at `dpi`; the
// system-DPI answer where the system has no per-DPI one.
bool AdjustWindowRectForDpi(RECT& client, DWORD style, DWORD exStyle, uint32_t dpi);

// A system metric (SM_CXSMICON, ...) at `dpi`, scaled from the system DPI's where the
// system has no per-DPI answer.
int SystemMetricForDpi(int index, uint32_t dpi);

}  // namespace fw::win
