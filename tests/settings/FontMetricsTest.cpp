// Font size arithmetic and the fall-backs of the desktop settings.
#include <gtest/gtest.h>

#include "settings/DesktopDefaults.h"
#include "settings/FontMetrics.h"

namespace panorel {
namespace {

TEST(FontMetrics, SizesAndPixelHeights) {
    EXPECT_DOUBLE_EQ(FontPointSize(-12, 96), 9.0);
    EXPECT_DOUBLE_EQ(FontPointSize(12, 96), 12.0);
    EXPECT_DOUBLE_EQ(FontPointSize(-16, 120), 9.6);
    EXPECT_DOUBLE_EQ(FontPointSize(-12, 0), 0.0);
    EXPECT_EQ(FontHeightInPixel(-12, 96), -16);
    EXPECT_EQ(FontHeightInPixel(3, 60), 2);    // 2.5: halves go to even
    EXPECT_EQ(FontHeightInPixel(-9, 60), -8);  // -7.5
    EXPECT_EQ(FontHeightInPixel(INT32_MIN, INT32_MAX), 0);
    EXPECT_FALSE(IsBoldWeight(400));
    EXPECT_TRUE(IsBoldWeight(401));
}

TEST(DesktopDefaults, KeyAndModifiersFallBackTogether) {
    EXPECT_EQ(DefaultDesktopName(3), L"Desktop 3");
    EXPECT_EQ(ResolveHotkey(2, 65, 1).Key, 65);
    EXPECT_EQ(ResolveHotkey(2, 65, std::nullopt).Key, 98);
    EXPECT_EQ(ResolveHotkey(4, std::nullopt, 2).Key, 100);
    EXPECT_EQ(ResolveHotkey(4, std::nullopt, 2).Modifiers, 3);
}

}  // namespace
}  // namespace panorel
