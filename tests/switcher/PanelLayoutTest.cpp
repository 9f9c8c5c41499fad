#include "switcher/PanelLayout.h"

#include <gtest/gtest.h>

namespace panorel {
namespace {

TEST(PanelLayout, TileSizesOfCommonScreens) {
    EXPECT_EQ(PreviewExtent(1920), 855);
    EXPECT_EQ(PreviewExtent(1080), 435);
    EXPECT_EQ(PreviewExtent(1366), 578);
    EXPECT_EQ(PreviewExtent(768), 279);
    EXPECT_EQ(PreviewExtent(1365), 578);  // 577.5, halves to even
    EXPECT_EQ(PreviewExtent(1367), 578);  // 578.5, halves to even
}

TEST(PanelLayout, ScreenPixelsFromTwips) {
    EXPECT_EQ(ScreenPixels(1920 * 15.0, 15.0), 1920);
    EXPECT_EQ(ScreenPixels(1366 * 12.0, 12.0), 1366);
    EXPECT_EQ(ScreenPixels(28799.6, 15.0), 1920);  // twips rounded first
    EXPECT_EQ(ScreenPixels(28800.0, 0.0), 0);
}

}  // namespace
}  // namespace panorel
