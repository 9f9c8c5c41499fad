// What the panel is drawn on and shaped by: the off-screen surface, the
// whole-screen capture drawn scaled into it and the window region made of the
// picture boxes. That the picture is the screen's is shown on the panel (PanelTest, RoadTest).
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>

#include "WinTestSupport.h"
#include "host/Form.h"
#include "host/Handles.h"
#include "winsupport/Transparent.h"
#include "winsupport/VLM_memDC.h"
#include "winsupport/modResize.h"

namespace panorel {
namespace {

// Memory DCs, bitmaps and window DCs alive now.
std::array<long, 3> Live() {
    return {MemoryDcHandle::LiveCount(), BitmapHandle::LiveCount(), WindowDc::LiveCount()};
}

TEST(VLM_memDC, ResizeNeverShrinksAndKeepsModeAndFontSizesAreTheSystemsToRefuseAndNothingLeaks) {
    const auto before = Live();
    {
        const HFONT font = static_cast<HFONT>(::GetStockObject(ANSI_FIXED_FONT));
        VLM_memDC m;
        m.FontSet(font);  // before the surface exists: kept for it
        ASSERT_TRUE(m.Resize(100, 50));
        EXPECT_EQ(::GetCurrentObject(m.hDC(), OBJ_FONT), font);
        const HDC first = m.hDC();
        EXPECT_TRUE(m.Resize(10, 10));
        EXPECT_EQ(m.hDC(), first);
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
        // The system makes surfaces of no width or height (its one-pixel bitmap).
        EXPECT_TRUE(m.Create(0, 5));
        EXPECT_EQ(m.Width(), 0);
        EXPECT_TRUE(m.Create(7, 0));
        EXPECT_EQ(m.Height(), 0);
        EXPECT_FALSE(m.Resize(1 << 30, 1 << 30));  // refused: the surface is gone
        EXPECT_EQ(m.hDC(), nullptr);
    }
    EXPECT_EQ(Live(), before);
}

TEST(modResize, CapturesAreDrawnOnceAndBadSizesDrawNothing) {
    const auto before = Live();
    {
        VLM_memDC tile;
        ASSERT_TRUE(tile.Create(855, 435));
        const auto withTile = Live();
        CaptureScreen();
        CaptureScreen();  // an undrawn capture is replaced, not leaked; the screen DC is released at once
        EXPECT_EQ(Live(), (std::array{withTile[0] + 1, withTile[1] + 1, withTile[2]}));
        DrawCaptureResized(tile.hDC(), 855, 435);
        EXPECT_FALSE(CaptureHeld());
        EXPECT_EQ(Live(), withTile);
        EXPECT_TRUE(test::DcBits(tile.hDC(), 855, 435) == std::string(PreviewBits.begin(), PreviewBits.end()))
            << "the drawing shows exactly PreviewBits";

        const PixelBuffer kept = PreviewBits;
        CaptureScreen();
        DrawCaptureResized(tile.hDC(), 855, 1);  // refused by the resampler, as every size it refuses
        EXPECT_FALSE(CaptureHeld());
        EXPECT_EQ(PreviewBits, kept);
        DrawCaptureResized(tile.hDC(), 855, 435);  // no capture held: nothing happens
        EXPECT_EQ(PreviewBits, kept);
        CaptureScreen();
        DrawCaptureResized(nullptr, 40, 20);  // a missing DC still scales and releases
        EXPECT_EQ(PreviewBits.size(), DibStride(40) * 20);

        // A short read still draws: the rows it filled (the bottom half, white, as memory is bottom-up)
        // are scaled, the others are black; so does a read of no rows.
        for (const bool half : {true, false}) {
            SetDibReaderForTesting([half](HDC, HBITMAP, UINT lines, void* bits, BITMAPINFO* info) {
                if (!half) return 0;
                std::memset(bits, 0xFF, DibStride(info->bmiHeader.biWidth) * (lines / 2));
                return static_cast<int>(lines / 2);
            });
            ::SetPixel(tile.hDC(), 0, 0, RGB(255, 0, 0));
            ::SetPixel(tile.hDC(), 0, 29, RGB(255, 0, 0));
            CaptureScreen();
            DrawCaptureResized(tile.hDC(), 40, 30);
            SetDibReaderForTesting(nullptr);
            EXPECT_EQ(::GetPixel(tile.hDC(), 0, 0), RGB(0, 0, 0)) << "top row drawn, half " << half;
            EXPECT_EQ(::GetPixel(tile.hDC(), 0, 29), half ? RGB(255, 255, 255) : RGB(0, 0, 0)) << "bottom row";
        }
    }
    EXPECT_EQ(Live(), before);
}

// A form holding picture boxes and one image control, which is never part of the shape.
struct ShapedForm : host::Form {
    explicit ShapedForm(std::initializer_list<std::array<int, 4>> rects = {}) : Form(L"Panorel2TestShaped") {
        Move(0, 0, 300, 200);
        AddControl(image);
        for (const auto& [l, t, w, h] : rects) {
            boxes.push_back(std::make_unique<host::PictureBox>(hWnd(), l, t, w, h));
            AddControl(*boxes.back());
        }
    }
    bool InRegion(int x, int y) {
        RegionHandle rgn(::CreateRectRgn(0, 0, 0, 0));
        return ::GetWindowRgn(hWnd(), rgn.get()) != ERROR && ::PtInRegion(rgn.get(), x, y);
    }
    std::vector<std::unique_ptr<host::PictureBox>> boxes;
    host::ImageControl image;
};

TEST(MakeRegionFromPictures, KeepsExactlyThePictureBoxesAndOverlapsCancel) {
    ShapedForm f({{10, 10, 50, 40}, {100, 10, 50, 40}, {120, 30, 50, 40}});  // the third overlaps the second
    const long regions = RegionHandle::LiveCount();
    MakeRegionFromPictures(f);
    EXPECT_EQ(RegionHandle::LiveCount(), regions) << "the region went to the system";
    // The boxes' corners, the gutter between the first two, and the overlap of the others.
    const struct { int x, y; bool in; } points[] = {
        {10, 10, true}, {59, 49, true}, {60, 10, false}, {80, 20, false},
        {100, 10, true}, {130, 40, false}, {160, 60, true}, {170, 70, false}};
    for (const auto& p : points) EXPECT_EQ(f.InRegion(p.x, p.y), p.in) << p.x << "," << p.y;

    ShapedForm empty;
    MakeRegionFromPictures(empty);
    RegionHandle rgn(::CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(::GetWindowRgn(empty.hWnd(), rgn.get()), NULLREGION);
}

}  // namespace
}  // namespace panorel
