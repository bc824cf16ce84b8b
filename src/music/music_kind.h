// The music the saver plays, as the settings file stores it (BGM区分): one of these
// numbers. Any other stored number plays nothing and chooses no option in the dialog.
#pragma once

#include <cstdint>

namespace music {

constexpr int16_t kMusicNone = 0;
constexpr int16_t kMusicCd = 1;    // the audio CD in the first drive
constexpr int16_t kMusicFile = 2;  // a WAV or MP3 file
constexpr int kMusicKinds = 3;

}  // namespace music
