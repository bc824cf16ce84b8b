#include "petals/scene.h"

#include <algorithm>
#include <ctime>
#include <utility>

namespace petals {
namespace {

// The slot of a carried sprite size; the smallest's for any other.
std::size_t SizeIndex(int32_t size) {
    for (std::size_t i = 0; i < kSpriteSizeCount; ++i)
        if (kSpriteSizes[i] == size) return i;
    return 0;
}

}  // namespace

uint32_t TimeOfDaySeed() {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);  // one thread: the shared result is safe here
    if (!local) return 0;
    return static_cast<uint32_t>(local->tm_hour * 3600 + local->tm_min * 60 + local->tm_sec);
}

Scene::Scene(int32_t petalCount, uint32_t seed) : petalCount_(petalCount), screens_({}, PixelRect{}, petalCount) {
    random_.Seed(seed);
}

void Scene::Lay(const std::vector<Monitor>& monitors, const PixelRect& buffer) {
    screens_ = Screens(monitors, buffer, petalCount_);
    screens_.SetInitialValues(random_);
    compositor_.Reserve(screens_.Rows());
    compositor_.InvalidateAll();
}

std::vector<int32_t> Scene::MissingFrameSizes() const {
    std::vector<int32_t> sizes;
    for (std::size_t i = 0; i < screens_.size(); ++i) {
        const int32_t size = screens_[i].spriteSize;
        if (frames_[SizeIndex(size)].count() == 0 && std::find(sizes.begin(), sizes.end(), size) == sizes.end())
            sizes.push_back(size);
    }
    return sizes;
}

void Scene::SetFrames(SpriteFrames frames) {
    // Each petal then restores, draws and presents only its frame's box, not its square.
    frames.FitBoxes();
    const int32_t size = frames.size();
    for (std::size_t i = 0; i < kSpriteSizeCount; ++i) {
        if (kSpriteSizes[i] == size) {
            frames_[i] = std::move(frames);
            return;
        }
    }
}

const std::vector<PixelRect>& Scene::Pass(const PixelView& snapshot, const PixelView& back) {
    screens_.Step(random_);
    compositor_.BeginPass(snapshot, back);
    // Each monitor's petals with the sprites of its scale, never beyond its edges.
    for (std::size_t i = 0; i < screens_.size(); ++i) {
        const Screen& screen = screens_[i];
        compositor_.Draw(back, frames_[SizeIndex(screen.spriteSize)], screen.draws.data(), screen.draws.size(),
                         screen.clip);
    }
    return compositor_.EndPass();
}

}  // namespace petals
