// The balloon's parts for a measured text, and where ShowTip puts the window.
#include <gtest/gtest.h>

#include "winsupport/FakeToolTipGeometry.h"

namespace panorel {
namespace {

TEST(FakeToolTipGeometry, PartsForATextOf100By16) {
    const FakeToolTipGeometry g = TipGeometry(100, 16);
    EXPECT_EQ(g.windowWidth, 126);
    EXPECT_EQ((std::array<int, 4>{g.body.left, g.body.top, g.body.right, g.body.bottom}),
              (std::array<int, 4>{0, 8, 116, 40}));
    EXPECT_EQ((std::array<int, 4>{g.text.left, g.text.top, g.text.right, g.text.bottom}),
              (std::array<int, 4>{8, 16, 108, 32}));
    EXPECT_EQ((std::array<int, 6>{g.tail[0].x, g.tail[0].y, g.tail[1].x, g.tail[1].y, g.tail[2].x, g.tail[2].y}),
              (std::array<int, 6>{26, 8, 34, 8, 30, 0}));
    EXPECT_EQ(TipLeftFor(500), 470);
}

}  // namespace
}  // namespace panorel
