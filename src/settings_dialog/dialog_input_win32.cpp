// The settings dialog at work: the focus and the message loop, the messages of its
// surfaces and the petal bar, what the controls show, and the actions behind the
// buttons and the link.
#include "settings_dialog/dialog_window_win32.h"

#include "framework/adapters_win32.h"

#include <commdlg.h>
#include <shellapi.h>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace dialog {
namespace {

RECT RectOf(const ControlSpec& c, uint32_t dpi) {
    const fw::LayoutRect r = ScaledRect(c, dpi);
    return RECT{r.left, r.top, r.left + r.width, r.top + r.height};
}

}  // namespace

// --- Focus and the message loop ------------------------------------------------------------

const ControlSpec* SettingsDialog::StopOf(HWND focus) const {
    // The focus may sit in a part of a control (the track list's edit field).
    for (HWND h = focus; h && h != form_.hwnd(); h = GetParent(h))
        for (const auto& [control, hwnd] : windows_)
            if (hwnd == h && TakesFocus(*control)) return control;
    return nullptr;
}

void SettingsDialog::FocusStop(const ControlSpec& c) {
    for (const auto& [control, hwnd] : windows_) {
        if (control != &c) continue;
        SetFocus(hwnd);
        // As the dialog manager does: text taken by Tab is selected whole.
        HWND focus = GetFocus();
        if (focus && (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL))
            SendMessageW(focus, EM_SETSEL, 0, -1);
        return;
    }
}

bool SettingsDialog::MoveFocus(bool forward) {
    const ControlSpec* next = NextTabStop(StopOf(GetFocus()), forward, [this](const ControlSpec& c) {
        for (const auto& [control, hwnd] : windows_)
            if (control == &c) return IsWindowVisible(hwnd) && IsWindowEnabled(hwnd);
        return false;
    });
    if (!next) return false;
    FocusStop(*next);
    return true;
}

void SettingsDialog::MessageLoop() {
    MSG msg;
    while (!closed_) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));  // for whoever loops next
            break;
        }
        // Tab and Shift+Tab walk the controls in the dialog's tab order, unless the
        // control with the focus wants the key itself.
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && form_.hwnd() &&
            (msg.hwnd == form_.hwnd() || IsChild(form_.hwnd(), msg.hwnd))) {
            const LRESULT code = SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
            if (!(code & (DLGC_WANTTAB | DLGC_WANTALLKEYS))) {
                MoveFocus(GetKeyState(VK_SHIFT) >= 0);
                continue;
            }
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// --- Messages ------------------------------------------------------------------------------

std::optional<LRESULT> SettingsDialog::OnSurfaceMessage(Surface& surface, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_HSCROLL && lp && reinterpret_cast<HWND>(lp) == petalBar_) {
        OnScroll(wp, petalBar_);
        return 0;
    }
    if (&surface != &form_) return std::nullopt;
    switch (msg) {
    case WM_SIZE:
        OnResize();
        return 0;
    case WM_CLOSE:  // the close box, Alt+F4
    case kCloseMessage:
        Close();
        return 0;
    case WM_DESTROY:
        closed_ = true;
        return 0;
    case WM_DPICHANGED:
        // Moved to a monitor of another scale: laid out again at the new DPI, where the
        // system suggests.
        if (lp) OnDpiChanged(LOWORD(wp), *reinterpret_cast<const RECT*>(lp));
        return 0;
    case WM_ACTIVATE:
        // A plain window would take the focus itself on activation; the control that had
        // it gets it back instead.
        if (LOWORD(wp) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(form_.hwnd(), focus)) savedFocus_ = focus;
        } else if (savedFocus_ && IsWindow(savedFocus_) && IsChild(form_.hwnd(), savedFocus_)) {
            SetFocus(savedFocus_);
        }
        return 0;
    }
    return std::nullopt;
}

void SettingsDialog::OnScroll(WPARAM wp, HWND bar) {
    bool track = false;
    switch (LOWORD(wp)) {
    case SB_LINELEFT: model_.ScrollLines(-1); break;
    case SB_LINERIGHT: model_.ScrollLines(1); break;
    case SB_PAGELEFT: model_.ScrollPages(-1); break;
    case SB_PAGERIGHT: model_.ScrollPages(1); break;
    case SB_LEFT: model_.ScrollTo(kPetalMin); break;
    case SB_RIGHT: model_.ScrollTo(kPetalMax); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        // The 32-bit position, not the 16 bits the message carries.
        SCROLLINFO si{};
        si.cbSize = sizeof(si);
        si.fMask = SIF_TRACKPOS;
        GetScrollInfo(bar, SB_CTL, &si);
        model_.ScrollTo(si.nTrackPos);
        track = LOWORD(wp) == SB_THUMBTRACK;
        break;
    }
    default:
        return;  // SB_ENDSCROLL
    }
    // While the thumb is dragged the bar draws it where the mouse is.
    if (!track) SetScrollPos(bar, SB_CTL, model_.ScrollValue(), TRUE);
    ShowPetalLabel();
}

void SettingsDialog::OnClick(ControlId control) {
    switch (model_.Click(control)) {
    case ClickAction::None: break;
    case ClickAction::Close: RequestClose(); break;
    case ClickAction::SaveAndClose:
        // A save that failed says why and leaves the dialog open with the user's choices,
        // to try again or cancel.
        if (Save()) RequestClose();
        else ShowNotice();
        break;
    case ClickAction::ChooseMusicFile: ChooseMusicFile(); break;
    case ClickAction::ShowMusicKind: ShowIndicators(); break;
    case ClickAction::OpenHomePage: OpenHomePage(); break;
    }
}

// --- What the controls show ------------------------------------------------------------------

void SettingsDialog::Invalidate(const WindowlessControl& w, bool toRightEdge) {
    HWND parent = ParentOf(*w.control);
    RECT rc = RectOf(*w.control, dpi_);
    if (toRightEdge) {
        RECT client{};
        GetClientRect(parent, &client);
        rc.right = client.right;
    }
    InvalidateRect(parent, &rc, FALSE);
}

void SettingsDialog::ShowPetalLabel() {
    if (auto* w = FindWindowless(ControlId::PetalCountLabel)) {
        w->text = fw::win::Widen(model_.PetalLabel());
        Invalidate(*w, true);  // sized to its text: the old text may have been longer
    }
}

void SettingsDialog::ShowIndicators() {
    for (WindowlessControl& w : windowless_) {
        const auto kind = OptionMusicKind(w.control->id);
        if (!kind || w.control->kind != ControlKind::Image) continue;
        w.picture = model_.IndicatorChosen(*kind) ? &optionOn_ : &optionOff_;
        Invalidate(w);
    }
}

void SettingsDialog::ShowFileLabel() {
    if (auto* w = FindWindowless(ControlId::FileNameBox)) {
        w->text = fw::win::Widen(model_.FileLabelText());
        Invalidate(*w);
    }
}

// --- Actions -------------------------------------------------------------------------------

void SettingsDialog::ChooseMusicFile() {
    const OpenFileRequest& request = MusicFileRequest();
    // The filter holds NULs of its own: it is converted over its whole length.
    const std::wstring filter = fw::win::Widen(request.filter);
    const std::wstring title = fw::win::Widen(request.title);
    std::wstring file(request.fileBufferChars, L'\0');
    std::wstring fileTitle(request.fileTitleBufferChars, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    ofn.hwndOwner = form_.hwnd();
    ofn.hInstance = GetModuleHandleW(nullptr);
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = request.filterIndex;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = request.fileBufferChars;
    ofn.lpstrFileTitle = fileTitle.data();
    ofn.nMaxFileTitle = request.fileTitleBufferChars;
    ofn.lpstrTitle = title.c_str();
    ofn.Flags = request.flags;
    const BOOL result = GetOpenFileNameW(&ofn);
    model_.ChooseMusicFile(result, fw::win::Narrow(file));
    ShowFileLabel();
    ShowNotice();
}

void SettingsDialog::ShowNotice() {
    const std::string notice = model_.TakeNotice();
    if (!notice.empty())
        MessageBoxW(form_.hwnd(), fw::win::Widen(notice).c_str(), L"Fluttera", MB_OK | MB_ICONWARNING);
}

void SettingsDialog::OpenHomePage() {
    const WindowlessControl* link = FindWindowless(ControlId::HomePageLink);
    if (!link) return;
    busy_ = true;
    SetCursor(LoadCursor(nullptr, IDC_WAIT));
    ShellExecuteW(form_.hwnd(), L"open", fw::win::Widen(link->control->caption).c_str(), L"", L"", SW_SHOWNORMAL);
    busy_ = false;
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
}

}  // namespace dialog
