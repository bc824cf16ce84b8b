#include "settings_dialog/drawing.h"

#include "framework/conversions.h"

#include <cmath>
#include <limits>

namespace dialog {

std::vector<Rgb> GradientRows(double clientHeight) {
    std::vector<Rgb> rows;
    const double last = fw::RoundHalfEven(clientHeight);
    if (!(last >= 0)) return rows;
    const double k = clientHeight / 3.142;
    for (int i = 0; i <= static_cast<int>(last); ++i) {
        double v = fw::RoundHalfEven(std::fabs(std::sin(i / k)) * 220);
        // A client area of no height makes 0 / 0: that single row takes the edge colour.
        if (!std::isfinite(v)) v = 0;
        const auto c = static_cast<uint8_t>(v);
        rows.push_back({c, c, static_cast<uint8_t>(c + 30)});
    }
    return rows;
}

std::vector<fw::Point> TilePositions(int stripWidth, int stripHeight, int targetWidth, int targetHeight) {
    std::vector<fw::Point> tiles;
    // A strip without area would never move x or y past the target's edge.
    if (stripWidth <= 0 || stripHeight <= 0) return tiles;
    constexpr long long kMax = std::numeric_limits<int32_t>::max();
    long long x = 0, y = 0;
    for (;;) {
        tiles.push_back({static_cast<int32_t>(x), static_cast<int32_t>(y)});
        if (!(y > targetHeight)) {
            y += stripHeight;
        } else if (x > targetWidth) {
            break;
        } else {
            x += stripWidth;
            y = 0;
        }
        if (x > kMax || y > kMax) break;  // a target near the coordinate limit
    }
    return tiles;
}

}  // namespace dialog
