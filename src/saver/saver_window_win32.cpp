// The full-screen saver window: the desktop snapshot, the back buffer the
// petals are drawn into, the two music timers, and the keys and clicks that end it.
// Every decision lives in the petal model, the compositor, the pacer and the saver
// controller; this file only carries them out with the system's windows, clock and GDI.
#include "saver/saver_window_win32.h"

#include "petals/display_rest.h"
#include "petals/pacer.h"
#include "petals/scene.h"
#include "saver/controller.h"
#include "saver/display_power_win32.h"
#include "saver/frames_win32.h"
#include "saver/monitors_win32.h"
#include "saver/present_win32.h"
#include "framework/adapters_win32.h"
#include "framework/system_dll_win32.h"
#include "framework/window_win32.h"
#include "music/media_port_win32.h"
#include "resource_ids.h"
#include "startup/captions.h"
#include "startup/settings.h"

#include <mmsystem.h>

#include <optional>
#include <vector>

namespace saver {
namespace {

using petals::PixelRect;

constexpr UINT_PTR kMp3LoopTimer = 1;  // `Timer1`, 1000 ms: keeps an MP3 looping
constexpr UINT_PTR kCdPollTimer = 2;   // `Timer2`, 200 ms: drives the audio CD
constexpr UINT kEndMessage = WM_APP + 1;  // posted to itself: ends as a key does

// Millisecond waits that end on time while passes run (the system's usual tick is 15.6 ms),
// and the usual resolution again while the saver rests. From winmm in the system folder.
void FineTimer(bool on) {
    using Period = decltype(&timeBeginPeriod);
    static const Period begin = fw::win::SystemFunction<Period>(L"winmm.dll", "timeBeginPeriod");
    static const Period end = fw::win::SystemFunction<Period>(L"winmm.dll", "timeEndPeriod");
    if (const Period set = on ? begin : end) set(1);
}

// The resources of each carried sprite size, in the order of kSpriteSizes.
constexpr int kMaskIds[petals::kSpriteSizeCount] = {IDB_PETAL_MASK, IDB_PETAL24_MASK, IDB_PETAL32_MASK,
                                                    IDB_PETAL48_MASK};
constexpr int kSpriteIds[petals::kSpriteSizeCount] = {IDB_PETAL_SPRITE, IDB_PETAL24_SPRITE, IDB_PETAL32_SPRITE,
                                                      IDB_PETAL48_SPRITE};

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
    SaverWindow(fw::SystemHooksPort& sys, startup::HookState& hooks, const startup::SaverSettings& settings,
                PassWatcher* watcher)
        : settings_(settings), display_(*this), bgm_(media_), controller_(*this, bgm_, sys, hooks, settings_),
          watcher_(watcher) {}

    [[noreturn]] void Load();
    void OnClick() { controller_.OnClick(); }
    void PaintDisplay(HDC dc) { BitBlt(dc, 0, 0, width_, height_, back_.dc(), 0, 0, SRCCOPY); }
    void OnKeyDown(WPARAM key) { controller_.OnKeyDown(static_cast<int32_t>(key)); }

    // The window side of the controller.
    void EnableTimer1(bool on) override { Enable(kMp3LoopTimer, on, music::kMp3TimerMs, mp3LoopTimer_); }
    void EnableTimer2(bool on) override { Enable(kCdPollTimer, on, music::kCdTimerMs, cdPollTimer_); }
    bool Timer2Enabled() override { return cdPollTimer_; }
    std::string CommandLine() override { return fw::win::CommandLineArguments(); }
    void Unload() override {
        power_.Unregister();
        DestroyWindow(hwnd());
    }
    void PostEnd() override { PostMessageW(hwnd(), kEndMessage, 0, 0); }
    void EndProgram(uint32_t status) override {
        if (watcher_) watcher_->Ending(scene_ ? scene_->Rows() : 0);
        ExitProcess(status);
    }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Enable(UINT_PTR id, bool on, UINT ms, bool& flag) {
        if (on) SetTimer(hwnd(), id, ms, nullptr);
        else KillTimer(hwnd(), id);
        flag = on;
    }
    void TakeSnapshot();
    // A point of the start, for a measuring build to see where its time goes.
    void Mark(const char* point) {
        if (watcher_) watcher_->Mark(point);
    }
    void LoadSpriteSizes();
    [[noreturn]] void RunAnimation();
    void Pass();
    void WaitForNextPass(const petals::Pacer& pacer);
    LRESULT OnPowerBroadcast(WPARAM wp, LPARAM lp);
    void Rest();

    const startup::SaverSettings settings_;
    DisplaySurface display_;
    music::Win32MediaPort media_;
    music::Bgm bgm_;
    SaverController controller_;
    PassWatcher* watcher_;
    std::optional<petals::Scene> scene_;  // a petal table per monitor, each at its own scale
    std::vector<petals::Monitor> monitors_;  // the monitors the saver was laid out over
    fw::win::RetainedPicture snapshot_;  // the desktop as it was when the saver started
    fw::win::RetainedPicture back_;      // the back buffer of Display
    PresentGroups groups_;               // this pass's rectangles, in the groups presented apart
    HDC displayDc_ = nullptr;
    PixelRect virtual_;  // where the window lies on the virtual screen
    int width_ = 0, height_ = 0;
    bool mp3LoopTimer_ = false, cdPollTimer_ = false;
    DisplayPowerNotice power_;
    petals::DisplayRest rest_;  // no passes while the console's display is off
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
    case WM_POWERBROADCAST:
        return OnPowerBroadcast(wp, lp);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:  // Alt and F10 are keys like any other here
        OnKeyDown(wp);
        return 0;
    case WM_TIMER:
        if (wp == kMp3LoopTimer) controller_.OnTimer1();
        if (wp == kCdPollTimer) controller_.OnTimer2();
        return 0;
    case WM_CLOSE:  // closed from outside: end as on a key, music and flags included
    case kEndMessage:
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
        BitBlt(snapshot_.dc(), 0, 0, width_, height_, dc, from.x, from.y, SRCCOPY);
        ReleaseDC(desktop, dc);
    }
}

void SaverWindow::LoadSpriteSizes() {
    // Only the sizes some monitor draws with.
    for (int32_t size : scene_->MissingFrameSizes()) {
        for (std::size_t i = 0; i < petals::kSpriteSizeCount; ++i) {
            if (petals::kSpriteSizes[i] != size) continue;
            petals::SpriteFrames frames;
            LoadFrames(GetModuleHandleW(nullptr), kMaskIds[i], kSpriteIds[i], size, frames);
            scene_->SetFrames(std::move(frames));
        }
    }
}

void SaverWindow::Load() {
    Mark("load");
    // The layout first: a change after this is noticed, either by the window's display-change
    // message or, before the window exists, by the second look below.
    monitors_ = ListMonitors();
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
    // The desktop snapshot, taken before the window is ever shown, and the back buffer.
    // Without them (no memory for pictures of the screen's size) nothing could be drawn.
    if (!snapshot_.Create(width_, height_) || !back_.Create(width_, height_)) controller_.EndWithoutWindow();
    TakeSnapshot();
    controller_.OnDisplayChange(monitors_, ListMonitors());
    Mark("snapshot");
    // A petal table of rows 0 to PetalCount for each monitor, at its own scale; the random
    // source is seeded once from the time of day.
    scene_.emplace(settings_.PetalCount, petals::TimeOfDaySeed());
    scene_->Lay(monitors_, PixelRect{virtual_.left, virtual_.top, virtual_.left + width_, virtual_.top + height_});
    scene_->compositor().SetRectCost(kRectCost);
    LoadSpriteSizes();
    Mark("frames");
    controller_.StartMusic();
    // Shown, then topmost, with the keys coming to it.
    ShowWindow(hwnd(), SW_SHOWNORMAL);
    SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetForegroundWindow(hwnd());
    SetFocus(hwnd());
    displayDc_ = GetDC(display_.hwnd());
    power_.Register(hwnd());
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
    // The back buffer keeps the last pass: the snapshot goes back only under the last
    // pass's petals, and only what changed reaches the screen.
    GdiFlush();  // no GDI copy into or out of the pictures is still pending
    const std::vector<PixelRect>& changed = scene_->Pass(ViewOf(snapshot_), ViewOf(back_));
    if (!watcher_ || !watcher_->Present(displayDc_, back_.dc(), changed)) {
        groups_.Group(changed);
        PresentGrouped(displayDc_, back_.dc(), groups_);
    }
    GdiFlush();
    if (watcher_) watcher_->Passed(scene_->compositor(), changed);
}

// Handles every message as it arrives until the next pass is due. Each look at an empty
// queue is a call to Wine's server, so the queue is read only when the wait says something
// came, and once when a pass took its whole period and there was no wait.
void SaverWindow::WaitForNextPass(const petals::Pacer& pacer) {
    bool waited = false;
    while (controller_.Running()) {
        const DWORD ms = pacer.MillisecondsUntilNext(Now());
        if (ms == 0) break;
        waited = true;
        if (MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0)
            fw::win::ProcessPendingMessages();
    }
    if (!waited) fw::win::ProcessPendingMessages();
}

// The console's display went off, dimmed or came back; other power events go to the system.
LRESULT SaverWindow::OnPowerBroadcast(WPARAM wp, LPARAM lp) {
    const std::optional<uint32_t> state = DisplayStateOf(wp, lp);
    if (!state) return Default(WM_POWERBROADCAST, wp, lp);
    rest_.Report(*state);
    return TRUE;
}

// While the display is off: messages alone (music, its timers, keys and clicks), no CPU
// between them, and the system's usual timer resolution meanwhile.
void SaverWindow::Rest() {
    FineTimer(false);
    while (controller_.Running() && rest_.Resting()) {
        MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        fw::win::ProcessPendingMessages();
    }
    FineTimer(true);
}

void SaverWindow::RunAnimation() {
    controller_.SetRunning(true);
    FineTimer(true);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    petals::Pacer pacer(frequency.QuadPart);
    pacer.Start(Now());
    const bool paced = !watcher_ || watcher_->Starting(scene_->compositor());
    while (controller_.Running()) {
        switch (rest_.BeforePass()) {
        case petals::DisplayRest::Next::Rest:
            Rest();
            continue;
        case petals::DisplayRest::Next::Resume:  // the whole picture, on a new schedule
            scene_->InvalidateAll();
            pacer.Start(Now());
            break;
        case petals::DisplayRest::Next::Pass:
            break;
        }
        pacer.PassStarted(Now());
        Pass();
        if (paced) WaitForNextPass(pacer);
        else fw::win::ProcessPendingMessages();
    }
    ExitProcess(0);
}

}  // namespace

void RunSaverWindow(fw::SystemHooksPort& sys, startup::HookState& hooks, const startup::SaverSettings& settings,
                    PassWatcher* watcher) {
    static SaverWindow window(sys, hooks, settings, watcher);
    window.Load();
}

}  // namespace saver
