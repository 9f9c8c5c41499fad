// Font size arithmetic and the fall-backs of the desktop settings.
#include <gtest/gtest.h>

#include "settings/DesktopDefaults.h"
#include "settings/FontMetrics.h"

namespace panorel {
namespace {

TEST(FontMetrics, PointSizeTakesPositiveHeightsAsIsAndScalesNegativeOnes) {
    EXPECT_DOUBLE_EQ(FontPointSize(-12, 96), 9.0);
    EXPECT_DOUBLE_EQ(FontPointSize(12, 96), 12.0);
    EXPECT_DOUBLE_EQ(FontPointSize(1, 96), 1.0);
    EXPECT_DOUBLE_EQ(FontPointSize(0, 96), 0.0);
    EXPECT_DOUBLE_EQ(FontPointSize(-16, 120), 9.6);
    EXPECT_DOUBLE_EQ(FontPointSize(-12, 0), 0.0);
}

TEST(FontMetrics, HeightInPixelRoundsHalvesToEven) {
    EXPECT_EQ(FontHeightInPixel(-12, 96), -16);
    EXPECT_EQ(FontHeightInPixel(12, 96), 16);
    EXPECT_EQ(FontHeightInPixel(3, 60), 2);    // 2.5
    EXPECT_EQ(FontHeightInPixel(9, 60), 8);    // 7.5
    EXPECT_EQ(FontHeightInPixel(-9, 60), -8);  // -7.5
    EXPECT_EQ(FontHeightInPixel(-13, 96), -17);
    EXPECT_EQ(FontHeightInPixel(INT32_MIN, INT32_MAX), 0);  // out of range gives no wrap-around
}

TEST(FontMetrics, BoldFrom401AndSixKinds) {
    EXPECT_FALSE(IsBoldWeight(400));
    EXPECT_TRUE(IsBoldWeight(401));
    EXPECT_FALSE(IsFontType(0));
    EXPECT_TRUE(IsFontType(1));
    EXPECT_TRUE(IsFontType(6));
    EXPECT_FALSE(IsFontType(7));
}

TEST(DesktopDefaults, KeyAndModifiersFallBackTogether) {
    EXPECT_EQ(DefaultDesktopName(3), L"Desktop 3");
    const Hotkey both = ResolveHotkey(2, 65, 1);
    EXPECT_EQ(both.Key, 65);
    EXPECT_EQ(both.Modifiers, 1);
    const Hotkey noModifier = ResolveHotkey(2, 65, std::nullopt);
    EXPECT_EQ(noModifier.Key, 98);
    EXPECT_EQ(noModifier.Modifiers, 3);
    const Hotkey none = ResolveHotkey(4, std::nullopt, 2);
    EXPECT_EQ(none.Key, 100);
    EXPECT_EQ(none.Modifiers, 3);
}

}  // namespace
}  // namespace panorel
