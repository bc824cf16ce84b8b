// The Command button's window against the real system: the face it draws (read back from
// its retained pictures and from the screen), the caption's place, and the window
// messages that make one Click. The state machine itself is tested through fakes; here
// only what the window adds: resources, GDI calls, message routing, capture and timer.
#include "button/command_win32.h"
#include "framework/window_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using button::CommandControl;
using button::DialogCommands;
using button::FacePicture;

constexpr uint32_t kOutline = 0x003C74;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kPale = 0xC6C5D7;

int Red(uint32_t c) { return static_cast<int>(c >> 16 & 0xFF); }
int Green(uint32_t c) { return static_cast<int>(c >> 8 & 0xFF); }
int Blue(uint32_t c) { return static_cast<int>(c & 0xFF); }

std::string Hex(uint32_t c) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%06X", static_cast<unsigned>(c & 0xFFFFFF));
    return buf;
}

bool Near(uint32_t a, uint32_t b, int tolerance) {
    return std::abs(Red(a) - Red(b)) <= tolerance && std::abs(Green(a) - Green(b)) <= tolerance &&
           std::abs(Blue(a) - Blue(b)) <= tolerance;
}

// The colour between `from` and `to` at `t` in [0, 1].
uint32_t Mix(uint32_t from, uint32_t to, double t) {
    auto ch = [t](int a, int b) { return static_cast<uint32_t>(a + (b - a) * t + 0.5); };
    return ch(Red(from), Red(to)) << 16 | ch(Green(from), Green(to)) << 8 | ch(Blue(from), Blue(to));
}

uint32_t At(const fw::win::RetainedPicture& p, int x, int y) {
    GdiFlush();
    return p.bits()[static_cast<size_t>(y) * p.width() + x] & 0xFFFFFF;
}

// Caption ink: pixels much darker than any part of an enabled face.
bool IsInk(uint32_t c) { return Red(c) < 0x70 && Green(c) < 0x70 && Blue(c) < 0x90; }

struct InkBox {
    int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
    bool empty() const { return right < 0; }
};

// Where the caption's dark pixels lie, looking inside the frame only.
InkBox FindInk(const fw::win::RetainedPicture& p, bool (*ink)(uint32_t) = IsInk) {
    InkBox b;
    for (int y = 4; y < p.height() - 4; ++y)
        for (int x = 4; x < p.width() - 4; ++x)
            if (ink(At(p, x, y))) {
                b.left = std::min(b.left, x);
                b.right = std::max(b.right, x);
                b.top = std::min(b.top, y);
                b.bottom = std::max(b.bottom, y);
            }
    return b;
}

class Host final : public fw::win::Window {};

// A visible form holding the buttons, made as the settings dialog makes them. The form is
// shared by the tests: Wine takes seconds to take a top-level window off the screen.
class CommandControlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        hostWindow = new Host;
        hostWindow->Create(L"FlutteraCommandTestHost", WS_EX_TOOLWINDOW, L"Command test host", WS_POPUP | WS_VISIBLE,
                           0, 0, 300, 120, nullptr, nullptr, LoadCursor(nullptr, IDC_ARROW), nullptr,
                           static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    }
    static void TearDownTestSuite() {
        delete hostWindow;
        hostWindow = nullptr;
    }
    void SetUp() override { ASSERT_NE(host.hwnd(), nullptr) << "no window could be made: run under an X display"; }
    void TearDown() override {
        controls.clear();
        fw::win::ProcessPendingMessages();
    }

    // Cmd_Set (81 x 25) or Cmd_BGM (29 x 21).
    CommandControl& Make(int which = 1, int x = 20, int y = 20) {
        auto c = std::make_unique<CommandControl>();
        c->SetOnClick([this] { ++clicks; });
        EXPECT_TRUE(c->CreateStored(host.hwnd(), DialogCommands()[which], x, y));
        controls.push_back(std::move(c));
        return *controls.back();
    }

    static void Pump(DWORD ms) {
        const DWORD end = GetTickCount() + ms;
        while (static_cast<int32_t>(end - GetTickCount()) > 0) {
            fw::win::ProcessPendingMessages();
            Sleep(10);
        }
    }

    static LPARAM Point(int x, int y) { return MAKELPARAM(x, y); }

    // What a left click over the button sends it.
    static void LeftClick(CommandControl& c) {
        SendMessageW(c.hwnd(), WM_MOUSEMOVE, 0, Point(10, 10));
        SendMessageW(c.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, Point(10, 10));
        SendMessageW(c.hwnd(), WM_LBUTTONUP, 0, Point(10, 10));
    }

    // The face's interior rows follow the gradient from `top` at row 0 to `bottom` at
    // the last row (the fill covers rows 0 to height - 2).
    static void ExpectGradient(const fw::win::RetainedPicture& face, uint32_t top, uint32_t bottom) {
        const int h = face.height();
        for (int y = 4; y < h - 4; ++y) {
            for (int x : {4, face.width() / 2, face.width() - 5}) {
                const uint32_t expected = Mix(top, bottom, static_cast<double>(y) / (h - 1));
                const uint32_t got = At(face, x, y);
                EXPECT_TRUE(Near(got, expected, 3)) << "row " << y << " column " << x << ": " << Hex(got)
                                                    << ", expected about " << Hex(expected);
            }
        }
    }

    static Host* hostWindow;
    Host& host = *hostWindow;
    std::vector<std::unique_ptr<CommandControl>> controls;
    int clicks = 0;
};

Host* CommandControlTest::hostWindow = nullptr;

TEST(CommandPictures, AllSixStatePicturesComeFromTheResources) {
    for (int i = 0; i <= static_cast<int>(FacePicture::Disable); ++i) {
        const auto* p = CommandControl::StatePicture(static_cast<FacePicture>(i));
        ASSERT_NE(p, nullptr) << "picture " << i;
        EXPECT_EQ(p->width(), 64);
        EXPECT_EQ(p->height(), 25);
    }
    // The outline sits on the second ring of Normal; Disable has none.
    EXPECT_EQ(At(*CommandControl::StatePicture(FacePicture::Normal), 30, 1), kOutline);
    EXPECT_EQ(At(*CommandControl::StatePicture(FacePicture::Pressed), 30, 2), kOutline);
    EXPECT_EQ(At(*CommandControl::StatePicture(FacePicture::Disable), 30, 1), 0xC9C7BAu);
}

TEST_F(CommandControlTest, StoredButtonsTakeTheDialogSizesAndCaptions) {
    CommandControl& set = Make(1);
    CommandControl& bgm = Make(2, 120, 20);
    EXPECT_EQ(set.Face().width(), 81);
    EXPECT_EQ(set.Face().height(), 25);
    EXPECT_EQ(bgm.Face().width(), 29);
    EXPECT_EQ(bgm.Face().height(), 21);
    EXPECT_EQ(set.core().Caption(), "設定");
    EXPECT_EQ(bgm.core().Caption(), "...");
    EXPECT_EQ(set.core().fields().firstRun, 1);
    EXPECT_TRUE(set.core().fields().enabled);
    EXPECT_EQ(CommandControl::FromWindow(set.hwnd()), &set);
    EXPECT_EQ(CommandControl::FromWindow(host.hwnd()), nullptr);
}

TEST_F(CommandControlTest, NormalFaceRunsFromWhiteToPaleInsideTheOutline) {
    for (int which : {1, 2}) {
        SCOPED_TRACE(which == 1 ? "81 x 25" : "29 x 21");
        CommandControl& c = Make(which);
        const auto& f = c.Face();
        const int w = f.width(), h = f.height();
        ExpectGradient(f, kWhite, kPale);
        // The pale outer ring, then the outline all round, corners softened.
        EXPECT_EQ(At(f, w / 2, 0), 0xE0DCC9u);
        EXPECT_EQ(At(f, w / 2, 1), kOutline);
        EXPECT_EQ(At(f, w / 2, h - 2), kOutline);
        EXPECT_EQ(At(f, 1, h / 2), kOutline);
        EXPECT_EQ(At(f, w - 2, h / 2), kOutline);
        EXPECT_NE(At(f, 1, 1), kOutline);
        // The light inner rim at the top.
        EXPECT_EQ(At(f, w / 2, 2), 0xF3F3EEu);
    }
}

TEST_F(CommandControlTest, HoverReversesTheGradientUnderTheOrangeRim) {
    CommandControl& c = Make();
    c.Initialize();
    SendMessageW(c.hwnd(), WM_MOUSEMOVE, 0, Point(10, 10));
    ASSERT_EQ(c.core().fields().faceState, button::kStateHighLight);
    const auto& f = c.Face();
    ExpectGradient(f, kPale, kWhite);
    EXPECT_EQ(At(f, 40, 1), kOutline);
    EXPECT_EQ(At(f, 40, 2), 0xFFF0CFu);
    EXPECT_EQ(At(f, 40, 3), 0xFDD889u);
    EXPECT_EQ(At(f, 40, 21), 0xF8B330u);
    EXPECT_EQ(At(f, 40, 22), 0xE59700u);
}

TEST_F(CommandControlTest, FocusShowsTheBlueRimOverTheWhiteTopGradient) {
    CommandControl& c = Make();
    c.Initialize();
    SendMessageW(c.hwnd(), WM_SETFOCUS, 0, 0);
    ASSERT_EQ(c.core().fields().faceState, button::kStateSelected);
    const auto& f = c.Face();
    ExpectGradient(f, kWhite, kPale);
    EXPECT_EQ(At(f, 40, 2), 0xCEE7FFu);
    EXPECT_EQ(At(f, 40, 22), 0x6982EEu);
    SendMessageW(c.hwnd(), WM_KILLFOCUS, 0, 0);
    EXPECT_EQ(c.core().fields().faceState, button::kStateNormal);
    EXPECT_EQ(At(f, 40, 2), 0xF3F3EEu);
}

TEST_F(CommandControlTest, DisabledFaceHasNoOutlineAndAGreyCaption) {
    CommandControl& c = Make();
    c.core().SetEnabled(false);
    const auto& f = c.Face();
    for (int y = 0; y < f.height(); ++y)
        for (int x = 0; x < f.width(); ++x) ASSERT_NE(At(f, x, y), kOutline) << x << "," << y;
    EXPECT_EQ(At(f, 40, 0), 0xECE9D8u);
    EXPECT_EQ(At(f, 40, 1), 0xC9C7BAu);
    // Greyed text: no dark ink, but grey pixels where the caption stands.
    EXPECT_TRUE(FindInk(c.Presented()).empty());
    const InkBox grey = FindInk(c.Presented(), [](uint32_t px) {
        return std::abs(Red(px) - Green(px)) < 16 && std::abs(Green(px) - Blue(px)) < 16 && Red(px) < 0xB0;
    });
    EXPECT_FALSE(grey.empty());
    // A disabled button ignores the mouse.
    LeftClick(c);
    EXPECT_EQ(clicks, 0);
}

TEST_F(CommandControlTest, CaptionStandsCentredJustAboveTheMiddle) {
    struct Case {
        int which, labelTop;  // the label's top in pixels: 80 and 50 twips
    } cases[] = {{1, 5}, {2, 3}};
    for (const Case& k : cases) {
        CommandControl& c = Make(k.which);
        const auto& p = c.Presented();
        SCOPED_TRACE(p.width());
        const InkBox ink = FindInk(p);
        ASSERT_FALSE(ink.empty()) << "no caption drawn";
        // Inside the label, which keeps its 195 twips (13 pixels) of height.
        EXPECT_GE(ink.top, k.labelTop);
        EXPECT_LT(ink.bottom, k.labelTop + 13);
        // Centred across the full width.
        EXPECT_NEAR((ink.left + ink.right) / 2.0, (p.width() - 1) / 2.0, 1.5);
        // Letters of full height stand above the face's middle ("..." sits on its baseline).
        if (k.which == 1) {
            EXPECT_LE((ink.top + ink.bottom) / 2.0, (p.height() - 1) / 2.0);
        }
        // The face under the caption is untouched: the caption is only in what is shown.
        EXPECT_TRUE(FindInk(c.Face()).empty());
    }
}

TEST_F(CommandControlTest, ResizingRedrawsAtTheNewSize) {
    CommandControl& c = Make();
    MoveWindow(c.hwnd(), 20, 20, 29, 21, TRUE);
    ASSERT_EQ(c.Face().width(), 29);
    ASSERT_EQ(c.Face().height(), 21);
    EXPECT_EQ(At(c.Face(), 14, 1), kOutline);
    EXPECT_EQ(At(c.Face(), 14, 19), kOutline);
    EXPECT_EQ(At(c.Face(), 27, 10), kOutline);
    ExpectGradient(c.Face(), kWhite, kPale);
}

TEST_F(CommandControlTest, TheWindowShowsTheRetainedPicture) {
    CommandControl& c = Make();
    c.Initialize();
    SendMessageW(c.hwnd(), WM_MOUSEMOVE, 0, Point(10, 10));
    UpdateWindow(c.hwnd());
    HDC dc = GetDC(c.hwnd());
    ASSERT_NE(dc, nullptr);
    int same = 0, total = 0;
    for (int y = 0; y < 25; y += 3)
        for (int x = 0; x < 81; x += 5) {
            const COLORREF px = GetPixel(dc, x, y);
            const uint32_t rgb = GetRValue(px) << 16 | GetGValue(px) << 8 | GetBValue(px);
            ++total;
            if (rgb == At(c.Presented(), x, y)) ++same;
        }
    ReleaseDC(c.hwnd(), dc);
    EXPECT_EQ(same, total);
    // Erasing is left to the paint, which covers every pixel.
    EXPECT_EQ(SendMessageW(c.hwnd(), WM_ERASEBKGND, 0, 0), 1);
}

TEST_F(CommandControlTest, OneLeftClickRaisesClickOnceAndTakesTheFocus) {
    CommandControl& c = Make();
    c.Initialize();
    SendMessageW(c.hwnd(), WM_MOUSEMOVE, 0, Point(10, 10));
    SendMessageW(c.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, Point(10, 10));
    EXPECT_EQ(GetCapture(), c.hwnd());
    EXPECT_EQ(GetFocus(), c.hwnd());
    EXPECT_TRUE(c.core().fields().mouseHeld);
    EXPECT_EQ(c.core().fields().faceState, button::kStateHighLightSelect);
    // The pressed frame lies one pixel further in: the outline on the third ring.
    EXPECT_EQ(At(c.Face(), 40, 2), kOutline);
    EXPECT_EQ(clicks, 0);
    SendMessageW(c.hwnd(), WM_LBUTTONUP, 0, Point(10, 10));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_FALSE(c.core().fields().mouseHeld);
    EXPECT_EQ(At(c.Face(), 40, 2), 0xFFF0CFu);  // HighLightSelect
    Pump(50);
    EXPECT_EQ(clicks, 1);
}

TEST_F(CommandControlTest, RightClickRaisesClickWithoutPressedFaceOrFocus) {
    CommandControl& c = Make();
    c.Initialize();
    SendMessageW(c.hwnd(), WM_MOUSEMOVE, 0, Point(10, 10));
    SendMessageW(c.hwnd(), WM_RBUTTONDOWN, MK_RBUTTON, Point(10, 10));
    EXPECT_EQ(GetCapture(), c.hwnd());
    EXPECT_NE(GetFocus(), c.hwnd());
    EXPECT_EQ(At(c.Face(), 40, 2), 0xFFF0CFu);  // still HighLight
    SendMessageW(c.hwnd(), WM_RBUTTONUP, 0, Point(10, 10));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(CommandControlTest, PointerWatchTakesTheHoverBackWhenThePointerIsOnTheForm) {
    CommandControl& c = Make();
    RECT r{};
    GetWindowRect(c.hwnd(), &r);
    // Over the button, the watch leaves the hover alone.
    SetCursorPos(r.left + 10, r.top + 10);
    c.Initialize();
    SendMessageW(c.hwnd(), WM_MOUSEMOVE, 0, Point(10, 10));
    Pump(300);
    POINT at{};
    ASSERT_TRUE(GetCursorPos(&at));
    ASSERT_EQ(WindowFromPoint(at), c.hwnd()) << "the pointer is not over the button";
    EXPECT_EQ(c.core().fields().faceState, button::kStateHighLight);
    // On the form beside it, the next tick (every 100 ms) ends the hover.
    SetCursorPos(r.right + 20, r.top + 10);
    Pump(300);
    EXPECT_EQ(c.core().fields().faceState, button::kStateNormal);
    ExpectGradient(c.Face(), kWhite, kPale);
}

TEST_F(CommandControlTest, APressDraggedOffAndReleasedRaisesNothing) {
    CommandControl& c = Make();
    RECT r{};
    GetWindowRect(c.hwnd(), &r);
    c.Initialize();
    SendMessageW(c.hwnd(), WM_MOUSEMOVE, 0, Point(10, 10));
    SendMessageW(c.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, Point(10, 10));
    SetCursorPos(r.right + 20, r.top + 10);
    SendMessageW(c.hwnd(), WM_TIMER, 1, 0);  // one tick of the watch
    POINT at{};
    ASSERT_TRUE(GetCursorPos(&at));
    ASSERT_EQ(WindowFromPoint(at), host.hwnd()) << "the pointer is not over the form";
    EXPECT_EQ(c.core().fields().faceState, button::kStateSelected);
    SendMessageW(c.hwnd(), WM_LBUTTONUP, 0, Point(120, 10));
    EXPECT_EQ(clicks, 0);
}

TEST_F(CommandControlTest, AClickHandlerMayDestroyTheButton) {
    auto c = std::make_unique<CommandControl>();
    ASSERT_TRUE(c->CreateStored(host.hwnd(), DialogCommands()[0], 20, 20));
    HWND hwnd = c->hwnd();
    int raised = 0;
    c->SetOnClick([&] {
        ++raised;
        c.reset();
    });
    c->Initialize();
    LeftClick(*c);
    EXPECT_EQ(raised, 1);
    EXPECT_EQ(c, nullptr);
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(CommandFonts, MissingFacesFallBackToAnInstalledJapaneseFace) {
    const std::wstring design = L"ＭＳ Ｐゴシック";
    const std::wstring face = button::ResolveFontFace(design);
    ASSERT_FALSE(face.empty());
    // Whatever was chosen, the mapper gives exactly that face.
    LOGFONTW lf{};
    lf.lfHeight = -13;
    lf.lfCharSet = face == design ? SHIFTJIS_CHARSET : DEFAULT_CHARSET;
    wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    HFONT font = CreateFontIndirectW(&lf);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    wchar_t got[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, got);
    // Latin glyphs exist in it: "BGM" is not drawn as three missing-glyph boxes.
    WORD glyphs[3] = {};
    GetGlyphIndicesW(dc, L"BGM", 3, glyphs, GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(font);
    EXPECT_EQ(std::wstring(got), face);
    for (WORD g : glyphs) EXPECT_NE(g, 0xFFFF);
    // A face nobody has is never handed to the mapper when a fallback exists.
    EXPECT_NE(button::ResolveFontFace(L"No Such Face Anywhere"), L"No Such Face Anywhere");
}

}  // namespace
