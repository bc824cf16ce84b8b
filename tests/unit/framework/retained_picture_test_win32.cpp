// A picture the system cannot make is reported as not made, with nothing to draw into:
// the saver's load ends on it rather than run over a missing back buffer.
#include "framework/window_win32.h"

#include <gtest/gtest.h>

namespace {

TEST(RetainedPicture, APictureTooLargeForMemoryIsNotMade) {
    fw::win::RetainedPicture picture;
    ASSERT_TRUE(picture.Create(16, 16));
    EXPECT_FALSE(picture.Create(1 << 20, 1 << 20));  // 4 TiB of pixels
    EXPECT_EQ(picture.bits(), nullptr);
    EXPECT_EQ(picture.dc(), nullptr);
    EXPECT_EQ(picture.width(), 0);
    EXPECT_TRUE(picture.Create(16, 16));
}

}  // namespace
