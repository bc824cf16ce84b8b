#include "saver/display_power_win32.h"

#include "framework/system_dll_win32.h"

#include <cstring>

namespace saver {

const GUID kConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
const GUID kMonitorPowerOn = {0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};

void DisplayPowerNotice::Register(HWND window) {
    using RegisterFn = HANDLE(WINAPI*)(HANDLE, const GUID*, DWORD);
    const auto registerFn = fw::win::SystemFunction<RegisterFn>(L"user32.dll", "RegisterPowerSettingNotification");
    if (!registerFn || handle_) return;
    handle_ = registerFn(window, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (!handle_) handle_ = registerFn(window, &kMonitorPowerOn, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void DisplayPowerNotice::Unregister() {
    using UnregisterFn = BOOL(WINAPI*)(HANDLE);
    const auto unregisterFn = fw::win::SystemFunction<UnregisterFn>(L"user32.dll", "UnregisterPowerSettingNotification");
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
