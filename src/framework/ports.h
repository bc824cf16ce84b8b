// Narrow interfaces through which the portable logic reaches the system. Each has one
// Win32 adapter (a thin forwarder) and, in the tests, a fake that records calls.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace fw {

// A window handle as the system writes it on command lines: an unsigned 32-bit value.
using WindowId = uintptr_t;

struct Point { int32_t x = 0; int32_t y = 0; };

struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const Rect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// The handful of user32 calls behind the zoom effects, the screen-saver flags and the
// cursor count.
class SystemHooksPort {
public:
    virtual ~SystemHooksPort() = default;
    // ShowCursor(show): returns the new display count.
    virtual int32_t ShowCursor(int32_t show) = 0;
    // SystemParametersInfo(action, uiParam, null, flags); the result is not needed.
    virtual void SetSystemParameter(uint32_t action, uint32_t uiParam, uint32_t flags) = 0;
    // DrawAnimatedRects(window, kind, from, to).
    virtual void DrawAnimatedRects(WindowId window, int32_t kind, const Rect& from, const Rect& to) = 0;
    // GetWindowRect; empty when the call fails.
    virtual std::optional<Rect> GetWindowRect(WindowId window) = 0;
    // GetCursorPos; empty when the call fails.
    virtual std::optional<Point> GetCursorPos() = 0;
};

// The user's number format as the system keeps it (UTF-8, empty when not given).
class LocalePort {
public:
    virtual ~LocalePort() = default;
    virtual std::string DecimalSeparator() = 0;
    virtual std::string GroupSeparator() = 0;
};

// Uniform numbers in [0, 1).
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void Seed(uint32_t seed) = 0;
    virtual float Next() = 0;
};

// The classic run-time's generator: a 24-bit linear congruential sequence. Cheap,
// allocation-free and the same on every platform, so a seeded run repeats exactly.
class Lcg24Random final : public RandomSource {
public:
    void Seed(uint32_t seed) override { state_ = seed & 0xFFFFFFu; }
    float Next() override {
        state_ = (state_ * 1140671485u + 12820163u) & 0xFFFFFFu;
        return static_cast<float>(state_) / 16777216.0f;
    }

private:
    uint32_t state_ = 0x50000u;
};

}  // namespace fw
