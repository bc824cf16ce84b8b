// Layout at a screen's scale. Windows and controls are laid out in 96-dpi pixels; on a
// screen of another DPI every length is multiplied by dpi / 96 and rounded (halves to
// even), so 96 dpi gives the layout itself and 192 dpi exactly twice it.
#pragma once

#include "framework/ports.h"

#include <cstddef>
#include <cstdint>

namespace fw {

inline constexpr uint32_t kLayoutDpi = 96;

// A length or coordinate of the 96-dpi layout at `dpi` (0 counts as 96).
int32_t ScaleToDpi(int32_t length, uint32_t dpi);

// A left, top, width, height rectangle of the layout at `dpi`: each of the four scaled on
// its own, so a control keeps the scaled size wherever it stands.
struct LayoutRect {
    int32_t left = 0, top = 0, width = 0, height = 0;
    bool operator==(const LayoutRect& o) const {
        return left == o.left && top == o.top && width == o.width && height == o.height;
    }
};
LayoutRect ScaleRect(const LayoutRect& r, uint32_t dpi);

// Twips per pixel at `dpi`: 15 at 96, 7.5 at 192 (a twip is 1/1440 inch).
double TwipsPerPixelAt(uint32_t dpi);

// The DPIs the stored pictures are drawn for (100, 125, 150 and 200 %), and which set a
// screen uses: the largest not above its DPI (the 96-dpi set below that), so a picture is
// never larger than the place laid out for it.
inline constexpr uint32_t kPictureDpis[] = {96, 120, 144, 192};
inline constexpr std::size_t kPictureSetCount = sizeof(kPictureDpis) / sizeof(kPictureDpis[0]);
std::size_t PictureSetFor(uint32_t dpi);

// Where a window goes when the system moves it to a screen of another DPI: the rectangle
// the system suggests, resized about its centre to the outer size the scaled client area
// needs (the suggestion is the old size scaled, which a frame need not follow exactly).
// Keeping the centre keeps the window on the screen the system meant; of an odd
// difference, the right and bottom edges take the odd pixel.
Rect WindowRectOnDpiChange(const Rect& suggested, int32_t outerWidth, int32_t outerHeight);

}  // namespace fw
