// The music module: a thin layer over the media command strings, the music-file player
// (WAV through the sound player, MP3 through the media device "MP3Play") and the
// audio-CD player ("cdaudio"). Nothing here ever shows a message to the user: failures
// end up in result codes and reply texts and are otherwise absorbed.
#pragma once

#include "framework/media_port.h"

#include <cstdint>
#include <string>

namespace music {

// Sizes of the process-wide buffers, closing NUL included.
constexpr uint32_t kReplyBufferSize = 512;
constexpr uint32_t kErrorTextBufferSize = 256;
constexpr uint32_t kCdModeAreaSize = 255;
constexpr uint32_t kMp3ModeAreaSize = 30;

// Result code of an empty command; the media system's own codes are positive.
constexpr int32_t kEmptyCommandCode = -1;

extern const char* const kNoCommandText;   // reply to an empty command
extern const char* const kNoErrorText;     // reply when the system has no description

// PlaySound flags: SND_ASYNC | SND_LOOP to start a WAV file, none to stop it.
constexpr uint32_t kWavLoopFlags = 9;
constexpr uint32_t kWavStopFlags = 0;

// Cuts a reply to what a buffer of `capacity` bytes (NUL included) can hold, without
// splitting a UTF-8 character. Capacity 0 holds nothing.
std::string CutToBuffer(std::string text, uint32_t capacity);

class Bgm {
public:
    explicit Bgm(fw::MediaPort& port) : port_(port) {}

    // --- Media command layer -------------------------------------------------------
    // Sends a command with the 512-byte reply buffer; the reply (or the description of
    // the error, or one of the two fixed messages) goes to `reply`.
    int32_t MciSend(const std::string& command, std::string& reply);
    // The reply of a command, or "Error:<code>" when it fails.
    std::string MciQuery(const std::string& command);
    // "play <device>[ from <from>][ to <to>]"; returns the result code.
    int32_t MciPlay(const std::string& device, const std::string& from, const std::string& to);
    const std::string& LastMciReply() const { return lastMciReply_; }

    // --- Music file ----------------------------------------------------------------
    void WavStart(const std::string& path);
    void WavStop();
    void Mp3Start(const std::string& path);
    bool Mp3IsPlaying();
    void Mp3Poll();
    void Mp3Stop();

    // --- Audio CD ------------------------------------------------------------------
    void CdOpen();
    void CdPoll(int16_t musicRepeat);
    bool CdPollOk() const { return cdPollOk_; }
    void CdPreviousTrack() { CdJump(-1); }
    void CdNextTrack() { CdJump(+1); }
    void CdClose();

private:
    // A command sent straight to the system, with a reply area of its own (or none).
    fw::MediaResult Direct(const std::string& command, uint32_t replyCapacity);
    void CdJump(int step);

    fw::MediaPort& port_;
    std::string replyBuffer_;      // text of the 512-byte reply buffer
    std::string errorTextBuffer_;  // text of the 256-byte error-text buffer
    std::string lastMciReply_;
    std::string cdModeArea_;       // reply area of "status cdaudio mode"
    std::string mp3ModeArea_;      // reply area of "status MP3Play mode"
    bool cdPollOk_ = false;
};

}  // namespace music
