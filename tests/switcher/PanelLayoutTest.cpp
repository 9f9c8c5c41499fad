#include "switcher/PanelLayout.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "host/ScreenUnits.h"

namespace panorel {
namespace {

TEST(ScreenUnits, TwipsPerPixelIsWholeAtEveryScaling) {
    const struct {
        std::int32_t dpi, tpp;
    } table[] = {{96, 15}, {120, 12}, {144, 10}, {168, 8}, {192, 7}, {216, 6}, {480, 3}, {2000, 1}, {0, 15}};
    for (const auto& row : table) EXPECT_EQ(TwipsPerPixelForDpi(row.dpi), row.tpp) << row.dpi << " dpi";
    EXPECT_EQ(ScreenPixels(28799.6, 15.0), 1920);  // twips rounded first
    EXPECT_EQ(ScreenPixels(28800.0, 0.0), 0);
}

// The panel, the background window and the capture all take the screen's size
// back from twips: at every dpi it must come back as the pixels it started as.
TEST(ScreenUnits, EveryDpiGivesAPanelCoveringTheScreen) {
    const struct {
        std::int32_t w, h;
    } screens[] = {{1920, 1080}, {1366, 768}, {1365, 767}, {3840, 2160}, {800, 600}};
    for (std::int32_t dpi = 96; dpi <= 480; ++dpi) {
        const std::int32_t tpp = TwipsPerPixelForDpi(dpi);
        for (const auto& s : screens) {
            const std::int32_t w = ScreenPixels(ScreenTwips(s.w, tpp), tpp);
            const std::int32_t h = ScreenPixels(ScreenTwips(s.h, tpp), tpp);
            ASSERT_EQ(w, s.w) << dpi << " dpi";
            ASSERT_EQ(h, s.h) << dpi << " dpi";
            const auto layout = ComputePanelLayout(w, h, PreviewExtent(w), PreviewExtent(h));
            ASSERT_TRUE(layout);
            // Tile 4 ends one gutter before the screen's right and bottom edges.
            EXPECT_EQ(layout->Tile(4).left + layout->previewWidth + kGutter, s.w);
            EXPECT_EQ(layout->Tile(4).top + layout->previewHeight + kGutter, s.h);
        }
    }
}

std::vector<PanelPoint> Tiles(const PanelLayout& l) { return {l.tiles.begin(), l.tiles.end()}; }

TEST(PanelLayout, TilesTabsAndBarOnCommonScreens) {
    const struct {
        std::int32_t w, h, previewW, previewH;
        std::vector<PanelPoint> tiles;
        PanelPoint bar;  // (w - 449) / 2 rounded to even; the top is h - 57 + 2
    } cases[] = {{1920, 1080, 855, 435, {{70, 70}, {995, 70}, {70, 575}, {995, 575}}, {736, 1025}},
                 {1366, 768, 578, 279, {{70, 70}, {718, 70}, {70, 419}, {718, 419}}, {458, 713}},
                 // 577.5 halves to even; a gutter of 69 between tiles 1 and 2.
                 {1365, 768, 578, 279, {{70, 70}, {717, 70}, {70, 419}, {717, 419}}, {458, 713}}};
    for (const auto& c : cases) {
        const auto l = ComputePanelLayout(c.w, c.h, PreviewExtent(c.w), PreviewExtent(c.h));
        ASSERT_TRUE(l);
        EXPECT_EQ(l->previewWidth, c.previewW) << c.w;
        EXPECT_EQ(l->previewHeight, c.previewH) << c.w;
        EXPECT_EQ(Tiles(*l), c.tiles) << c.w;
        EXPECT_EQ(ButtonBarPosition(c.w, c.h), c.bar) << c.w;
        // A tab 28 high (text 16 + 12) sits with its bottom on its tile's top.
        for (int j = 1; j <= 4; ++j)
            EXPECT_EQ(TabPosition(l->Tile(j), 28), (PanelPoint{l->Tile(j).left, l->Tile(j).top - 28})) << j;
    }
    EXPECT_EQ(PreviewExtent(1367), 578);  // 578.5, halves to even
}

// At each scaling a user can pick for the screen, the grown bar lies below
// the tiles (a bar over a tile would cut holes in the window's shape) and
// holds both buttons.
TEST(PanelLayout, TheScaledBarFitsBelowTheTilesAndHoldsBothButtons) {
    const struct {
        std::int32_t w, h, maxDpi;
    } screens[] = {{1920, 1080, 216}, {3840, 2160, 216}, {1366, 768, 120}};
    for (const std::int32_t dpi : {96, 120, 144, 168, 192, 216}) {
        const std::int32_t tpp = TwipsPerPixelForDpi(dpi);
        const PanelDesign d = PanelDesignFor(tpp, tpp);
        for (const auto& s : screens) {
            if (dpi > s.maxDpi) continue;
            const std::int32_t pw = PreviewExtent(s.w, d.gutter), ph = PreviewExtent(s.h, d.gutter);
            const auto l = ComputePanelLayout(s.w, s.h, pw, ph, d.gutter);
            ASSERT_TRUE(l) << dpi << " dpi";
            const PanelPoint bar = ButtonBarPosition(s.w, s.h, d.barWidth, d.barHeight);
            EXPECT_GE(bar.top, l->Tile(3).top + ph) << s.w << " at " << dpi << " dpi";
            EXPECT_GE(bar.left, 0) << s.w << " at " << dpi << " dpi";
            EXPECT_LE(d.startLeft + d.buttonWidth, d.helpLeft) << dpi << " dpi";
            EXPECT_LE(d.helpLeft + d.buttonWidth, d.barWidth) << dpi << " dpi";
            EXPECT_LE(d.buttonTop + d.buttonHeight, d.barHeight) << dpi << " dpi";
        }
    }
    const PanelDesign at96 = PanelDesignFor(15, 15), at192 = PanelDesignFor(7, 7);
    EXPECT_EQ(at96.barWidth, 449);
    EXPECT_NEAR(at192.barWidth / 449.0, 2.0, 0.2);
    EXPECT_NEAR(at192.barHeight / 57.0, 2.0, 0.2);
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
