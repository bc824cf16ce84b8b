#include "music/saver_music.h"
#include "support/media_sim.h"
#include "script_port.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using music::Bgm;
using music::FileType;
using music::MusicChoice;
using music::MusicTimer;
using music::sim::SimMedia;

const std::string kSong = "C:\\My Music\\sakura song.mp3";

std::vector<std::string> Cmds(std::initializer_list<const char*> list) { return {list.begin(), list.end()}; }

TEST(FileType, OnlyTheLastThreeCharactersCount) {
    struct Case { const char* path; FileType type; } cases[] = {
        {"song.wav", FileType::Wav},     {"C:\\X\\SONG.WAV", FileType::Wav},
        {"song.Wav", FileType::Wav},     {"songwav", FileType::Wav},
        {"曲wav", FileType::Wav},        {"a.mp3", FileType::Mp3},
        {"A.MP3", FileType::Mp3},        {"a.mP3", FileType::Mp3},
        {"song.mid", FileType::Other},   {"song.mp2", FileType::Other},
        {"song.wave", FileType::Other},  {"", FileType::Other},
        {"av", FileType::Other},         {"song.ｗａｖ", FileType::Other},
    };
    for (const auto& c : cases) EXPECT_EQ(music::FileTypeOf(c.path), c.type) << c.path;
    EXPECT_EQ(music::FileEnding("桜の歌"), "桜の歌");
    EXPECT_EQ(music::FileEnding("x.Mp3"), "MP3");
}

struct MusicFile : ::testing::Test {
    SimMedia sim;
    Bgm bgm{sim};
    bool timer2 = false;
};

TEST_F(MusicFile, WavLoopsThroughTheSoundPlayerAndStops) {
    sim.SetWaveOutDevices(2);
    MusicChoice choice{music::kMusicFile, 0, "C:\\a b\\song.Wav"};
    EXPECT_EQ(music::StartMusic(bgm, choice), MusicTimer::None);
    ASSERT_EQ(sim.SoundCalls().size(), 1u);
    EXPECT_EQ(sim.SoundCalls()[0].path, choice.file);
    EXPECT_EQ(sim.SoundCalls()[0].flags, 9u);
    EXPECT_EQ(sim.LoopingSound(), choice.file);

    music::StopMusic(bgm, choice, timer2);
    ASSERT_EQ(sim.SoundCalls().size(), 2u);
    EXPECT_EQ(sim.SoundCalls()[1].path, std::nullopt);
    EXPECT_EQ(sim.SoundCalls()[1].flags, 0u);
    EXPECT_FALSE(sim.LoopingSound());
    EXPECT_TRUE(sim.Log().empty());  // the media device is never involved
}

TEST_F(MusicFile, WavWithoutOutputDevicePlaysNothingButIsStillStopped) {
    sim.SetWaveOutDevices(0);
    MusicChoice choice{music::kMusicFile, 0, "song.wav"};
    music::StartMusic(bgm, choice);
    EXPECT_TRUE(sim.SoundCalls().empty());
    music::StopMusic(bgm, choice, timer2);
    ASSERT_EQ(sim.SoundCalls().size(), 1u);
    EXPECT_EQ(sim.SoundCalls()[0].path, std::nullopt);
}

TEST_F(MusicFile, OtherEndingsStartAndStopNothing) {
    sim.SetWaveOutDevices(2);
    for (const char* file : {"song.mid", "song.mp2"}) {
        MusicChoice choice{music::kMusicFile, 0, file};
        EXPECT_EQ(music::StartMusic(bgm, choice), MusicTimer::None);
        music::StopMusic(bgm, choice, timer2);
    }
    // A file name with kind 0 or 1 is not looked at either.
    music::StopMusic(bgm, {music::kMusicNone, 0, "song.mp3"}, timer2);
    EXPECT_TRUE(sim.SoundCalls().empty());
    EXPECT_TRUE(sim.Log().empty());
}

TEST_F(MusicFile, Mp3OpensQuotedStartsAndIsStoppedAndClosed) {
    sim.AddFile(kSong, 5000);
    MusicChoice choice{music::kMusicFile, 0, kSong};
    EXPECT_EQ(music::StartMusic(bgm, choice), MusicTimer::Timer1);
    EXPECT_EQ(sim.Commands(),
              Cmds({"open \"C:\\My Music\\sakura song.mp3\" type MPEGVideo Alias MP3Play", "play MP3Play"}));
    for (const auto& s : sim.Log()) EXPECT_EQ(s.capacity, 0u) << s.command;
    EXPECT_TRUE(sim.FilePlaying("MP3Play"));

    sim.ClearLog();
    music::StopMusic(bgm, choice, timer2);
    EXPECT_EQ(sim.Commands(), Cmds({"stop MP3Play", "close MP3Play"}));
    EXPECT_FALSE(sim.FileOpen("MP3Play"));
}

TEST_F(MusicFile, Mp3StartsAgainWithinOnePollOfItsEnd) {
    sim.AddFile(kSong, 2500);
    bgm.Mp3Start(kSong);
    int restarts = 0;
    for (int second = 1; second <= 10; ++second) {
        sim.Advance(music::kMp3TimerMs);
        const bool ended = !sim.FilePlaying("MP3Play");
        sim.ClearLog();
        music::OnMp3Timer(bgm);
        if (ended) {
            ++restarts;
            EXPECT_EQ(sim.Commands(), Cmds({"status MP3Play mode", "stop MP3Play", "play MP3Play from 0"}));
        } else {
            EXPECT_EQ(sim.Commands(), Cmds({"status MP3Play mode"}));
        }
        EXPECT_EQ(sim.Log()[0].capacity, 30u);
        EXPECT_TRUE(sim.FilePlaying("MP3Play")) << "after the poll at " << second << " s";
    }
    // Ends at 2.5 s, 5.5 s and 8.5 s; each is caught by the next poll.
    EXPECT_EQ(restarts, 3);
    EXPECT_EQ(sim.FilePositionMs("MP3Play"), 1000);
}

TEST_F(MusicFile, FailedOpenKeepsPollingQuietly) {
    MusicChoice choice{music::kMusicFile, 0, "C:\\gone.mp3"};  // not on the disk
    EXPECT_EQ(music::StartMusic(bgm, choice), MusicTimer::Timer1);
    EXPECT_EQ(sim.Commands(), Cmds({"open \"C:\\gone.mp3\" type MPEGVideo Alias MP3Play"}));
    EXPECT_EQ(sim.Log()[0].code, music::sim::code::kFileNotFound);

    for (int i = 0; i < 3; ++i) {
        sim.ClearLog();
        sim.Advance(1000);
        music::OnMp3Timer(bgm);
        EXPECT_EQ(sim.Commands(), Cmds({"status MP3Play mode", "stop MP3Play", "play MP3Play from 0"}));
        for (const auto& s : sim.Log()) EXPECT_EQ(s.code, music::sim::code::kUnknownDevice);
    }
    sim.ClearLog();
    music::StopMusic(bgm, choice, timer2);
    EXPECT_EQ(sim.Commands(), Cmds({"stop MP3Play", "close MP3Play"}));
}

TEST_F(MusicFile, QuoteInThePathCannotSmuggleCommandOptions) {
    // Sent as it is, the quote would end the file name and the rest of the path would
    // be read as options of the open command; the path is refused and nothing is sent.
    const std::string evil = "C:\\a.mp3\" type MPEGVideo alias MP3Play \"C:\\b.mp3";
    sim.AddFile("C:\\a.mp3", 1000);
    sim.AddFile("C:\\b.mp3", 1000);
    EXPECT_EQ(music::StartMusic(bgm, {music::kMusicFile, 0, evil}), MusicTimer::Timer1);
    EXPECT_TRUE(sim.Log().empty());
    EXPECT_FALSE(sim.FileOpen("MP3Play"));
}

TEST(Mp3IsPlaying, LooksAtTheFirstSevenCharactersOnly) {
    struct Case { const char* reply; bool playing; } cases[] = {
        {"playing", true}, {"playing forward", true}, {"play", false},
        {"Playing", false}, {"stopped", false}, {"", false}, {" playing", false},
    };
    for (const auto& c : cases) {
        music_test::ScriptPort port;
        port.answers["status MP3Play mode"] = {0, c.reply};
        Bgm bgm{port};
        EXPECT_EQ(bgm.Mp3IsPlaying(), c.playing) << c.reply;
    }
}

}  // namespace
