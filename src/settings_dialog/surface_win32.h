// The two drawing surfaces of the settings dialog, the form and the panel, and the
// controls they draw themselves: labels, shapes and images have no window of their own,
// so their parent paints them over its retained picture and finds them under the mouse.
#pragma once

#include "framework/window_win32.h"
#include "settings_dialog/layout.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace dialog {

// A label, shape or image: its place in the table and what it shows now.
struct WindowlessControl {
    const ControlSpec* control;
    std::wstring text;  // a label's text, "&&" for each ampersand shown
    const fw::win::RetainedPicture* picture = nullptr;
};

// The fonts a label is drawn in.
struct LabelFonts {
    HFONT normal = nullptr;
    HFONT underlined = nullptr;
};

// Draws the windowless controls whose parent is `parent`, in table order, each at its
// place on a screen of `dpi` (the fonts made for it): images at their natural size,
// shapes as outlines in the window-text colour one 96-dpi pixel wide, labels with their
// text over whatever lies behind them.
void DrawWindowless(HDC dc, const std::vector<WindowlessControl>& controls, ControlId parent,
                    const LabelFonts& fonts, uint32_t dpi = fw::kLayoutDpi);
// The same, with the parent given by its designer's name (nullptr: the form).
inline void DrawWindowless(HDC dc, const std::vector<WindowlessControl>& controls, const char* parentName,
                           const LabelFonts& fonts, uint32_t dpi = fw::kLayoutDpi) {
    if (const auto parent = ParentNamed(parentName)) DrawWindowless(dc, controls, *parent, fonts, dpi);
}

class Surface;

// What a surface asks of the dialog that holds it.
class SurfaceHost {
public:
    virtual ~SurfaceHost() = default;
    virtual void DrawWindowless(HDC dc, ControlId parent) const = 0;
    virtual void OnWindowlessClick(const ControlSpec& c) = 0;
    // True while the hourglass stands for the whole dialog.
    virtual bool Busy() const = 0;
    virtual HCURSOR HandCursor() const = 0;
    // The DPI the controls are laid out at.
    virtual uint32_t Dpi() const = 0;
    // Every other message of the surface; empty to leave it to the system.
    virtual std::optional<LRESULT> OnSurfaceMessage(Surface& surface, UINT msg, WPARAM wp, LPARAM lp) = 0;
};

// The form or the panel: what was drawn on it is kept in a retained picture (the
// gradient, the texture), painted with the windowless controls on top through an
// off-screen frame, so nothing flickers and nothing is lost when the window is covered.
class Surface final : public fw::win::Window {
public:
    Surface(SurfaceHost& host, ControlId id) : host_(host), id_(id) {}

    ControlId id() const { return id_; }
    fw::win::RetainedPicture& picture() { return picture_; }
    // The retained picture at the size of the client area, filled with `fill` when new.
    bool SizePicture(COLORREF fill);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Compose(HDC target);
    void OnPaint();
    void OnButtonDown(int x, int y);
    void OnButtonUp(int x, int y);
    bool OnSetCursor(LPARAM lp);

    SurfaceHost& host_;
    const ControlId id_;  // the form or the panel
    fw::win::RetainedPicture picture_;
    fw::win::RetainedPicture frame_;
    const ControlSpec* pressed_ = nullptr;  // the windowless control a left press began on
};

}  // namespace dialog
