// The balloon's parts for a measured text, and where ShowTip puts the window.
#include <gtest/gtest.h>

#include "host/ScreenUnits.h"
#include "winsupport/FakeToolTipGeometry.h"

namespace panorel {
namespace {

TEST(FakeToolTipGeometry, PartsForATextOf100By16) {
    const FakeToolTipGeometry g = TipGeometry(100, 16);
    EXPECT_EQ(g.windowWidth, 126);
    EXPECT_EQ(g.windowHeight, 50);
    EXPECT_EQ((std::array<int, 4>{g.body.left, g.body.top, g.body.right, g.body.bottom}),
              (std::array<int, 4>{0, 8, 116, 40}));
    EXPECT_EQ((std::array<int, 4>{g.text.left, g.text.top, g.text.right, g.text.bottom}),
              (std::array<int, 4>{8, 16, 108, 32}));
    EXPECT_EQ((std::array<int, 6>{g.tail[0].x, g.tail[0].y, g.tail[1].x, g.tail[1].y, g.tail[2].x, g.tail[2].y}),
              (std::array<int, 6>{26, 8, 34, 8, 30, 0}));
    EXPECT_EQ(TipLeftFor(500), 470);
}

// The same one-line text as the font draws it at each scaling: the window
// is 750 twips high, and the balloon grows with the screen without being cut.
TEST(FakeToolTipGeometry, OneLineFitsAtEveryScaling) {
    struct Row {
        std::int32_t dpi, width, height;
    };
    const Row rows[] = {{96, 126, 50}, {120, 157, 62}, {144, 189, 75}, {168, 235, 93}, {192, 269, 107}, {216, 315, 125}};
    for (const Row& r : rows) {
        const std::int32_t tpp = TwipsPerPixelForDpi(r.dpi);
        const FakeToolTipGeometry g = TipGeometry(DesignPixels(100, tpp), DesignPixels(16, tpp), tpp);
        EXPECT_EQ(g.windowWidth, r.width) << r.dpi;
        EXPECT_EQ(g.windowHeight, r.height) << r.dpi;
        EXPECT_LE(g.body.bottom, g.windowHeight) << r.dpi;
        EXPECT_EQ(g.text.bottom - g.text.top, DesignPixels(16, tpp)) << r.dpi;
    }
}

}  // namespace
}  // namespace panorel
