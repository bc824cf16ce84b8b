#include "saver/display_power_win32.h"

#include <cstring>

namespace saver {

const GUID kConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
const GUID kMonitorPowerOn = {0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};

namespace {

// From user32, which the program imports already (a KnownDLL, so the system's own copy);
// missing before Windows Vista.
template <typename Fn>
Fn User32Function(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

}  // namespace

void DisplayPowerNotice::Register(HWND window) {
    using RegisterFn = HANDLE(WINAPI*)(HANDLE, const GUID*, DWORD);
    const auto registerFn = User32Function<RegisterFn>("RegisterPowerSettingNotification");
    if (!registerFn || handle_) return;
    handle_ = registerFn(window, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (!handle_) handle_ = registerFn(window, &kMonitorPowerOn, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void DisplayPowerNotice::Unregister() {
    using UnregisterFn = BOOL(WINAPI*)(HANDLE);
    const auto unregisterFn = User32Function<UnregisterFn>("UnregisterPowerSettingNotification");
    if (handle_ && unregisterFn) unregisterFn(handle_);
    handle_ = nullptr;
}

std::optional<uint32_t> DisplayStateOf(WPARAM wp, LPARAM lp) {
    const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(lp);
    if (wp != PBT_POWERSETTINGCHANGE || !setting || setting->DataLength < sizeof(DWORD)) return std::nullopt;
    if (!IsEqualGUID(setting->PowerSetting, kConsoleDisplayState) && !IsEqualGUID(setting->PowerSetting, kMonitorPowerOn))
        return std::nullopt;
    DWORD state = 0;
    std::memcpy(&state, setting->Data, sizeof state);
    return state;
}

}  // namespace saver
