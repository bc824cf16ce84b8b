// The settings dialog: the form, the panel, the track list, the petal bar and the
// Command buttons; the load sequence and the ways to close (what the user does is
// handled in dialog_input_win32.cpp). What the controls show and what a click on each
// does is decided by DialogModel; the surfaces (surface_win32) paint the gradient, the texture
// and the controls that have no window.
#include "settings_dialog/dialog_win32.h"

#include "framework/adapters_win32.h"
#include "framework/dpi_win32.h"
#include "framework/scale.h"
#include "resource_ids.h"
#include "settings_dialog/dialog_font_win32.h"
#include "settings_dialog/dialog_window_win32.h"
#include "settings_dialog/layout.h"
#include "startup/captions.h"
#include "startup/settings.h"

#include <commctrl.h>  // CB_SETMINVISIBLE, a combo box message of the common controls

namespace dialog {
namespace {

constexpr wchar_t kFormClass[] = L"FlutteraSettings";
constexpr wchar_t kPanelClass[] = L"FlutteraPanel";
constexpr int kFirstControlId = 100;  // child id = kFirstControlId + place in the table
constexpr int kTrackListShown = 8;    // entries the open track list shows at once
// A fixed single frame with a title bar and the close box only.
constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_WINDOWEDGE;

// The closed track list takes its height from its font; the table's height is reached by
// the height of the selection field. How the two relate differs between systems, so the
// field is corrected until the box has its height.
void HoldComboHeight(HWND combo, int height) {
    auto measure = [combo] {
        RECT box{};
        GetWindowRect(combo, &box);
        return static_cast<int>(box.bottom - box.top);
    };
    const LRESULT field = SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    if (field == CB_ERR) return;
    int now = measure();
    LRESULT want = field + height - now;
    for (int tries = 0; tries < 4 && now != height && want > 0; ++tries) {
        if (SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), want) == CB_ERR) return;
        now = measure();
        want += height - now;
    }
}

}  // namespace

// --- SettingsDialog: windows ---------------------------------------------------------

SettingsDialog::SettingsDialog(fw::SystemHooksPort& sys, startup::HookState& hooks,
                               startup::SaverSettings& settings, fw::FilePort& files,
                               const std::string& programFolder, const fw::NumberFormat& numbers)
    : sys_(sys), hooks_(hooks), model_(settings, files, programFolder, numbers), form_(*this, ControlId::Form),
      panel_(*this, ControlId::Panel) {
    for (const ControlSpec& c : Controls())
        if (IsWindowless(c)) windowless_.push_back({&c, fw::win::Widen(c.caption), nullptr});
    if (auto* w = FindWindowless(ControlId::OptionOffPicture)) w->picture = &optionOff_;
    if (auto* w = FindWindowless(ControlId::OptionOnPicture)) w->picture = &optionOn_;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    hand_ = static_cast<HCURSOR>(LoadImageW(instance, MAKEINTRESOURCEW(IDC_HAND_POINTER), IMAGE_CURSOR, 0, 0, 0));
}

SettingsDialog::~SettingsDialog() {
    if (form_.hwnd()) DestroyWindow(form_.hwnd());
    if (fonts_.normal) DeleteObject(fonts_.normal);
    if (fonts_.underlined) DeleteObject(fonts_.underlined);
    if (icon_) DestroyIcon(icon_);
    if (smallIcon_) DestroyIcon(smallIcon_);
    if (hand_) DestroyCursor(hand_);
}

WindowlessControl* SettingsDialog::FindWindowless(ControlId id) {
    for (WindowlessControl& w : windowless_)
        if (w.control->id == id) return &w;
    return nullptr;
}

HWND SettingsDialog::ParentOf(const ControlSpec& c) const {
    return c.parentId == ControlId::Form ? form_.hwnd() : panel_.hwnd();
}

// --- The scale of the monitor the dialog stands on ---------------------------------------

void SettingsDialog::LoadForDpi() {
    // The pictures drawn for the screen's scale; a set that fails to load keeps the last.
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const int set = static_cast<int>(fw::PictureSetFor(dpi_)) * IDB_SCALED_SET_STEP;
    texture_.FromResource(instance, IDB_TEXTURE + set);
    optionOff_.FromResource(instance, IDB_OPTION_OFF + set);
    optionOn_.FromResource(instance, IDB_OPTION_ON + set);
    // The fonts at the screen's DPI; the track list takes the new one before the old goes.
    const LabelFonts old = fonts_;
    fonts_.normal = CreateDialogFont(false, dpi_);
    fonts_.underlined = CreateDialogFont(true, dpi_);
    if (trackList_) SendMessageW(trackList_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.normal), FALSE);
    if (old.normal) DeleteObject(old.normal);
    if (old.underlined) DeleteObject(old.underlined);
    // The window's icons at the sizes the system shows at this DPI.
    const HICON oldIcon = icon_, oldSmall = smallIcon_;
    icon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_FLUTTERA), IMAGE_ICON,
                                          fw::win::SystemMetricForDpi(SM_CXICON, dpi_),
                                          fw::win::SystemMetricForDpi(SM_CYICON, dpi_), 0));
    smallIcon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_FLUTTERA), IMAGE_ICON,
                                               fw::win::SystemMetricForDpi(SM_CXSMICON, dpi_),
                                               fw::win::SystemMetricForDpi(SM_CYSMICON, dpi_), 0));
    if (HWND form = form_.hwnd()) {
        if (smallIcon_) SendMessageW(form, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
        if (icon_) SendMessageW(form, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    }
    if (oldIcon) DestroyIcon(oldIcon);
    if (oldSmall) DestroyIcon(oldSmall);
}

SIZE SettingsDialog::OuterSize() const {
    RECT outer{0, 0, fw::ScaleToDpi(kClientWidth, dpi_), fw::ScaleToDpi(kClientHeight, dpi_)};
    fw::win::AdjustWindowRectForDpi(outer, kFormStyle, kFormExStyle, dpi_);
    return SIZE{outer.right - outer.left, outer.bottom - outer.top};
}

void SettingsDialog::HoldClientSize() {
    // The form's client area may come out otherwise than asked (a taller caption, for
    // one): the outer size is what makes the client 465 x 191 at 96 dpi, scaled at others.
    const int width = fw::ScaleToDpi(kClientWidth, dpi_), height = fw::ScaleToDpi(kClientHeight, dpi_);
    RECT client{};
    GetClientRect(form_.hwnd(), &client);
    if (client.right != width || client.bottom != height) {
        RECT now{};
        GetWindowRect(form_.hwnd(), &now);
        SetWindowPos(form_.hwnd(), nullptr, 0, 0, now.right - now.left + width - client.right,
                     now.bottom - now.top + height - client.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

bool SettingsDialog::CreateWindows() {
    // Laid out for the monitor it opens on, the primary one (load centres it there); hidden
    // until load has run.
    dpi_ = fw::win::DpiForMonitor(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
    LoadForDpi();
    const SIZE outer = OuterSize();
    if (!form_.Create(kFormClass, kFormExStyle, fw::win::Widen(startup::kDialogCaption).c_str(), kFormStyle, 0, 0,
                      outer.cx, outer.cy, nullptr, nullptr, LoadCursor(nullptr, IDC_ARROW), icon_))
        return false;
    if (smallIcon_) SendMessageW(form_.hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
    if (icon_) SendMessageW(form_.hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    // The system has the last word on the window's DPI.
    const uint32_t windowDpi = fw::win::DpiForWindow(form_.hwnd());
    if (windowDpi != dpi_) {
        dpi_ = windowDpi;
        LoadForDpi();
        const SIZE size = OuterSize();
        SetWindowPos(form_.hwnd(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    HoldClientSize();
    size_t place = 0;
    for (const ControlSpec& c : Controls()) CreateChild(c, place++);
    return true;
}

void SettingsDialog::PlaceChildren() {
    for (const auto& [control, hwnd] : windows_) {
        const fw::LayoutRect r = ScaledRect(*control, dpi_);
        int height = r.height;
        if (control->kind == ControlKind::ComboBox) height += kTrackListShown * fw::ScaleToDpi(16, dpi_) + 2;
        if (button::CommandControl* b = button::CommandControl::FromWindow(hwnd)) b->SetDpi(dpi_);
        SetWindowPos(hwnd, nullptr, r.left, r.top, r.width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        if (control->kind == ControlKind::ComboBox) HoldComboHeight(hwnd, r.height);
    }
}

void SettingsDialog::OnDpiChanged(uint32_t dpi, const RECT& suggested) {
    if (dpi == 0 || dpi == dpi_ || !form_.hwnd()) return;
    dpi_ = dpi;
    LoadForDpi();
    // Where the system suggests, with the frame the scaled client area needs; centred
    // again once the frame has its final size, which the system may make otherwise.
    const fw::Rect wanted{suggested.left, suggested.top, suggested.right, suggested.bottom};
    const SIZE outer = OuterSize();
    const fw::Rect at = fw::WindowRectOnDpiChange(wanted, outer.cx, outer.cy);
    SetWindowPos(form_.hwnd(), nullptr, at.left, at.top, at.right - at.left, at.bottom - at.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    HoldClientSize();
    RECT now{};
    if (GetWindowRect(form_.hwnd(), &now)) {
        const fw::Rect placed = fw::WindowRectOnDpiChange(wanted, now.right - now.left, now.bottom - now.top);
        if (placed.left != now.left || placed.top != now.top)
            SetWindowPos(form_.hwnd(), nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    PlaceChildren();
    // The panel papered again with the strip drawn for this scale; the gradient follows the
    // form's new size.
    if (const ControlSpec* panel = FindControl(ControlId::Panel)) TileTexture(panel_, *panel);
    OnResize();
    ShowIndicators();
    RedrawWindow(form_.hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void SettingsDialog::CreateChild(const ControlSpec& c, size_t place) {
    const auto id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + place));
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const fw::LayoutRect r = ScaledRect(c, dpi_);
    HWND made = nullptr;
    switch (c.kind) {
    case ControlKind::PictureBox:
        // The texture strip's holder is never shown, so its picture is all it needs.
        if (c.flags & kHidden) return;
        if (panel_.Create(kPanelClass, WS_EX_CLIENTEDGE | WS_EX_NOPARENTNOTIFY, L"",
                          WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP, r.left, r.top,
                          r.width, r.height, ParentOf(c), id))
            made = panel_.hwnd();
        break;
    case ControlKind::ComboBox: {
        // The height asked for is the open list's; the closed box takes its height from
        // the font and is held to the table's below.
        const int listHeight = r.height + kTrackListShown * fw::ScaleToDpi(16, dpi_) + 2;
        made = CreateWindowExW(0, L"COMBOBOX", L"",
                               WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
                               r.left, r.top, r.width, listHeight, ParentOf(c), id, instance, nullptr);
        if (!made) break;
        SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.normal), FALSE);
        HoldComboHeight(made, r.height);
        // With the current common controls the open list's height comes from this count.
        SendMessageW(made, CB_SETMINVISIBLE, kTrackListShown, 0);
        trackList_ = made;
        break;
    }
    case ControlKind::ScrollBar: {
        made = CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | SBS_HORZ, r.left, r.top,
                               r.width, r.height, ParentOf(c), id, instance, nullptr);
        if (!made) break;
        SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_POS | SIF_PAGE, kPetalMin, kPetalMax, 0, kPetalBarStart, 0};
        SetScrollInfo(made, SB_CTL, &si, TRUE);
        petalBar_ = made;
        break;
    }
    case ControlKind::Button: {
        // The dialog stores its buttons in the table's order of buttons.
        const auto& stored = button::DialogCommands();
        if (buttonsMade_ >= stored.size() || buttonsMade_ >= buttons_.size()) break;
        button::CommandControl& b = buttons_[buttonsMade_];
        const button::StoredCommand& data = stored[buttonsMade_++];
        b.SetOnClick([this, id = c.id] { OnClick(id); });
        b.SetDpi(dpi_);
        if (b.CreateStored(ParentOf(c), data, r.left, r.top, button::DesignFont(),
                           kFirstControlId + static_cast<int>(place)))
            made = b.hwnd();
        break;
    }
    default:
        return;  // labels, shapes and images are drawn by their parent
    }
    if (made) windows_.emplace_back(&c, made);
}

// --- Load, resize, show, close -----------------------------------------------------------

bool SettingsDialog::Run() {
    if (!CreateWindows()) return false;
    Load();
    loaded_ = true;
    OnResize();
    Show();
    MessageLoop();
    return true;
}

void SettingsDialog::Load() {
    HWND form = form_.hwnd();
    // Centred across, a third of the free height from the top, from the outer size.
    RECT outer{};
    if (GetWindowRect(form, &outer)) {
        const fw::Point at = PlaceWindow(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                         outer.right - outer.left, outer.bottom - outer.top);
        SetWindowPos(form, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InitButtons();
    // The panel is papered with the texture.
    if (const ControlSpec* panel = FindControl(ControlId::Panel)) TileTexture(panel_, *panel);
    // The petal bar and its label, the options, the track list and the file name, from
    // the settings record.
    model_.Load();
    if (petalBar_) SetScrollPos(petalBar_, SB_CTL, model_.ScrollValue(), TRUE);
    ShowPetalLabel();
    ShowIndicators();
    if (trackList_) {
        SetWindowTextW(trackList_, fw::win::Widen(model_.TrackListText()).c_str());
        for (const std::string& entry : DialogModel::TrackEntries())
            SendMessageW(trackList_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(fw::win::Widen(entry).c_str()));
    }
    ShowFileLabel();
    // The zoom out of the mouse position, before the window is first shown.
    startup::RecordEffectOrigin(sys_, hooks_);
    startup::AnimateOpen(sys_, hooks_, fw::win::FromHwnd(form));
    // Load is done: no hourglass from here on.
    busy_ = false;
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
}

void SettingsDialog::InitButtons() {
    // Every Command control on the form, in control order, found by its window.
    for (const auto& [control, hwnd] : windows_)
        if (button::CommandControl* b = button::CommandControl::FromWindow(hwnd)) b->Initialize();
}

void SettingsDialog::TileTexture(Surface& target, const ControlSpec& targetSpec) {
    if (!target.SizePicture(GetSysColor(COLOR_BTNFACE)) || !texture_.dc()) return;
    const int w = texture_.width(), h = texture_.height();
    const fw::LayoutRect scaled = ScaledRect(targetSpec, dpi_);
    for (const fw::Point& at : TilePositions(w, h, scaled.width, scaled.height))
        if (!BitBlt(target.picture().dc(), at.x, at.y, w, h, texture_.dc(), 0, 0, SRCCOPY)) return;
    InvalidateRect(target.hwnd(), nullptr, FALSE);
}

void SettingsDialog::OnResize() {
    if (!loaded_ || !form_.SizePicture(RGB(kBackGrey, kBackGrey, kBackGrey))) return;
    fw::win::RetainedPicture& picture = form_.picture();
    RECT client{};
    GetClientRect(form_.hwnd(), &client);
    GdiFlush();
    uint32_t* bits = picture.bits();
    if (!bits) return;
    // One line per row across the whole width; the last row lies just below the client
    // area.
    const std::vector<Rgb> rows = GradientRows(client.bottom);
    for (size_t y = 0; y < rows.size() && y < static_cast<size_t>(picture.height()); ++y) {
        const uint32_t colour = (uint32_t{rows[y].r} << 16) | (uint32_t{rows[y].g} << 8) | rows[y].b;
        uint32_t* row = bits + y * static_cast<size_t>(picture.width());
        for (int x = 0; x < picture.width(); ++x) row[x] = colour;
    }
    InvalidateRect(form_.hwnd(), nullptr, FALSE);
}

void SettingsDialog::Show() {
    ShowWindow(form_.hwnd(), SW_SHOWNORMAL);
    SetForegroundWindow(form_.hwnd());
    // The first control in tab order takes the focus, as in any dialog.
    if (const ControlSpec* first = NextTabStop(nullptr, true, [this](const ControlSpec& c) {
            for (const auto& [control, hwnd] : windows_)
                if (control == &c) return IsWindowVisible(hwnd) && IsWindowEnabled(hwnd);
            return false;
        }))
        FocusStop(*first);
}

void SettingsDialog::Close() {
    // Every way out zooms back into the point the dialog opened from; nothing cancels it.
    if (closing_ || !form_.hwnd()) return;
    closing_ = true;
    startup::AnimateClose(sys_, hooks_, fw::win::FromHwnd(form_.hwnd()));
    DestroyWindow(form_.hwnd());
}

bool SettingsDialog::Save() {
    std::wstring text;
    if (trackList_) {
        text.resize(static_cast<size_t>(GetWindowTextLengthW(trackList_)) + 1);
        text.resize(static_cast<size_t>(GetWindowTextW(trackList_, text.data(), static_cast<int>(text.size()))));
    }
    return model_.SaveSettings(fw::win::Narrow(text));
}

bool ShowSettingsDialog(fw::SystemHooksPort& sys, startup::HookState& hooks, startup::SaverSettings& settings,
                        fw::FilePort& files, const std::string& programFolder, const fw::NumberFormat& numbers,
                        uint32_t& error) {
    SettingsDialog dialog(sys, hooks, settings, files, programFolder, numbers);
    if (dialog.Run()) return true;
    error = GetLastError();
    return false;
}

}  // namespace dialog
