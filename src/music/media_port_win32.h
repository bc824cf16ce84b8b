// The media port over winmm: mciSendStringW, mciGetErrorStringW, waveOutGetNumDevs and
// PlaySoundW. A forwarder only; every decision is the music module's.
#pragma once

#include "framework/media_port.h"

namespace music {

class Win32MediaPort final : public fw::MediaPort {
public:
    fw::MediaResult Send(const std::string& command, uint32_t replyCapacity) override;
    std::optional<std::string> ErrorText(int32_t code, uint32_t capacity) override;
    int32_t WaveOutDeviceCount() override;
    void PlaySoundFile(const std::optional<std::string>& path, uint32_t flags) override;
};

}  // namespace music
