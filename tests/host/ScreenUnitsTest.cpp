#include "host/ScreenUnits.h"

#include <gtest/gtest.h>

#include "switcher/PanelLayout.h"

namespace panorel {
namespace {

TEST(ScreenUnits, TwipsPerPixelIsWholeAtEveryScaling) {
    const struct {
        std::int32_t dpi, tpp;
    } table[] = {{96, 15}, {120, 12}, {144, 10}, {168, 8}, {192, 7}, {216, 6}, {480, 3}, {1440, 1}, {2000, 1},
                 {0, 15}, {-96, 15}};
    for (const auto& row : table) EXPECT_EQ(TwipsPerPixelForDpi(row.dpi), row.tpp) << row.dpi << " dpi";
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

}  // namespace
}  // namespace panorel
