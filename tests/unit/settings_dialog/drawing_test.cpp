#include "settings_dialog/drawing.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using dialog::Rgb;

TEST(Gradient, DarkAtBothEdgesPaleInTheMiddle) {
    auto rows = dialog::GradientRows(191);
    ASSERT_EQ(rows.size(), 192u);  // rows 0 to 191 inclusive
    EXPECT_EQ(rows.front(), (Rgb{0, 0, 30}));
    EXPECT_EQ(rows.back(), (Rgb{0, 0, 30}));  // sin(3.142) is just below zero: |.| keeps it 0
    EXPECT_EQ(rows[96], (Rgb{220, 220, 250}));
    EXPECT_EQ(rows[95], (Rgb{220, 220, 250}));
    EXPECT_EQ(rows[10], (Rgb{36, 36, 66}));   // |sin(10 / 60.79)| * 220 = 36.03
    EXPECT_EQ(rows[150], (Rgb{137, 137, 167}));  // |sin(2.4675)| * 220 = 137.06
}

TEST(Gradient, EachRowIsGreyWithMoreBlue) {
    for (double s : {1.0, 20.0, 191.0, 600.0}) {
        auto rows = dialog::GradientRows(s);
        for (const Rgb& c : rows) {
            EXPECT_EQ(c.r, c.g);
            EXPECT_EQ(c.b, c.r + 30);
            EXPECT_LE(c.r, 220);
        }
    }
}

TEST(Gradient, RowCountFollowsTheRoundedHeight) {
    EXPECT_EQ(dialog::GradientRows(10.5).size(), 11u);  // 10.5 rounds to 10
    EXPECT_EQ(dialog::GradientRows(11.5).size(), 13u);  // 11.5 rounds to 12
    EXPECT_EQ(dialog::GradientRows(-3).size(), 0u);
    // No height at all: the one row would be 0 / 0; it takes the edge colour.
    auto none = dialog::GradientRows(0);
    ASSERT_EQ(none.size(), 1u);
    EXPECT_EQ(none[0], (Rgb{0, 0, 30}));
}

TEST(Tiling, PanelGetsSevenTilesDownThenAClippedColumn) {
    auto tiles = dialog::TilePositions(556, 20, 433, 117);
    ASSERT_EQ(tiles.size(), 14u);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(tiles[i].x, 0);
        EXPECT_EQ(tiles[i].y, 20 * i);
        EXPECT_EQ(tiles[7 + i].x, 556);  // wholly beyond the right edge
        EXPECT_EQ(tiles[7 + i].y, 20 * i);
    }
}

TEST(Tiling, EdgeWhereTheLastTileEndsExactlyOnTheBorder) {
    // y = 100 is not past 100, so one more tile is laid from the edge itself (and one
    // after it); the same holds across: x = 50 is not past 50.
    auto tiles = dialog::TilePositions(50, 20, 50, 100);
    ASSERT_EQ(tiles.size(), 21u);
    EXPECT_EQ(tiles[5].y, 100);
    EXPECT_EQ(tiles[6].y, 120);
    EXPECT_EQ(tiles[7].x, 50);
    EXPECT_EQ(tiles[14].x, 100);
}

// Every pixel of the target lies under some tile, for sizes around the strip's own.
TEST(Tiling, CoversTheWholeTarget) {
    for (int W : {1, 19, 433, 556, 557, 1200})
        for (int H : {1, 19, 20, 21, 117, 300}) {
            auto tiles = dialog::TilePositions(556, 20, W, H);
            std::vector<bool> covered(static_cast<size_t>(W) * H, false);
            for (const auto& t : tiles)
                for (int y = t.y; y < t.y + 20 && y < H; ++y)
                    for (int x = t.x; x < t.x + 556 && x < W; ++x) covered[static_cast<size_t>(y) * W + x] = true;
            EXPECT_EQ(std::count(covered.begin(), covered.end(), false), 0) << W << "x" << H;
        }
}

TEST(Tiling, AStripWithoutAreaGivesNoTilesInsteadOfLoopingForever) {
    EXPECT_TRUE(dialog::TilePositions(0, 20, 433, 117).empty());
    EXPECT_TRUE(dialog::TilePositions(556, 0, 433, 117).empty());
    EXPECT_TRUE(dialog::TilePositions(-5, 20, 433, 117).empty());
}

TEST(Tiling, AnEmptyTargetStillGetsTheCornerTiles) {
    // Nothing is visible, but the copies stay few.
    EXPECT_EQ(dialog::TilePositions(556, 20, 0, 0).size(), 4u);
    EXPECT_EQ(dialog::TilePositions(556, 20, -10, -10).size(), 1u);
}

}  // namespace
