// The cost of the saver's old design with nothing else in it: the same full-screen window
// over the same two 32-bit DIB sections, and per pass the whole snapshot copied into the
// back buffer and the whole back buffer presented, then the pending messages handled.
// "paced" on the command line keeps 60 passes a second as the saver does; "wait" leaves out
// the copies, so a paced pass only handles messages and waits: the pace's own cost. A key or a click
// ends it; it writes "passes milliseconds" to bare_stats.txt beside itself.
#include "petals/pacer.h"
#include "framework/window_win32.h"

#include <mmsystem.h>

#include <cstdio>
#include <cwchar>

namespace {

bool g_running = true;

class Surface final : public fw::win::Window {
protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            g_running = false;
            return 0;
        case WM_ERASEBKGND:
            return 1;
        }
        return Default(msg, wp, lp);
    }
};

int64_t Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR args, int) {
    const bool paced = args && std::wcsstr(args, L"paced");
    const bool copies = !(args && std::wcsstr(args, L"wait"));
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    static Surface window, surface;
    window.Create(L"BareLoop", 0, L"Fluttera_BareLoop", WS_POPUP | WS_CLIPCHILDREN, 0, 0, w, h);
    surface.Create(L"BareLoopDisplay", 0, L"", WS_CHILD | WS_VISIBLE, 0, 0, w, h, window.hwnd(), nullptr,
                   LoadCursor(nullptr, IDC_ARROW), nullptr, nullptr, CS_OWNDC);
    fw::win::RetainedPicture master, back;
    master.Create(w, h);
    back.Create(w, h);
    HWND desktop = GetDesktopWindow();
    HDC desktopDc = GetDC(desktop);
    BitBlt(master.dc(), 0, 0, w, h, desktopDc, 0, 0, SRCCOPY);
    ReleaseDC(desktop, desktopDc);
    ShowWindow(window.hwnd(), SW_SHOWNORMAL);
    SetWindowPos(window.hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetForegroundWindow(window.hwnd());
    SetFocus(window.hwnd());
    HDC screen = GetDC(surface.hwnd());

    timeBeginPeriod(1);
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    petals::Pacer pacer(frequency.QuadPart);
    pacer.Start(Now());
    unsigned long passes = 0;
    const DWORD start = GetTickCount();
    while (g_running) {
        pacer.PassStarted(Now());
        if (copies) {
            BitBlt(back.dc(), 0, 0, w, h, master.dc(), 0, 0, SRCCOPY);
            BitBlt(screen, 0, 0, w, h, back.dc(), 0, 0, SRCCOPY);
            GdiFlush();
        }
        ++passes;
        fw::win::ProcessPendingMessages();
        while (paced && g_running) {
            const DWORD ms = pacer.MillisecondsUntilNext(Now());
            if (ms == 0) break;
            MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            fw::win::ProcessPendingMessages();
        }
    }
    const DWORD ms = GetTickCount() - start;
    std::wstring path = fw::win::Widen(fw::win::ProgramFolder()) + L"\\bare_stats.txt";
    if (FILE* f = _wfopen(path.c_str(), L"w")) {
        std::fprintf(f, "%lu %lu\n", passes, ms);
        std::fclose(f);
    }
    ExitProcess(0);
}
