#include "music/bgm.h"
#include "support/media_sim.h"

#include <gtest/gtest.h>

namespace {

using music::Bgm;
using music::sim::SimMedia;
namespace code = music::sim::code;

// A five-track disc of two seconds a track, opened in tmsf.
struct Layer : ::testing::Test {
    SimMedia sim;
    Bgm bgm{sim};
    void SetUp() override {
        sim.InsertDisc({150, 150, 150, 150, 150});
        bgm.CdOpen();
        sim.ClearLog();
    }
};

TEST_F(Layer, EmptyCommandNeverReachesTheSystem) {
    std::string reply = "old";
    EXPECT_EQ(bgm.MciSend("", reply), -1);
    EXPECT_EQ(reply, "コマンド文字列が指定されていません");
    EXPECT_EQ(bgm.MciQuery(""), "Error:-1");
    EXPECT_EQ(bgm.LastMciReply(), "コマンド文字列が指定されていません");
    EXPECT_TRUE(sim.Log().empty());
}

TEST_F(Layer, PlayBuildsItsFourForms) {
    struct Case { const char* from; const char* to; const char* sent; } cases[] = {
        {"", "", "play cdaudio"},
        {"03:00:00:00", "", "play cdaudio from 03:00:00:00"},
        {"", "05", "play cdaudio to 05"},
        {"02", "05", "play cdaudio from 02 to 05"},
    };
    for (const auto& c : cases) {
        sim.ClearLog();
        EXPECT_EQ(bgm.MciPlay("cdaudio", c.from, c.to), 0) << c.sent;
        ASSERT_EQ(sim.Log().size(), 1u);
        EXPECT_EQ(sim.Log()[0].command, c.sent);
        EXPECT_EQ(sim.Log()[0].capacity, 512u);
    }
    // The last form really plays from the start of track 2.
    EXPECT_EQ(sim.CdTrack(), 2);
    EXPECT_TRUE(sim.CdPlaying());
}

TEST_F(Layer, QueryAnswersTheReplyOrTheErrorCodeNeverTheDescription) {
    EXPECT_EQ(bgm.MciQuery("status cdaudio number of tracks"), "5");
    EXPECT_EQ(bgm.MciQuery("status cdaudio position track 4"), "04:00:00:00");

    EXPECT_EQ(bgm.MciQuery("status cdaudio position track 6"), "Error:282");
    EXPECT_EQ(bgm.LastMciReply(), "The value is out of range.");
    EXPECT_EQ(bgm.MciQuery("status MP3Play mode"), "Error:263");

    std::string reply;
    EXPECT_EQ(bgm.MciSend("spin cdaudio", reply), code::kUnrecognizedCommand);
    EXPECT_EQ(reply, "The device does not know this command.");
}

TEST_F(Layer, ErrorWithoutDescriptionGivesTheFixedText) {
    sim.SetErrorText(code::kOutOfRange, std::nullopt);
    std::string reply;
    EXPECT_EQ(bgm.MciSend("status cdaudio position track 0", reply), code::kOutOfRange);
    EXPECT_EQ(reply, "Error (文字列が取れません)");
    EXPECT_EQ(bgm.MciQuery("status cdaudio position track 0"), "Error:282");
}

TEST_F(Layer, RepliesAreCutToTheirBuffers) {
    sim.SetProduct(std::string(600, 'x'));
    EXPECT_EQ(bgm.MciQuery("info cdaudio product"), std::string(511, 'x'));

    // 200 three-byte characters: 511 bytes would end inside the 171st, so 170 stay.
    std::string wide;
    for (int i = 0; i < 200; ++i) wide += "あ";
    sim.SetProduct(wide);
    EXPECT_EQ(bgm.MciQuery("info cdaudio product"), wide.substr(0, 510));

    sim.SetErrorText(code::kOutOfRange, std::string(300, 'e'));
    bgm.MciQuery("status cdaudio position track 9");
    EXPECT_EQ(bgm.LastMciReply(), std::string(255, 'e'));
}

TEST(CutToBuffer, KeepsCapacityLessOneBytesAndWholeCharacters) {
    struct Case { const char* in; uint32_t capacity; const char* out; } cases[] = {
        {"abc", 0, ""},     {"abc", 1, ""},     {"abc", 3, "ab"},  {"abc", 4, "abc"},
        {"abc", 512, "abc"}, {"aあ", 4, "a"},   {"aあ", 5, "aあ"}, {"ああ", 7, "ああ"},
        {"ああ", 6, "あ"},   {"", 1, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(music::CutToBuffer(c.in, c.capacity), c.out) << c.in << " / " << c.capacity;
}

}  // namespace

namespace {

// What the module relies on from any media system: a position the drive reports is
// accepted back as the start of a play, in the format the drive was set to.
TEST(SimulatedDrive, ReportsPositionsItAcceptsBack) {
    struct Case { const char* format; const char* trackTwo; const char* later; } cases[] = {
        {"tmsf", "02:00:00:00", "02:01:05:30"},
        {"msf", "01:40:00", "02:45:30"},
        {"milliseconds", "100000", "165400"},
    };
    for (const auto& c : cases) {
        SimMedia sim;
        Bgm bgm{sim};
        sim.InsertDisc({100 * 75, 200 * 75});
        bgm.MciQuery("open cdaudio");
        bgm.MciQuery(std::string("set cdaudio time format ") + c.format);
        EXPECT_EQ(bgm.MciQuery("status cdaudio position track 2"), c.trackTwo) << c.format;
        EXPECT_EQ(bgm.MciPlay("cdaudio", c.trackTwo, ""), 0) << c.format;
        sim.Advance(65400);
        EXPECT_EQ(bgm.MciQuery("status cdaudio position"), c.later) << c.format;
        EXPECT_EQ(bgm.MciQuery("status cdaudio current track"), "2");
        bgm.MciQuery("stop cdaudio");
        EXPECT_EQ(bgm.MciPlay("cdaudio", c.later, ""), 0) << c.format;
        EXPECT_EQ(sim.CdFrame(), 100 * 75 + 65 * 75 + 30) << c.format;
        EXPECT_EQ(bgm.MciQuery("status cdaudio mode"), "playing");
    }
}

}  // namespace
