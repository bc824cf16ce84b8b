// The media port over winmm: mciSendStringW, mciGetErrorStringW, waveOutGetNumDevs and
// PlaySoundW. A forwarder only; every decision is the music module's.
#pragma once

#include "framework/media_port.h"

#include <windows.h>
#include <mmsystem.h>

namespace music {

class Win32MediaPort final : public fw::MediaPort {
public:
    // The functions come from the system folder's DLL of that name. Where one cannot be
    // had, its call fails as the system's would: the music stays silent.
    explicit Win32MediaPort(const wchar_t* dll = L"winmm.dll");

    fw::MediaResult Send(const std::string& command, uint32_t replyCapacity) override;
    std::optional<std::string> ErrorText(int32_t code, uint32_t capacity) override;
    int32_t WaveOutDeviceCount() override;
    void PlaySoundFile(const std::optional<std::string>& path, uint32_t flags) override;

private:
    decltype(&mciSendStringW) send_;
    decltype(&mciGetErrorStringW) errorString_;
    decltype(&waveOutGetNumDevs) deviceCount_;
    decltype(&PlaySoundW) playSound_;
};

}  // namespace music
