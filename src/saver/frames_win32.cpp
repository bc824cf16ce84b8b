#include "saver/frames_win32.h"

#include <cstring>

#include "petals/petal_model.h"

namespace saver {

using namespace petals;  // the engine this front end draws with

bool LoadFrames(HINSTANCE instance, int maskId, int spriteId, int32_t size, SpriteFrames& frames) {
    frames = SpriteFrames(kSpriteFrames, size);
    bool all = true;
    const std::size_t bytes = static_cast<std::size_t>(size) * size * sizeof(uint32_t);
    for (int32_t k = 0; k < kSpriteFrames; ++k) {
        fw::win::RetainedPicture mask, sprite;
        const bool ok = mask.FromResource(instance, maskId + k) && sprite.FromResource(instance, spriteId + k) &&
                        mask.width() == size && mask.height() == size && sprite.width() == size &&
                        sprite.height() == size;
        GdiFlush();  // the copies into the pictures are done before their bits are read
        if (!ok) {
            all = false;
            continue;
        }
        std::memcpy(frames.Mask(k), mask.bits(), bytes);
        std::memcpy(frames.Sprite(k), sprite.bits(), bytes);
    }
    return all;
}

}  // namespace saver
