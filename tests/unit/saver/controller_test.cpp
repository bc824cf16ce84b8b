#include "saver/controller.h"

#include "support/media_sim.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

namespace {

using V = std::vector<std::string>;

// Records the window's side in the same list as the system calls, so the order shows.
class FakeWindow : public saver::SaverWindowPort {
public:
    explicit FakeWindow(std::vector<std::string>& log) : log_(log) {}
    std::string commandLine = "/s";
    bool timer1 = false, timer2 = false;

    void EnableTimer1(bool e) override { timer1 = e; log_.push_back(e ? "Timer1 on" : "Timer1 off"); }
    void EnableTimer2(bool e) override { timer2 = e; log_.push_back(e ? "Timer2 on" : "Timer2 off"); }
    bool Timer2Enabled() override { return timer2; }
    std::string CommandLine() override { return commandLine; }
    void Unload() override { log_.push_back("Unload"); }
    void PostEnd() override { log_.push_back("PostEnd"); }
    void EndProgram(uint32_t status) override { log_.push_back(status ? "End " + std::to_string(status) : "End"); }

private:
    std::vector<std::string>& log_;
};

struct Saver {
    fakes::Hooks sys;
    FakeWindow window{sys.calls};
    music::sim::SimMedia media;
    music::Bgm bgm{media};
    startup::HookState hooks;
    startup::SaverSettings settings;

    saver::SaverController Make() { return saver::SaverController(window, bgm, sys, hooks, settings); }
    // A running saver whose 3-second MP3 has started; the calls and commands so far cleared.
    saver::SaverController PlayingMp3() {
        settings.MusicKind = 2;
        settings.MusicFile = "C:\\m\\track.mp3";
        media.AddFile(settings.MusicFile, 3000);
        auto c = Make();
        c.StartMusic();
        c.SetRunning(true);
        sys.calls.clear();
        media.ClearLog();
        return c;
    }
    // Only the calls of the exit, the media commands apart.
    V Exit(saver::SaverController& c) {
        sys.calls.clear();
        media.ClearLog();
        c.EndSaver();
        return sys.calls;
    }
};

TEST(EndSaver, SaverSwitchGivesBackTheFlagThenTheCursorInOrder) {
    Saver s;
    s.hooks.SavedCursorCount = -1;
    s.sys.cursorCount = -1;
    auto c = s.Make();
    c.SetRunning(true);
    EXPECT_EQ(s.Exit(c), (V{"SPI(97,0,0)", "ShowCursor(-1)=0", "SPI(17,1,0)", "Unload", "End"}));
    EXPECT_FALSE(c.Running());
}

TEST(EndSaver, EmptyCommandLineLeavesCursorAndFlagAlone) {
    for (const char* cmd : {"", "/c", "s"}) {
        Saver s;
        s.window.commandLine = cmd;
        auto c = s.Make();
        EXPECT_EQ(s.Exit(c), (V{"SPI(17,1,0)", "Unload", "End"})) << cmd;
    }
}

TEST(EndSaver, WithoutItsWindowTheSaverGivesBackWhatStartUpChangedAndEnds) {
    struct Case { const char* cmd; V calls; } cases[] = {
        {"/s", {"SPI(97,0,0)", "ShowCursor(-1)=0", "SPI(17,1,0)", "End 1"}},
        {"", {"SPI(17,1,0)", "End 1"}},
    };
    for (const auto& k : cases) {
        Saver s;
        s.window.commandLine = k.cmd;
        s.settings.MusicKind = 1;  // the music never started: nothing to stop or close
        s.hooks.SavedCursorCount = -1;
        s.sys.cursorCount = -1;
        auto c = s.Make();
        c.EndWithoutWindow();
        EXPECT_EQ(s.sys.calls, k.calls) << k.cmd;
        EXPECT_EQ(s.media.Commands(), V{}) << k.cmd;
        EXPECT_FALSE(c.Running());
    }
}

TEST(SaverMusic, LoadStartsTheRightTimer) {
    struct Case { int16_t kind; const char* file; bool t1, t2; } cases[] = {
        {0, "", false, false}, {1, "", false, true}, {2, "C:\\m\\song.mp3", true, false},
        {2, "C:\\m\\SONG.Wav", false, false}, {2, "C:\\m\\song.mid", false, false}, {5, "", false, false},
    };
    for (const auto& k : cases) {
        Saver s;
        s.settings.MusicKind = k.kind;
        s.settings.MusicFile = k.file;
        s.media.AddFile("C:\\m\\song.mp3", 5000);
        auto c = s.Make();
        c.StartMusic();
        EXPECT_EQ(s.window.timer1, k.t1) << k.kind << " " << k.file;
        EXPECT_EQ(s.window.timer2, k.t2) << k.kind << " " << k.file;
    }
}

TEST(SaverKeys, ArrowKeysSkipTracksOnlyWithTheCd) {
    Saver cd;
    cd.settings.MusicKind = 1;
    cd.media.InsertDisc({75 * 60, 75 * 60, 75 * 60});
    auto c = cd.Make();
    c.StartMusic();
    c.OnTimer2();
    c.OnKeyDown(39);
    c.OnKeyDown(37);
    EXPECT_EQ(std::count(cd.sys.calls.begin(), cd.sys.calls.end(), "End"), 0);
    c.OnKeyDown(65);
    EXPECT_EQ(cd.sys.calls.back(), "End");

    for (int16_t kind : {0, 2}) {
        Saver s;
        s.settings.MusicKind = kind;
        auto k = s.Make();
        k.OnKeyDown(39);
        EXPECT_EQ(s.sys.calls.back(), "End") << kind;
    }
}

TEST(SaverMusic, ExitClosesTheCdOnlyWhileItsTimerRuns) {
    Saver ok;
    ok.settings.MusicKind = 1;
    ok.media.InsertDisc({75 * 60});
    auto c = ok.Make();
    c.StartMusic();
    c.OnTimer2();
    ok.Exit(c);
    EXPECT_EQ(ok.media.Commands(), (V{"stop cdaudio", "close cdaudio"}));
    EXPECT_FALSE(ok.window.timer2);

    Saver none;  // no disc: the first poll switches the timer off for good
    none.settings.MusicKind = 1;
    auto d = none.Make();
    d.StartMusic();
    d.OnTimer2();
    EXPECT_FALSE(none.window.timer2);
    none.Exit(d);
    EXPECT_EQ(none.media.Commands(), V{});
}

TEST(SaverMusic, ExitStopsAMusicFileByItsEnding) {
    struct Case { const char* file; V commands; } cases[] = {
        {"C:\\m\\track.mp3", {"stop MP3Play", "close MP3Play"}},
        {"C:\\m\\track.wav", {}},  // the sound player is stopped, no media command
        {"C:\\m\\track.ogg", {}},
    };
    for (const auto& k : cases) {
        Saver s;
        s.settings.MusicKind = 2;
        s.settings.MusicFile = k.file;
        auto c = s.Make();
        s.Exit(c);
        EXPECT_EQ(s.media.Commands(), k.commands) << k.file;
    }
    Saver wav;
    wav.settings.MusicKind = 2;
    wav.settings.MusicFile = "C:\\m\\track.wav";
    auto c = wav.Make();
    wav.Exit(c);
    ASSERT_EQ(wav.media.SoundCalls().size(), 1u);
    EXPECT_FALSE(wav.media.SoundCalls()[0].path.has_value());
    EXPECT_EQ(wav.media.SoundCalls()[0].flags, 0u);
}

TEST(SaverMusic, AMusicFileLostWhilePlayingLeavesThePetalsToTheNextKey) {
    Saver s;
    auto c = s.PlayingMp3();
    s.media.Advance(1000);
    c.OnTimer1();
    ASSERT_TRUE(s.media.FilePlaying("MP3Play"));

    // Deleted (or its medium gone) while it plays: the music stops, every second the timer
    // tries again and is refused, and nothing else happens: no message, no end.
    s.media.LoseFile(s.settings.MusicFile);
    s.sys.calls.clear();
    s.media.ClearLog();
    for (int tick = 0; tick < 5; ++tick) {
        s.media.Advance(1000);
        c.OnTimer1();
    }
    EXPECT_TRUE(c.Running());
    EXPECT_TRUE(s.window.timer1);
    EXPECT_EQ(s.sys.calls, V{});
    EXPECT_EQ(s.media.Commands().size(), 15u);  // status, stop, play from 0: five times
    EXPECT_EQ(s.media.Log().back().code, music::sim::code::kFileRead);

    // A key ends it as always.
    s.sys.calls.clear();
    s.media.ClearLog();
    c.OnKeyDown('A');
    EXPECT_EQ(s.media.Commands(), (V{"stop MP3Play", "close MP3Play"}));
    EXPECT_EQ(V(s.sys.calls.end() - std::min<size_t>(2, s.sys.calls.size()), s.sys.calls.end()), (V{"Unload", "End"}));
    EXPECT_FALSE(c.Running());
}

TEST(SaverScreens, AChangedLayoutAsksForTheEndThroughTheQueue) {
    using petals::Monitor;
    const Monitor left{{0, 0, 1920, 1080}, 96}, right{{1920, 0, 3840, 1080}, 144};
    const std::vector<Monitor> laidOut{left, right};
    struct Case { const char* name; std::vector<Monitor> now; bool ends; } cases[] = {
        {"as it was", {left, right}, false},
        {"listed in another order", {right, left}, false},
        {"unknown DPI for 96", {{left.rect, 0}, right}, false},
        {"a monitor removed", {left}, true},
        {"a monitor added", {left, right, {{-1280, 0, 0, 1024}, 96}}, true},
        {"a new resolution", {{{0, 0, 2560, 1440}, 96}, right}, true},
        {"a new scale", {left, {right.rect, 96}}, true},
        {"no monitor at all", {}, true},
    };
    for (const auto& k : cases) {
        Saver s;
        auto c = s.PlayingMp3();
        c.OnDisplayChange(laidOut, k.now);
        // Nothing ends inside the sent message: the end is only asked for, from the queue.
        EXPECT_TRUE(c.Running()) << k.name;
        EXPECT_EQ(s.media.Commands(), V{}) << k.name;
        EXPECT_EQ(s.sys.calls, (k.ends ? V{"PostEnd"} : V{})) << k.name;
    }
}

}  // namespace
