#include "framework/scale.h"

#include "framework/conversions.h"

namespace fw {

int32_t ScaleToDpi(int32_t length, uint32_t dpi) {
    if (dpi == 0 || dpi == kLayoutDpi) return length;
    return static_cast<int32_t>(RoundHalfEven(static_cast<double>(length) * dpi / kLayoutDpi));
}

LayoutRect ScaleRect(const LayoutRect& r, uint32_t dpi) {
    return {ScaleToDpi(r.left, dpi), ScaleToDpi(r.top, dpi), ScaleToDpi(r.width, dpi), ScaleToDpi(r.height, dpi)};
}

double TwipsPerPixelAt(uint32_t dpi) { return 1440.0 / (dpi == 0 ? kLayoutDpi : dpi); }

std::size_t PictureSetFor(uint32_t dpi) {
    std::size_t set = 0;
    for (std::size_t i = 0; i < kPictureSetCount; ++i)
        if (kPictureDpis[i] <= dpi) set = i;
    return set;
}

Rect WindowRectOnDpiChange(const Rect& suggested, int32_t outerWidth, int32_t outerHeight) {
    const int64_t spareW = int64_t{suggested.right} - suggested.left - outerWidth;
    const int64_t spareH = int64_t{suggested.bottom} - suggested.top - outerHeight;
    // Half the spare room on each side; the odd pixel goes to the right and bottom edges.
    const auto left = static_cast<int32_t>(suggested.left + spareW / 2);
    const auto top = static_cast<int32_t>(suggested.top + spareH / 2);
    return {left, top, left + outerWidth, top + outerHeight};
}

}  // namespace fw
