// LineGS drawing into a device context and through its pixel array, on a
// 32-bit memory bitmap. The arithmetic itself is the core's (LineRasterTest).
#include "winsupport/LineGS.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "WinTestSupport.h"
#include "host/Handles.h"
#include "winsupport/GraphicsHelpers.h"

namespace panorel {
namespace {

constexpr int kSize = 64;
constexpr COLORREF kWhite = RGB(255, 255, 255), kGrey = RGB(0x80, 0x80, 0x80), kRed = RGB(255, 0, 0);

// A memory DC with a 32-bit DIB section selected, filled with one colour.
class Canvas {
public:
    explicit Canvas(COLORREF fill) : dc_(::CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), kSize, -kSize, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bitmap_.reset(::CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        select_.emplace(dc_.get(), bitmap_.get());
        FillRectColor(dc_.get(), RECT{0, 0, kSize, kSize}, fill);
    }
    HDC dc() const { return dc_.get(); }
    HBITMAP bitmap() const { return bitmap_.get(); }
    COLORREF At(int x, int y) const { return ::GetPixel(dc_.get(), x, y); }

private:
    MemoryDcHandle dc_;
    BitmapHandle bitmap_;
    std::optional<SelectionGuard> select_;
};

// A line drawn by LineGP (system colours translated) or LineS (plain RGB), and a pixel it leaves.
TEST(LineGS, DeviceContextLinesBlendTranslateAndClip) {
    constexpr std::uint32_t kHighlight = 0x80000000u | COLOR_HIGHLIGHT;
    const struct { bool plain; int x1, y1, x2, y2; std::uint32_t colour; int x, y; COLORREF seen; } rows[] = {
        {false, 0, 5, 4, 5, kRed, 2, 4, RGB(0xBF, 0x3F, 0x3F)},  // blended beside the line
        {false, 3, 20, 3, 20, kRed, 3, 20, kGrey},                // a point draws nothing
        {false, 0, 10, 20, 10, kHighlight, 10, 10, ::GetSysColor(COLOR_HIGHLIGHT)},
        {false, 0, 30, 20, 30, 0x800000FFu, 10, 30, RGB(0, 0, 0)},  // no such system colour: black
        {true, 0, 40, 20, 40, kHighlight, 10, 40, COLOR_HIGHLIGHT},
        {false, -30000, -30000, 30000, -29000, kRed, 30, 0, kGrey},  // far outside the device context
        {false, 0, 0, 100000, 0, kRed, 30, 0, kGrey},                // outside 16 bits
    };
    Canvas canvas(kGrey);
    LineGS lines;
    for (const auto& r : rows) {
        (lines.*(r.plain ? &LineGS::LineS : &LineGS::LineGP))(canvas.dc(), r.x1, r.y1, r.x2, r.y2, r.colour);
        EXPECT_EQ(canvas.At(r.x, r.y), r.seen) << r.x1 << "," << r.y1 << " to " << r.x2 << "," << r.y2;
    }
}

// Where two canvases first differ, "equal" when they do not.
std::string Difference(const Canvas& a, const Canvas& b) {
    return test::FirstDifference(test::DcBits(a.dc(), kSize, kSize), test::DcBits(b.dc(), kSize, kSize));
}

TEST(LineGS, TheDeviceContextAndTheArrayAgree) {
    Canvas gdi(kWhite), array(kWhite), blank(kWhite);
    LineGS lines;
    lines.CircleGP(gdi.dc(), 32, 32, 20, 10, RGB(200, 0, 90), 1);
    lines.DIB(array.dc(), array.bitmap(), kSize, kSize);
    lines.CircleDIB(32, 32, 20, 10, RGB(200, 0, 90), 1);
    lines.ArcGP(gdi.dc(), 32, 32, 25, 25, 270.0f, 90.0f, RGB(0, 0, 0), 2);
    lines.ArcDIB(32, 32, 25, 25, 270.0f, 90.0f, RGB(0, 0, 0), 2);
    lines.LineDIB(0, 5, 4, 5, kRed);
    lines.LineGP(gdi.dc(), 0, 5, 4, 5, kRed);
    EXPECT_EQ(Difference(array, blank), "equal") << "nothing written before Array2Pic";
    lines.Array2Pic();
    EXPECT_FALSE(lines.ArrayReady());
    EXPECT_EQ(Difference(gdi, array), "equal");
    EXPECT_NE(Difference(gdi, blank), "equal");
}

// A clip region sends every point through GetPixel and SetPixelV; without one
// a 32-bit memory bitmap is drawn in a copy of the line's box. Both agree,
// also on a picture under the line and past the bitmap's edges.
TEST(LineGS, LinesInABoxBlendAsPointByPoint) {
    Canvas boxed(kWhite), pointwise(kWhite);
    RegionHandle all(::CreateRectRgn(0, 0, kSize, kSize));
    ::SelectClipRgn(pointwise.dc(), all.get());
    LineGS lines;
    for (Canvas* c : {&boxed, &pointwise}) {
        lines.LineGP(c->dc(), 0, 20, kSize, 20, RGB(10, 200, 30));  // the picture under the others
        lines.LineGP(c->dc(), 0, 0, 0, kSize, kRed);
        lines.LineGP(c->dc(), 5, 20, kSize + 9, 20, kGrey);
        lines.LineGP(c->dc(), -7, 50, 40, 3, RGB(0, 0, 255));
        lines.LineGP(c->dc(), kSize - 1, -4, kSize - 1, 30, kRed);
    }
    EXPECT_EQ(Difference(boxed, pointwise), "equal");
    EXPECT_EQ(boxed.At(0, 30), kRed);
}

TEST(LineGS, TheArrayFormNeedsAReadableBitmapFirst) {
    Canvas canvas(kGrey);
    LineGS lines;
    std::vector<std::wstring> notices;
    lines.SetNoticeHandler([&](const std::wstring& text) { notices.push_back(text); });
    lines.LineDIB(0, 5, 4, 5, kRed);
    lines.CircleDIB(10, 10, 5, 5, kRed, 1);
    lines.ArcDIB(10, 10, 5, 5, 0.0f, 90.0f, kRed, 1);
    ASSERT_EQ(notices.size(), 3u);
    EXPECT_EQ(notices[0], L"You must create a DIB array\r\nbefore calling LineDIB.");
    EXPECT_EQ(notices[1], L"You must create a DIB array\r\nbefore calling CircleDIB.");
    const HBITMAP bitmap = canvas.bitmap();  // the last try succeeds
    const std::pair<HBITMAP, int> tries[] = {{bitmap, 0}, {nullptr, 10}, {bitmap, 1 << 20}, {bitmap, kSize}};
    for (const auto& [b, size] : tries) {
        lines.DIB(canvas.dc(), b, size, size);
        EXPECT_EQ(lines.ArrayReady(), size == kSize) << size;
    }
    lines.Array2Pic();
    lines.LineDIB(0, 9, 4, 9, kRed);
    EXPECT_EQ(notices.size(), 4u) << "the array is spent after Array2Pic";
    lines.Array2Pic();  // not ready: nothing happens
    EXPECT_EQ(canvas.At(2, 9), kGrey);
}

}  // namespace
}  // namespace panorel
