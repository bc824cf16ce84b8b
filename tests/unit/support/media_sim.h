// A media system in software, for the tests: an interpreter for the command strings the music module sends,
// with an audio-CD drive ("cdaudio"), MP3 files opened as "MPEGVideo" devices, and a
// sound player. Time passes only when Advance is called.
//
// The CD counts in frames, 75 to the second, from the start of the disc. Positions are
// written and read in the device's time format: "msf" (the default, MM:SS:FF from the
// disc start), "tmsf" (TT:MM:SS:FF, the track and the time into it; fewer fields may be
// given: "3" is the start of track 3) or "milliseconds". A disc that plays to its end
// stops and goes back to its start. MP3 devices count in milliseconds and stay at the
// end of the file when it ends.
//
// Failures answer the media system's codes:
//   259 unknown keyword          261 unknown command        263 device not open or unknown
//   265 device already open      266 drive cannot be opened (every cdaudio command)
//   270 a number that is none    273 parameter missing      275 file not found
//   276 no disc in the drive     282 position or track out of range
//   289 alias already in use     293 time format unknown    294 closing quote missing
//   348 the file cannot be read (it went away while open)
// Replies come back whole; cutting them to a buffer is the caller's business.
#pragma once

#include "framework/media_port.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace music::sim {

namespace code {
constexpr int32_t kUnrecognizedKeyword = 259;
constexpr int32_t kUnrecognizedCommand = 261;
constexpr int32_t kUnknownDevice = 263;  // not open, or no such device
constexpr int32_t kAlreadyOpen = 265;
constexpr int32_t kCannotOpenDrive = 266;
constexpr int32_t kBadInteger = 270;
constexpr int32_t kMissingParameter = 273;
constexpr int32_t kFileNotFound = 275;
constexpr int32_t kNoDisc = 276;
constexpr int32_t kOutOfRange = 282;
constexpr int32_t kDuplicateAlias = 289;
constexpr int32_t kBadTimeFormat = 293;
constexpr int32_t kNoClosingQuote = 294;
constexpr int32_t kFileRead = 348;
}  // namespace code

constexpr int64_t kFramesPerSecond = 75;

class SimMedia final : public fw::MediaPort {
public:
    struct Sent {
        std::string command;
        uint32_t capacity;
        int32_t code;
    };
    struct SoundCall {
        std::optional<std::string> path;
        uint32_t flags;
    };

    SimMedia();

    // --- Setting the scene ----------------------------------------------------------
    void InsertDisc(std::vector<int64_t> trackFrames);  // lengths of the tracks, in frames
    void EjectDisc();
    void SetDriveMissing(bool missing) { driveMissing_ = missing; }
    void AddFile(const std::string& path, int64_t lengthMs);
    // The file is deleted or its medium is gone: a device playing it stops where it is and
    // cannot play it again; a new open does not find it.
    void LoseFile(const std::string& path);
    void SetWaveOutDevices(int32_t count) { waveDevices_ = count; }
    // The description of a code; none makes the system have no text for it.
    void SetErrorText(int32_t code, std::optional<std::string> text);
    // The reply to "info cdaudio product".
    void SetProduct(std::string text) { product_ = std::move(text); }

    // --- The clock ------------------------------------------------------------------
    void Advance(int64_t ms);
    int64_t Now() const { return nowMs_; }

    // --- What happened --------------------------------------------------------------
    const std::vector<Sent>& Log() const { return log_; }
    std::vector<std::string> Commands() const;
    void ClearLog() { log_.clear(); }
    const std::vector<SoundCall>& SoundCalls() const { return sounds_; }
    const std::optional<std::string>& LoopingSound() const { return looping_; }

    bool CdOpen() const { return cd_.open; }
    bool CdPlaying();
    int64_t CdFrame();      // position from the disc start
    int32_t CdTrack();      // track under the position
    int64_t TrackStart(int32_t track) const;  // first frame of a track (1-based)

    bool FileOpen(const std::string& alias) const;
    bool FilePlaying(const std::string& alias);
    int64_t FilePositionMs(const std::string& alias);

    // --- The port -------------------------------------------------------------------
    fw::MediaResult Send(const std::string& command, uint32_t replyCapacity) override;
    std::optional<std::string> ErrorText(int32_t code, uint32_t capacity) override;
    int32_t WaveOutDeviceCount() override { return waveDevices_; }
    void PlaySoundFile(const std::optional<std::string>& path, uint32_t flags) override;

private:
    enum class TimeFormat { Msf, Tmsf, Milliseconds };

    // Something that plays along the clock from `from` towards `to`.
    struct Playhead {
        bool playing = false;
        int64_t position = 0;    // where it stands, or where it started when playing
        int64_t to = 0;
        int64_t startedMs = 0;
        int64_t unitsPerSecond = 1000;
        int64_t At(int64_t nowMs) const;
    };
    struct Cd {
        bool open = false;
        TimeFormat format = TimeFormat::Msf;
        Playhead head{false, 0, 0, 0, kFramesPerSecond};
    };
    struct FileDevice {
        std::string path;
        int64_t lengthMs = 0;
        Playhead head;
    };

    fw::MediaResult Execute(const std::vector<std::string>& words);
    fw::MediaResult OpenCommand(const std::vector<std::string>& words);
    fw::MediaResult CdCommand(const std::string& verb, const std::vector<std::string>& rest);
    fw::MediaResult FileCommand(FileDevice& device, const std::string& alias,
                                const std::string& verb, const std::vector<std::string>& rest);
    void Settle();  // ends what has played to its end
    int64_t DiscLength() const;
    int32_t TrackAt(int64_t frame) const;
    std::string FormatCd(int64_t frame) const;
    // A position in the CD's time format; the code says why it is none.
    int32_t ParseCd(const std::string& text, int64_t& frame) const;

    int64_t nowMs_ = 0;
    bool driveMissing_ = false;
    std::optional<std::vector<int64_t>> disc_;
    Cd cd_;
    std::map<std::string, int64_t> files_;         // known files and their lengths
    std::vector<std::string> lost_;                // files gone while a device held them
    std::map<std::string, FileDevice> devices_;    // open file devices by alias (lower case)
    int32_t waveDevices_ = 0;
    std::optional<std::string> looping_;
    std::string product_ = "CD Audio";
    std::map<int32_t, std::optional<std::string>> errorTexts_;
    std::vector<Sent> log_;
    std::vector<SoundCall> sounds_;
};

}  // namespace music::sim
