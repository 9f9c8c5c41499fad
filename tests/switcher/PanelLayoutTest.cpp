#include "switcher/PanelLayout.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

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

std::vector<PanelPoint> Tiles(const PanelLayout& l) { return {l.tiles.begin(), l.tiles.end()}; }

TEST(PanelLayout, FullHdPlacesTilesTabsAndBar) {
    const auto l = ComputePanelLayout(1920, 1080, PreviewExtent(1920), PreviewExtent(1080));
    ASSERT_TRUE(l);
    EXPECT_EQ(Tiles(*l), (std::vector<PanelPoint>{{70, 70}, {995, 70}, {70, 575}, {995, 575}}));
    // A tab 28 high (text 16 + 12) sits with its bottom on its tile's top.
    EXPECT_EQ(TabPosition(l->Tile(1), 28), (PanelPoint{70, 42}));
    EXPECT_EQ(TabPosition(l->Tile(2), 28), (PanelPoint{995, 42}));
    EXPECT_EQ(TabPosition(l->Tile(3), 28), (PanelPoint{70, 547}));
    EXPECT_EQ(TabPosition(l->Tile(4), 28), (PanelPoint{995, 547}));
    // (1920 - 449) / 2 = 735.5 rounds to even; the top is FH - 57 + 2.
    EXPECT_EQ(ButtonBarPosition(1920, 1080), (PanelPoint{736, 1025}));
}

TEST(PanelLayout, SmallerAndOddScreens) {
    const auto l = ComputePanelLayout(1366, 768, PreviewExtent(1366), PreviewExtent(768));
    ASSERT_TRUE(l);
    EXPECT_EQ(l->previewWidth, 578);
    EXPECT_EQ(l->previewHeight, 279);
    EXPECT_EQ(Tiles(*l), (std::vector<PanelPoint>{{70, 70}, {718, 70}, {70, 419}, {718, 419}}));
    EXPECT_EQ(ButtonBarPosition(1366, 768), (PanelPoint{458, 713}));  // 458.5 to even
    const auto odd = ComputePanelLayout(1365, 768, PreviewExtent(1365), PreviewExtent(768));
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->Tile(2).left, 717);  // a gutter of 69 between tiles 1 and 2
}

TEST(PanelLayout, ZeroAndNegativeSizesAreRefused) {
    EXPECT_FALSE(ComputePanelLayout(0, 1080, 855, 435));
    EXPECT_FALSE(ComputePanelLayout(1920, -1, 855, 435));
    EXPECT_FALSE(ComputePanelLayout(1920, 1080, PreviewExtent(210), 435));  // a 210-pixel screen has no tile
    EXPECT_FALSE(ComputePanelLayout(1920, 1080, 855, PreviewExtent(-5000)));
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    EXPECT_FALSE(ComputePanelLayout(kMin, kMin, kMin, kMin));
    // Absurd but positive sizes give clamped numbers, not overflow.
    const auto huge = ComputePanelLayout(1, 1, kMax, kMax);
    ASSERT_TRUE(huge);
    EXPECT_EQ(huge->Tile(4).left, kMin);
    EXPECT_EQ(TabPosition(PanelPoint{0, kMin}, 100).top, kMin);
}

// The frames' colours and open top edges are checked on the screen (PanelTest).
TEST(PanelFrame, OnlyTheFourTilesHaveFrames) {
    for (int j : {0, 5, -1}) {
        EXPECT_FALSE(PreviewFrame(j, 1, 150, 855, 435));
        EXPECT_FALSE(PreviewTopEdge(j, 1, 150, 855));
    }
}

TEST(PanelFrame, TabImageHasMarginsAndNoBottomEdge) {
    const TabImage t = TabImageLayout(100, 16, true);
    EXPECT_EQ(t.width, 112);
    EXPECT_EQ(t.height, 28);
    EXPECT_EQ(t.textRect, (PanelRect{6, 6, 106, 22}));
    EXPECT_EQ(t.outline.whiteFill, (PanelRect{0, 0, 112, 28}));
    EXPECT_EQ(t.outline.lines, (std::vector<PanelLine>{{0, 0, 0, 28}, {111, 0, 111, 28}, {0, 0, 112, 0}}));
    EXPECT_EQ(t.outline.color, 0x0000FFu);
    EXPECT_EQ(TabImageLayout(100, 16, false).outline.color, 0x808080u);

    const TabImage none = TabImageLayout(-50, -3, false);
    EXPECT_EQ(none.width, 12);
    EXPECT_EQ(none.height, 12);
    const TabImage huge = TabImageLayout(std::numeric_limits<std::int32_t>::max(), 16, false);
    EXPECT_EQ(huge.width, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(huge.outline.lines[1].x1, std::numeric_limits<std::int32_t>::max());
}

}  // namespace
}  // namespace panorel
