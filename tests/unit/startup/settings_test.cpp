#include "startup/settings.h"

#include "framework/codepage.h"
#include "startup/ini_file.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

#include <map>

namespace {

const std::string kFolder = "C:\\Saver";
const std::string kIni = "C:\\Saver\\Fluttera.ini";

std::string Sjis(const std::string& utf8) { return fw::Utf8ToCp932(utf8); }

// A settings file with the given lines under [Section], in Shift-JIS.
std::string FileWith(const std::string& utf8Lines) { return Sjis("[Section]\r\n" + utf8Lines); }

startup::SaverSettings Load(fakes::Files& files) {
    startup::SaverSettings s;
    startup::LoadSettings(files, kFolder, s);
    return s;
}

TEST(SettingsFile, PathIsTheProgramFolderAndTheFileName) {
    EXPECT_EQ(startup::SettingsFilePath("C:\\Program Files\\Fluttera"), "C:\\Program Files\\Fluttera\\Fluttera.ini");
    EXPECT_EQ(startup::SettingsFilePath("C:\\"), "C:\\\\Fluttera.ini");  // joined as they are
}

TEST(SettingsFile, KeysAreSingleByteKatakanaInShiftJis) {
    EXPECT_EQ(Sjis(startup::kKeyMusicRepeat), "BGM\xd8\xcb\xdf\xb0\xc4");
    EXPECT_EQ(Sjis(startup::kKeyMusicFile), "BGM\xcc\xa7\xb2\xd9");
    EXPECT_EQ(Sjis(startup::kKeyPetalCount), "\x89\xd4\x82\xd1\x82\xe7\x82\xcc\x90\x94");
}

TEST(LoadSettings, MissingFileGivesTheDefaults) {
    fakes::Files files;
    auto s = Load(files);
    EXPECT_EQ(s.PetalCount, 300);
    EXPECT_EQ(s.MusicKind, 0);
    EXPECT_EQ(s.MusicRepeat, 0);
    EXPECT_EQ(s.MusicFile, "");
}

TEST(LoadSettings, ACutOffSavesBackupStandsInForAMissingFile) {
    const std::string backup = kIni + ".~save-old";
    struct Case { const char* name; std::map<std::string, std::string> files; int16_t petals; } cases[] = {
        {"the backup alone", {{backup, FileWith("花びらの数= 42\r\n")}}, 42},
        {"the file beside it", {{kIni, FileWith("花びらの数= 7\r\n")}, {backup, FileWith("花びらの数= 42\r\n")}}, 7},
        {"a Fluttera.ini.old is no backup", {{kIni + ".old", FileWith("花びらの数= 42\r\n")}}, 300},
    };
    for (const auto& c : cases) {
        fakes::Files files;
        files.files = c.files;
        EXPECT_EQ(Load(files).PetalCount, c.petals) << c.name;
        EXPECT_EQ(files.files, c.files) << c.name << ": loading changed a file";
    }
}

TEST(LoadSettings, PetalCountValues) {
    struct Case { std::string stored; int16_t expected; } cases[] = {
        {" 300", 300}, {"300", 300}, {"12.9", 12}, {"-3.5", -4}, {"abc", 0}, {"32768", 0},
        {"32767", 32767}, {"-32768", -32768}, {"-32769", 0}, {"1,000", 1000}, {"", 300},
        {"\"42\"", 42}, {"  7  ", 7}, {"1e2", 100}, {"0", 0},
    };
    for (const auto& c : cases) {
        fakes::Files files;
        files.files[kIni] = FileWith("花びらの数=" + c.stored + "\r\n");
        EXPECT_EQ(Load(files).PetalCount, c.expected) << "stored [" << c.stored << "]";
    }
}

TEST(LoadSettings, NumbersFollowTheUsersSeparators) {
    const fw::NumberFormat comma{",", "."};
    fakes::Files files;
    files.files[kIni] = FileWith("花びらの数=12,9\r\nBGM区分=1.000\r\nBGMﾘﾋﾟｰﾄ=2,5\r\n");
    startup::SaverSettings s;
    startup::LoadSettings(files, kFolder, s, comma);
    EXPECT_EQ(s.PetalCount, 12);
    EXPECT_EQ(s.MusicKind, 1000);
    EXPECT_EQ(s.MusicRepeat, 2);
}

TEST(LoadSettings, AFailedConversionKeepsThePreviousValue) {
    fakes::Files files;
    files.files[kIni] = FileWith("花びらの数=abc\r\nBGM区分=x\r\nBGMﾘﾋﾟｰﾄ=99999\r\n");
    startup::SaverSettings s;
    s.PetalCount = 55;
    s.MusicKind = 1;
    s.MusicRepeat = 4;
    startup::LoadSettings(files, kFolder, s);
    EXPECT_EQ(s.PetalCount, 55);
    EXPECT_EQ(s.MusicKind, 1);
    EXPECT_EQ(s.MusicRepeat, 4);
}

TEST(LoadSettings, MusicFileFallsBackWhenItCannotBeOpened) {
    struct Case { std::string kindLine, fileLine; bool fileExists, isFolder; int16_t kind; std::string file; } cases[] = {
        {"BGM区分= 2", "", false, false, 0, ""},                                     // key missing
        {"BGM区分= 2", "BGMﾌｧｲﾙ=\r\n", false, false, 0, ""},                         // empty
        {"BGM区分= 2", "BGMﾌｧｲﾙ=C:\\m\\a.mp3\r\n", false, false, 0, ""},             // missing file
        {"BGM区分= 2", "BGMﾌｧｲﾙ=C:\\m\\a.mp3\r\n", false, true, 0, ""},              // a folder
        {"BGM区分= 1", "BGMﾌｧｲﾙ=C:\\m\\a.mp3\r\n", false, false, 1, ""},             // CD stays
        {"BGM区分= 2", "BGMﾌｧｲﾙ=C:\\m\\a.mp3\r\n", true, false, 2, "C:\\m\\a.mp3"},  // fine
        {"BGM区分= 2", "BGMﾌｧｲﾙ=C:\\m\\a.mp3\\\r\n", true, false, 2, "C:\\m\\a.mp3\\"},  // one "\" dropped for the test
        {"BGM区分= 5", "", false, false, 5, ""},                                     // no range check
    };
    for (const auto& c : cases) {
        fakes::Files files;
        files.files[kIni] = FileWith(c.kindLine + "\r\n" + c.fileLine);
        if (c.fileExists) files.files["C:\\m\\a.mp3"] = "ID3";
        if (c.isFolder) files.folders.insert("C:\\m\\a.mp3");
        auto s = Load(files);
        EXPECT_EQ(s.MusicKind, c.kind) << c.kindLine << " / " << c.fileLine;
        EXPECT_EQ(s.MusicFile, c.file) << c.kindLine << " / " << c.fileLine;
    }
}

TEST(LoadSettings, JapanesePathsSurviveTheCodePage) {
    fakes::Files files;
    const std::string path = "C:\\音楽\\桜 ソング.mp3";
    files.files[kIni] = FileWith("BGM区分= 2\r\nBGMﾌｧｲﾙ=" + path + "\r\n");
    files.files[path] = "ID3";
    auto s = Load(files);
    EXPECT_EQ(s.MusicFile, path);
    EXPECT_EQ(s.MusicKind, 2);
}

TEST(LoadSettings, DamagedFilesNeverBreakTheDefaults) {
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>((i * 7919) & 0xFF));
    std::string manyLines;
    for (int i = 0; i < 100000; ++i) manyLines += "k" + std::to_string(i) + "=v\r\n";
    const std::string longLine(1 << 20, 'x');
    // A value that is there but is no number leaves the count at its start value, 0.
    struct Case { const char* name; std::string content; int16_t petals; } cases[] = {
        {"empty", "", 300}, {"garbage", garbage, 300}, {"100000 lines", "[Section]\r\n" + manyLines, 300},
        {"1 MB line", longLine, 300}, {"1 MB value", Sjis("[Section]\r\n花びらの数=") + longLine, 0},
        {"1 MB number", Sjis("[Section]\r\n花びらの数=") + std::string(1 << 20, '9'), 0},
        {"no line breaks", "[Section]", 300}, {"NUL bytes", std::string("[Section]\r\nBGM\0=1\r\n", 18), 300},
    };
    for (const auto& c : cases) {
        fakes::Files files;
        files.files[kIni] = c.content;
        auto s = Load(files);
        EXPECT_EQ(s.PetalCount, c.petals) << c.name;
        EXPECT_EQ(s.MusicKind, 0) << c.name;
        EXPECT_EQ(files.files[kIni], c.content) << c.name;  // reading never changes the file
    }
}

TEST(LoadSettings, UnreadableFileOrFolderGivesDefaults) {
    fakes::Files files;
    files.folders.insert(kIni);
    EXPECT_EQ(Load(files).PetalCount, 300);
    fakes::Files locked;
    locked.files[kIni] = FileWith("花びらの数= 5\r\n");
    locked.unreadable.insert(kIni);
    EXPECT_EQ(Load(locked).PetalCount, 300);
}

TEST(ReadIniValue, LongValuesAreCutTo255Bytes) {
    fakes::Files files;
    files.files[kIni] = "[Section]\r\nBGM=" + std::string(300, 'a') + "\r\n";
    EXPECT_EQ(startup::ReadIniValue(files, "Section", "BGM", kIni), std::string(255, 'a'));
    // A double-byte character is never split in half by the cut.
    files.files[kIni] = "[Section]\r\nBGM=ab" + std::string(254, '\x82') + "\r\n";  // full-width letters
    std::string v = startup::ReadIniValue(files, "Section", "BGM", kIni);
    EXPECT_EQ(fw::Utf8ToCp932(v).size(), 254u);
}

TEST(WriteSettings, WritesTheFourKeysInOrderInTheNumberForm) {
    fakes::Files files;
    startup::SaverSettings s;
    s.MusicKind = 1;
    s.MusicRepeat = -1;
    startup::WriteSettings(files, kFolder, 300, s);
    EXPECT_EQ(files.files[kIni], Sjis("[Section]\r\n花びらの数= 300\r\nBGM区分= 1\r\nBGMﾘﾋﾟｰﾄ=-1\r\nBGMﾌｧｲﾙ=\r\n"));
    auto back = Load(files);
    EXPECT_EQ(back.PetalCount, 300);
    EXPECT_EQ(back.MusicKind, 1);
    EXPECT_EQ(back.MusicRepeat, -1);
}

TEST(WriteIniValue, LongSectionAndKeyNamesAreCutTo128Characters) {
    fakes::Files files;
    startup::WriteIniValue(files, std::string(200, 's'), std::string(130, 'k'), "v", kIni);
    EXPECT_EQ(files.files[kIni], "[" + std::string(128, 's') + "]\r\n" + std::string(128, 'k') + "=v\r\n");
}

}  // namespace
