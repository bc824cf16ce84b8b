// What the saver window does with the music: start it at load, keep it going from its
// two timers, skip CD tracks on the arrow keys and stop it at the exit. The window owns
// the timers; these functions only say what they should do.
#pragma once

#include "music/bgm.h"
#include "music/music_kind.h"

#include <cstdint>
#include <string>

namespace music {

// The three music settings the saver reads.
struct MusicChoice {
    int16_t kind = kMusicNone;  // one of the music kinds
    int16_t repeat = 0;  // CD track to keep playing, 0 for none
    std::string file;    // full path of the music file
};

// Timer intervals of the saver window.
constexpr uint32_t kMp3TimerMs = 1000;  // Timer1
constexpr uint32_t kCdTimerMs = 200;    // Timer2

constexpr int32_t kKeyLeft = 37;
constexpr int32_t kKeyRight = 39;

enum class FileType { Wav, Mp3, Other };

// The last three characters of the path, upper-cased.
std::string FileEnding(const std::string& path);
// Only the ending counts: "WAV", "MP3", anything else.
FileType FileTypeOf(const std::string& path);

enum class MusicTimer { None, Timer1, Timer2 };

// At load: starts the chosen music and says which timer to enable.
MusicTimer StartMusic(Bgm& bgm, const MusicChoice& choice);

// Timer1 tick.
inline void OnMp3Timer(Bgm& bgm) { bgm.Mp3Poll(); }
// Timer2 tick: returns Timer2's new enabled state; false stops the polling for good.
bool OnCdTimer(Bgm& bgm, const MusicChoice& choice);

enum class KeyAction { PreviousTrack, NextTrack, EndSaver };

// Arrow keys skip CD tracks while the CD plays; every other key ends the saver.
KeyAction KeyDownAction(int16_t kind, int32_t keyCode);
// Carries out a track skip; returns the action, so the window ends on EndSaver.
KeyAction OnKeyDown(Bgm& bgm, int16_t kind, int32_t keyCode);

// At the exit: with Timer2 still enabled, disables it (through the flag) and closes the
// CD; a music file is stopped by its type.
void StopMusic(Bgm& bgm, const MusicChoice& choice, bool& timer2Enabled);

}  // namespace music
