#include "startup/settings.h"

#include "framework/codepage.h"
#include "framework/conversions.h"
#include "startup/ini_file.h"

namespace startup {

std::string SettingsFilePath(const std::string& programFolder) { return programFolder + "\\Fluttera.ini"; }

namespace {
// Section and key travel in 128-character buffers, which cut longer names.
std::string Cut128(const std::string& utf8) {
    std::size_t chars = 0, i = 0;
    while (i < utf8.size()) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        std::size_t step = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        if (chars == 128) return utf8.substr(0, i);
        ++chars;
        i += step;
    }
    return utf8;
}

// A number key: floor of the whole-text value, kept as it was when it is not a number
// or does not fit 16 bits. Empty text gives the default.
void ReadNumber(fw::FilePort& files, const std::string& file, const fw::NumberFormat& numbers, const char* key,
                int16_t emptyValue, int16_t& field) {
    std::string text = ReadIniValue(files, kSection, key, file);
    if (text.empty()) {
        field = emptyValue;
        return;
    }
    auto value = fw::ParseNumber(text, numbers);
    if (!value) return;
    auto whole = fw::ToInt16(fw::Floor(*value));
    if (whole) field = *whole;
}

// The file's content with one key set, names and value in the file's code page.
std::string SetValue(const std::string& content, const std::string& section, const std::string& key,
                     const std::string& value) {
    return IniWrite(content, fw::Utf8ToCp932(Cut128(section)), fw::Utf8ToCp932(Cut128(key)), fw::Utf8ToCp932(value));
}
}  // namespace

std::string ReadIniValue(fw::FilePort& files, const std::string& section, const std::string& key,
                         const std::string& file) {
    auto content = files.ReadAll(file);
    if (!content) return std::string();
    std::string value = IniRead(*content, fw::Utf8ToCp932(section), fw::Utf8ToCp932(key));
    // The caller sees the text up to its first NUL.
    std::size_t nul = value.find('\0');
    if (nul != std::string::npos) value.resize(nul);
    return fw::Cp932ToUtf8(value);
}

SaveResult WriteIniValue(fw::FilePort& files, const std::string& section, const std::string& key,
                         const std::string& value, const std::string& file) {
    std::string content;
    SaveResult read = ReadForUpdate(files, file, content);
    if (!read.ok()) return read;
    return ReplaceWhole(files, file, SetValue(content, section, key, value));
}

bool SurvivesSettingsFile(const std::string& text) { return fw::Cp932ToUtf8(fw::Utf8ToCp932(text)) == text; }

bool FileExists(fw::FilePort& files, const std::string& path) {
    std::string p = path;
    if (!p.empty() && p.back() == '\\') p.pop_back();
    if (p.empty()) return false;
    return files.CanOpenForReading(p);
}

void LoadSettings(fw::FilePort& files, const std::string& programFolder, SaverSettings& s,
                  const fw::NumberFormat& numbers) {
    const std::string file = PathToRead(files, SettingsFilePath(programFolder));
    ReadNumber(files, file, numbers, kKeyPetalCount, kDefaultPetalCount, s.PetalCount);
    ReadNumber(files, file, numbers, kKeyMusicKind, music::kMusicNone, s.MusicKind);
    ReadNumber(files, file, numbers, kKeyMusicRepeat, 0, s.MusicRepeat);
    std::string music = ReadIniValue(files, kSection, kKeyMusicFile, file);
    if (!music.empty() && FileExists(files, music)) {
        s.MusicFile = music;
        return;
    }
    s.MusicFile.clear();
    if (s.MusicKind == music::kMusicFile) s.MusicKind = music::kMusicNone;
}

SaveResult WriteSettings(fw::FilePort& files, const std::string& programFolder, int16_t petalCount,
                         const SaverSettings& s) {
    const std::string file = SettingsFilePath(programFolder);
    std::string content;
    SaveResult read = ReadForUpdate(files, file, content);
    if (!read.ok()) return read;
    content = SetValue(content, kSection, kKeyPetalCount, fw::NumberForm(petalCount));
    content = SetValue(content, kSection, kKeyMusicKind, fw::NumberForm(s.MusicKind));
    content = SetValue(content, kSection, kKeyMusicRepeat, fw::NumberForm(s.MusicRepeat));
    content = SetValue(content, kSection, kKeyMusicFile, s.MusicFile);
    return ReplaceWhole(files, file, content);
}

}  // namespace startup
