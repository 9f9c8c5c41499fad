#include <gtest/gtest.h>

#include "winsupport/GraphicsHelpers.h"
#include "winsupport/VLM_memDC.h"

namespace panorel {
namespace {

COLORREF PixelAt(const VLM_memDC& m, int x, int y) { return ::GetPixel(m.hDC(), x, y); }

TEST(VLM_memDC, CreateGivesADisplayCompatibleSurface) {
    VLM_memDC m;
    EXPECT_EQ(m.hDC(), nullptr);
    ASSERT_TRUE(m.Create(40, 30));
    EXPECT_EQ(m.Width(), 40);
    EXPECT_EQ(m.Height(), 30);
    // Colour survives: not the monochrome bitmap of a fresh memory DC.
    FillRectColor(m.hDC(), RECT{0, 0, 40, 30}, RGB(10, 200, 30));
    EXPECT_EQ(PixelAt(m, 39, 29), RGB(10, 200, 30));
}

TEST(VLM_memDC, ResizeNeverShrinksAndKeepsModeAndFont) {
    const long dcs = MemoryDcHandle::LiveCount();
    const long bitmaps = BitmapHandle::LiveCount();
    {
        VLM_memDC m;
        ASSERT_TRUE(m.Create(100, 50));
        HDC before = m.hDC();
        EXPECT_TRUE(m.Resize(10, 10));
        EXPECT_EQ(m.hDC(), before);
        EXPECT_EQ(m.Width(), 100);

        HFONT font = static_cast<HFONT>(::GetStockObject(ANSI_FIXED_FONT));
        m.FontSet(font);
        m.MaskTransparentSet(true);
        EXPECT_TRUE(m.MaskTransparentGet());
        // Growing only the width rebuilds at the requested size; the height may shrink.
        EXPECT_TRUE(m.Resize(120, 20));
        EXPECT_EQ(m.Width(), 120);
        EXPECT_EQ(m.Height(), 20);
        EXPECT_TRUE(m.MaskTransparentGet());
        EXPECT_EQ(::GetCurrentObject(m.hDC(), OBJ_FONT), font);
        m.MaskTransparentSet(false);
        EXPECT_FALSE(m.MaskTransparentGet());
        EXPECT_TRUE(m.Resize(120, 21));
        EXPECT_FALSE(m.MaskTransparentGet());
        EXPECT_FALSE(m.Resize(1 << 30, 1 << 30));  // refused: the surface is gone, nothing leaks
        EXPECT_EQ(m.hDC(), nullptr);
    }
    EXPECT_EQ(MemoryDcHandle::LiveCount(), dcs);
    EXPECT_EQ(BitmapHandle::LiveCount(), bitmaps);
}

}  // namespace
}  // namespace panorel
