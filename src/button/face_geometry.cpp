#include "button/face_geometry.h"

#include "framework/conversions.h"

#include <string>

namespace button {

namespace {

// Stores v when it fits in 16 bits; otherwise the slot keeps its previous value.
void Assign(int16_t& slot, double v) {
    if (auto r = fw::ToInt16(v)) slot = *r;
}

void SetSlice(Slice& s, double sx, double sy, double sw, double sh, double dx, double dy, double dw, double dh) {
    Assign(s.srcX, sx);
    Assign(s.srcY, sy);
    Assign(s.srcW, sw);
    Assign(s.srcH, sh);
    Assign(s.dstX, dx);
    Assign(s.dstY, dy);
    Assign(s.dstW, dw);
    Assign(s.dstH, dh);
}

}  // namespace

void ComputeSliceGeometry(double W, double H, SliceGeometry& g) {
    constexpr double o = kSliceOrigin, cw = kCornerWidth, ch = kCornerHeight;
    constexpr double pw = kPictureWidth, ph = kPictureHeight;
    constexpr double edgeW = pw - 2 * cw;  // 840: the picture's top and bottom edge
    constexpr double edgeH = ph - 2 * ch;  // 255: the picture's side edges
    // Source x, y, w, h, then destination x, y, w, h. Corners land at their own size.
    SetSlice(g[0], 0, 0, cw, ch, o, o, cw, ch);                                  // top-left
    SetSlice(g[1], cw, o, edgeW, ch, cw, o, W - 2 * cw, ch);                     // top edge
    SetSlice(g[2], pw - cw, o, cw, ch, W - cw, o, cw, ch);                       // top-right
    SetSlice(g[3], pw - cw, ch, cw, edgeH, W - cw, ch, cw, H - 2 * ch);          // right edge
    SetSlice(g[4], pw - cw, ph - ch, cw, ch, W - cw, H - ch, cw, ch);            // bottom-right
    SetSlice(g[5], cw, ph - ch, edgeW, ch, cw, H - ch, W - 2 * cw, ch);          // bottom edge
    SetSlice(g[6], 0, ph - ch, cw, ch, o, H - ch, cw, ch);                       // bottom-left
    SetSlice(g[7], o, ch, cw, edgeH, o, ch, cw, H - 2 * ch);                     // left edge
}

GradientColour GradientColourFromText(std::string_view text) {
    std::string digits(text);
    if (digits.size() >= 2 && digits[0] == '&' && (digits[1] == 'H' || digits[1] == 'h')) digits.erase(0, 2);
    if (digits.size() < 6) digits.insert(0, 6 - digits.size(), '0');
    // "&HC600" reads as a signed 16-bit number; its bits are the channel value.
    auto channel = [&](std::size_t start1) {
        double v = fw::LeadingNumber("&H" + fw::Mid(digits, start1, 2) + "00");
        return static_cast<uint16_t>(static_cast<int16_t>(v));
    };
    return {channel(1), channel(3), channel(5)};
}

}  // namespace button
