// The port to the system's media control interface (command strings) and to its
// sound player. Text crossing it is UTF-8.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace fw {

struct MediaResult {
    int32_t code = 0;   // 0 for success, otherwise the media error code
    std::string reply;  // the reply text, up to its first NUL; empty without a buffer
};

class MediaPort {
public:
    virtual ~MediaPort() = default;

    // Sends one command string synchronously, with no callback window. replyCapacity is
    // the size of the reply buffer, its closing NUL included; 0 means no buffer, and the
    // reply comes back empty. The caller cuts a reply that would not fit its buffer.
    virtual MediaResult Send(const std::string& command, uint32_t replyCapacity) = 0;

    // The system's description of a media error code for a buffer of the given size;
    // empty when the system has no text for it.
    virtual std::optional<std::string> ErrorText(int32_t code, uint32_t capacity) = 0;

    // Number of wave output devices (waveOutGetNumDevs).
    virtual int32_t WaveOutDeviceCount() = 0;

    // PlaySound(path, no module, flags); no path stops whatever the player plays.
    // The result is of no interest to anyone. (Not named PlaySound: with UNICODE the
    // system headers turn that name into a macro.)
    virtual void PlaySoundFile(const std::optional<std::string>& path, uint32_t flags) = 0;
};

}  // namespace fw
