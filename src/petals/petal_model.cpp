#include "petals/petal_model.h"

#include <algorithm>
#include <cmath>

#include "framework/conversions.h"

namespace petals {

// Arithmetic types. Every field is a single float and every update of a field is done in
// single precision, as the fields' own type gives it (r * W / 3 is (r * W) / 3 in floats),
// except where a fractional constant takes part: those constants are doubles, so
// r * 0.2 + 0.5 and the whole horizontal position are computed in double precision and
// only their result is stored as a float. Keep this split: it decides the last bit of the
// speeds, and with the sway's sine argument in the thousands, single precision would put
// petals a pixel off now and then.

PetalTable::PetalTable(int32_t petalCount) {
    if (petalCount >= 0) rows_.assign(static_cast<std::size_t>(petalCount) + 1, PetalRow{});
}

void SetInitialValues(PetalTable& table, const Surface& surface, fw::RandomSource& random) {
    const float h = static_cast<float>(surface.height);
    for (PetalRow& p : table) {
        // One random number each, in this order: height, speed, spin direction.
        p.BaseX = 0;
        p.FallY = random.Next() * h;
        p.FallSpeed = static_cast<float>(static_cast<double>(random.Next()) * 0.2 + 0.5);
        p.SpinDirection = std::floor(random.Next() * 2.0f);
        p.FrameTicks = 0;
        p.Shown = 0;
        p.SpriteFrame = 0;
    }
}

// The sine's multiplier is 6.28, not 2 pi: with the phase growing by 2 a pass, 2 pi would
// freeze the sine, while 6.28 lets it drift once in about a thousand passes. All of it in
// doubles; the sum is kept as a float. (outer width / 8) * 3 is exact for any real
// screen width, in floats or doubles alike.
float PetalX(const PetalRow& p, int32_t outerWidth) {
    const double phase = p.SwayPhase;
    return static_cast<float>(static_cast<double>(p.BaseX) +
                              static_cast<double>(p.SwayAmplitude) * std::sin(6.28 * phase) *
                                  std::cos(phase / 100.0) +
                              (static_cast<double>(outerWidth) / 8.0) * 3.0);
}

void ReserveDraws(const PetalTable& table, std::vector<SpriteDraw>& draws) {
    if (draws.capacity() < table.size()) draws.reserve(table.size());
}

namespace {

// Past the bottom edge: back to just above the top with a new drift and speed, and the
// next fall is drawn if this one was not (and the other way round). Spin direction,
// frame and frame counter carry over.
void Respawn(PetalRow& p, const Surface& surface, fw::RandomSource& random) {
    p.BaseX = random.Next() * static_cast<float>(surface.width) / 3.0f;
    p.SwayAmplitude = random.Next() * 75.0f + 200.0f;
    p.SwayPhase = random.Next() * 3.0f;
    p.FallY = -10.0f;
    p.FallSpeed = static_cast<float>(static_cast<double>(random.Next()) * 0.2 + 0.5);
    // The flag goes through an integer; a value that cannot be one leaves it as it is.
    if (const auto shown = fw::ToInt32(p.Shown)) p.Shown = static_cast<float>(*shown ^ 1);
}

// A position or frame that does not exist skips the copy, not the rest of the pass.
std::optional<SpriteDraw> Placement(const PetalRow& p, const Surface& surface) {
    const auto x = fw::ToInt32(PetalX(p, surface.outerWidth));
    const auto y = fw::ToInt32(p.FallY);
    const auto frame = fw::ToInt32(p.SpriteFrame);
    if (!x || !y || !frame || *frame < 0 || *frame >= kSpriteFrames) return std::nullopt;
    return SpriteDraw{*x, *y, *frame};
}

// One frame step every six shown passes, wrapping between 15 and 0.
void TickFrame(PetalRow& p) {
    p.FrameTicks = p.FrameTicks + 1.0f;
    if (p.FrameTicks > 5.0f) {
        p.FrameTicks = 0;
        if (p.SpinDirection == 0.0f) {
            p.SpriteFrame = p.SpriteFrame + 1.0f;
            if (p.SpriteFrame > 15.0f) p.SpriteFrame = 0;
        } else {
            p.SpriteFrame = p.SpriteFrame - 1.0f;
            if (p.SpriteFrame < 0.0f) p.SpriteFrame = 15;
        }
    }
}

}  // namespace

void Step(PetalTable& table, const Surface& surface, fw::RandomSource& random,
          std::vector<SpriteDraw>& draws) {
    draws.clear();
    ReserveDraws(table, draws);
    for (PetalRow& p : table) {
        p.FallY = p.FallY + p.FallSpeed;
        p.SwayPhase = p.SwayPhase + 2.0f;
        // Strictly below the bottom edge: a petal exactly at it falls one more pass.
        if (static_cast<double>(p.FallY) > static_cast<double>(surface.height)) Respawn(p, surface, random);
        if (p.Shown == 1.0f) {
            if (const auto draw = Placement(p, surface)) draws.push_back(*draw);
            TickFrame(p);
        }
    }
}

}  // namespace petals
