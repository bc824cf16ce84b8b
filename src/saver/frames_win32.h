// The petal frames from the program's resources, as pixels in memory.
#pragma once

#include <windows.h>

#include "petals/pixels.h"
#include "framework/window_win32.h"

namespace saver {

// The 16 mask and sprite bitmaps (resources maskId + k and spriteId + k), each size x size
// pixels, as 32-bit pixels read back from 32-bit DIB sections: the same bits a GDI copy
// from those pictures uses. False when a bitmap is missing or of another size; the frames
// that did load are kept.
bool LoadFrames(HINSTANCE instance, int maskId, int spriteId, int32_t size, petals::SpriteFrames& frames);

// A view of a 32-bit top-down DIB section's pixels (rows of a 32-bit DIB need no padding).
inline petals::PixelView ViewOf(const fw::win::RetainedPicture& p) {
    return petals::PixelView{p.bits(), p.width(), p.height(), p.width()};
}

}  // namespace saver
