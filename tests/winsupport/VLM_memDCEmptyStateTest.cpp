// What an off-screen image does before it has a surface, and for sizes the
// system may or may not make.
#include <gtest/gtest.h>

#include "host/Handles.h"
#include "winsupport/VLM_memDC.h"

namespace panorel {
namespace {

TEST(VLM_memDCEmptyState, AFontSetBeforeTheSurfaceIsSelectedByTheFirstResize) {
    HFONT font = static_cast<HFONT>(::GetStockObject(ANSI_FIXED_FONT));
    VLM_memDC m;
    m.FontSet(font);
    ASSERT_TRUE(m.Resize(20, 10));
    EXPECT_EQ(::GetCurrentObject(m.hDC(), OBJ_FONT), font);
}

TEST(VLM_memDCEmptyState, ZeroSizesAreTheSystemsToRefuse) {
    const long dcs = MemoryDcHandle::LiveCount();
    const long bitmaps = BitmapHandle::LiveCount();
    {
        VLM_memDC m;
        // The system makes a surface of no width (its one-pixel bitmap).
        EXPECT_TRUE(m.Create(0, 5));
        EXPECT_NE(m.hDC(), nullptr);
        EXPECT_EQ(m.Width(), 0);
        EXPECT_EQ(m.Height(), 5);
        EXPECT_TRUE(m.Create(7, 0));
        EXPECT_EQ(m.Height(), 0);
    }
    EXPECT_EQ(MemoryDcHandle::LiveCount(), dcs);
    EXPECT_EQ(BitmapHandle::LiveCount(), bitmaps);
}

}  // namespace
}  // namespace panorel
