// The Command button as a Win32 child window. The window owns the portable core
// (button::Command), gives it a retained drawing surface and a caption label, and hands
// it the system's mouse, focus, size and timer events. Every decision stays in the core.
//
// A host creates the control (which reads the bag and draws), calls Initialize while it
// loads, and listens for Click:
//
//   button::CommandControl cmd;
//   cmd.SetOnClick([&] { ... });
//   cmd.CreateStored(form, button::DialogCommands()[0], 368, 148);
//   cmd.Initialize();
#pragma once

#include "framework/fonts_win32.h"

#include "button/command.h"
#include "button/stored_instances.h"
#include "framework/window_win32.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace button {

// The window class of the control; a host finds its buttons among its children by it.
inline constexpr wchar_t kCommandClassName[] = L"Vellora.Command";

class CommandControl final : public fw::win::Window, private FacePainter, private CommandSite {
public:
    CommandControl();
    ~CommandControl() override;

    // Creates the control as a child of `parent`, at (x, y) and width x height pixels,
    // then fills it from `bag` (the ambient font stands in for a missing "Font") and draws
    // it. `id` is the child-window identifier.
    bool Create(HWND parent, int x, int y, int width, int height, const PropertyBag& bag,
                const FontSpec& ambientFont = DesignFont(), int id = 0);
    // Creates one of the instances the settings dialog stores: its bag and its extent
    // (HIMETRIC, turned into whole pixels at 96 dpi, the dialog's layout unit, then taken
    // to the control's DPI as the dialog's other lengths are).
    bool CreateStored(HWND parent, const StoredCommand& stored, int x, int y,
                      const FontSpec& ambientFont = DesignFont(), int id = 0);

    // The DPI the face is drawn at (the system's until a host says otherwise): twips per
    // pixel, the state pictures drawn for it and the caption's font follow. Set before
    // Create, or later to redraw at a new DPI (the host resizes the window).
    void SetDpi(uint32_t dpi);
    uint32_t dpi() const { return dpi_; }

    // The one method of the component: Normal state and the pointer watch started.
    void Initialize() { core_->Initialize(); }

    // The control behind a window of kCommandClassName, or null for any other window.
    static CommandControl* FromWindow(HWND hwnd);

    // Raised for a completed press. The handler may destroy the control.
    void SetOnClick(std::function<void()> handler) { onClick_ = std::move(handler); }
    // The property-changed notice, for hosts that store the form.
    void SetOnPropertyChanged(std::function<void(std::string_view)> handler) { onChanged_ = std::move(handler); }

    // The component's properties and state.
    Command& core() { return *core_; }
    const Command& core() const { return *core_; }

    // The face as the core drew it (gradient and frame), and what the window shows
    // (the face, or what lies behind a transparent one, with the caption on top).
    const fw::win::RetainedPicture& Face() const { return face_; }
    const fw::win::RetainedPicture& Presented() const { return presented_; }

    // The six state pictures drawn for the set of pictures a DPI uses, loaded once for
    // every button; null when the picture is missing.
    static const fw::win::RetainedPicture* StatePicture(FacePicture picture, uint32_t dpi = 96);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    // Message handlers.
    void OnCreate();
    void OnSize();
    void OnPaint();
    void OnTimer();
    void OnButtonDown(int16_t button, WPARAM wp);
    void OnButtonUp(int16_t button, WPARAM wp);

    // FacePainter.
    double InnerWidthTwips() const override;
    double InnerHeightTwips() const override;
    int32_t InnerWidthPixels() const override { return face_.width(); }
    int32_t InnerHeightPixels() const override { return face_.height(); }
    void Clear() override;
    void GradientFill(const GradientVertexTable& vertices, uint32_t count, const GradientRect& rect) override;
    void CopyPicture(FacePicture picture, const TwipRect& source, const TwipRect& destination) override;
    void Refresh() override;
    void SetBackStyle(uint8_t style) override;
    void HideLines() override {}  // the design-time lines are never created here
    void SetCaptionText(const std::string& text) override;
    void SetCaptionFont(const FontSpec& font) override;
    bool SetCaptionColour(uint32_t colour) override;
    bool SetCaptionEnabled(bool enabled) override;
    void PlaceCaption(double top, double left, double width) override;

    // CommandSite.
    void RaiseClick() override;
    void PropertyChanged(std::string_view key) override;
    void SetPointerWatch(bool enabled, uint32_t intervalMs) override;

    // Sizes the surfaces to the client area.
    void SizeSurfaces();
    // Builds the shown picture from the face and the caption, and asks for a repaint.
    void Present();
    void DrawCaption(HDC dc) const;
    void DrawBehind(HDC dc) const;

    std::unique_ptr<Command> core_;
    fw::win::RetainedPicture face_;
    fw::win::RetainedPicture presented_;
    uint32_t dpi_ = 96;
    double twipsPerPixel_ = 15;  // at dpi_
    uint8_t backStyle_ = 1;

    // The caption label.
    std::wstring captionText_;
    HFONT captionFont_ = nullptr;
    FontSpec captionFontSpec_;  // made again at a new DPI
    bool hasCaptionFont_ = false;
    uint32_t captionColour_ = 0;  // red in the low byte, or a system colour index
    bool captionEnabled_ = true;
    double captionTop_ = 90, captionLeft_ = 0, captionWidth_ = 1635;

    // The pointer watch, remembered until the window exists.
    bool watchEnabled_ = false;
    UINT watchIntervalMs_ = 100;

    // The bag being read while the window is created.
    const PropertyBag* pendingBag_ = nullptr;
    FontSpec pendingAmbient_;

    std::function<void()> onClick_;
    std::function<void(std::string_view)> onChanged_;
};

// The installed face to use for `requested` (the framework's choice, shared with the dialog).
using fw::win::ResolveFontFace;

}  // namespace button
