#include "button/command.h"
#include "fake_painter.h"

#include <gtest/gtest.h>

namespace {

using button::FacePicture;
using button_test::Rig;
using Pictures = std::vector<FacePicture>;

enum class Ev { Init, Move, Down, Up, Focus, Blur, Leave };
struct Step {
    Ev ev;
    int16_t button = 0;
};

void Play(button::Command& c, const std::vector<Step>& steps) {
    for (const Step& s : steps) {
        switch (s.ev) {
            case Ev::Init: c.Initialize(); break;
            case Ev::Move: c.OnMouseMove(s.button, 0); break;
            case Ev::Down: c.OnMouseDown(s.button, 0); break;
            case Ev::Up: c.OnMouseUp(s.button, 0); break;
            case Ev::Focus: c.OnFocusGained(); break;
            case Ev::Blur: c.OnFocusLost(); break;
            case Ev::Leave: c.PointerLeft(); break;
        }
    }
}

// A stored, enabled button brought into a state by a run of events; what it drew and
// raised on the way is forgotten.
struct Button : Rig {
    explicit Button(const std::vector<Step>& setup) {
        cmd.ReadProperties(button::PropertyBag{}, button::DesignFont());
        Play(cmd, setup);
        Forget();
    }
    uint8_t state() const { return cmd.fields().faceState; }
    bool held() const { return cmd.fields().mouseHeld; }
};

const Step kInit{Ev::Init}, kMove{Ev::Move}, kFocus{Ev::Focus}, kBlur{Ev::Blur}, kLeave{Ev::Leave};
Step Down(int16_t b) { return {Ev::Down, b}; }
Step Up(int16_t b) { return {Ev::Up, b}; }

const std::vector<Step> S0{}, S1{kInit}, S2{kInit, kMove}, S3{kInit, kFocus}, S4{kInit, kMove, kFocus};

TEST(ButtonMouse, EachTransitionDrawsAndRaisesWhatItShould) {
    using P = FacePicture;
    struct Row {
        const char* name;
        std::vector<Step> setup;
        Step action;
        uint8_t state;
        bool held;
        Pictures faces;
        int clicks;
    } rows[] = {
        {"move in Normal hovers", S1, kMove, 2, false, {P::HighLight}, 0},
        {"move in Selected hovers focused", S3, kMove, 4, false, {P::HighLightSelect}, 0},
        {"move in Selected while held stays", {kInit, kFocus, Down(1)}, kMove, 3, true, {}, 0},
        {"move in HighLight draws nothing", S2, kMove, 2, false, {}, 0},
        {"move in HighLightSelect draws nothing", S4, kMove, 4, false, {}, 0},
        {"move before Initialize does nothing", S0, kMove, 0, false, {}, 0},
        {"left press shows Pressed", S2, Down(1), 2, true, {P::Pressed}, 0},
        {"left press in Normal shows Pressed", S1, Down(1), 1, true, {P::Pressed}, 0},
        {"right press does nothing", S2, Down(2), 2, false, {}, 0},
        {"middle press does nothing", S4, Down(4), 4, false, {}, 0},
        {"left release in HighLight draws Normal and clicks", {kInit, kMove, Down(1)}, Up(1), 2, false, {P::Normal}, 1},
        {"left release in HighLightSelect clicks", {kInit, kMove, kFocus, Down(1)}, Up(1), 4, false, {P::HighLightSelect}, 1},
        {"left release in Selected raises nothing", {kInit, kFocus, Down(1)}, Up(1), 3, false, {}, 0},
        {"left release in Normal clicks", S1, Up(1), 1, false, {}, 1},
        {"left release before Initialize clicks", S0, Up(1), 0, false, {}, 1},
        {"right release over the button clicks", S2, Up(2), 2, false, {}, 1},
        {"middle release focused and hovered clicks", S4, Up(4), 4, false, {}, 1},
        {"right release in Selected raises nothing", S3, Up(2), 3, false, {}, 0},
        {"right release leaves a left press held", {kInit, kMove, Down(1)}, Up(2), 2, true, {}, 1},
        {"focus in Normal selects", S1, kFocus, 3, false, {P::Selected}, 0},
        {"focus during hover shows Pressed", S2, kFocus, 4, false, {P::Pressed}, 0},
        {"focus in HighLightSelect selects", S4, kFocus, 3, false, {P::Selected}, 0},
        {"focus in Selected redraws Selected", S3, kFocus, 3, false, {P::Selected}, 0},
        {"focus before Initialize selects", S0, kFocus, 3, false, {P::Selected}, 0},
        {"focus lost in HighLight", S2, kBlur, 1, false, {P::Normal}, 0},
        {"focus lost in Selected", S3, kBlur, 1, false, {P::Normal}, 0},
        {"focus lost in HighLightSelect", S4, kBlur, 1, false, {P::Normal}, 0},
        {"focus lost in Normal does nothing", S1, kBlur, 1, false, {}, 0},
        {"focus lost before Initialize", S0, kBlur, 1, false, {P::Normal}, 0},
        {"pointer leaves HighLight", S2, kLeave, 1, false, {P::Normal}, 0},
        {"pointer leaves HighLightSelect", S4, kLeave, 3, false, {P::Selected}, 0},
        {"pointer left in Normal", S1, kLeave, 1, false, {}, 0},
        {"pointer left in Selected", S3, kLeave, 3, false, {}, 0},
        {"pointer left before Initialize", S0, kLeave, 0, false, {}, 0},
    };
    for (const Row& r : rows) {
        Button b(r.setup);
        Play(b.cmd, {r.action});
        EXPECT_EQ(b.state(), r.state) << r.name;
        EXPECT_EQ(b.held(), r.held) << r.name;
        EXPECT_EQ(b.painter.Pictures(), r.faces) << r.name;
        EXPECT_EQ(b.site.clicks, r.clicks) << r.name;
        EXPECT_TRUE(b.site.notified.empty()) << r.name;
    }
}

TEST(ButtonMouse, PressAndReleaseOverTheButtonClicksWhateverComesFirst) {
    for (const auto& order : {std::vector<Step>{kMove, Down(1), kFocus}, std::vector<Step>{kMove, kFocus, Down(1)}}) {
        Button b(S1);
        Play(b.cmd, order);
        EXPECT_EQ(b.state(), 4);
        EXPECT_EQ(b.painter.Pictures().back(), FacePicture::Pressed);
        Play(b.cmd, {Up(1)});
        EXPECT_EQ(b.site.clicks, 1);
        EXPECT_EQ(b.painter.Pictures().back(), FacePicture::HighLightSelect);
        EXPECT_EQ(b.journal.back(), "Click");  // raised last
    }
}

TEST(ButtonMouse, PressDraggedOffAndSeenByTheWatchRaisesNothing) {
    const fw::WindowId own = 10, host = 20, other = 30;
    Button b({kInit, kMove, Down(1), kFocus});
    b.cmd.OnPointerWatchTick(other, own, host);
    EXPECT_EQ(b.state(), 3);
    EXPECT_EQ(b.painter.Pictures(), Pictures{FacePicture::Selected});
    // Back over the button with the button still held: stays Selected.
    b.cmd.OnMouseMove(1, 0);
    b.cmd.OnPointerWatchTick(own, own, host);
    EXPECT_EQ(b.state(), 3);
    b.cmd.OnMouseUp(1, 0);
    EXPECT_EQ(b.site.clicks, 0);
    EXPECT_FALSE(b.held());
    // Now hover works again.
    b.cmd.OnMouseMove(0, 0);
    EXPECT_EQ(b.state(), 4);
}

TEST(ButtonMouse, ReleaseOffTheButtonBeforeTheNextTickStillClicks) {
    Button b({kInit, kMove, Down(1), kFocus});
    b.cmd.OnMouseUp(1, 0);  // the pointer has left, but no tick has seen it
    EXPECT_EQ(b.site.clicks, 1);
}

TEST(ButtonMouse, ReleaseWithoutFocusLeavesNormalUntilThePointerReturns) {
    Button b({kInit, kMove, Down(1)});
    b.cmd.OnMouseUp(1, 0);
    EXPECT_EQ(b.painter.Pictures(), Pictures{FacePicture::Normal});
    EXPECT_EQ(b.state(), 2);
    EXPECT_EQ(b.site.clicks, 1);
    b.cmd.OnMouseMove(0, 0);
    EXPECT_EQ(b.painter.faces.size(), 1u);  // no HighLight yet
    b.cmd.PointerLeft();
    b.cmd.OnMouseMove(0, 0);
    EXPECT_EQ(b.painter.Pictures().back(), FacePicture::HighLight);
}

TEST(ButtonMouse, LosingFocusWhileHoveredGoesNormalThenHoversAgain) {
    Button b(S4);
    b.cmd.OnFocusLost();
    EXPECT_EQ(b.state(), 1);
    b.cmd.OnMouseMove(0, 0);
    EXPECT_EQ(b.state(), 2);
    EXPECT_EQ(b.painter.Pictures(), (Pictures{FacePicture::Normal, FacePicture::HighLight}));
}

TEST(ButtonMouse, DisabledButtonNeverChangesNorClicks) {
    for (const auto& setup : {S1, S2, S4, std::vector<Step>{kInit, kMove, Down(1)}}) {
        Button b(setup);
        const uint8_t state = b.state();
        const bool held = b.held();
        b.cmd.SetEnabled(false);
        b.Forget();
        Play(b.cmd, {kMove, Down(1), Up(1), Up(2), kFocus, kBlur, kLeave, kFocus, kMove, Down(4), Up(4)});
        b.cmd.OnPointerWatchTick(99, 10, 20);
        EXPECT_EQ(b.state(), state);
        EXPECT_EQ(b.held(), held);
        EXPECT_TRUE(b.painter.faces.empty());
        EXPECT_EQ(b.site.clicks, 0);
        // Enabling again draws Normal and keeps the state.
        b.cmd.SetEnabled(true);
        EXPECT_EQ(b.painter.Pictures(), Pictures{FacePicture::Normal});
        EXPECT_EQ(b.state(), state);
    }
}

TEST(ButtonMouse, WatchCountsThePointerOverOnlyOnTheButtonsOwnWindow) {
    const fw::WindowId own = 10, host = 20, other = 30;
    struct Case { std::optional<fw::WindowId> under; std::optional<fw::WindowId> host; bool away; } cases[] = {
        {own, host, false},
        {host, host, true},
        {other, host, true},
        {std::nullopt, host, true},  // the pointer's position could not be read
        {own, std::nullopt, false},
        {other, std::nullopt, true},
        {own, own, true},            // a button that is its own host: the host test comes first
    };
    for (const auto& c : cases) {
        EXPECT_EQ(button::PointerIsAway(c.under, own, c.host), c.away)
            << (c.under ? static_cast<long>(*c.under) : -1L);
        Button b(S4);
        b.cmd.OnPointerWatchTick(c.under, own, c.host);
        EXPECT_EQ(b.state(), c.away ? 3 : 4);
    }
}

TEST(ButtonMouse, WatchDoesNotTickBeforeInitialize) {
    Button b(S0);
    b.cmd.OnFocusGained();
    b.cmd.OnFocusLost();
    b.cmd.OnMouseMove(0, 0);
    EXPECT_EQ(b.state(), 2);  // hover works after a focus loss
    b.cmd.OnPointerWatchTick(30, 10, 20);
    EXPECT_EQ(b.state(), 2);
    b.cmd.Initialize();
    b.cmd.OnPointerWatchTick(30, 10, 20);
    EXPECT_EQ(b.state(), 1);
}

TEST(ButtonMouse, MovingFromOneButtonToAnotherLeavesTheFirstWithinATick) {
    const fw::WindowId hostWnd = 1, firstWnd = 2, secondWnd = 3;
    Button first(S1), second(S1);
    first.cmd.OnMouseMove(0, 0);
    second.cmd.OnMouseMove(0, 0);  // the pointer now rests on the second
    first.cmd.OnPointerWatchTick(secondWnd, firstWnd, hostWnd);
    second.cmd.OnPointerWatchTick(secondWnd, secondWnd, hostWnd);
    EXPECT_EQ(first.state(), 1);
    EXPECT_EQ(first.painter.Pictures().back(), FacePicture::Normal);
    EXPECT_EQ(second.state(), 2);
}

}  // namespace
