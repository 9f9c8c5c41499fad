#include <gtest/gtest.h>

#include "winsupport/GraphicsHelpers.h"
#include "winsupport/VLM_memDC.h"

namespace panorel {
namespace {

TEST(VLM_memDC, SizesAreTheSystemsToRefuseAndNothingLeaks) {
    const long dcs = MemoryDcHandle::LiveCount(), bitmaps = BitmapHandle::LiveCount();
    {
        VLM_memDC m;
        ASSERT_TRUE(m.Create(40, 30));
        // Colour survives: not the monochrome bitmap of a fresh memory DC.
        FillRectColor(m.hDC(), RECT{0, 0, 40, 30}, RGB(10, 200, 30));
        EXPECT_EQ(::GetPixel(m.hDC(), 39, 29), RGB(10, 200, 30));
        // The system makes surfaces of no width or height (its one-pixel bitmap).
        EXPECT_TRUE(m.Create(0, 5));
        EXPECT_EQ(m.Width(), 0);
        EXPECT_TRUE(m.Create(7, 0));
        EXPECT_EQ(m.Height(), 0);
        EXPECT_FALSE(m.Resize(1 << 30, 1 << 30));  // refused: the surface is gone
        EXPECT_EQ(m.hDC(), nullptr);
    }
    EXPECT_EQ(MemoryDcHandle::LiveCount(), dcs);
    EXPECT_EQ(BitmapHandle::LiveCount(), bitmaps);
}

TEST(VLM_memDC, ResizeNeverShrinksAndKeepsModeAndFont) {
    const HFONT font = static_cast<HFONT>(::GetStockObject(ANSI_FIXED_FONT));
    VLM_memDC m;
    m.FontSet(font);  // before the surface exists: kept for it
    ASSERT_TRUE(m.Resize(100, 50));
    EXPECT_EQ(::GetCurrentObject(m.hDC(), OBJ_FONT), font);
    const HDC before = m.hDC();
    EXPECT_TRUE(m.Resize(10, 10));
    EXPECT_EQ(m.hDC(), before);
    EXPECT_EQ(m.Width(), 100);
    m.MaskTransparentSet(true);
    // Growing only the width rebuilds at the requested size; the height may shrink.
    EXPECT_TRUE(m.Resize(120, 20));
    EXPECT_EQ(m.Height(), 20);
    EXPECT_TRUE(m.MaskTransparentGet());
    EXPECT_EQ(::GetCurrentObject(m.hDC(), OBJ_FONT), font);
    m.MaskTransparentSet(false);
    EXPECT_TRUE(m.Resize(120, 21));
    EXPECT_FALSE(m.MaskTransparentGet());
}

}  // namespace
}  // namespace panorel
