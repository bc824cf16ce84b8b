#include "startup/saver_main.h"

#include "framework/codepage.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

namespace {

// Records what start-up asked of the window side, in order.
class FakePlatform : public startup::StartupPlatform {
public:
    std::string commandLine;
    std::vector<std::string> openCaptions;
    std::vector<std::string> calls;
    fw::Rect hostRect{0, 0, 152, 112};
    bool hostIsWindow = true;
    bool windowsMade = true;  // false: the mode's window cannot be made
    startup::PreviewPlacement placement;
    fakes::Files files;
    startup::SaverSettings handed;  // what the window was given
    std::string message;

    bool WindowWithCaptionExists(const std::string& caption) override {
        calls.push_back("Find " + caption);
        for (const auto& c : openCaptions) if (c == caption) return true;
        return false;
    }
    std::string CommandLine() override { return commandLine; }
    void EndProgram(uint32_t status) override { calls.push_back(status ? "End " + std::to_string(status) : "End"); }
    bool IsWindow(fw::WindowId) override { return hostIsWindow; }
    fw::Rect WindowRect(fw::WindowId) override { return hostRect; }
    int32_t TwipsPerPixelX() override { return 15; }
    int32_t TwipsPerPixelY() override { return 15; }
    fw::FilePort& Files() override { return files; }
    std::string ProgramFolder() override {
        calls.push_back("LoadSettings");  // asked only to read the settings file
        return "C:\\Saver";
    }
    fw::NumberFormat UserNumbers() override { return {}; }
    bool ShowPreview(const startup::PreviewPlacement& p) override {
        placement = p;
        calls.push_back("Preview " + std::to_string(p.parent));
        return windowsMade;
    }
    bool ShowSettingsDialog(startup::SaverSettings& s, uint32_t& error) override {
        handed = s;
        calls.push_back("Dialog");
        if (!windowsMade) error = 1400;
        return windowsMade;
    }
    void ShowMessage(const std::string& text) override {
        message = text;
        calls.push_back("Message");
    }
    void RunSaver(const startup::SaverSettings& s) override {
        handed = s;
        calls.push_back("Saver");
    }
};

struct Startup {
    FakePlatform platform;
    fakes::Hooks hooks;
    startup::HookState state;
    std::vector<std::string> Go(const std::string& cmd) {
        platform.commandLine = cmd;
        startup::SaverMain(platform, hooks, state);
        std::vector<std::string> out;
        for (auto& c : platform.calls) if (c.rfind("Find ", 0) != 0) out.push_back(c);
        return out;
    }
};

using V = std::vector<std::string>;

TEST(SaverMain, ModeTable) {
    struct Case { const char* cmd; V calls; bool hooks; } cases[] = {
        {"/s", {"LoadSettings", "Saver"}, true},
        {"/S", {"LoadSettings", "Saver"}, true},
        {"-s", {"LoadSettings", "Saver"}, true},
        {"xs", {"LoadSettings", "Saver"}, true},
        {"", {"LoadSettings", "Saver"}, false},
        {"s", {"LoadSettings", "End"}, false},
        {"/a", {"LoadSettings", "End"}, false},
        {"/x", {"LoadSettings", "End"}, false},
        {"/c", {"LoadSettings", "Dialog", "End"}, false},
        {"/c:1234", {"LoadSettings", "Dialog", "End"}, false},
        {"/p 1234", {"Preview 1234"}, false},
        {"/p:1234", {"Preview 1234"}, false},
        {"/P1234", {"Preview 234"}, false},
        // A full-width slash is one character, as typed on a Japanese keyboard.
        {"／s", {"LoadSettings", "Saver"}, true},
        {"／c", {"LoadSettings", "Dialog", "End"}, false},
        {"／p 1234", {"Preview 1234"}, false},
        {"／a", {"LoadSettings", "End"}, false},
    };
    for (const auto& c : cases) {
        Startup r;
        EXPECT_EQ(r.Go(c.cmd), c.calls) << c.cmd;
        EXPECT_EQ(!r.hooks.calls.empty(), c.hooks) << c.cmd;
    }
}

TEST(SaverMain, AModeWhoseWindowCannotBeMadeEndsWithAFailure) {
    struct Case { const char* cmd; V calls; } cases[] = {
        {"/c", {"LoadSettings", "Dialog", "Message", "End 1"}},  // the user asked: told why
        {"/p 1234", {"Preview 1234", "End 1"}},
    };
    for (const auto& c : cases) {
        Startup r;
        r.platform.windowsMade = false;
        EXPECT_EQ(r.Go(c.cmd), c.calls) << c.cmd;
    }
    Startup r;
    r.platform.windowsMade = false;
    r.Go("/c");
    EXPECT_NE(r.platform.message.find("1400"), std::string::npos) << r.platform.message;
}

TEST(SaverMain, TheWindowIsGivenTheSettingsReadOnce) {
    for (const char* cmd : {"/s", "/c"}) {
        Startup r;
        r.platform.files.files["C:\\Saver\\Fluttera.ini"] =
            "[Section]\r\n" + fw::Utf8ToCp932(startup::kKeyMusicKind) + "=1\r\n";
        r.Go(cmd);
        EXPECT_EQ(r.platform.handed.MusicKind, music::kMusicCd) << cmd;
        EXPECT_EQ(r.platform.handed.PetalCount, startup::kDefaultPetalCount) << cmd;
    }
}

TEST(SaverMain, SaverSwitchHidesTheCursorThenBlocksTheSystemKeys) {
    Startup r;
    r.Go("/s");
    EXPECT_EQ(r.hooks.calls, (V{"ShowCursor(0)=-1", "SPI(97,-1,0)"}));
    EXPECT_EQ(r.state.SavedCursorCount, -1);
}

TEST(SaverMain, ARunningSaverOrDialogEndsEveryModeWithoutReadingSettings) {
    for (const char* open : {startup::kSaverCaption, startup::kDialogCaption}) {
        for (const char* cmd : {"/s", "/c", "/p 1234", "", "/a"}) {
            Startup r;
            r.platform.openCaptions = {open};
            EXPECT_EQ(r.Go(cmd), V{"End"}) << open << " " << cmd;
            EXPECT_TRUE(r.hooks.calls.empty());
        }
    }
    // Both captions are always looked for; the preview's own caption never is.
    Startup r;
    r.Go("/s");
    EXPECT_EQ(r.platform.calls[0], std::string("Find ") + startup::kSaverCaption);
    EXPECT_EQ(r.platform.calls[1], std::string("Find ") + startup::kDialogCaption);
    for (auto& c : r.platform.calls) EXPECT_NE(c, std::string("Find ") + startup::kPreviewCaption);
}

TEST(SaverMain, PreviewIsSizedToItsHost) {
    Startup r;
    r.Go("/p 77");
    EXPECT_EQ(r.platform.placement.widthTwips, 152 * 15);
    EXPECT_EQ(r.platform.placement.heightTwips, 112 * 15);
    EXPECT_EQ(r.platform.placement.imageWidth, 152);
    EXPECT_EQ(r.platform.placement.imageHeight, 112);

    Startup wide;  // beyond the 16-bit twip range: clamped, not wrapped
    wide.platform.hostRect = {0, 0, 3000, 100};
    wide.Go("/p 77");
    EXPECT_EQ(wide.platform.placement.widthTwips, 32767);
    EXPECT_EQ(wide.platform.placement.imageWidth, 32767 / 15);

    Startup huge;  // a width beyond 32 bits of pixels
    huge.platform.hostRect = {-2000000000, 0, 2000000000, 100};
    huge.Go("/p 77");
    EXPECT_EQ(huge.platform.placement.widthTwips, 32767);
}

TEST(SaverMain, PreviewParentNumbers) {
    struct Case { const char* cmd; bool ok; fw::WindowId parent; } cases[] = {
        {"/p 4294967295", true, 4294967295u},
        {"/p 2147483648", true, 2147483648u},
        {"/p -1", true, 4294967295u},
        {"/p 4294967296", false, 0},
        {"/p 1e20", false, 0},
        {"/p 12.5", true, 12},
        {"/p", true, 0},
    };
    for (const auto& c : cases) {
        auto p = startup::PreviewParent(c.cmd);
        EXPECT_EQ(p.has_value(), c.ok) << c.cmd;
        if (p) {
            EXPECT_EQ(*p, c.parent) << c.cmd;
        }
    }
    Startup r;
    EXPECT_EQ(r.Go("/p 99999999999"), V{"End"});
    Startup gone;
    gone.platform.hostIsWindow = false;
    EXPECT_EQ(gone.Go("/p 1234"), V{"End"});
}

TEST(Hooks, EffectsRunBetweenTheRecordedPointAndTheWindow) {
    fakes::Hooks sys;
    startup::HookState st;
    startup::RecordEffectOrigin(sys, st);
    startup::AnimateOpen(sys, st, 42);
    sys.cursor = fw::Point{5, 5};  // the mouse moves; closing still returns to the origin
    startup::AnimateClose(sys, st, 42);
    EXPECT_EQ(sys.calls, (V{"DrawAnimatedRects(42,3,[800 600 800 600],[100 50 565 270])",
                            "DrawAnimatedRects(42,3,[100 50 565 270],[800 600 800 600])"}));

    sys.calls.clear();
    sys.cursor.reset();
    sys.windowRect.reset();
    startup::RecordEffectOrigin(sys, st);
    startup::AnimateOpen(sys, st, 1);
    EXPECT_EQ(sys.calls, V{"DrawAnimatedRects(1,3,[0 0 0 0],[0 0 0 0])"});

    sys.cursor = fw::Point{40000, 7};  // beyond 16 bits
    startup::RecordEffectOrigin(sys, st);
    EXPECT_EQ(st.EffectOriginX, 0);
    EXPECT_EQ(st.EffectOriginY, 7);
}

TEST(Hooks, SystemKeysAndCursorArguments) {
    fakes::Hooks sys;
    startup::HookState st;
    startup::AllowSystemKeys(sys, false);
    startup::AllowSystemKeys(sys, true);
    startup::HideCursor(sys, st);
    startup::RestoreCursor(sys, st);  // passes -1, a nonzero show flag
    EXPECT_EQ(sys.calls, (V{"SPI(97,-1,0)", "SPI(97,0,0)", "ShowCursor(0)=-1", "ShowCursor(-1)=0"}));
    EXPECT_EQ(st.SavedCursorCount, 0);
}

}  // namespace
