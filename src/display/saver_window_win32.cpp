// Placeholder saver window: the right caption, full screen, ends on a key or a click.
#include "display/saver_window_win32.h"

#include "framework/window_win32.h"

namespace display {
namespace {
class PlainSaver : public fw::win::Window {
protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
        case WM_KEYDOWN: case WM_SYSKEYDOWN: case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
            ExitProcess(0);
        }
        return Default(msg, wp, lp);
    }
};
}  // namespace

void RunSaverWindow(fw::SystemHooksPort&, startup::HookState&) {
    static PlainSaver w;
    w.Create(L"FlutteraSaver", WS_EX_TOPMOST, L"Vellora_Main", WS_POPUP | WS_VISIBLE, 0, 0,
             GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, nullptr, nullptr,
             static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    ExitProcess(0);
}
}  // namespace display
