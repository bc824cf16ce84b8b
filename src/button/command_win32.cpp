// The Command button's window: its creation, and the system's events handed to the core
// unchanged. The face it shows is drawn in command_face_win32.cpp.
#include "button/command_win32.h"

#include "framework/adapters_win32.h"
#include "framework/dpi_win32.h"
#include "framework/scale.h"

#include <cwchar>

namespace button {

namespace {

constexpr UINT_PTR kPointerWatchTimer = 1;

// Shift state as the events carry it: 1 Shift, 2 Ctrl, 4 Alt.
int16_t ShiftState(WPARAM wp) {
    int16_t s = 0;
    if (wp & MK_SHIFT) s |= 1;
    if (wp & MK_CONTROL) s |= 2;
    if (GetKeyState(VK_MENU) < 0) s |= 4;
    return s;
}

// The buttons held during a move: 1 left, 2 right, 4 middle.
int16_t HeldButtons(WPARAM wp) {
    int16_t b = 0;
    if (wp & MK_LBUTTON) b |= kLeftButton;
    if (wp & MK_RBUTTON) b |= kRightButton;
    if (wp & MK_MBUTTON) b |= kMiddleButton;
    return b;
}

}  // namespace

CommandControl::CommandControl() : dpi_(fw::win::SystemDpi()), twipsPerPixel_(fw::TwipsPerPixelAt(dpi_)) {
    core_ = std::make_unique<Command>(static_cast<FacePainter&>(*this), static_cast<CommandSite&>(*this));
}

CommandControl::~CommandControl() {
    // Destroyed here, while the handlers can still reach the members.
    if (hwnd()) DestroyWindow(hwnd());
    if (captionFont_) DeleteObject(captionFont_);
}

CommandControl* CommandControl::FromWindow(HWND hwnd) {
    wchar_t name[64] = {};
    if (!hwnd || !GetClassNameW(hwnd, name, 64) || wcscmp(name, kCommandClassName) != 0) return nullptr;
    auto* w = reinterpret_cast<fw::win::Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return static_cast<CommandControl*>(w);
}

bool CommandControl::Create(HWND parent, int x, int y, int width, int height, const PropertyBag& bag,
                            const FontSpec& ambientFont, int id) {
    pendingBag_ = &bag;
    pendingAmbient_ = ambientFont;
    const bool ok = Window::Create(kCommandClassName, 0, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, x, y, width,
                                   height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
    pendingBag_ = nullptr;
    return ok;
}

bool CommandControl::CreateStored(HWND parent, const StoredCommand& stored, int x, int y,
                                  const FontSpec& ambientFont, int id) {
    const HostExtent size = ExtentFromHimetric(stored.widthHimetric, stored.heightHimetric);
    const PropertyBag bag = BagFor(stored);
    return Create(parent, x, y, fw::ScaleToDpi(size.widthPixels, dpi_), fw::ScaleToDpi(size.heightPixels, dpi_), bag,
                  ambientFont, id);
}

LRESULT CommandControl::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE: OnCreate(); return 0;
        case WM_SIZE: OnSize(); return 0;
        case WM_ERASEBKGND: return 1;  // the whole face is painted from the retained picture
        case WM_PAINT: OnPaint(); return 0;
        case WM_PRINTCLIENT:
            if (presented_.dc()) {
                BitBlt(reinterpret_cast<HDC>(wp), 0, 0, presented_.width(), presented_.height(), presented_.dc(),
                       0, 0, SRCCOPY);
            }
            return 0;
        case WM_TIMER:
            if (wp == kPointerWatchTimer) OnTimer();
            return 0;
        case WM_MOUSEMOVE: core_->OnMouseMove(HeldButtons(wp), ShiftState(wp)); return 0;
        case WM_LBUTTONDOWN: OnButtonDown(kLeftButton, wp); return 0;
        case WM_RBUTTONDOWN: OnButtonDown(kRightButton, wp); return 0;
        case WM_MBUTTONDOWN: OnButtonDown(kMiddleButton, wp); return 0;
        // The Click handler may destroy the control: nothing follows these.
        case WM_LBUTTONUP: OnButtonUp(kLeftButton, wp); return 0;
        case WM_RBUTTONUP: OnButtonUp(kRightButton, wp); return 0;
        case WM_MBUTTONUP: OnButtonUp(kMiddleButton, wp); return 0;
        case WM_SETFOCUS: core_->OnFocusGained(); return 0;
        case WM_KILLFOCUS: core_->OnFocusLost(); return 0;
        case WM_DESTROY: KillTimer(hwnd(), kPointerWatchTimer); return 0;
        default: return Default(msg, wp, lp);
    }
}

void CommandControl::OnCreate() {
    SizeSurfaces();
    if (pendingBag_) core_->ReadProperties(*pendingBag_, pendingAmbient_);
    if (watchEnabled_) SetTimer(hwnd(), kPointerWatchTimer, watchIntervalMs_, nullptr);
}

void CommandControl::OnSize() {
    SizeSurfaces();
    core_->OnResize();
}

void CommandControl::SizeSurfaces() {
    RECT rc{};
    GetClientRect(hwnd(), &rc);
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (w == face_.width() && h == face_.height() && face_.dc()) return;
    face_.Create(w, h);
    presented_.Create(w, h);
    // Shrinking an edge keeps whole pixels instead of blending them.
    if (face_.dc()) SetStretchBltMode(face_.dc(), COLORONCOLOR);
}

void CommandControl::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd(), &ps);
    if (dc && presented_.dc()) {
        BitBlt(dc, 0, 0, presented_.width(), presented_.height(), presented_.dc(), 0, 0, SRCCOPY);
    }
    EndPaint(hwnd(), &ps);
}

void CommandControl::OnTimer() {
    std::optional<fw::WindowId> under;
    POINT pt{};
    if (GetCursorPos(&pt)) under = fw::win::FromHwnd(WindowFromPoint(pt));
    // The form that holds the button, also when a container lies in between.
    std::optional<fw::WindowId> host;
    HWND form = GetAncestor(hwnd(), GA_ROOT);
    if (form && form != hwnd()) host = fw::win::FromHwnd(form);
    core_->OnPointerWatchTick(under, fw::win::FromHwnd(hwnd()), host);
}

void CommandControl::OnButtonDown(int16_t button, WPARAM wp) {
    // As a push button: the release comes back here wherever the pointer is, and a left
    // press takes the focus.
    SetCapture(hwnd());
    if (button == kLeftButton && GetFocus() != hwnd()) SetFocus(hwnd());
    core_->OnMouseDown(button, ShiftState(wp));
}

void CommandControl::OnButtonUp(int16_t button, WPARAM wp) {
    if ((wp & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0 && GetCapture() == hwnd()) ReleaseCapture();
    core_->OnMouseUp(button, ShiftState(wp));
}

// --- CommandSite ---------------------------------------------------------------------

void CommandControl::RaiseClick() {
    // A copy, so a handler that destroys the control does not run from freed storage.
    auto handler = onClick_;
    if (handler) handler();
}

void CommandControl::PropertyChanged(std::string_view key) {
    if (onChanged_) onChanged_(key);
}

void CommandControl::SetPointerWatch(bool enabled, uint32_t intervalMs) {
    watchEnabled_ = enabled;
    watchIntervalMs_ = intervalMs;
    if (!hwnd()) return;  // started when the window is made
    if (enabled) {
        SetTimer(hwnd(), kPointerWatchTimer, intervalMs, nullptr);
    } else {
        KillTimer(hwnd(), kPointerWatchTimer);
    }
}

}  // namespace button