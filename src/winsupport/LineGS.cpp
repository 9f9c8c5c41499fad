#include "winsupport/LineGS.h"

#include <olectl.h>

#include <algorithm>
#include <vector>

#include "host/DibSection.h"
#include "host/Handles.h"

namespace panorel {

namespace {

bool IsSystemColorReference(std::uint32_t color) { return (color & 0x80000000u) != 0; }

}  // namespace

LineGS::LineGS() {
    notice_ = [](const std::wstring& text) { ::MessageBoxW(nullptr, text.c_str(), L"", MB_OK); };
}

void LineGS::Notice(const wchar_t* operation) {
    if (notice_) notice_(DibNotReadyMessage(operation));
}

void LineGS::DIB(HDC hDC, HBITMAP Handle, std::int32_t W1, std::int32_t H1) {
    hDC_ = hDC;
    bitmap_ = Handle;
    width_ = W1;
    height_ = H1;
    arrayReady_ = false;
    if (!pixels_.Reset(W1, H1)) return;
    header_ = BITMAPINFOHEADER{};
    header_.biSize = sizeof(BITMAPINFOHEADER);
    header_.biWidth = W1;
    header_.biHeight = -H1;  // row 0 on top
    header_.biPlanes = 1;
    header_.biBitCount = 32;
    header_.biCompression = BI_RGB;
    BITMAPINFO info{};
    info.bmiHeader = header_;
    const int rows = ::GetDIBits(hDC, Handle, 0, static_cast<UINT>(H1), pixels_.Data(), &info, DIB_RGB_COLORS);
    if (rows <= 0) {
        pixels_.Clear();
        return;
    }
    arrayReady_ = true;
}

void LineGS::Array2Pic() {
    if (!arrayReady_) return;
    BITMAPINFO info{};
    info.bmiHeader = header_;
    ::SetDIBits(hDC_, bitmap_, 0, static_cast<UINT>(height_), pixels_.Data(), &info, DIB_RGB_COLORS);
    arrayReady_ = false;
}

void LineGS::SetRGBComponents(std::uint32_t Color) {
    COLORREF translated = 0;
    if (FAILED(::OleTranslateColor(static_cast<OLE_COLOR>(Color), nullptr, &translated))) translated = 0;
    colorRef_ = translated & 0xFFFFFFu;
    colour_ = RgbOf(colorRef_);
}

void LineGS::PlotDc(HDC hDC, std::int32_t x, std::int32_t y, int weight, std::uint32_t solid) const {
    if (weight > kSolidWeight) {
        ::SetPixelV(hDC, x, y, solid);
        return;
    }
    COLORREF old = ::GetPixel(hDC, x, y);
    if (old == CLR_INVALID) return;  // outside the clip area: nothing to mix with or to write
    ::SetPixelV(hDC, x, y, BlendColorRef(old, colour_, weight));
}

bool LineGS::LineInBox(HDC hDC, std::int32_t x1, std::int32_t y1, std::int32_t X2, std::int32_t Y2) const {
    BITMAP target{};
    const auto bitmap = static_cast<HBITMAP>(::GetCurrentObject(hDC, OBJ_BITMAP));
    if (!bitmap || ::GetObjectW(bitmap, sizeof target, &target) != sizeof target || target.bmBitsPixel != 32)
        return false;
    POINT viewport{}, window{};
    RegionHandle clip(::CreateRectRgn(0, 0, 0, 0));
    if (!clip || ::GetClipRgn(hDC, clip.get()) != 0 || ::GetGraphicsMode(hDC) != GM_COMPATIBLE ||
        ::GetMapMode(hDC) != MM_TEXT || !::GetViewportOrgEx(hDC, &viewport) || !::GetWindowOrgEx(hDC, &window) ||
        viewport.x || viewport.y || window.x || window.y)
        return false;
    // The points, each kept when it lies on the bitmap, as GetPixel keeps it.
    struct Point {
        std::int32_t x, y;
        int weight;
    };
    std::vector<Point> points;
    RECT box{target.bmWidth, target.bmHeight, 0, 0};
    RasterLine(x1, y1, X2, Y2, [&](std::int32_t x, std::int32_t y, int w) {
        if (x < 0 || y < 0 || x >= target.bmWidth || y >= target.bmHeight) return;
        points.push_back({x, y, w});
        box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x + 1),
               std::max<LONG>(box.bottom, y + 1)};
    });
    if (points.empty()) return true;
    const int w = box.right - box.left, h = box.bottom - box.top;
    MemoryDcHandle copyDc(::CreateCompatibleDC(hDC));
    void* bits = nullptr;
    BitmapHandle copy = copyDc ? host::CreateTopDownDib(copyDc.get(), w, h, 32, &bits) : BitmapHandle();
    if (!copy || !bits) return false;
    SelectionGuard selected(copyDc.get(), copy.get());
    if (!::BitBlt(copyDc.get(), 0, 0, w, h, hDC, box.left, box.top, SRCCOPY)) return false;
    ::GdiFlush();
    auto* pixels = static_cast<std::uint32_t*>(bits);
    for (const Point& p : points) {
        std::uint32_t& px = pixels[static_cast<std::size_t>(p.y - box.top) * w + (p.x - box.left)];
        px = BlendArrayElement(px, colour_, p.weight) & 0xFFFFFFu;  // SetPixelV leaves no alpha
    }
    return ::BitBlt(hDC, box.left, box.top, w, h, copyDc.get(), 0, 0, SRCCOPY) != FALSE;
}

void LineGS::LineGP(HDC hDC, std::int32_t x1, std::int32_t y1, std::int32_t X2, std::int32_t Y2,
                    std::uint32_t Color) {
    if (!LineCoordinatesFit(x1, y1, X2, Y2) || LineIsPoint(x1, y1, X2, Y2)) return;
    SetRGBComponents(Color);
    if (LineInBox(hDC, x1, y1, X2, Y2)) return;
    RasterLine(x1, y1, X2, Y2, [&](std::int32_t x, std::int32_t y, int w) { PlotDc(hDC, x, y, w, colorRef_); });
}

void LineGS::LineS(HDC hDC, std::int32_t x1, std::int32_t y1, std::int32_t X2, std::int32_t Y2,
                   std::uint32_t Color) {
    if (!LineCoordinatesFit(x1, y1, X2, Y2) || LineIsPoint(x1, y1, X2, Y2)) return;
    // Taken as plain RGB; bits above the blue byte are dropped rather than
    // carried into an out-of-range blue component.
    colorRef_ = Color & 0xFFFFFFu;
    colour_ = RgbOf(colorRef_);
    RasterLine(x1, y1, X2, Y2, [&](std::int32_t x, std::int32_t y, int w) { PlotDc(hDC, x, y, w, colorRef_); });
}

void LineGS::LineDIB(std::int32_t x1, std::int32_t y1, std::int32_t X2, std::int32_t Y2, std::uint32_t Color) {
    if (!arrayReady_) {
        Notice(L"LineDIB");
        return;
    }
    if (!LineCoordinatesFit(x1, y1, X2, Y2) || LineIsPoint(x1, y1, X2, Y2)) return;
    SetRGBComponents(Color);
    RasterLine(x1, y1, X2, Y2, [&](std::int32_t x, std::int32_t y, int w) { pixels_.Blend(x, y, colour_, w); });
}

void LineGS::CircleGP(HDC hDC, std::int32_t cx, std::int32_t cy, std::int32_t RadiusX, std::int32_t RadiusY,
                      std::uint32_t Color, std::int32_t Thickness) {
    SetRGBComponents(Color);
    // A system-colour reference is no pixel colour: full pixels get its translation.
    const std::uint32_t solid = IsSystemColorReference(Color) ? colorRef_ : Color;
    SampleEllipse(cx, cy, RadiusX, RadiusY, Thickness, [&](float px, float py) {
        SplatPoint(px, py, [&](std::int32_t x, std::int32_t y, int w) { PlotDc(hDC, x, y, w, solid); });
    });
}

void LineGS::ArcGP(HDC hDC, std::int32_t cx, std::int32_t cy, std::int32_t RadiusX, std::int32_t RadiusY,
                   float StartAngle, float StopAngle, std::uint32_t Color, std::int32_t Thickness) {
    SetRGBComponents(Color);
    const std::uint32_t solid = IsSystemColorReference(Color) ? colorRef_ : Color;
    SampleArc(cx, cy, RadiusX, RadiusY, StartAngle, StopAngle, Thickness, [&](float px, float py) {
        SplatPoint(px, py, [&](std::int32_t x, std::int32_t y, int w) { PlotDc(hDC, x, y, w, solid); });
    });
}

void LineGS::CircleDIB(std::int32_t cx, std::int32_t cy, std::int32_t RadiusX, std::int32_t RadiusY,
                       std::uint32_t Color, std::int32_t Thickness) {
    if (!arrayReady_) {
        Notice(L"CircleDIB");
        return;
    }
    SetRGBComponents(Color);
    SampleEllipse(cx, cy, RadiusX, RadiusY, Thickness, [&](float px, float py) {
        SplatPoint(px, py, [&](std::int32_t x, std::int32_t y, int w) { pixels_.Blend(x, y, colour_, w); });
    });
}

void LineGS::ArcDIB(std::int32_t cx, std::int32_t cy, std::int32_t RadiusX, std::int32_t RadiusY, float StartAngle,
                    float StopAngle, std::uint32_t Color, std::int32_t Thickness) {
    if (!arrayReady_) {
        Notice(L"ArcDIB");
        return;
    }
    SetRGBComponents(Color);
    SampleArc(cx, cy, RadiusX, RadiusY, StartAngle, StopAngle, Thickness, [&](float px, float py) {
        SplatPoint(px, py, [&](std::int32_t x, std::int32_t y, int w) { pixels_.Blend(x, y, colour_, w); });
    });
}

}  // namespace panorel
