// Placeholder preview: a child of the host with the right caption.
#include "display/preview_window_win32.h"

#include "framework/adapters_win32.h"
#include "framework/window_win32.h"

namespace display {
namespace {
class PlainPreview : public fw::win::Window {
protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_DESTROY) PostQuitMessage(0);
        return Default(msg, wp, lp);
    }
};
}  // namespace

void ShowPreviewWindow(const startup::PreviewPlacement& p) {
    static PlainPreview w;
    HWND host = fw::win::ToHwnd(p.parent);
    w.Create(L"FlutteraPreview", 0, L"Preview Window", WS_CHILD | WS_VISIBLE, 0, 0, p.imageWidth, p.imageHeight,
             host, nullptr, nullptr, nullptr, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}
}  // namespace display
