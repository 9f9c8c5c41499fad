// LineGS drawing into a device context and through its pixel array, on a
// 32-bit memory bitmap. The arithmetic itself is the core's (LineRasterTest).
#include "winsupport/LineGS.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "WinTestSupport.h"
#include "host/Handles.h"
#include "winsupport/GraphicsHelpers.h"
#include "winsupport/VLM_memDC.h"

namespace panorel {
namespace {

constexpr int kSize = 64;
constexpr COLORREF kWhite = RGB(255, 255, 255), kGrey = RGB(0x80, 0x80, 0x80), kRed = RGB(255, 0, 0);

// A display-compatible surface, as the panel draws on, filled with one colour.
struct Canvas : VLM_memDC {
    explicit Canvas(COLORREF fill) {
        Create(kSize, kSize);
        FillRectColor(hDC(), RECT{0, 0, kSize, kSize}, fill);
    }
    COLORREF At(int x, int y) const { return ::GetPixel(hDC(), x, y); }
};

// Where two canvases first differ, "equal" when they do not.
std::string Difference(const Canvas& a, const Canvas& b) {
    return test::FirstDifference(test::DcBits(a.hDC(), kSize, kSize), test::DcBits(b.hDC(), kSize, kSize));
}

// A line drawn by LineGP (system colours translated) or LineS (plain RGB) and a pixel it leaves; then
// a clip region sends every point through GetPixel and SetPixelV, while without one a 32-bit memory bitmap
// is drawn in a copy of the line's box: both agree, on a picture under the line and past the edges.
TEST(LineGS, DeviceContextLinesBlendTranslateClipAndInABoxBlendAsPointByPoint) {
    constexpr std::uint32_t kHighlight = 0x80000000u | COLOR_HIGHLIGHT;
    const struct { bool plain; int x1, y1, x2, y2; std::uint32_t colour; int x, y; COLORREF seen; } rows[] = {
        {false, 0, 5, 4, 5, kRed, 2, 4, RGB(0xBF, 0x3F, 0x3F)},  // blended beside the line
        {false, 0, 10, 20, 10, kHighlight, 10, 10, ::GetSysColor(COLOR_HIGHLIGHT)},
        {false, 0, 30, 20, 30, 0x800000FFu, 10, 30, RGB(0, 0, 0)},  // no such system colour: black
        {true, 0, 40, 20, 40, kHighlight, 10, 40, COLOR_HIGHLIGHT},
        {false, -30000, -30000, 30000, -29000, kRed, 30, 0, kGrey},  // far outside the device context
    };
    Canvas canvas(kGrey);
    LineGS lines;
    for (const auto& r : rows) {
        (lines.*(r.plain ? &LineGS::LineS : &LineGS::LineGP))(canvas.hDC(), r.x1, r.y1, r.x2, r.y2, r.colour);
        EXPECT_EQ(canvas.At(r.x, r.y), r.seen) << r.x1 << "," << r.y1 << " to " << r.x2 << "," << r.y2;
    }

    Canvas boxed(kWhite), pointwise(kWhite);
    ASSERT_EQ(::GetDeviceCaps(boxed.hDC(), BITSPIXEL), 32) << "the box needs a 32-bit bitmap";
    RegionHandle all(::CreateRectRgn(0, 0, kSize, kSize));
    ::SelectClipRgn(pointwise.hDC(), all.get());
    for (Canvas* c : {&boxed, &pointwise}) {
        lines.LineGP(c->hDC(), 0, 20, kSize, 20, RGB(10, 200, 30));  // the picture under the others
        lines.LineGP(c->hDC(), 0, 0, 0, kSize, kRed);
        lines.LineGP(c->hDC(), 5, 20, kSize + 9, 20, kGrey);
        lines.LineGP(c->hDC(), -7, 50, 40, 3, RGB(0, 0, 255));
        lines.LineGP(c->hDC(), kSize - 1, -4, kSize - 1, 30, kRed);
    }
    EXPECT_EQ(Difference(boxed, pointwise), "equal");
    EXPECT_EQ(boxed.At(0, 30), kRed);
}

// The array form draws nothing until it has a readable bitmap, then the same
// pixels as the device context, written by Array2Pic alone.
TEST(LineGS, TheArrayFormNeedsAReadableBitmapAndThenAgreesWithTheDeviceContext) {
    Canvas gdi(kWhite), array(kWhite), blank(kWhite);
    LineGS lines;
    std::vector<std::wstring> notices;
    lines.SetNoticeHandler([&](const std::wstring& text) { notices.push_back(text); });
    lines.LineDIB(0, 5, 4, 5, kRed);
    lines.ArcDIB(10, 10, 5, 5, 0.0f, 90.0f, kRed, 1);
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[1], L"You must create a DIB array\r\nbefore calling ArcDIB.");
    const auto bitmap = static_cast<HBITMAP>(::GetCurrentObject(array.hDC(), OBJ_BITMAP));  // the last try succeeds
    const std::pair<HBITMAP, int> tries[] = {{bitmap, 0}, {nullptr, 10}, {bitmap, 1 << 20}, {bitmap, kSize}};
    for (const auto& [b, size] : tries) {
        lines.DIB(array.hDC(), b, size, size);
        EXPECT_EQ(lines.ArrayReady(), size == kSize) << size;
    }
    lines.CircleGP(gdi.hDC(), 32, 32, 20, 10, RGB(200, 0, 90), 1);
    lines.CircleDIB(32, 32, 20, 10, RGB(200, 0, 90), 1);
    lines.ArcGP(gdi.hDC(), 32, 32, 25, 25, 270.0f, 90.0f, RGB(0, 0, 0), 2);
    lines.ArcDIB(32, 32, 25, 25, 270.0f, 90.0f, RGB(0, 0, 0), 2);
    lines.LineDIB(0, 5, 4, 5, kRed);
    lines.LineGP(gdi.hDC(), 0, 5, 4, 5, kRed);
    EXPECT_EQ(Difference(array, blank), "equal") << "nothing written before Array2Pic";
    lines.Array2Pic();
    EXPECT_EQ(Difference(gdi, array), "equal");
    EXPECT_NE(Difference(gdi, blank), "equal");
    lines.LineDIB(0, 9, 4, 9, kRed);
    EXPECT_EQ(notices.size(), 3u) << "the array is spent after Array2Pic";
    lines.Array2Pic();  // not ready: nothing happens
    EXPECT_EQ(Difference(gdi, array), "equal");
}

}  // namespace
}  // namespace panorel
