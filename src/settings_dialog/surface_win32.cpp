#include "settings_dialog/surface_win32.h"

#include "settings_dialog/controls.h"

#include <algorithm>

namespace dialog {

namespace {

RECT PixelRect(const ControlSpec& c, uint32_t dpi) {
    const fw::LayoutRect r = ScaledRect(c, dpi);
    return RECT{r.left, r.top, r.left + r.width, r.top + r.height};
}

// An outline `width` pixels wide inside `rc`, as a one-pixel pen or frame draws it at 96 dpi.
void Outline(HDC dc, const RECT& rc, int width, HBRUSH brush) {
    const RECT sides[] = {{rc.left, rc.top, rc.right, rc.top + width},
                          {rc.left, rc.bottom - width, rc.right, rc.bottom},
                          {rc.left, rc.top + width, rc.left + width, rc.bottom - width},
                          {rc.right - width, rc.top + width, rc.right, rc.bottom - width}};
    for (const RECT& side : sides)
        if (side.right > side.left && side.bottom > side.top) FillRect(dc, &side, brush);
}

void DrawLabel(HDC dc, const WindowlessControl& w, const LabelFonts& fonts, uint32_t dpi) {
    const ControlSpec& c = *w.control;
    RECT rc = PixelRect(c, dpi);
    if (c.flags & kBorder) {
        const int line = fw::ScaleToDpi(1, dpi);
        Outline(dc, rc, line, GetSysColorBrush(COLOR_WINDOWFRAME));
        InflateRect(&rc, -line, -line);
    }
    if (w.text.empty()) return;
    COLORREF colour = GetSysColor(COLOR_BTNTEXT);
    switch (LabelTextColour(c)) {
    case TextColour::Black: colour = RGB(0, 0, 0); break;
    case TextColour::White: colour = RGB(255, 255, 255); break;
    case TextColour::WindowText: colour = GetSysColor(COLOR_WINDOWTEXT); break;
    case TextColour::ButtonText: break;
    }
    HFONT font = (c.flags & kUnderlined) ? fonts.underlined : fonts.normal;
    HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = SetTextColor(dc, colour);
    // "&&" shows one ampersand: the label text carries each doubled. A box that wraps
    // shows the lines that fit whole; a one-line label is never cut short.
    UINT format = (c.flags & kCentred) ? DT_CENTER : DT_LEFT;
    format |= (c.flags & kWordWrap) ? (DT_WORDBREAK | DT_EDITCONTROL) : (DT_SINGLELINE | DT_NOCLIP);
    DrawTextW(dc, w.text.c_str(), static_cast<int>(w.text.size()), &rc, format);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
    if (oldFont) SelectObject(dc, oldFont);
}

}  // namespace

void DrawWindowless(HDC dc, const std::vector<WindowlessControl>& controls, ControlId parent,
                    const LabelFonts& fonts, uint32_t dpi) {
    for (const WindowlessControl& w : controls) {
        const ControlSpec& c = *w.control;
        if (c.parentId != parent || (c.flags & kHidden)) continue;
        const RECT rc = PixelRect(c, dpi);
        switch (c.kind) {
        case ControlKind::Image:
            // The picture is drawn for the screen's scale; it is shown at its own size.
            if (w.picture && w.picture->dc())
                BitBlt(dc, rc.left, rc.top, std::min<int>(rc.right - rc.left, w.picture->width()),
                       std::min<int>(rc.bottom - rc.top, w.picture->height()), w.picture->dc(), 0, 0, SRCCOPY);
            break;
        case ControlKind::Shape: {
            HBRUSH brush = CreateSolidBrush(GetSysColor(COLOR_WINDOWTEXT));
            Outline(dc, rc, fw::ScaleToDpi(1, dpi), brush);
            DeleteObject(brush);
            break;
        }
        case ControlKind::Label:
            DrawLabel(dc, w, fonts, dpi);
            break;
        default:
            break;
        }
    }
}

bool Surface::SizePicture(COLORREF fill) {
    RECT rc{};
    GetClientRect(hwnd(), &rc);
    if (picture_.width() == rc.right && picture_.height() == rc.bottom) return true;
    if (!picture_.Create(rc.right, rc.bottom)) return false;
    HBRUSH brush = CreateSolidBrush(fill);
    FillRect(picture_.dc(), &rc, brush);
    DeleteObject(brush);
    return true;
}

void Surface::Compose(HDC target) {
    // Before anything was drawn on it the surface shows its back colour.
    RECT rc{};
    GetClientRect(hwnd(), &rc);
    if (picture_.dc()) {
        BitBlt(target, 0, 0, picture_.width(), picture_.height(), picture_.dc(), 0, 0, SRCCOPY);
    } else {
        FillRect(target, &rc, GetSysColorBrush(COLOR_BTNFACE));
    }
    host_.DrawWindowless(target, id_);
}

void Surface::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd(), &ps);
    RECT rc{};
    GetClientRect(hwnd(), &rc);
    if (frame_.width() != rc.right || frame_.height() != rc.bottom) frame_.Create(rc.right, rc.bottom);
    if (frame_.dc()) {
        Compose(frame_.dc());
        BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
               ps.rcPaint.bottom - ps.rcPaint.top, frame_.dc(), ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
    } else {
        Compose(dc);
    }
    EndPaint(hwnd(), &ps);
}

void Surface::OnButtonDown(int x, int y) {
    // A picture box takes the focus when clicked, whatever lies on it.
    if (id_ != ControlId::Form) SetFocus(hwnd());
    pressed_ = ClickableAt(id_, x, y, host_.Dpi());
    if (pressed_) SetCapture(hwnd());
}

void Surface::OnButtonUp(int x, int y) {
    const ControlSpec* pressed = pressed_;
    pressed_ = nullptr;
    if (!pressed) return;
    if (GetCapture() == hwnd()) ReleaseCapture();
    // A click is a press and a release on the same control.
    if (ClickableAt(id_, x, y, host_.Dpi()) == pressed) host_.OnWindowlessClick(*pressed);
}

bool Surface::OnSetCursor(LPARAM lp) {
    if (LOWORD(lp) != HTCLIENT) return false;
    if (host_.Busy()) {
        SetCursor(LoadCursor(nullptr, IDC_WAIT));
        return true;
    }
    POINT at{};
    GetCursorPos(&at);
    ScreenToClient(hwnd(), &at);
    HCURSOR hand = host_.HandCursor();
    SetCursor(hand && HandCursorAt(id_, at.x, at.y, host_.Dpi()) ? hand : LoadCursor(nullptr, IDC_ARROW));
    return true;
}

LRESULT Surface::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;  // the whole client area is painted from the retained picture
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_PRINTCLIENT:
        Compose(reinterpret_cast<HDC>(wp));
        return 0;
    case WM_LBUTTONDOWN:
        OnButtonDown(static_cast<int16_t>(LOWORD(lp)), static_cast<int16_t>(HIWORD(lp)));
        return 0;
    case WM_LBUTTONUP:
        OnButtonUp(static_cast<int16_t>(LOWORD(lp)), static_cast<int16_t>(HIWORD(lp)));
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lp) != hwnd()) pressed_ = nullptr;
        return 0;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wp) == hwnd() && OnSetCursor(lp)) return TRUE;
        break;
    }
    if (auto handled = host_.OnSurfaceMessage(*this, msg, wp, lp)) return *handled;
    return Default(msg, wp, lp);
}

}  // namespace dialog
