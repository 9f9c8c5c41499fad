// The balloon at every scaling; its parts at 96 dpi are checked on the real window (frmFakeToolTipTest).
#include <gtest/gtest.h>

#include "host/ScreenUnits.h"
#include "winsupport/FakeToolTipGeometry.h"

namespace panorel {
namespace {

// The same one-line text as the font draws it at each scaling: the window
// is 750 twips high, and the balloon grows with the screen without being cut.
TEST(FakeToolTipGeometry, OneLineFitsAtEveryScaling) {
    struct Row { std::int32_t dpi, width, height; };
    const Row rows[] = {{96, 126, 50},   {120, 157, 62},  {144, 189, 75},
                        {168, 235, 93},  {192, 269, 107}, {216, 315, 125}};
    for (const Row& r : rows) {
        const std::int32_t tpp = TwipsPerPixelForDpi(r.dpi);
        const FakeToolTipGeometry g = TipGeometry(DesignPixels(100, tpp), DesignPixels(16, tpp), tpp);
        EXPECT_EQ(g.windowWidth, r.width) << r.dpi;
        EXPECT_EQ(g.windowHeight, r.height) << r.dpi;
        EXPECT_LE(g.body.bottom, g.windowHeight) << r.dpi;
    }
}

}  // namespace
}  // namespace panorel
