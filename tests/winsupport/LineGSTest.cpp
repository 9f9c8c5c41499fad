// The device-context and array forms of LineGS on a 32-bit memory bitmap:
// both must give exactly what the shared rasteriser computes.
#include "winsupport/LineGS.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/Handles.h"
#include "switcher/PanelLayout.h"

namespace panorel {
namespace {

constexpr int kSize = 64;

// A memory DC with a 32-bit top-down DIB section selected, filled with one colour.
class Canvas {
public:
    explicit Canvas(COLORREF fill) : dc_(::CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = kSize;
        info.bmiHeader.biHeight = -kSize;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_.reset(::CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        old_ = ::SelectObject(dc_.get(), bitmap_.get());
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) ::SetPixelV(dc_.get(), x, y, fill);
    }
    ~Canvas() { ::SelectObject(dc_.get(), old_); }
    HDC dc() const { return dc_.get(); }
    HBITMAP bitmap() const { return bitmap_.get(); }
    COLORREF At(int x, int y) const { return ::GetPixel(dc_.get(), x, y); }

private:
    MemoryDcHandle dc_;
    BitmapHandle bitmap_;
    HGDIOBJ old_ = nullptr;
};

// The array form's element for a COLORREF and back.
std::uint32_t ElementOf(COLORREF c) { return (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF); }

TEST(LineGS, DeviceContextLineMatchesTheArrayForm) {
    const COLORREF back = RGB(0x80, 0x80, 0x80);
    Canvas canvas(back);
    PixelArray expected;
    ASSERT_TRUE(expected.Reset(kSize, kSize));
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) expected.Put(x, y, ElementOf(back));
    const struct {
        int x1, y1, x2, y2;
        COLORREF color;
    } lines[] = {{0, 5, 4, 5, RGB(255, 0, 0)}, {10, 10, 40, 25, RGB(0, 0, 255)}, {50, 60, 45, 2, RGB(10, 200, 30)},
                 {63, 0, 0, 63, RGB(255, 255, 255)}, {-20, 30, 90, 31, RGB(1, 2, 3)}};
    LineGS lines_;
    for (const auto& l : lines) {
        lines_.LineGP(canvas.dc(), l.x1, l.y1, l.x2, l.y2, l.color);
        RasterLine(l.x1, l.y1, l.x2, l.y2,
                   [&](std::int32_t x, std::int32_t y, int w) { expected.Blend(x, y, RgbOf(l.color), w); });
    }
    int mismatches = 0;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            if (ElementOf(canvas.At(x, y)) != expected.At(x, y)) ++mismatches;
    EXPECT_EQ(mismatches, 0);
    // The horizontal line's own numbers.
    EXPECT_EQ(canvas.At(0, 5), RGB(255, 0, 0));
    EXPECT_EQ(canvas.At(2, 4), RGB(0xBF, 0x3F, 0x3F));
    EXPECT_EQ(canvas.At(2, 6), RGB(0xBE, 0x40, 0x40));
    EXPECT_EQ(canvas.At(5, 5), RGB(0xBE, 0x40, 0x40));  // cap at 127
    EXPECT_EQ(canvas.At(5, 6), RGB(0x7F, 0x7F, 0x7F));  // cap at 0
}

TEST(LineGS, ColoursAreTranslatedOnlyByLineGP) {
    Canvas canvas(RGB(255, 255, 255));
    LineGS lines;
    lines.LineGP(canvas.dc(), 3, 3, 3, 3, RGB(255, 0, 0));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) ASSERT_EQ(canvas.At(x, y), RGB(255, 255, 255)) << "a point draws nothing";

    lines.LineGP(canvas.dc(), 0, 10, 20, 10, 0x80000000u | COLOR_HIGHLIGHT);
    EXPECT_EQ(canvas.At(10, 10), ::GetSysColor(COLOR_HIGHLIGHT));
    lines.LineGP(canvas.dc(), 0, 20, 20, 20, 0x800000FFu);  // no such system colour
    EXPECT_EQ(canvas.At(10, 20), RGB(0, 0, 0));
    EXPECT_EQ(lines.CurrentColor(), 0u);
    lines.LineS(canvas.dc(), 0, 30, 20, 30, 0x80000000u | COLOR_HIGHLIGHT);  // plain RGB
    EXPECT_EQ(canvas.At(10, 30), static_cast<COLORREF>(COLOR_HIGHLIGHT));
    lines.LineS(canvas.dc(), 0, 40, 20, 40, 0x00123456u);
    EXPECT_EQ(canvas.At(10, 40), 0x00123456u);
    lines.SetRGBComponents(RGB(1, 2, 3));
    EXPECT_EQ(lines.Components().red, 1);
    EXPECT_EQ(lines.Components().blue, 3);
    // Far outside the device context and outside 16 bits: nothing, no fault.
    lines.LineGP(canvas.dc(), -30000, -30000, 30000, -29000, RGB(0, 0, 0));
    lines.LineGP(canvas.dc(), 0, 0, 100000, 0, RGB(0, 0, 0));
    EXPECT_EQ(canvas.At(30, 0), RGB(255, 255, 255));
}

TEST(LineGS, ArcFrom270To90DrawsOnlyTheUpperHalf) {
    const COLORREF white = RGB(255, 255, 255);
    Canvas canvas(white);
    LineGS lines;
    lines.ArcGP(canvas.dc(), 32, 32, 20, 20, 270.0f, 90.0f, RGB(0, 0, 0), 2);
    int upper = 0;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x)
            if (canvas.At(x, y) != white) {
                EXPECT_LE(y, 33) << x << "," << y;
                ++upper;
            }
    EXPECT_GT(upper, 20);
    EXPECT_NE(canvas.At(32, 12), white) << "through the top";

    // The ellipse through GDI pixel calls and through the array agree.
    Canvas gdi(white), array(white);
    lines.CircleGP(gdi.dc(), 32, 32, 20, 10, RGB(200, 0, 90), 1);
    lines.DIB(array.dc(), array.bitmap(), kSize, kSize);
    lines.CircleDIB(32, 32, 20, 10, RGB(200, 0, 90), 1);
    lines.Array2Pic();
    int differences = 0, drawn = 0;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            differences += gdi.At(x, y) != array.At(x, y);
            drawn += gdi.At(x, y) != white;
        }
    EXPECT_EQ(differences, 0);
    EXPECT_GT(drawn, 60);
    EXPECT_EQ(gdi.At(32, 32), white);
}

TEST(LineGS, ArrayFormRoundTripsThroughTheBitmap) {
    Canvas canvas(RGB(0x80, 0x80, 0x80));
    LineGS lines;
    std::vector<std::wstring> notices;
    lines.SetNoticeHandler([&](const std::wstring& text) { notices.push_back(text); });

    lines.LineDIB(0, 5, 4, 5, RGB(255, 0, 0));
    lines.CircleDIB(10, 10, 5, 5, RGB(255, 0, 0), 1);
    lines.ArcDIB(10, 10, 5, 5, 0.0f, 90.0f, RGB(255, 0, 0), 1);
    ASSERT_EQ(notices.size(), 3u);
    EXPECT_EQ(notices[0], L"You must create a DIB array\r\nbefore calling LineDIB.");
    EXPECT_EQ(notices[1], L"You must create a DIB array\r\nbefore calling CircleDIB.");
    EXPECT_EQ(canvas.At(0, 5), RGB(0x80, 0x80, 0x80));

    lines.DIB(canvas.dc(), canvas.bitmap(), 0, kSize);
    EXPECT_FALSE(lines.ArrayReady());
    lines.DIB(canvas.dc(), canvas.bitmap(), kSize, kSize);
    ASSERT_TRUE(lines.ArrayReady());
    EXPECT_EQ(lines.Pixels().At(3, 3) & 0xFFFFFFu, 0x808080u);
    lines.LineDIB(0, 5, 4, 5, RGB(255, 0, 0));
    lines.CircleDIB(32, 32, 20, 20, RGB(0, 0, 255), 2);
    EXPECT_EQ(canvas.At(0, 5), RGB(0x80, 0x80, 0x80)) << "nothing written before Array2Pic";
    lines.Array2Pic();
    EXPECT_FALSE(lines.ArrayReady());
    EXPECT_EQ(canvas.At(0, 5), RGB(255, 0, 0));
    EXPECT_EQ(canvas.At(2, 4), RGB(0xBF, 0x3F, 0x3F));
    EXPECT_NE(canvas.At(52, 32), RGB(0x80, 0x80, 0x80));

    lines.LineDIB(0, 9, 4, 9, RGB(255, 0, 0));
    EXPECT_EQ(notices.size(), 4u) << "the array is spent after Array2Pic";
    lines.Array2Pic();  // not ready: nothing happens
    EXPECT_EQ(canvas.At(2, 9), RGB(0x80, 0x80, 0x80));
}

TEST(LineGS, UnreadableBitmapLeavesTheArrayNotReady) {
    Canvas canvas(RGB(0, 0, 0));
    LineGS lines;
    lines.SetNoticeHandler([](const std::wstring&) {});
    lines.DIB(canvas.dc(), nullptr, 10, 10);
    EXPECT_FALSE(lines.ArrayReady());
    lines.DIB(canvas.dc(), canvas.bitmap(), 1 << 20, 1 << 20);
    EXPECT_FALSE(lines.ArrayReady());
    lines.LineDIB(0, 0, 5, 5, 0);
}

TEST(LineGS, TileFrameDrawnFromItsLineListIsPureAndOpenUnderTheTab) {
    const COLORREF white = RGB(255, 255, 255);
    Canvas canvas(RGB(10, 20, 30));
    const auto frame = PreviewFrame(1, 1, 20, kSize, 40);
    ASSERT_TRUE(frame);
    const RECT fill{frame->whiteFill.left, frame->whiteFill.top, frame->whiteFill.right, frame->whiteFill.bottom};
    BrushHandle brush(::CreateSolidBrush(white));
    ::FillRect(canvas.dc(), &fill, brush.get());
    LineGS lines;
    for (const PanelLine& l : frame->lines) lines.LineGP(canvas.dc(), l.x1, l.y1, l.x2, l.y2, frame->color);
    // Red everywhere on the edges; where a later edge's neighbour falls on an
    // earlier edge, red mixed with red divides by 256 and gives 254.
    const COLORREF red = RGB(255, 0, 0), nearRed = RGB(254, 0, 0);
    for (int y = 0; y < 40; ++y) {
        EXPECT_EQ(canvas.At(0, y), y == 38 ? nearRed : red) << y;
        EXPECT_EQ(canvas.At(kSize - 1, y), y == 1 || y == 38 ? nearRed : red) << y;
    }
    for (int x = 19; x < kSize; ++x) EXPECT_EQ(canvas.At(x, 0), red) << x;
    for (int x = 0; x < kSize; ++x) EXPECT_EQ(canvas.At(x, 39), red) << x;
    // Under the tab the edge is open; its two end pixels take the half-weight
    // neighbour of the left edge and the cap of the top edge.
    for (int x = 2; x <= 17; ++x) EXPECT_EQ(canvas.At(x, 0), white) << x;
    EXPECT_EQ(canvas.At(1, 0), RGB(254, 127, 127));
    EXPECT_EQ(canvas.At(18, 0), RGB(254, 127, 127));
}

}  // namespace
}  // namespace panorel
