// Whole-screen capture and scaled drawing under Wine: a window covering the
// screen with blocks of known colours is captured, and each block's colour
// turns up, flat, where the block lands in the tile.
#include <gtest/gtest.h>

#include <array>
#include <optional>

#include "WinTestSupport.h"
#include "host/Form.h"
#include "host/Handles.h"
#include "winsupport/modResize.h"

namespace panorel {
namespace {

constexpr int kTileW = 855, kTileH = 435;
constexpr int kCols = 8, kRows = 6;  // blocks of 240 x 180 on a 1920 x 1080 screen

COLORREF BlockColour(int col, int row) {
    return RGB(30 * col + 10, 40 * row + 5, (col * 7 + row * 13) % 16 * 16);
}

void PaintBlocks(HDC dc, int w, int h) {
    for (int row = 0; row < kRows; ++row)
        for (int col = 0; col < kCols; ++col)
            test::FillRectangle(dc, col * w / kCols, row * h / kRows, (col + 1) * w / kCols, (row + 1) * h / kRows,
                 BlockColour(col, row));
}

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

// Screen point (top-down) to the tile pixel (bottom-up memory rows) that sits on it.
COLORREF TileColourAtScreen(const PixelBuffer& bits, int sx, int sy, int sw, int sh) {
    const double scaleX = double(sw - 1) / (kTileW - 1), scaleY = double(sh - 1) / (kTileH - 1);
    const int x = static_cast<int>(sx / scaleX + 0.5);
    const int y = static_cast<int>((sh - 1 - sy) / scaleY + 0.5);
    const std::uint8_t* p = &bits[DibStride(kTileW) * y + 3 * x];
    return RGB(p[2], p[1], p[0]);
}

// The window reaches the X screen a little after it is shown.
template <class Check>
bool CaptureUntil(Tile& tile, Check check) {
    const DWORD start = ::GetTickCount();
    do {
        host::DoEvents();
        CaptureScreen();
        DrawCaptureResized(tile.dc.get(), kTileW, kTileH);
        if (check()) return true;
        ::Sleep(50);
    } while (::GetTickCount() - start < 15000);
    return false;
}

TEST(modResize, CapturedPatternAppearsScaledInTheTileAndPreviewBits) {
    ASSERT_EQ(::GetSystemMetrics(SM_CXSCREEN), 1920) << "the test session's screen";
    test::ScreenCover cover(PaintBlocks);
    ASSERT_TRUE(cover.Created());
    Tile tile;
    const int sw = 1920, sh = 1080;
    const bool found = CaptureUntil(tile, [&] {
        return PreviewBits.size() == DibStride(kTileW) * kTileH &&
               TileColourAtScreen(PreviewBits, 120, 90, sw, sh) == BlockColour(0, 0) &&
               TileColourAtScreen(PreviewBits, 1800, 990, sw, sh) == BlockColour(7, 5);
    });
    ASSERT_TRUE(found) << "the covering window never showed up in a capture";
    EXPECT_EQ(PreviewBits.size(), 1117080u);
    for (int row = 0; row < kRows; ++row) {
        for (int col = 0; col < kCols; ++col) {
            EXPECT_EQ(TileColourAtScreen(PreviewBits, col * 240 + 120, row * 180 + 90, sw, sh), BlockColour(col, row))
                << col << ',' << row;
        }
    }
    EXPECT_EQ(tile.Bits(), PreviewBits) << "the drawing shows exactly PreviewBits";
}

TEST(modResize, PairingReleasesEverythingAndBadSizesDrawNothing) {
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

    const PixelBuffer kept = PreviewBits;
    for (auto [w, h] : {std::array{1, 435}, {855, 1}, {0, 0}, {-5, 20}}) {
        CaptureScreen();
        DrawCaptureResized(tile.dc.get(), w, h);
        EXPECT_FALSE(CaptureHeld());
        EXPECT_EQ(PreviewBits, kept) << w << 'x' << h;
    }
    DrawCaptureResized(tile.dc.get(), kTileW, kTileH);  // no capture held: nothing happens
    EXPECT_EQ(PreviewBits, kept);
    DrawCaptureResized(nullptr, 2, 2);  // nor with no DC
    EXPECT_EQ(MemoryDcHandle::LiveCount(), tileDcs);
    EXPECT_EQ(BitmapHandle::LiveCount(), tileBitmaps);

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
