// The four persisted settings and the file that keeps them beside the program.
#pragma once

#include "framework/conversions.h"
#include "framework/file_port.h"
#include "music/music_kind.h"
#include "startup/file_save.h"

#include <cstdint>
#include <string>

namespace startup {

struct SaverSettings {
    int16_t PetalCount = 0;   // the petal table has PetalCount + 1 rows
    int16_t MusicKind = music::kMusicNone;  // one of the music kinds, as stored
    int16_t MusicRepeat = 0;  // CD track to keep playing, 0 for none
    std::string MusicFile;    // full path, empty for none
};

inline constexpr const char* kSection = "Section";
inline constexpr const char* kKeyPetalCount = "花びらの数";
inline constexpr const char* kKeyMusicKind = "BGM区分";
inline constexpr const char* kKeyMusicRepeat = "BGMﾘﾋﾟｰﾄ";
inline constexpr const char* kKeyMusicFile = "BGMﾌｧｲﾙ";
inline constexpr int16_t kDefaultPetalCount = 300;

// The program's folder followed by "\Fluttera.ini", joined as they are.
std::string SettingsFilePath(const std::string& programFolder);

// The value text of key in section of file (UTF-8), empty when anything is missing.
std::string ReadIniValue(fw::FilePort& files, const std::string& section, const std::string& key,
                         const std::string& file);

// Sets key in section of file to value, creating what is missing; the file is rewritten
// whole or not at all.
SaveResult WriteIniValue(fw::FilePort& files, const std::string& section, const std::string& key,
                   const std::string& value, const std::string& file);

// True when the text comes back unchanged from the settings file, which is Shift-JIS
// whatever the system: a name with letters Shift-JIS lacks would come back with "?".
bool SurvivesSettingsFile(const std::string& text);

// True when the path (without one trailing "\") opens for reading.
bool FileExists(fw::FilePort& files, const std::string& path);

// Fills the record from the settings file with its defaults and checks (from its backup
// where a cut-off save left only that). Numbers are read with the user's separators.
void LoadSettings(fw::FilePort& files, const std::string& programFolder, SaverSettings& settings,
                  const fw::NumberFormat& numbers = {});

// Writes the four keys in their order, each number in the number form, in one rewrite of
// the file: it holds either the old four values or the new four.
SaveResult WriteSettings(fw::FilePort& files, const std::string& programFolder, int16_t petalCount,
                   const SaverSettings& settings);

}  // namespace startup
