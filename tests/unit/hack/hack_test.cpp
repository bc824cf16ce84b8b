// The Linux hack's portable part: its command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hack/options.h"

namespace hack {
namespace {

TEST(HackOptions, CountsOutOfRangeOrMalformedFallBackSafely) {
    struct Case { const char* text; int32_t count; bool warned; };
    const Case cases[] = {
        {"0", 0, false},      {"500", 500, false}, {"+7", 7, false},     {"501", 500, true},
        {"-1", 0, true},      {"99999999999999", 500, true},             {"abc", 300, true},
        {"", 300, true},      {"12x", 300, true},  {"1e3", 300, true},   {" 5", 300, true},
        {"99999999999999999999", 500, true},     {"-99999999999999999999", 0, true},
        {"000000000000000000000007", 7, false},
    };
    for (const Case& c : cases) {
        const HackOptions o = ParseHackOptions({"--count", c.text});
        EXPECT_TRUE(o.ok) << c.text;
        EXPECT_EQ(o.count, c.count) << c.text;
        EXPECT_EQ(!o.messages.empty(), c.warned) << c.text;
    }
}

TEST(HackOptions, WindowIdsDecimalOrHexOnly) {
    struct Case { const char* text; unsigned long id; };  // 0: refused
    const Case cases[] = {
        {"42", 42},  {"0x2a", 42}, {"0X2A", 42}, {"010", 10}, {"4294967295", 4294967295ul},
        {"4294967296", 0}, {"0x100000000", 0}, {"0", 0}, {"0x", 0}, {"-5", 0}, {"12ab", 0}, {"", 0}, {"0xg1", 0},
    };
    for (const Case& c : cases) {
        const auto id = ParseWindowId(c.text);
        EXPECT_EQ(id.value_or(0), c.id) << c.text;
        const HackOptions o = ParseHackOptions({"-window-id", c.text});
        EXPECT_EQ(o.ok, c.id != 0) << c.text;
        if (c.id) {
            EXPECT_EQ(o.target, HackTarget::WindowId);
            EXPECT_EQ(o.windowId, c.id);
        }
    }
}

TEST(HackOptions, SwitchesAndRefusals) {
    const HackOptions d = ParseHackOptions({});
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(d.target, HackTarget::Default);
    EXPECT_EQ(d.count, 300);
    EXPECT_FALSE(d.fps || d.help || d.scale);

    const HackOptions o = ParseHackOptions({"-root", "--fps", "--scale", "1.5", "--help"});
    EXPECT_TRUE(o.ok);
    EXPECT_EQ(o.target, HackTarget::Root);
    EXPECT_TRUE(o.fps && o.help);
    EXPECT_EQ(o.scale.value_or(0), 1.5);

    for (const std::vector<std::string>& both : std::vector<std::vector<std::string>>{
             {"--root", "--window-id", "7"}, {"--window-id", "7", "--root"}}) {
        const HackOptions w = ParseHackOptions(both);
        EXPECT_EQ(w.target, HackTarget::WindowId);
        EXPECT_EQ(w.windowId, 7u);
    }

    for (const char* bad : {"0.4", "4.5", "nan", "inf", "2x", ""}) {
        const HackOptions s = ParseHackOptions({"--scale", bad});
        EXPECT_TRUE(s.ok) << bad;
        EXPECT_FALSE(s.scale) << bad;
        EXPECT_FALSE(s.messages.empty()) << bad;
    }
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--count"}, {"--window-id"}, {"--scale"}, {"--speed", "3"}, {"root"}, {"---root"}, {"--bogus", "-h"}}) {
        EXPECT_FALSE(ParseHackOptions(args).ok) << args[0];
        EXPECT_FALSE(ParseHackOptions(args).help) << args[0];
    }
}

}  // namespace
}  // namespace hack
