#include "framework/conversions.h"
#include "framework/scale.h"

#include <gtest/gtest.h>

namespace {

// The dialog's layout on screens of each DPI: a rectangle of the 96-dpi layout scaled with
// halves to even (4.5 goes down to 4, 7.5 up to 8), its 9.75-point font, the set of pictures
// drawn for the scale, and where the window goes when the system moves it to such a screen
// and suggests a rectangle of another size than its frame needs.
TEST(ScaleToDpi, LayoutFontPicturesAndTheSuggestedRectangle) {
    struct Case {
        uint32_t dpi;
        fw::LayoutRect scaled;  // of {3, 5, 465, 191}
        int32_t fontHeight;     // 9.75 point
        std::size_t pictureSet;
        fw::Rect suggested;
        int32_t outerWidth, outerHeight;
        fw::Rect placed;
    } cases[] = {
        {96, {3, 5, 465, 191}, -13, 0, {100, 50, 571, 266}, 471, 216, {100, 50, 571, 266}},
        {0, {3, 5, 465, 191}, -13, 0, {0, 0, 10, 10}, 10, 10, {0, 0, 10, 10}},  // unknown: 96
        {72, {2, 4, 349, 143}, -10, 0, {-500, 0, -150, 160}, 355, 163, {-502, -1, -147, 162}},
        {120, {4, 6, 581, 239}, -16, 1, {10, 20, 600, 280}, 593, 260, {9, 20, 602, 280}},
        {144, {4, 8, 698, 286}, -20, 2, {2000, 100, 2706, 400}, 704, 311, {2001, 95, 2705, 406}},
        {168, {5, 9, 814, 334}, -23, 2, {0, 0, 820, 360}, 821, 360, {0, 0, 821, 360}},
        {192, {6, 10, 930, 382}, -26, 3, {100, 50, 1040, 457}, 936, 413, {102, 47, 1038, 460}},
        {288, {9, 15, 1395, 573}, -39, 3, {-3000, -200, -1600, 400}, 1401, 600, {-3000, -200, -1599, 400}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dpi);
        EXPECT_EQ(fw::ScaleRect({3, 5, 465, 191}, c.dpi), c.scaled);
        EXPECT_EQ(fw::FontHeightFromPoints(9.75, static_cast<int32_t>(c.dpi)), c.fontHeight);
        EXPECT_EQ(fw::PictureSetFor(c.dpi), c.pictureSet);
        EXPECT_EQ(fw::WindowRectOnDpiChange(c.suggested, c.outerWidth, c.outerHeight), c.placed);
    }
}

}  // namespace
