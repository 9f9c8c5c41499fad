// Whole-screen capture and scaled drawing under Wine: every capture is drawn
// or replaced without leaking, and sizes that cannot be drawn change nothing.
// That the picture is the screen's is shown on the panel (PanelTest, RoadTest).
#include <gtest/gtest.h>

#include <array>
#include <optional>

#include "host/Handles.h"
#include "winsupport/modResize.h"

namespace panorel {
namespace {

constexpr int kTileW = 855, kTileH = 435;

// A tile-sized 24-bit DIB section selected into a memory DC, as the previews use.
struct Tile {
    Tile() {
        BITMAPINFOHEADER header = DibHeader(kTileW, kTileH);
        dc.reset(::CreateCompatibleDC(nullptr));
        bitmap.reset(::CreateDIBSection(dc.get(), reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits,
                                        nullptr, 0));
        selection.emplace(dc.get(), bitmap.get());
    }
    PixelBuffer Bits() const {
        ::GdiFlush();
        const auto* p = static_cast<const std::uint8_t*>(bits);
        return PixelBuffer(p, p + DibStride(kTileW) * kTileH);
    }
    MemoryDcHandle dc;
    BitmapHandle bitmap;
    void* bits = nullptr;
    std::optional<SelectionGuard> selection;
};

TEST(modResize, CapturesAreDrawnOnceAndBadSizesDrawNothing) {
    const long dcs = MemoryDcHandle::LiveCount(), bitmaps = BitmapHandle::LiveCount(),
               windowDcs = WindowDc::LiveCount();
    {
        Tile tile;
        const long tileDcs = MemoryDcHandle::LiveCount(), tileBitmaps = BitmapHandle::LiveCount();
        CaptureScreen();
        EXPECT_TRUE(CaptureHeld());
        EXPECT_EQ(WindowDc::LiveCount(), windowDcs) << "the screen DC is released at once";
        CaptureScreen();  // an undrawn capture is replaced, not leaked
        EXPECT_EQ(MemoryDcHandle::LiveCount(), tileDcs + 1);
        EXPECT_EQ(BitmapHandle::LiveCount(), tileBitmaps + 1);
        DrawCaptureResized(tile.dc.get(), kTileW, kTileH);
        EXPECT_FALSE(CaptureHeld());
        EXPECT_EQ(MemoryDcHandle::LiveCount(), tileDcs);
        EXPECT_EQ(BitmapHandle::LiveCount(), tileBitmaps);
        EXPECT_EQ(PreviewBits.size(), 1117080u);
        EXPECT_EQ(tile.Bits(), PreviewBits) << "the drawing shows exactly PreviewBits";

        const PixelBuffer kept = PreviewBits;
        for (auto [w, h] : {std::array{1, 435}, {855, 1}, {0, 0}, {-5, 20}}) {
            CaptureScreen();
            DrawCaptureResized(tile.dc.get(), w, h);
            EXPECT_FALSE(CaptureHeld());
            EXPECT_EQ(PreviewBits, kept) << w << 'x' << h;
        }
        DrawCaptureResized(tile.dc.get(), kTileW, kTileH);  // no capture held: nothing happens
        EXPECT_EQ(PreviewBits, kept);
        CaptureScreen();
        DrawCaptureResized(nullptr, 40, 20);  // a missing DC still scales and releases
        EXPECT_EQ(PreviewBits.size(), DibStride(40) * 20);
    }
    EXPECT_EQ(MemoryDcHandle::LiveCount(), dcs);
    EXPECT_EQ(BitmapHandle::LiveCount(), bitmaps);
    EXPECT_EQ(WindowDc::LiveCount(), windowDcs);
}

}  // namespace
}  // namespace panorel
