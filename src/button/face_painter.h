// The ports of the Command button: what its face drawing needs from a drawing surface
// (FacePainter) and what it tells the form that hosts it (CommandSite). The portable
// core makes every decision; a window adapter only forwards these calls to the system.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace button {

// The six state pictures of the face, each 64 x 25 pixels.
enum class FacePicture : uint8_t { Normal, HighLight, Pressed, Selected, HighLightSelect, Disable };

// A rectangle in twips: left, top, width, height.
struct TwipRect {
    int32_t x = 0, y = 0, w = 0, h = 0;
    bool operator==(const TwipRect& o) const { return x == o.x && y == o.y && w == o.w && h == o.h; }
};

// One vertex of the gradient, laid out as the system's gradient fill takes it: position in
// pixels, then the four channels with the 8-bit value in the high byte.
struct GradientVertex {
    int32_t x = 0, y = 0;
    uint16_t red = 0, green = 0, blue = 0, alpha = 0;
};

// The one rectangle handed to the gradient fill: indexes into the vertex table.
struct GradientRect {
    uint32_t upperLeft = 0, lowerRight = 0;
};

using GradientVertexTable = std::array<GradientVertex, 3>;

// The caption's font as the host stores it.
struct FontSpec {
    std::string faceName;  // UTF-8
    double sizePoints = 0;
    int16_t weight = 400;
    int16_t charset = 0;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
    bool operator==(const FontSpec& o) const {
        return faceName == o.faceName && sizePoints == o.sizePoints && weight == o.weight &&
               charset == o.charset && italic == o.italic && underline == o.underline &&
               strikethrough == o.strikethrough;
    }
    bool operator!=(const FontSpec& o) const { return !(*this == o); }
};

// The drawing surface of one button and its caption label. The surface retains what is
// drawn; nothing is drawn in answer to repaint requests.
class FacePainter {
public:
    virtual ~FacePainter() = default;

    // Inner size of the surface, in twips and in whole pixels.
    virtual double InnerWidthTwips() const = 0;
    virtual double InnerHeightTwips() const = 0;
    virtual int32_t InnerWidthPixels() const = 0;
    virtual int32_t InnerHeightPixels() const = 0;

    // Clears the surface to its back colour.
    virtual void Clear() = 0;
    // The system's gradient fill in the vertical mode: `count` vertices, one rectangle.
    virtual void GradientFill(const GradientVertexTable& vertices, uint32_t count, const GradientRect& rect) = 0;
    // Plain source copy of a rectangle of a state picture (in the picture's 960 x 375
    // twips) to a rectangle of the surface, each axis stretched or shrunk on its own.
    virtual void CopyPicture(FacePicture picture, const TwipRect& source, const TwipRect& destination) = 0;
    // Presents the surface on the screen.
    virtual void Refresh() = 0;
    // 1 shows the drawn face, 0 leaves it undrawn on screen (only the caption shows).
    virtual void SetBackStyle(uint8_t style) = 0;
    // Hides the four design-time border lines.
    virtual void HideLines() = 0;

    // The caption label. The setters that report a result give false when the label
    // refuses the value.
    virtual void SetCaptionText(const std::string& text) = 0;
    virtual void SetCaptionFont(const FontSpec& font) = 0;
    virtual bool SetCaptionColour(uint32_t colour) = 0;
    virtual bool SetCaptionEnabled(bool enabled) = 0;
    virtual void PlaceCaption(double top, double left, double width) = 0;
};

// What the button tells its host form.
class CommandSite {
public:
    virtual ~CommandSite() = default;
    // The Click event. The host may close the form from here: the button touches
    // nothing of its own after raising it.
    virtual void RaiseClick() = 0;
    // The property-changed notice, so the host marks its stored form as changed.
    virtual void PropertyChanged(std::string_view key) = 0;
    // Starts or stops the pointer watch (TmrMouse).
    virtual void SetPointerWatch(bool enabled, uint32_t intervalMs) = 0;
};

}  // namespace button
