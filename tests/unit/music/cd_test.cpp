#include "music/saver_music.h"
#include "support/media_sim.h"
#include "script_port.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using music::Bgm;
using music::KeyAction;
using music::MusicChoice;
using music::MusicTimer;
using music::sim::SimMedia;
namespace code = music::sim::code;

constexpr int64_t kSecond = music::sim::kFramesPerSecond;

// The saver window's side: Timer2 and the key handler, run against the simulated drive.
struct Cd : ::testing::Test {
    SimMedia sim;
    Bgm bgm{sim};
    MusicChoice choice{music::kMusicCd, 0, ""};
    bool timer2 = false;

    void Start(int16_t repeat) {
        choice.repeat = repeat;
        timer2 = music::StartMusic(bgm, choice) == MusicTimer::Timer2;
    }
    // One Timer2 interval: time passes, then the tick runs if the timer is on.
    void Tick() {
        sim.Advance(music::kCdTimerMs);
        if (timer2) timer2 = music::OnCdTimer(bgm, choice);
    }
    int Count(const std::string& command) const {
        const auto all = sim.Commands();
        return static_cast<int>(std::count(all.begin(), all.end(), command));
    }
};

TEST_F(Cd, OpenSetsTmsfAndLeavesTheDiscToTheFirstPoll) {
    sim.InsertDisc({10 * kSecond, 10 * kSecond});
    Start(0);
    EXPECT_TRUE(timer2);
    EXPECT_EQ(sim.Commands(), (std::vector<std::string>{"open cdaudio", "set cdaudio time format tmsf"}));
    EXPECT_FALSE(sim.CdPlaying());

    sim.ClearLog();
    Tick();
    EXPECT_EQ(sim.Commands(), (std::vector<std::string>{"status cdaudio current track",
                                                        "status cdaudio number of tracks",
                                                        "status cdaudio mode", "play cdaudio"}));
    EXPECT_EQ(sim.Log()[2].capacity, 255u);
    EXPECT_TRUE(timer2);
    EXPECT_TRUE(sim.CdPlaying());
    EXPECT_EQ(sim.CdTrack(), 1);
}

TEST_F(Cd, WithoutRepeatTheDiscIsStartedAgainWheneverItStops) {
    sim.InsertDisc({2 * kSecond, 2 * kSecond});
    Start(0);
    Tick();
    for (int i = 0; i < 19; ++i) Tick();  // 3.8 s played: still on
    EXPECT_EQ(Count("play cdaudio"), 1);
    Tick();  // 4 s played: the disc has ended and starts again
    EXPECT_EQ(Count("play cdaudio"), 2);
    EXPECT_TRUE(sim.CdPlaying());
    EXPECT_EQ(sim.CdTrack(), 1);

    bgm.MciQuery("stop cdaudio");  // stopped from outside: the next poll plays on
    Tick();
    EXPECT_EQ(Count("play cdaudio"), 3);
    EXPECT_TRUE(sim.CdPlaying());
}

TEST_F(Cd, RepeatTrackIsHeldAgainstItsEndAndTheRightKey) {
    sim.InsertDisc({3 * kSecond, 3 * kSecond, 3 * kSecond, 3 * kSecond, 3 * kSecond});
    Start(3);
    Tick();
    EXPECT_EQ(sim.Commands().back(), "play cdaudio from 03:00:00:00");
    EXPECT_EQ(sim.CdTrack(), 3);
    EXPECT_EQ(sim.CdFrame(), sim.TrackStart(3));

    // Track 4 begins after three seconds; the poll at that moment jumps back.
    for (int i = 0; i < 30; ++i) {
        Tick();
        EXPECT_EQ(sim.CdTrack(), 3) << "after tick " << i;
    }
    EXPECT_EQ(Count("play cdaudio from 03:00:00:00"), 3);  // start, 3 s, 6 s

    EXPECT_EQ(music::OnKeyDown(bgm, music::kMusicCd, music::kKeyRight), KeyAction::NextTrack);
    EXPECT_EQ(sim.CdTrack(), 4);
    Tick();
    EXPECT_EQ(sim.CdTrack(), 3);
    EXPECT_TRUE(timer2);
}

TEST_F(Cd, ArrowKeysMoveBetweenTracksButNotPastTheEnds) {
    sim.InsertDisc({60 * kSecond, 60 * kSecond, 60 * kSecond});
    Start(0);
    Tick();
    sim.Advance(200);
    const auto key = [&](int32_t code) { music::OnKeyDown(bgm, music::kMusicCd, code); };

    key(music::kKeyLeft);  // on track 1: nothing changes
    EXPECT_EQ(sim.CdTrack(), 1);
    EXPECT_EQ(sim.CdFrame(), 15);  // still playing on from where it was
    EXPECT_TRUE(sim.CdPlaying());
    EXPECT_EQ(sim.Log()[sim.Log().size() - 2].command, "status cdaudio position track 0");
    EXPECT_EQ(sim.Log().back().command, "play cdaudio from Error:282");
    EXPECT_NE(sim.Log().back().code, 0);

    key(music::kKeyRight);
    key(music::kKeyRight);
    EXPECT_EQ(sim.CdTrack(), 3);
    EXPECT_EQ(sim.CdFrame(), sim.TrackStart(3));
    sim.Advance(1000);
    key(music::kKeyRight);  // on the last track: nothing changes
    EXPECT_EQ(sim.CdFrame(), sim.TrackStart(3) + kSecond);
    EXPECT_TRUE(sim.CdPlaying());

    key(music::kKeyLeft);
    EXPECT_EQ(sim.CdFrame(), sim.TrackStart(2));
}

TEST_F(Cd, NoDiscOrNoDriveStopsThePollingAndTheExitLeavesTheDriveAlone) {
    for (bool driveMissing : {false, true}) {
        SimMedia drive;
        Bgm player{drive};
        drive.SetDriveMissing(driveMissing);
        bool polling = music::StartMusic(player, choice) == MusicTimer::Timer2;
        EXPECT_TRUE(polling);
        polling = music::OnCdTimer(player, choice);
        EXPECT_FALSE(polling);
        EXPECT_FALSE(player.CdPollOk());
        EXPECT_EQ(drive.Commands().back(), "status cdaudio current track");
        EXPECT_EQ(drive.Log().back().code, driveMissing ? code::kCannotOpenDrive : code::kNoDisc);

        drive.ClearLog();
        music::StopMusic(player, choice, polling);
        EXPECT_TRUE(drive.Log().empty()) << "drive missing: " << driveMissing;
    }
}

TEST_F(Cd, ExitWhilePollingStopsAndClosesTheDrive) {
    sim.InsertDisc({60 * kSecond});
    Start(0);
    Tick();
    sim.ClearLog();
    music::StopMusic(bgm, choice, timer2);
    EXPECT_FALSE(timer2);
    EXPECT_EQ(sim.Commands(), (std::vector<std::string>{"stop cdaudio", "close cdaudio"}));
    EXPECT_FALSE(sim.CdOpen());
}

TEST_F(Cd, RepeatTrackPastTheEndFailsQuietlyAndKeepsPolling) {
    sim.InsertDisc({60 * kSecond, 60 * kSecond});
    Start(9);
    for (int i = 0; i < 5; ++i) Tick();
    EXPECT_TRUE(timer2);
    EXPECT_FALSE(sim.CdPlaying());
    EXPECT_EQ(Count("status cdaudio position track 9"), 5);
    EXPECT_EQ(Count("play cdaudio from Error:282"), 5);
}

TEST(CdPoll, CurrentTrackThatIsNoNumberFailsOnlyWithARepeatTrack) {
    for (int16_t repeat : {0, 3}) {
        music_test::ScriptPort port;
        port.answers["status cdaudio current track"] = {0, "two"};
        port.answers["status cdaudio mode"] = {0, "stopped"};
        Bgm bgm{port};
        bgm.CdPoll(repeat);
        EXPECT_EQ(bgm.CdPollOk(), repeat == 0);
        EXPECT_EQ(port.sent.back(), repeat == 0 ? "play cdaudio" : "status cdaudio mode");
    }
}

TEST(CdPoll, AnyReplyHoldingErrFailsThePoll) {
    music_test::ScriptPort port;
    port.answers["status cdaudio number of tracks"] = {0, "terror"};
    Bgm bgm{port};
    bgm.CdPoll(0);
    EXPECT_FALSE(bgm.CdPollOk());
    EXPECT_EQ(port.sent.size(), 2u);
}

TEST(KeyDown, ArrowsSkipTracksOnlyWithCdMusic) {
    struct Case { int16_t kind; int32_t key; KeyAction action; } cases[] = {
        {1, 37, KeyAction::PreviousTrack}, {1, 39, KeyAction::NextTrack},
        {1, 38, KeyAction::EndSaver},      {1, 13, KeyAction::EndSaver},
        {1, 16, KeyAction::EndSaver},      {0, 37, KeyAction::EndSaver},
        {2, 39, KeyAction::EndSaver},      {2, 65, KeyAction::EndSaver},
    };
    for (const auto& c : cases)
        EXPECT_EQ(music::KeyDownAction(c.kind, c.key), c.action) << c.kind << "/" << c.key;

    music_test::ScriptPort port;
    Bgm bgm{port};
    EXPECT_EQ(music::OnKeyDown(bgm, 2, 39), KeyAction::EndSaver);
    EXPECT_TRUE(port.sent.empty());
}

}  // namespace
