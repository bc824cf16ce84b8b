// The settings dialog's window object, shared by the two files that make it up:
// dialog_win32.cpp makes its windows, loads, shows and closes it; dialog_input_win32.cpp
// handles what the user does and what the controls show.
#pragma once

#include "button/command_win32.h"
#include "framework/ports.h"
#include "framework/window_win32.h"
#include "settings_dialog/controls.h"
#include "settings_dialog/dialog_model.h"
#include "settings_dialog/drawing.h"
#include "settings_dialog/surface_win32.h"
#include "startup/system_effects.h"

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace dialog {

inline constexpr UINT kCloseMessage = WM_APP + 1;  // closes once the click that asked has returned

class SettingsDialog final : public SurfaceHost {
public:
    SettingsDialog(fw::SystemHooksPort& sys, startup::HookState& hooks, startup::SaverSettings& settings,
                   fw::FilePort& files, const std::string& programFolder, const fw::NumberFormat& numbers);
    ~SettingsDialog();

    // Makes the windows and runs the dialog until it closes; false, with nothing shown, when
    // its form could not be made.
    bool Run();

    // SurfaceHost.
    std::optional<LRESULT> OnSurfaceMessage(Surface& surface, UINT msg, WPARAM wp, LPARAM lp) override;
    void DrawWindowless(HDC dc, ControlId parent) const override {
        dialog::DrawWindowless(dc, windowless_, parent, fonts_, dpi_);
    }
    void OnWindowlessClick(const ControlSpec& c) override { OnClick(c.id); }
    bool Busy() const override { return busy_; }
    HCURSOR HandCursor() const override { return hand_; }
    uint32_t Dpi() const override { return dpi_; }

private:
    bool CreateWindows();
    void CreateChild(const ControlSpec& c, size_t place);
    HWND ParentOf(const ControlSpec& c) const;
    // What depends on the DPI: the fonts, the pictures and icons drawn for it, the frame
    // around the scaled client area; and every control's place and size.
    void LoadForDpi();
    SIZE OuterSize() const;
    void HoldClientSize();
    void PlaceChildren();
    void OnDpiChanged(uint32_t dpi, const RECT& suggested);
    void Load();
    void InitButtons();
    void TileTexture(Surface& target, const ControlSpec& targetSpec);
    void OnResize();
    void Show();
    void MessageLoop();
    bool MoveFocus(bool forward);
    void FocusStop(const ControlSpec& c);
    const ControlSpec* StopOf(HWND focus) const;

    void OnClick(ControlId control);
    void OnScroll(WPARAM wp, HWND bar);
    void ShowPetalLabel();
    void ShowIndicators();
    void ShowFileLabel();
    void ChooseMusicFile();
    void OpenHomePage();
    bool Save();  // false when the file could not be written; the model says why
    void ShowNotice();  // what the model has for the user, in the system's message box
    void RequestClose() { PostMessageW(form_.hwnd(), kCloseMessage, 0, 0); }
    void Close();

    WindowlessControl* FindWindowless(ControlId id);
    void Invalidate(const WindowlessControl& w, bool toRightEdge = false);

    fw::SystemHooksPort& sys_;
    startup::HookState& hooks_;
    DialogModel model_;

    Surface form_;
    Surface panel_;
    HWND trackList_ = nullptr;
    HWND petalBar_ = nullptr;
    std::vector<WindowlessControl> windowless_;
    std::vector<std::pair<const ControlSpec*, HWND>> windows_;  // every windowed control made

    // The texture strip's picture, and the two pictures of an option.
    fw::win::RetainedPicture texture_;
    fw::win::RetainedPicture optionOff_;
    fw::win::RetainedPicture optionOn_;

    uint32_t dpi_ = 96;  // of the monitor the dialog stands on
    LabelFonts fonts_;
    HICON icon_ = nullptr;
    HICON smallIcon_ = nullptr;
    HCURSOR hand_ = nullptr;

    // The buttons in the table's order, as the dialog stores them.
    std::array<button::CommandControl, 3> buttons_;
    std::size_t buttonsMade_ = 0;

    HWND savedFocus_ = nullptr;
    bool loaded_ = false;
    bool busy_ = false;  // the hourglass while the browser starts
    bool closing_ = false;
    bool closed_ = false;
};

}  // namespace dialog
