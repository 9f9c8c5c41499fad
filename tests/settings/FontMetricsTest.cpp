// Font size arithmetic; the sizes and weights of the user's fonts: SettingsTest.
#include <gtest/gtest.h>

#include "settings/FontMetrics.h"

namespace panorel {
namespace {

TEST(FontMetrics, SizesAndPixelHeights) {
    EXPECT_DOUBLE_EQ(FontPointSize(-16, 120), 9.6);
    EXPECT_DOUBLE_EQ(FontPointSize(-12, 0), 0.0);
    EXPECT_EQ(FontHeightInPixel(-12, 96), -16);
    EXPECT_EQ(FontHeightInPixel(3, 60), 2);    // 2.5: halves go to even
    EXPECT_EQ(FontHeightInPixel(-9, 60), -8);  // -7.5
    EXPECT_EQ(FontHeightInPixel(INT32_MIN, INT32_MAX), 0);
}

}  // namespace
}  // namespace panorel
