// The settings dialog "Flutteraの設定": the form, the panel Pic_1, the track list, the
// petal bar and the Command buttons; the load sequence, the ways to close, the file
// chooser and the link. What the controls show and what the user's actions change is
// decided by DialogModel; the surfaces (surface_win32) paint the gradient, the texture
// and the controls that have no window.
#include "settings_dialog/dialog_win32.h"

#include "button/command_win32.h"
#include "framework/adapters_win32.h"
#include "framework/window_win32.h"
#include "resource_ids.h"
#include "settings_dialog/controls.h"
#include "settings_dialog/dialog_font_win32.h"
#include "settings_dialog/dialog_model.h"
#include "settings_dialog/drawing.h"
#include "settings_dialog/layout.h"
#include "settings_dialog/surface_win32.h"
#include "startup/settings.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <array>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace dialog {
namespace {

constexpr wchar_t kFormClass[] = L"FlutteraSettings";
constexpr wchar_t kPanelClass[] = L"FlutteraPanel";
constexpr UINT kCloseMessage = WM_APP + 1;  // closes once the click that asked has returned
constexpr int kFirstControlId = 100;        // child id = kFirstControlId + place in the table
constexpr int kTrackListShown = 8;          // entries the open track list shows at once

bool Named(const ControlSpec& c, const char* name, int index = kNoIndex) {
    return std::strcmp(c.name, name) == 0 && c.index == index;
}

RECT RectOf(const ControlSpec& c) { return RECT{c.left, c.top, c.left + c.width, c.top + c.height}; }

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

class SettingsDialog final : public SurfaceHost {
public:
    SettingsDialog(fw::SystemHooksPort& sys, startup::HookState& hooks, fw::FilePort& files,
                   const std::string& programFolder, const fw::NumberFormat& numbers);
    ~SettingsDialog();

    void Run();

    // SurfaceHost.
    std::optional<LRESULT> OnSurfaceMessage(Surface& surface, UINT msg, WPARAM wp, LPARAM lp) override;
    void DrawWindowless(HDC dc, const char* parent) const override {
        dialog::DrawWindowless(dc, windowless_, parent, fonts_);
    }
    void OnWindowlessClick(const ControlSpec& c) override;
    bool Busy() const override { return busy_; }
    HCURSOR HandCursor() const override { return hand_; }

private:
    bool CreateWindows();
    void CreateChild(const ControlSpec& c, size_t place);
    HWND ParentOf(const ControlSpec& c) const;
    void Load();
    void InitButtons();
    void TileTexture(Surface& target, const ControlSpec& targetSpec);
    void OnResize();
    void Show();
    void MessageLoop();
    bool MoveFocus(bool forward);
    void FocusStop(const ControlSpec& c);
    const ControlSpec* StopOf(HWND focus) const;

    void OnScroll(WPARAM wp, HWND bar);
    void ShowPetalLabel();
    void ShowIndicators();
    void ShowFileLabel();
    void ChooseMusicFile();
    void OpenHomePage();
    void Save();
    void RequestClose() { PostMessageW(form_.hwnd(), kCloseMessage, 0, 0); }
    void Close();

    WindowlessControl* FindWindowless(const char* name, int index = kNoIndex);
    void Invalidate(const WindowlessControl& w, bool toRightEdge = false);

    fw::SystemHooksPort& sys_;
    startup::HookState& hooks_;
    DialogModel model_;

    Surface form_;
    Surface panel_;  // Pic_1
    HWND trackList_ = nullptr;
    HWND petalBar_ = nullptr;
    std::vector<WindowlessControl> windowless_;
    std::vector<std::pair<const ControlSpec*, HWND>> windows_;  // every windowed control made

    // Pic_Mbl's picture, and the pictures of Img_Ra(0) and Img_Ra(1).
    fw::win::RetainedPicture texture_;
    fw::win::RetainedPicture optionOff_;
    fw::win::RetainedPicture optionOn_;

    LabelFonts fonts_;
    HICON icon_ = nullptr;
    HICON smallIcon_ = nullptr;
    HCURSOR hand_ = nullptr;

    // Cmd_Can, Cmd_Set, Cmd_BGM, as the dialog stores them.
    std::array<button::CommandControl, 3> buttons_;

    HWND savedFocus_ = nullptr;
    bool loaded_ = false;
    bool busy_ = false;  // the hourglass while the browser starts
    bool closing_ = false;
    bool closed_ = false;
};

// --- SettingsDialog: windows ---------------------------------------------------------

SettingsDialog::SettingsDialog(fw::SystemHooksPort& sys, startup::HookState& hooks, fw::FilePort& files,
                               const std::string& programFolder, const fw::NumberFormat& numbers)
    : sys_(sys), hooks_(hooks), model_(startup::Settings(), files, programFolder, numbers), form_(*this, nullptr),
      panel_(*this, "Pic_1") {
    for (const ControlSpec& c : Controls())
        if (IsWindowless(c)) windowless_.push_back({&c, fw::win::Widen(c.caption), nullptr});
    HINSTANCE instance = GetModuleHandleW(nullptr);
    texture_.FromResource(instance, IDB_TEXTURE);
    optionOff_.FromResource(instance, IDB_OPTION_OFF);
    optionOn_.FromResource(instance, IDB_OPTION_ON);
    if (auto* w = FindWindowless("Img_Ra", 0)) w->picture = &optionOff_;
    if (auto* w = FindWindowless("Img_Ra", 1)) w->picture = &optionOn_;
    fonts_.normal = CreateDialogFont(false);
    fonts_.underlined = CreateDialogFont(true);
    icon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_FLUTTERA), IMAGE_ICON, 32, 32, 0));
    smallIcon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_FLUTTERA), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
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

WindowlessControl* SettingsDialog::FindWindowless(const char* name, int index) {
    for (WindowlessControl& w : windowless_)
        if (Named(*w.control, name, index)) return &w;
    return nullptr;
}

HWND SettingsDialog::ParentOf(const ControlSpec& c) const { return c.parent ? panel_.hwnd() : form_.hwnd(); }

bool SettingsDialog::CreateWindows() {
    // A fixed single frame with a title bar and the close box only; hidden until load
    // has run.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_WINDOWEDGE;
    RECT outer{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    if (!form_.Create(kFormClass, exStyle, fw::win::Widen(kCaption).c_str(), style, 0, 0, outer.right - outer.left,
                      outer.bottom - outer.top, nullptr, nullptr, LoadCursor(nullptr, IDC_ARROW), icon_))
        return false;
    if (smallIcon_) SendMessageW(form_.hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
    if (icon_) SendMessageW(form_.hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    // The form's client area may come out otherwise than asked (a taller caption, for
    // one): the outer size is what makes the client 465 x 191.
    RECT client{};
    GetClientRect(form_.hwnd(), &client);
    if (client.right != kClientWidth || client.bottom != kClientHeight) {
        RECT now{};
        GetWindowRect(form_.hwnd(), &now);
        SetWindowPos(form_.hwnd(), nullptr, 0, 0, now.right - now.left + kClientWidth - client.right,
                     now.bottom - now.top + kClientHeight - client.bottom,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    size_t place = 0;
    for (const ControlSpec& c : Controls()) CreateChild(c, place++);
    return true;
}

void SettingsDialog::CreateChild(const ControlSpec& c, size_t place) {
    const auto id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + place));
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HWND made = nullptr;
    switch (c.kind) {
    case ControlKind::PictureBox:
        // Pic_Mbl is only the texture strip's holder: it is never shown, so its picture is
        // all it needs.
        if (c.flags & kHidden) return;
        if (panel_.Create(kPanelClass, WS_EX_CLIENTEDGE | WS_EX_NOPARENTNOTIFY, L"",
                          WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP, c.left, c.top,
                          c.width, c.height, ParentOf(c), id))
            made = panel_.hwnd();
        break;
    case ControlKind::ComboBox: {
        // The height asked for is the open list's; the closed box takes its height from
        // the font and is held to the table's below.
        const int listHeight = c.height + kTrackListShown * 16 + 2;
        made = CreateWindowExW(0, L"COMBOBOX", L"",
                               WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
                               c.left, c.top, c.width, listHeight, ParentOf(c), id, instance, nullptr);
        if (!made) break;
        SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.normal), FALSE);
        HoldComboHeight(made, c.height);
        // With the current common controls the open list's height comes from this count.
        SendMessageW(made, CB_SETMINVISIBLE, kTrackListShown, 0);
        trackList_ = made;
        break;
    }
    case ControlKind::ScrollBar: {
        made = CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | SBS_HORZ, c.left, c.top,
                               c.width, c.height, ParentOf(c), id, instance, nullptr);
        if (!made) break;
        SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_POS | SIF_PAGE, kPetalMin, kPetalMax, 0, kPetalBarStart, 0};
        SetScrollInfo(made, SB_CTL, &si, TRUE);
        petalBar_ = made;
        break;
    }
    case ControlKind::Button: {
        const auto& stored = button::DialogCommands();
        for (size_t k = 0; k < stored.size(); ++k) {
            if (std::strcmp(stored[k].name, c.name) != 0) continue;
            button::CommandControl& b = buttons_[k];
            if (Named(c, "Cmd_Can")) b.SetOnClick([this] { RequestClose(); });
            if (Named(c, "Cmd_Set")) b.SetOnClick([this] { Save(); RequestClose(); });
            if (Named(c, "Cmd_BGM")) b.SetOnClick([this] { ChooseMusicFile(); });
            if (b.CreateStored(ParentOf(c), stored[k], c.left, c.top, button::DesignFont(),
                               kFirstControlId + static_cast<int>(place)))
                made = b.hwnd();
        }
        break;
    }
    default:
        return;  // labels, shapes and images are drawn by their parent
    }
    if (made) windows_.emplace_back(&c, made);
}

// --- Load, resize, show, close -----------------------------------------------------------

void SettingsDialog::Run() {
    if (!CreateWindows()) return;
    Load();
    loaded_ = true;
    OnResize();
    Show();
    MessageLoop();
}

void SettingsDialog::Load() {
    HWND form = form_.hwnd();
    // 1. Centred across, a third of the free height from the top, from the outer size.
    RECT outer{};
    if (GetWindowRect(form, &outer)) {
        const fw::Point at = PlaceWindow(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                         outer.right - outer.left, outer.bottom - outer.top);
        SetWindowPos(form, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // 2.
    InitButtons();
    // 3.
    if (const ControlSpec* pic1 = FindControl("Pic_1")) TileTexture(panel_, *pic1);
    // 4. to 8.: the values, from the settings record.
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
    // 9., 10.: the zoom out of the mouse position, before the window is first shown.
    startup::RecordEffectOrigin(sys_, hooks_);
    startup::AnimateOpen(sys_, hooks_, fw::win::FromHwnd(form));
    // 11.
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
    for (const fw::Point& at : TilePositions(w, h, targetSpec.width, targetSpec.height))
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

void SettingsDialog::Save() {
    std::wstring text;
    if (trackList_) {
        text.resize(static_cast<size_t>(GetWindowTextLengthW(trackList_)) + 1);
        text.resize(static_cast<size_t>(GetWindowTextW(trackList_, text.data(), static_cast<int>(text.size()))));
    }
    model_.SaveSettings(fw::win::Narrow(text));
}

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

void SettingsDialog::OnWindowlessClick(const ControlSpec& c) {
    if (std::strcmp(c.name, "Img_BGM") == 0 || std::strcmp(c.name, "lbl_BGM") == 0) {
        model_.SelectMusicKind(c.index);
        ShowIndicators();
    } else if (Named(c, "lbl_URL")) {
        OpenHomePage();
    }
}

// --- What the controls show ------------------------------------------------------------------

void SettingsDialog::Invalidate(const WindowlessControl& w, bool toRightEdge) {
    HWND parent = ParentOf(*w.control);
    RECT rc = RectOf(*w.control);
    if (toRightEdge) {
        RECT client{};
        GetClientRect(parent, &client);
        rc.right = client.right;
    }
    InvalidateRect(parent, &rc, FALSE);
}

void SettingsDialog::ShowPetalLabel() {
    if (auto* w = FindWindowless("lbl_Fast")) {
        w->text = fw::win::Widen(model_.PetalLabel());
        Invalidate(*w, true);  // sized to its text: the old text may have been longer
    }
}

void SettingsDialog::ShowIndicators() {
    for (int i = 0; i < kMusicKinds; ++i) {
        if (auto* w = FindWindowless("Img_BGM", i)) {
            w->picture = model_.IndicatorChosen(i) ? &optionOn_ : &optionOff_;
            Invalidate(*w);
        }
    }
}

void SettingsDialog::ShowFileLabel() {
    if (auto* w = FindWindowless("lbl_Fname")) {
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
    const std::string notice = model_.TakeNotice();
    if (!notice.empty())
        MessageBoxW(form_.hwnd(), fw::win::Widen(notice).c_str(), L"Fluttera", MB_OK | MB_ICONWARNING);
}

void SettingsDialog::OpenHomePage() {
    const WindowlessControl* link = FindWindowless("lbl_URL");
    if (!link) return;
    busy_ = true;
    SetCursor(LoadCursor(nullptr, IDC_WAIT));
    ShellExecuteW(form_.hwnd(), L"open", fw::win::Widen(link->control->caption).c_str(), L"", L"", SW_SHOWNORMAL);
    busy_ = false;
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
}

}  // namespace

void ShowSettingsDialog(fw::SystemHooksPort& sys, startup::HookState& hooks, fw::FilePort& files,
                        const std::string& programFolder, const fw::NumberFormat& numbers) {
    SettingsDialog dialog(sys, hooks, files, programFolder, numbers);
    dialog.Run();
}

}  // namespace dialog
