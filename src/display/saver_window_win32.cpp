// The full-screen saver window "Vellora_Main": the desktop snapshot, the back buffer the
// petals are drawn into, the two music timers, and the keys and clicks that end it.
// Every decision lives in the petal model and the saver controller; this file only
// carries them out with GDI.
#include "display/saver_window_win32.h"

#include "display/monitors_win32.h"
#include "display/petal_model.h"
#include "display/saver.h"
#include "display/screens.h"
#include "framework/adapters_win32.h"
#include "framework/window_win32.h"
#include "music/media_port_win32.h"
#include "resource_ids.h"
#include "startup/settings.h"

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

// One sprite size's 16 frames, mask and sprite.
struct FrameSet {
    std::array<fw::win::RetainedPicture, kSpriteFrames> masks, sprites;
    bool loaded = false;
};

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
    SaverWindow(fw::SystemHooksPort& sys, startup::HookState& hooks)
        : display_(*this), bgm_(media_), controller_(*this, bgm_, sys, hooks, startup::Settings()) {}

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
        WriteStats();
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
    // Benchmark builds only: how many passes ran, and for how long, written beside the
    // program at the exit.
    void WriteStats() {
        std::wstring path = fw::win::Widen(fw::win::ProgramFolder()) + L"\\pass_stats.txt";
        HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (f == INVALID_HANDLE_VALUE) return;
        char line[96];
        int n = wsprintfA(line, "%lu %lu %d\r\n", passes_, GetTickCount() - firstPass_,
                          static_cast<int>(screens_ ? screens_->Rows() : 0));
        DWORD written = 0;
        WriteFile(f, line, n, &written, nullptr);
        CloseHandle(f);
    }
    unsigned long passes_ = 0;
    DWORD firstPass_ = 0;
#endif
    void TakeSnapshot();
    void LoadFrames();
    [[noreturn]] void RunAnimation();
    void Pass();

    DisplaySurface display_;
    music::Win32MediaPort media_;
    music::Bgm bgm_;
    SaverController controller_;
    std::optional<Screens> screens_;  // a petal table per monitor
    fw::Lcg24Random random_;
    fw::win::RetainedPicture master_;  // the desktop snapshot
    fw::win::RetainedPicture back_;    // the back buffer of Display
    std::array<FrameSet, kSpriteSizeCount> frames_;
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
    case WM_ERASEBKGND:
        return 1;
    }
    return Default(msg, wp, lp);
}

void SaverWindow::TakeSnapshot() {
    // A snapshot that cannot be taken leaves the black of a new picture.
    HWND desktop = GetDesktopWindow();
    HDC dc = GetDC(desktop);
    if (dc) {
        // The whole virtual screen, wherever the desktop's own origin lies.
        POINT from{virtual_.left, virtual_.top};
        ScreenToClient(desktop, &from);
        BitBlt(master_.dc(), 0, 0, width_, height_, dc, from.x, from.y, SRCCOPY);
        // Display's own picture is the snapshot, so its first paint shows the desktop.
        BitBlt(back_.dc(), 0, 0, width_, height_, master_.dc(), 0, 0, SRCCOPY);
        ReleaseDC(desktop, dc);
    }
}

void SaverWindow::LoadFrames() {
    // Only the sizes some monitor draws with.
    HINSTANCE instance = GetModuleHandleW(nullptr);
    for (std::size_t i = 0; i < screens_->size(); ++i) {
        const std::size_t size = SizeIndex((*screens_)[i].spriteSize);
        FrameSet& set = frames_[size];
        if (set.loaded) continue;
        for (int k = 0; k < kSpriteFrames; ++k) {
            set.masks[k].FromResource(instance, kMaskIds[size] + k);
            set.sprites[k].FromResource(instance, kSpriteIds[size] + k);
        }
        set.loaded = true;
    }
}

void SaverWindow::Load() {
    // 1, 2: the whole virtual screen (every monitor), and Display over the whole client area.
    virtual_ = VirtualScreen();
    width_ = virtual_.Width();
    height_ = virtual_.Height();
    Create(L"FlutteraSaver", 0, L"Vellora_Main", WS_POPUP | WS_CLIPCHILDREN, virtual_.left, virtual_.top, width_,
           height_);
    RECT client{0, 0, width_, height_};
    GetClientRect(hwnd(), &client);
    width_ = client.right;
    height_ = client.bottom;
    display_.Create(L"FlutteraDisplay", 0, L"", WS_CHILD | WS_VISIBLE, 0, 0, width_, height_, hwnd(), nullptr,
                    LoadCursor(nullptr, IDC_ARROW), nullptr, nullptr, CS_OWNDC);
    // 3: a petal table of rows 0 to PetalCount for each monitor, at its own scale.
    screens_.emplace(ListMonitors(), PixelRect{virtual_.left, virtual_.top, virtual_.left + width_, virtual_.top + height_},
                     startup::Settings().PetalCount);
    // 4-7: the snapshot, before the window is ever shown.
    master_.Create(width_, height_);
    back_.Create(width_, height_);
    TakeSnapshot();
    LoadFrames();
    // 8, 9: seeded once from the time of day, then every petal's starting values.
    SYSTEMTIME now;
    GetLocalTime(&now);
    random_.Seed(static_cast<uint32_t>(now.wHour * 3600 + now.wMinute * 60 + now.wSecond));
    screens_->SetInitialValues(random_);
    // 10: the music.
    controller_.StartMusic();
    // 11, 12: shown, then topmost.
    ShowWindow(hwnd(), SW_SHOWNORMAL);
    SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetForegroundWindow(hwnd());
    SetFocus(hwnd());
    displayDc_ = GetDC(display_.hwnd());
    // 13.
    RunAnimation();
}

void SaverWindow::Pass() {
    BitBlt(back_.dc(), 0, 0, width_, height_, master_.dc(), 0, 0, SRCCOPY);
    screens_->Step(random_);
#ifdef FLUTTERA_PASS_STATS
    ++passes_;
#endif
    for (std::size_t i = 0; i < screens_->size(); ++i) {
        const Screen& screen = (*screens_)[i];
        const FrameSet& set = frames_[SizeIndex(screen.spriteSize)];
        for (const SpriteDraw& d : screen.draws) {
            const PixelRect r = Intersect(PixelRect{d.x, d.y, d.x + screen.spriteSize, d.y + screen.spriteSize}, screen.clip);
            if (r.Empty() || d.frame < 0 || d.frame >= kSpriteFrames) continue;
            // The mask clears the petal's pixels to black, the sprite XORs its colours in.
            BitBlt(back_.dc(), r.left, r.top, r.Width(), r.Height(), set.masks[d.frame].dc(), r.left - d.x, r.top - d.y,
                   SRCAND);
            BitBlt(back_.dc(), r.left, r.top, r.Width(), r.Height(), set.sprites[d.frame].dc(), r.left - d.x,
                   r.top - d.y, SRCINVERT);
        }
    }
    if (displayDc_) PaintDisplay(displayDc_);
    GdiFlush();
    fw::win::ProcessPendingMessages();
}

void SaverWindow::RunAnimation() {
    controller_.SetRunning(true);
#ifdef FLUTTERA_PASS_STATS
    firstPass_ = GetTickCount();
#endif
    while (controller_.Running()) Pass();
    ExitProcess(0);
}

}  // namespace

void RunSaverWindow(fw::SystemHooksPort& sys, startup::HookState& hooks) {
    static SaverWindow window(sys, hooks);
    window.Load();
}

}  // namespace display
