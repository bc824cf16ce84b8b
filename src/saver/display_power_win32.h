// The console display's power for the saver window: the system tells the window when the
// display goes off, dims or comes back (WM_POWERBROADCAST), where the system can.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

namespace saver {

// The power settings that report the display: the console display's state (Windows 8 on;
// 0 off, 1 on, 2 dimmed) and the monitor's power (older systems; 0 off, 1 on).
extern const GUID kConsoleDisplayState;
extern const GUID kMonitorPowerOn;

class DisplayPowerNotice {
public:
    // Asks for the console display's state for this window, else for the monitor's power.
    // The functions are looked up at run time, so a system without them (or without either
    // setting) only leaves the saver drawing all the time.
    void Register(HWND window);
    void Unregister();

private:
    HANDLE handle_ = nullptr;
};

// The display state a WM_POWERBROADCAST carries, when it reports one of the two settings.
std::optional<uint32_t> DisplayStateOf(WPARAM wp, LPARAM lp);

}  // namespace saver
