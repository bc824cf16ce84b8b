// The full-screen saver window: the desktop snapshot, the back buffer the
// petals are drawn into, the two music timers, and the keys and clicks that end it.
// Every decision lives in the petal model, the compositor, the pacer and the saver
// controller; this file only carries them out with the system's windows, clock and GDI.
#include "display/saver_window_win32.h"

#include "display/compositor.h"
#include "display/frames_win32.h"
#include "display/monitors_win32.h"
#include "display/pacer.h"
#include "display/petal_model.h"
#include "display/present_win32.h"
#include "display/saver.h"
#include "display/saver_stats_win32.h"
#include "display/screens.h"
#include "framework/adapters_win32.h"
#include "framework/window_win32.h"
#include "music/media_port_win32.h"
#include "resource_ids.h"
#include "startup/captions.h"
#include "startup/settings.h"

#include <mmsystem.h>

#include <array>
#include <optional>
#include <vector>

namespace display {
namespace {

constexpr UINT_PTR kTimer1 = 1;  // 1000 ms: keeps an MP3 looping
constexpr UINT_PTR kTimer2 = 2;  // 200 ms: drives the audio CD

// The resources of each carried sprite size, in the order of kSpriteSizes.
constexpr int kMaskIds[kSpriteSizeCount] = {IDB_PETAL_MASK, IDB_PETAL24_MASK, IDB_PETAL32_MASK, IDB_PETAL48_MASK};
constexpr int kSpriteIds[kSpriteSizeCount] = {IDB_PETAL_SPRITE, IDB_PETAL24_SPRITE, IDB_PETAL32_SPRITE,
                                              IDB_PETAL48_SPRITE};

std::size_t SizeIndex(int32_t size) {
    for (std::size_t i = 0; i < kSpriteSizeCount; ++i)
        if (kSpriteSizes[i] == size) return i;
    return 0;
}

class SaverWindow;

// `Display`: the drawing surface over the whole client area. It paints from the back
// buffer and a click on it (any mouse button) ends the saver.
class DisplaySurface final : public fw::win::Window {
public:
    explicit DisplaySurface(SaverWindow& owner) : owner_(owner) {}

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    SaverWindow& owner_;
};

class SaverWindow final : public fw::win::Window, public SaverWindowPort {
public:
    SaverWindow(fw::SystemHooksPort& sys, startup::HookState& hooks, const startup::SaverSettings& settings)
        : settings_(settings), display_(*this), bgm_(media_), controller_(*this, bgm_, sys, hooks, settings_) {}

    [[noreturn]] void Load();
    void OnClick() { controller_.OnClick(); }
    void PaintDisplay(HDC dc) { BitBlt(dc, 0, 0, width_, height_, back_.dc(), 0, 0, SRCCOPY); }
    void OnKeyDown(WPARAM key) { controller_.OnKeyDown(static_cast<int32_t>(key)); }

    // The window side of the controller.
    void EnableTimer1(bool on) override { Enable(kTimer1, on, music::kMp3TimerMs, timer1_); }
    void EnableTimer2(bool on) override { Enable(kTimer2, on, music::kCdTimerMs, timer2_); }
    bool Timer2Enabled() override { return timer2_; }
    std::string CommandLine() override { return fw::win::CommandLineArguments(); }
    void Unload() override { DestroyWindow(hwnd()); }
    void EndProgram() override {
#ifdef FLUTTERA_PASS_STATS
        stats_.Write(static_cast<int>(screens_ ? screens_->Rows() : 0));
#endif
        ExitProcess(0);
    }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Enable(UINT_PTR id, bool on, UINT ms, bool& flag) {
        if (on) SetTimer(hwnd(), id, ms, nullptr);
        else KillTimer(hwnd(), id);
        flag = on;
    }
#ifdef FLUTTERA_PASS_STATS
    PassStats stats_;  // benchmark builds only
#endif
    void TakeSnapshot();
    // Benchmark builds: a point of the start, to see where its time goes.
    void Mark(const char* name) {
#ifdef FLUTTERA_PASS_STATS
        stats_.Mark(name);
#else
        (void)name;
#endif
    }
    void LoadSpriteSizes();
    [[noreturn]] void RunAnimation();
    void Pass();
    void WaitForNextPass(const Pacer& pacer);

    const startup::SaverSettings settings_;
    DisplaySurface display_;
    music::Win32MediaPort media_;
    music::Bgm bgm_;
    SaverController controller_;
    std::optional<Screens> screens_;  // a petal table per monitor, each at its own scale
    std::vector<Monitor> monitors_;   // the monitors the saver was laid out over
    fw::Lcg24Random random_;
    fw::win::RetainedPicture master_;  // the desktop snapshot
    fw::win::RetainedPicture back_;    // the back buffer of Display
    std::array<SpriteFrames, kSpriteSizeCount> frames_;  // the frames of each size a monitor uses
    Compositor compositor_;
    Presenter presenter_;
    HDC displayDc_ = nullptr;
    PixelRect virtual_;  // where the window lies on the virtual screen
    int width_ = 0, height_ = 0;
    bool timer1_ = false, timer2_ = false;
};

LRESULT DisplaySurface::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
        owner_.OnClick();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd(), &ps);
        owner_.PaintDisplay(dc);
        EndPaint(hwnd(), &ps);
        return 0;
    }
    }
    return Default(msg, wp, lp);
}

LRESULT SaverWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:  // Alt and F10 are keys like any other here
        OnKeyDown(wp);
        return 0;
    case WM_TIMER:
        if (wp == kTimer1) controller_.OnTimer1();
        if (wp == kTimer2) controller_.OnTimer2();
        return 0;
    case WM_CLOSE:  // closed from outside: end as on a key, music and flags included
        controller_.EndSaver();
        return 0;
    case WM_DISPLAYCHANGE:  // ends the saver unless every monitor is as it was
        controller_.OnDisplayChange(monitors_, ListMonitors());
        return 0;
    case WM_ERASEBKGND:
        return 1;
    }
    return Default(msg, wp, lp);
}

// Display's own picture becomes the snapshot in the first pass, which copies it whole and
// presents it before any message (and so any paint) is handled.
void SaverWindow::TakeSnapshot() {
    // A snapshot that cannot be taken leaves the black of a new picture.
    HWND desktop = GetDesktopWindow();
    HDC dc = GetDC(desktop);
    if (dc) {
        // The whole virtual screen, wherever the desktop's own origin lies.
        POINT from{virtual_.left, virtual_.top};
        ScreenToClient(desktop, &from);
        BitBlt(master_.dc(), 0, 0, width_, height_, dc, from.x, from.y, SRCCOPY);
        ReleaseDC(desktop, dc);
    }
}

void SaverWindow::LoadSpriteSizes() {
    // Only the sizes some monitor draws with.
    for (std::size_t i = 0; i < screens_->size(); ++i) {
        const std::size_t size = SizeIndex((*screens_)[i].spriteSize);
        if (frames_[size].count() == 0)
            LoadFrames(GetModuleHandleW(nullptr), kMaskIds[size], kSpriteIds[size], kSpriteSizes[size], frames_[size]);
    }
}

void SaverWindow::Load() {
    Mark("load");
    // The window covers the whole virtual screen (every monitor), and Display its whole
    // client area. Without them nothing could ever end the saver.
    virtual_ = VirtualScreen();
    width_ = virtual_.Width();
    height_ = virtual_.Height();
    if (!Create(L"FlutteraSaver", 0, fw::win::Widen(startup::kSaverCaption).c_str(), WS_POPUP | WS_CLIPCHILDREN,
                virtual_.left, virtual_.top, width_, height_))
        controller_.EndWithoutWindow();
    RECT client{0, 0, width_, height_};
    GetClientRect(hwnd(), &client);
    width_ = client.right;
    height_ = client.bottom;
    if (!display_.Create(L"FlutteraDisplay", 0, L"", WS_CHILD | WS_VISIBLE, 0, 0, width_, height_, hwnd(), nullptr,
                         LoadCursor(nullptr, IDC_ARROW), nullptr, nullptr, CS_OWNDC))
        controller_.EndWithoutWindow();
    Mark("windows");
    // A petal table of rows 0 to PetalCount for each monitor, at its own scale.
    monitors_ = ListMonitors();
    screens_.emplace(monitors_,
                     PixelRect{virtual_.left, virtual_.top, virtual_.left + width_, virtual_.top + height_},
                     settings_.PetalCount);
    compositor_.Reserve(screens_->Rows());
    // The desktop snapshot, taken before the window is ever shown, and the back buffer.
    // Without them (no memory for pictures of the screen's size) nothing could be drawn.
    if (!master_.Create(width_, height_) || !back_.Create(width_, height_)) controller_.EndWithoutWindow();
    TakeSnapshot();
    Mark("snapshot");
    LoadSpriteSizes();
    // The random source is seeded once from the time of day, then every petal gets its
    // starting values.
    SYSTEMTIME now;
    GetLocalTime(&now);
    random_.Seed(static_cast<uint32_t>(now.wHour * 3600 + now.wMinute * 60 + now.wSecond));
    screens_->SetInitialValues(random_);
    Mark("frames");
    controller_.StartMusic();
    // Shown, then topmost, with the keys coming to it.
    ShowWindow(hwnd(), SW_SHOWNORMAL);
    SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetForegroundWindow(hwnd());
    SetFocus(hwnd());
    displayDc_ = GetDC(display_.hwnd());
    Mark("shown");
    RunAnimation();
}

namespace {
int64_t Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}
}  // namespace

void SaverWindow::Pass() {
    screens_->Step(random_);
    // The back buffer keeps the last pass: the snapshot goes back only under the last
    // pass's petals, and only what changed reaches the screen.
    GdiFlush();  // no GDI copy into or out of the pictures is still pending
    const PixelView back = ViewOf(back_);
    compositor_.BeginPass(ViewOf(master_), back);
    // Each monitor's petals with the sprites of its scale, never beyond its edges.
    for (std::size_t i = 0; i < screens_->size(); ++i) {
        const Screen& screen = (*screens_)[i];
        compositor_.Draw(back, frames_[SizeIndex(screen.spriteSize)], screen.draws.data(), screen.draws.size(),
                         screen.clip);
    }
    const std::vector<PixelRect>& changed = compositor_.EndPass();
    if (displayDc_) presenter_.Present(displayDc_, back_.dc(), changed);
    GdiFlush();
#ifdef FLUTTERA_PASS_STATS
    stats_.Passed(changed);
#endif
    fw::win::ProcessPendingMessages();
}

// Handles every message as it arrives until the next pass is due.
void SaverWindow::WaitForNextPass(const Pacer& pacer) {
    while (controller_.Running()) {
        const DWORD ms = pacer.MillisecondsUntilNext(Now());
        if (ms == 0) return;
        MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        fw::win::ProcessPendingMessages();
    }
}

void SaverWindow::RunAnimation() {
    controller_.SetRunning(true);
    // Millisecond waits that end on time; the system's usual tick is 15.6 ms.
    timeBeginPeriod(1);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    Pacer pacer(frequency.QuadPart);
    pacer.Start(Now());
#ifdef FLUTTERA_PASS_STATS
    stats_.Configure(compositor_, presenter_);
    const bool paced = stats_.paced();
#else
    const bool paced = true;
#endif
    while (controller_.Running()) {
        pacer.PassStarted(Now());
        Pass();
        if (paced) WaitForNextPass(pacer);
    }
    ExitProcess(0);
}

}  // namespace

void RunSaverWindow(fw::SystemHooksPort& sys, startup::HookState& hooks, const startup::SaverSettings& settings) {
    static SaverWindow window(sys, hooks, settings);
    window.Load();
}

}  // namespace display
