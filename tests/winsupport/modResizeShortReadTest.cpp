// A read of the capture that returns fewer rows than asked still draws: the
// rows it filled are scaled, the others are black.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "winsupport/VLM_memDC.h"
#include "winsupport/modResize.h"

namespace panorel {
namespace {

TEST(modResizeShortRead, UnreadRowsDrawBlackAndTheRestIsScaled) {
    constexpr int kW = 40, kH = 30;
    VLM_memDC tile;
    ASSERT_TRUE(tile.Create(kW, kH));
    for (const bool half : {true, false}) {
        // Fills the bottom half of the rows white (memory order is bottom-up),
        // or reads nothing at all.
        SetDibReaderForTesting([half](HDC, HBITMAP, UINT lines, void* bits, BITMAPINFO* info) {
            if (!half) return 0;
            const std::size_t stride = DibStride(info->bmiHeader.biWidth);
            std::memset(bits, 0xFF, stride * (lines / 2));
            return static_cast<int>(lines / 2);
        });
        PreviewBits.assign(7, 0x55);
        ::SetPixel(tile.hDC(), 0, 0, RGB(255, 0, 0));
        ::SetPixel(tile.hDC(), 0, kH - 1, RGB(255, 0, 0));
        CaptureScreen();
        DrawCaptureResized(tile.hDC(), kW, kH);
        SetDibReaderForTesting(nullptr);

        ASSERT_EQ(PreviewBits.size(), DibStride(kW) * kH) << "half " << half;
        EXPECT_EQ(PreviewBits.front(), half ? 0xFF : 0x00) << "bottom row";
        EXPECT_EQ(PreviewBits.back(), 0x00) << "top row";
        EXPECT_EQ(::GetPixel(tile.hDC(), 0, 0), RGB(0, 0, 0)) << "top row drawn, half " << half;
        EXPECT_EQ(::GetPixel(tile.hDC(), 0, kH - 1), half ? RGB(255, 255, 255) : RGB(0, 0, 0)) << "bottom row";
    }
    EXPECT_FALSE(CaptureHeld());
}

}  // namespace
}  // namespace panorel
