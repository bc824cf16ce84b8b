// The numbers of the button face: where the eight border slices of a state picture come
// from and go to, and the two colours of the gradient behind them.
#pragma once

#include "button/face_painter.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace button {

// One border slice: a rectangle of the state picture and where it lands on the face,
// both in twips.
struct Slice {
    int16_t srcX = 0, srcY = 0, srcW = 0, srcH = 0;
    int16_t dstX = 0, dstY = 0, dstW = 0, dstH = 0;
};

// The eight slices in drawing order: top-left corner, top edge, top-right corner, right
// edge, bottom-right corner, bottom edge, bottom-left corner, left edge.
using SliceGeometry = std::array<Slice, 8>;

// The fixed numbers the geometry is built from. The picture size is taken as these
// numbers, not read from the picture.
inline constexpr int kSliceOrigin = 1;        // inside the first pixel
inline constexpr int kCornerWidth = 60;       // four pixels
inline constexpr int kCornerHeight = 60;
inline constexpr int kPictureWidth = 960;     // 64 pixels
inline constexpr int kPictureHeight = 375;    // 25 pixels

// Recomputes the slices for a face of width x height twips. A value that does not fit in
// 16 bits keeps what `geometry` held before; every other value is replaced.
void ComputeSliceGeometry(double width, double height, SliceGeometry& geometry);

// The colour of a "&HRRGGBB" text as gradient channels: each pair of hex digits, read
// left to right as red, green and blue, with "00" appended. "&HC6C5D7" gives C600, C500,
// D700. Alpha stays 0.
struct GradientColour {
    uint16_t red = 0, green = 0, blue = 0;
};
GradientColour GradientColourFromText(std::string_view text);

// The two ends of the face's gradient: white and pale lavender.
inline constexpr std::string_view kGradientWhiteText = "&HFFFFFF";
inline constexpr std::string_view kGradientPaleText = "&HC6C5D7";

}  // namespace button
