#include "settings_dialog/dialog_model.h"

#include "framework/codepage.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

namespace {

const std::string kFolder = "C:\\Saver";
const std::string kIni = "C:\\Saver\\Fluttera.ini";

startup::SaverSettings Stored(int16_t petals, int16_t kind, int16_t repeat, std::string file) {
    startup::SaverSettings s;
    s.PetalCount = petals;
    s.MusicKind = kind;
    s.MusicRepeat = repeat;
    s.MusicFile = std::move(file);
    return s;
}

// The settings file the dialog writes, for these four value texts, in Shift-JIS.
std::string FileFor(const std::string& petals, const std::string& kind, const std::string& repeat,
                    const std::string& file) {
    return fw::Utf8ToCp932("[Section]\r\n花びらの数=" + petals + "\r\nBGM区分=" + kind + "\r\nBGMﾘﾋﾟｰﾄ=" + repeat +
                           "\r\nBGMﾌｧｲﾙ=" + file + "\r\n");
}

struct Dialog {
    explicit Dialog(startup::SaverSettings s) : settings(std::move(s)), model(settings, files, kFolder) {
        model.Load();
    }
    startup::SaverSettings settings;
    fakes::Files files;
    dialog::DialogModel model;
};

std::vector<bool> Indicators(const dialog::DialogModel& m) {
    return {m.IndicatorChosen(0), m.IndicatorChosen(1), m.IndicatorChosen(2)};
}

TEST(DialogLoad, PetalCountInAndOutOfTheBarsRange) {
    struct Case { int16_t stored; int bar; const char* label; } cases[] = {
        {300, 300, "300"}, {0, 0, "0"}, {500, 500, "500"}, {600, 100, "600"}, {-5, 100, "-5"}, {501, 100, "501"},
    };
    for (const auto& c : cases) {
        Dialog d(Stored(c.stored, 0, 0, ""));
        EXPECT_EQ(d.model.ScrollValue(), c.bar) << c.stored;
        EXPECT_EQ(d.model.PetalLabel(), c.label) << c.stored;
    }
}

TEST(DialogLoad, IndicatorsShowTheMusicKind) {
    EXPECT_EQ(Indicators(Dialog(Stored(300, 0, 0, "")).model), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(Indicators(Dialog(Stored(300, 1, 0, "")).model), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(Indicators(Dialog(Stored(300, 2, 0, "")).model), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(Indicators(Dialog(Stored(300, 7, 0, "")).model), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(Indicators(Dialog(Stored(300, -1, 0, "")).model), (std::vector<bool>{false, false, false}));
}

TEST(DialogLoad, TrackListTextAndEntries) {
    EXPECT_EQ(Dialog(Stored(300, 1, 0, "")).model.TrackListText(), "");
    EXPECT_EQ(Dialog(Stored(300, 1, 7, "")).model.TrackListText(), "7");
    EXPECT_EQ(Dialog(Stored(300, 1, 45, "")).model.TrackListText(), "45");
    EXPECT_EQ(Dialog(Stored(300, 1, -1, "")).model.TrackListText(), "-1");
    const auto& entries = dialog::DialogModel::TrackEntries();
    ASSERT_EQ(entries.size(), 31u);
    EXPECT_EQ(entries[0], "");
    EXPECT_EQ(entries[1], "1");
    EXPECT_EQ(entries[30], "30");
}

TEST(DialogLoad, FileNameShownUnchangedWithAmpersandsKeptVisible) {
    Dialog d(Stored(300, 2, 0, "C:\\Music\\Rock & Roll\\a&&b.mp3"));
    EXPECT_EQ(d.model.FileCaption(), "C:\\Music\\Rock & Roll\\a&&b.mp3");
    EXPECT_EQ(d.model.FileLabelText(), "C:\\Music\\Rock && Roll\\a&&&&b.mp3");

    std::string longPath = "C:\\" + std::string(248, 'x') + ".mp3";
    ASSERT_EQ(longPath.size(), 255u);
    EXPECT_EQ(Dialog(Stored(300, 2, 0, longPath)).model.FileCaption(), longPath);
    EXPECT_EQ(dialog::LabelText(""), "");
    EXPECT_EQ(dialog::LabelText("&"), "&&");
}

TEST(DialogLoad, ChangesNothingInTheRecord) {
    Dialog d(Stored(600, 7, -1, "x"));
    EXPECT_EQ(d.settings.PetalCount, 600);
    EXPECT_EQ(d.settings.MusicKind, 7);
    EXPECT_EQ(d.settings.MusicRepeat, -1);
    EXPECT_EQ(d.settings.MusicFile, "x");
}

TEST(MusicChoice, SelectingAKindMovesTheIndicatorAndSetsTheRecord) {
    Dialog d(Stored(300, 1, 0, ""));
    d.model.SelectMusicKind(0);
    EXPECT_EQ(Indicators(d.model), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(d.settings.MusicKind, 0);
    d.model.SelectMusicKind(0);  // again: nothing changes
    EXPECT_EQ(Indicators(d.model), (std::vector<bool>{true, false, false}));
    d.model.SelectMusicKind(2);
    EXPECT_EQ(Indicators(d.model), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(d.settings.MusicKind, 2);
    EXPECT_EQ(d.files.writes, 0);  // choosing is not saving
}

TEST(MusicChoice, AnIndexNoOptionHasChangesNothing) {
    Dialog d(Stored(300, 1, 0, ""));
    d.model.SelectMusicKind(3);
    d.model.SelectMusicKind(-1);
    EXPECT_EQ(Indicators(d.model), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(d.settings.MusicKind, 1);
}

TEST(MusicChoice, SelectingFromAnUnknownKindShowsExactlyOne) {
    Dialog d(Stored(300, 7, 0, ""));
    d.model.SelectMusicKind(1);
    EXPECT_EQ(Indicators(d.model), (std::vector<bool>{false, true, false}));
}

TEST(MusicChoice, ChosenFileTakesTheBufferUpToItsFirstNul) {
    Dialog d(Stored(300, 0, 0, "C:\\old.wav"));
    std::string buffer = "D:\\new song.mp3";
    buffer.resize(255, '\0');
    buffer.replace(20, 3, "zzz");  // left-overs behind the NUL are not part of the path
    d.model.ChooseMusicFile(1, buffer);
    EXPECT_EQ(d.settings.MusicFile, "D:\\new song.mp3");
    EXPECT_EQ(d.model.FileCaption(), "D:\\new song.mp3");
    EXPECT_EQ(d.settings.MusicKind, 0);  // the kind stays as chosen
}

TEST(MusicChoice, CancelledOrFailedChooserKeepsThePreviousFile) {
    for (int32_t result : {0, -1}) {
        Dialog d(Stored(300, 2, 0, "C:\\old.wav"));
        d.model.ChooseMusicFile(result, std::string("D:\\new.mp3\0", 11));
        EXPECT_EQ(d.settings.MusicFile, "C:\\old.wav");
        EXPECT_EQ(d.model.FileCaption(), "C:\\old.wav");
    }
}

TEST(MusicChoice, ANameShiftJisCannotHoldIsStoredShortOrRefused) {
    const std::string jose = "C:\\Users\\José\\a.mp3";
    struct Case { std::string chosen, shortForm, stored; bool told; } cases[] = {
        {jose, "C:\\Users\\JOS~1\\a.mp3", "C:\\Users\\JOS~1\\a.mp3", false},  // the short form
        {jose, "", "C:\\old.wav", true},                 // no short form: kept, and the user is told
        {jose, jose, "C:\\old.wav", true},               // a short form that is the long one
        {"C:\\曲\\桜.mp3", "", "C:\\曲\\桜.mp3", false},  // Shift-JIS holds it as it is
    };
    for (const auto& c : cases) {
        Dialog d(Stored(300, 2, 0, "C:\\old.wav"));
        if (!c.shortForm.empty()) d.files.shortPaths[c.chosen] = c.shortForm;
        d.model.ChooseMusicFile(1, c.chosen);
        EXPECT_EQ(d.settings.MusicFile, c.stored) << c.chosen;
        EXPECT_EQ(d.model.FileCaption(), c.stored);
        const std::string notice = d.model.TakeNotice();
        EXPECT_EQ(!notice.empty(), c.told) << c.chosen;
        EXPECT_EQ(d.model.TakeNotice(), "");  // told once
    }
}

TEST(MusicChoice, OpenFileRequest) {
    const auto& r = dialog::MusicFileRequest();
    EXPECT_EQ(r.filter, std::string("BGMﾌｧｲﾙ (MP3 WAV)") + '\0' + "*.MP3;*.WAV" + '\0' + '\0');
    EXPECT_EQ(r.title, "ﾌｧｲﾙを選択");
    EXPECT_EQ(r.fileBufferChars, 255u);
    EXPECT_EQ(r.fileTitleBufferChars, 255u);
    EXPECT_EQ(r.flags, 0u);
    EXPECT_EQ(r.filterIndex, 0u);
}

TEST(PetalBar, StepsAndLimits) {
    Dialog d(Stored(495, 0, 0, ""));
    d.model.ScrollLines(1);
    EXPECT_EQ(d.model.ScrollValue(), 500);
    EXPECT_EQ(d.model.PetalLabel(), "500");
    d.model.ScrollPages(-1);
    EXPECT_EQ(d.model.ScrollValue(), 450);
    d.model.ScrollLines(-1);
    EXPECT_EQ(d.model.PetalLabel(), "440");
    d.model.ScrollTo(3);
    EXPECT_EQ(d.model.ScrollValue(), 3);
    d.model.ScrollPages(-1);
    EXPECT_EQ(d.model.ScrollValue(), 0);
    d.model.ScrollTo(9999);
    EXPECT_EQ(d.model.ScrollValue(), 500);
    EXPECT_EQ(d.model.PetalLabel(), "500");
}

TEST(PetalBar, TheLabelFollowsTheBarAfterAnOutOfRangeLoad) {
    Dialog d(Stored(600, 0, 0, ""));
    d.model.ScrollLines(1);
    EXPECT_EQ(d.model.ScrollValue(), 110);
    EXPECT_EQ(d.model.PetalLabel(), "110");
}

TEST(SaveSettings, WritesTheFourKeysInOrderInShiftJis) {
    Dialog d(Stored(300, 1, 0, ""));
    d.model.SaveSettings("12");
    EXPECT_EQ(d.files.files[kIni], fw::Utf8ToCp932("[Section]\r\n花びらの数= 300\r\nBGM区分= 1\r\nBGMﾘﾋﾟｰﾄ= 12\r\nBGMﾌｧｲﾙ=\r\n"));
    EXPECT_EQ(d.settings.MusicRepeat, 12);
}

TEST(SaveSettings, TrackTextToTrackNumber) {
    struct Case { const char* text; int16_t previous; const char* written; } cases[] = {
        {"12", 0, " 12"},   {"", 5, " 0"},        {"abc", 5, " 0"},    {" 3 ", 0, " 3"},
        {"2.5", 0, " 2"},   {"3.5", 0, " 4"},     {"-2.5", 0, "-2"},   {"99999", 7, " 7"},
        {"-32769", 7, " 7"}, {"32767", 0, " 32767"}, {"-32768", 0, "-32768"}, {"32767.5", 9, " 9"},
        {"1,000", 0, " 1000"}, {"1e1", 0, " 10"}, {"-1", 0, "-1"},    {"45", 0, " 45"},
    };
    for (const auto& c : cases) {
        Dialog d(Stored(300, 1, c.previous, ""));
        d.model.SaveSettings(c.text);
        EXPECT_EQ(d.files.files[kIni], FileFor(" 300", " 1", c.written, "")) << "[" << c.text << "]";
    }
}

TEST(SaveSettings, TrackTextFollowsTheUsersSeparators) {
    startup::SaverSettings settings = Stored(300, 1, 0, "");
    fakes::Files files;
    dialog::DialogModel model(settings, files, kFolder, fw::NumberFormat{",", "."});
    model.Load();
    model.SaveSettings("3,5");
    EXPECT_EQ(files.files[kIni], FileFor(" 300", " 1", " 4", ""));
}

TEST(SaveSettings, RightAfterLoadWritesBackTheLoadedValues) {
    struct Case { startup::SaverSettings stored; std::string expected; } cases[] = {
        {Stored(300, 1, 0, ""), FileFor(" 300", " 1", " 0", "")},
        {Stored(0, 2, 7, "C:\\m&m.mp3"), FileFor(" 0", " 2", " 7", "C:\\m&m.mp3")},
        {Stored(600, 0, -1, ""), FileFor(" 100", " 0", "-1", "")},   // the bar's value replaces 600
        {Stored(-5, 7, 45, ""), FileFor(" 100", " 7", " 45", "")},
    };
    for (auto& c : cases) {
        Dialog d(c.stored);
        d.model.SaveSettings(d.model.TrackListText());
        EXPECT_EQ(d.files.files[kIni], c.expected);
    }
}

TEST(SaveSettings, WritesWhatTheUserChose) {
    Dialog d(Stored(300, 2, 3, "C:\\a.wav"));
    d.model.SelectMusicKind(0);
    d.model.ChooseMusicFile(1, std::string("D:\\b.mp3\0", 9));
    d.model.ScrollPages(2);
    d.model.SaveSettings("");
    // The file name is kept even with "無し" chosen.
    EXPECT_EQ(d.files.files[kIni], FileFor(" 400", " 0", " 0", "D:\\b.mp3"));
}

TEST(SaveSettings, KeepsOtherLinesOfAnExistingFile) {
    Dialog d(Stored(300, 0, 0, ""));
    d.files.files[kIni] = fw::Utf8ToCp932("[Other]\r\nx=1\r\n[Section]\r\nBGM区分= 2\r\n花びらの数= 9\r\n");
    d.model.SaveSettings("");
    EXPECT_EQ(d.files.files[kIni],
              fw::Utf8ToCp932("[Other]\r\nx=1\r\n[Section]\r\nBGM区分= 0\r\n花びらの数= 300\r\nBGMﾘﾋﾟｰﾄ= 0\r\nBGMﾌｧｲﾙ=\r\n"));
}

TEST(SaveSettings, AFailedSaveKeepsTheTrackListsValueForTheNextTry) {
    Dialog d(Stored(300, 1, 2, ""));
    d.files.files[kIni] = "as it was";
    d.files.unreadable.insert(kIni);  // held by another program
    EXPECT_FALSE(d.model.SaveSettings("7"));
    EXPECT_EQ(d.settings.MusicRepeat, 7);
    EXPECT_NE(d.model.TakeNotice(), "");
    EXPECT_EQ(d.files.files[kIni], "as it was");
    d.files.unreadable.clear();
    EXPECT_TRUE(d.model.SaveSettings("7"));
    EXPECT_EQ(d.files.files[kIni], fw::Utf8ToCp932("as it was\r\n[Section]\r\n花びらの数= 300\r\nBGM区分= 1\r\nBGMﾘﾋﾟｰﾄ= 7\r\nBGMﾌｧｲﾙ=\r\n"));
}

TEST(SaveSettings, CancelWritesNothing) {
    Dialog d(Stored(300, 1, 0, "C:\\a.wav"));
    d.files.files[kIni] = "as it was";
    d.model.SelectMusicKind(2);
    d.model.ChooseMusicFile(1, "D:\\b.mp3");
    d.model.ScrollLines(3);
    EXPECT_EQ(d.files.writes, 0);
    EXPECT_EQ(d.files.files[kIni], "as it was");
}

}  // namespace
