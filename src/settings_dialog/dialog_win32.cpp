// Placeholder settings dialog: the right caption and size, closes with its close box.
#include "settings_dialog/dialog_win32.h"

#include "framework/window_win32.h"

namespace dialog {
namespace {
class PlainDialog : public fw::win::Window {
protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_DESTROY) PostQuitMessage(0);
        return Default(msg, wp, lp);
    }
};
}  // namespace

void ShowSettingsDialog(fw::SystemHooksPort&, startup::HookState&, fw::FilePort&, const std::string&) {
    PlainDialog w;
    DWORD style = WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
    RECT r{0, 0, 465, 191};
    AdjustWindowRectEx(&r, style, FALSE, WS_EX_DLGMODALFRAME);
    w.Create(L"FlutteraSettings", WS_EX_DLGMODALFRAME, fw::win::Widen("Flutteraの設定").c_str(), style, 100, 100,
             r.right - r.left, r.bottom - r.top);
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}
}  // namespace dialog
