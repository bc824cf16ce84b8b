#include "display/hack_petals.h"

#include <cmath>

#include "display/screens.h"

namespace display {

struct HackPetals::Impl {
    Screens screens;
    std::vector<ScaledDraw> scaled;
};

namespace {

Monitor WindowAsMonitor(int32_t width, int32_t height, double scale) {
    Monitor m;
    m.rect = PixelRect{0, 0, width, height};
    m.dpi = static_cast<uint32_t>(std::lround(96.0 * scale));
    return m;
}

}  // namespace

HackPetals::HackPetals(int32_t width, int32_t height, double scale, int32_t petalCount)
    : impl_(new Impl{Screens({WindowAsMonitor(width, height, scale)}, PixelRect{0, 0, width, height}, petalCount),
                     {}}) {
    impl_->screens.ReserveDraws(impl_->scaled);
}

HackPetals::~HackPetals() = default;

int32_t HackPetals::SpriteSize() const {
    return impl_->screens.size() ? impl_->screens[0].spriteSize : kSpriteSize;
}

std::size_t HackPetals::Rows() const { return impl_->screens.Rows(); }

void HackPetals::SetInitialValues(fw::RandomSource& random) { impl_->screens.SetInitialValues(random); }

void HackPetals::Step(fw::RandomSource& random, std::vector<HackDraw>& draws) {
    impl_->screens.Step(random, impl_->scaled);
    if (draws.capacity() < Rows()) draws.reserve(Rows());
    draws.clear();
    for (const ScaledDraw& d : impl_->scaled) draws.push_back(HackDraw{d.x, d.y, d.size, d.frame});
}

}  // namespace display
