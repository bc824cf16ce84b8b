// Command: the system's own push button (host identifier "Vellora.Command"). It draws
// its face from six state pictures over a vertical gradient, tracks hover, focus and
// press itself, and tells its host about a completed press through Click.
//
// This is the whole behaviour without a window: a window adapter owns a FacePainter and a
// CommandSite, forwards the system's events to the On... handlers and the pointer watch's
// ticks to OnPointerWatchTick, and reads `fields()` (never the property getters, which
// redraw) when it needs the state.
#pragma once

#include "button/face_geometry.h"
#include "button/face_painter.h"
#include "button/property_bag.h"
#include "framework/ports.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace button {

// FaceState values.
enum : uint8_t {
    kStateUninitialized = 0,
    kStateNormal = 1,
    kStateHighLight = 2,
    kStateSelected = 3,
    kStateHighLightSelect = 4,
};

// Mouse buttons as the events carry them.
enum : int16_t { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };

// The instance fields, in the order the component declares them.
struct CommandFields {
    GradientRect gradientRect;          // set before every fill: upper-left 1, lower-right 0
    GradientVertexTable gradientVertices{};  // only the first two are ever set
    bool gradientReversed = false;      // pale at the top instead of white
    uint8_t firstRun = 0;               // 1 once the first-use defaults are applied
    bool enabled = false;
    uint8_t faceState = kStateUninitialized;
    SliceGeometry sliceGeometry{};
    bool mouseHeld = false;             // left button pressed on the button, not yet released
};

// The caption label LblMsg: the caption's text, colour and font live here, in twips.
struct CaptionLabel {
    std::string text = "Command";
    uint32_t colour = 0;  // black
    FontSpec font;
    bool enabled = true;
    double left = 0, top = 90, width = 1635, height = 195;
};

// The pointer watch TmrMouse: laid out disabled with an interval of 100 ms.
struct PointerWatch {
    bool enabled = false;
    uint32_t intervalMs = 100;
};

// The design-time font of the component and its caption label: "ＭＳ Ｐゴシック", 9.75 point,
// Shift-JIS, normal weight. The settings dialog's labels use it too.
FontSpec DesignFont();

// Persisted property keys and the caption's default in the bag. One default serves both
// reading and writing, so every caption survives a save and a load.
inline constexpr std::string_view kCaptionDefault = "Command";

// True for colours a caption accepts: plain RGB values and the system colour indexes.
bool IsCaptionColour(uint32_t colour);

class Command {
public:
    Command(FacePainter& painter, CommandSite& site);
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    // --- Public members -------------------------------------------------------------
    // FaceState 1 and the pointer watch started at 100 ms. Draws and notifies nothing.
    void Initialize();

    // Reading gives 0 for a transparent face, else 255 and redraws the Normal face.
    uint8_t Visible();
    void SetVisible(uint8_t value);

    // Reading redraws the Normal face.
    uint32_t FontColour();
    void SetFontColour(uint32_t colour);

    // The first read of a fresh instance applies the first-use defaults (enabled).
    // Reading redraws the face for the current Enabled.
    bool Enabled();
    void SetEnabled(bool value);

    const std::string& Caption() const { return caption_.text; }
    void SetCaption(const std::string& text);

    const FontSpec& Font() const { return caption_.font; }
    void SetFont(const FontSpec& font);

    // --- Hosting --------------------------------------------------------------------
    // Fills the properties from the bag (no notifications), then redraws.
    void ReadProperties(const PropertyBag& bag, const FontSpec& ambientFont);
    // Stores the properties in the bag (no notifications), then redraws.
    void WriteProperties(PropertyBag& bag, const FontSpec& ambientFont);
    // Every size change.
    void OnResize() { ApplyEnabled(); }

    // --- Mouse and focus ------------------------------------------------------------
    // `button` is 1 (left), 2 (right) or 4 (middle). Events on the caption label come here
    // unchanged. The position is never used, so it is not taken.
    void OnMouseDown(int16_t button, int16_t shift);
    void OnMouseMove(int16_t button, int16_t shift);
    void OnMouseUp(int16_t button, int16_t shift);
    void OnFocusGained();
    void OnFocusLost();
    // The pointer is no longer over the button.
    void PointerLeft();
    // One tick of the pointer watch: the window under the pointer (empty when the
    // pointer's position could not be read), the button's own window and the host form's
    // window (empty when it could not be found).
    void OnPointerWatchTick(std::optional<fw::WindowId> underPointer, fw::WindowId own,
                            std::optional<fw::WindowId> host);

    // --- Drawing ----------------------------------------------------------------------
    void DrawFace(FacePicture picture);
    void FillGradient();
    void ApplyEnabled();
    void RefreshLook();

    // --- State, for adapters and tests ----------------------------------------------
    const CommandFields& fields() const { return fields_; }
    const CaptionLabel& caption() const { return caption_; }
    const PointerWatch& pointerWatch() const { return watch_; }
    uint8_t backStyle() const { return backStyle_; }

private:
    // Caption label updates; each keeps the old value when the label refuses the new one.
    bool ApplyCaptionColour(uint32_t colour);
    void ApplyCaptionText(const std::string& text);
    void ApplyCaptionFont(const FontSpec& font);
    bool ApplyBackStyle(int64_t style);

    FacePainter& painter_;
    CommandSite& site_;
    CommandFields fields_;
    CaptionLabel caption_;
    PointerWatch watch_;
    uint8_t backStyle_ = 1;
};

// True when a tick of the pointer watch finds the pointer away from the button: the
// window under it is the host form's, or any window other than the button's own.
bool PointerIsAway(std::optional<fw::WindowId> underPointer, fw::WindowId own, std::optional<fw::WindowId> host);

}  // namespace button
