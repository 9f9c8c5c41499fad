#pragma once
// Anti-aliased lines, ellipses and arcs drawn pixel by pixel, either straight
// into a device context (GetPixel / SetPixelV) or into a 32-bit pixel array
// taken from a bitmap and written back at the end. The arithmetic lives in
// LineRaster; this class only reads and writes pixels.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "winsupport/LineRaster.h"

namespace panorel {

class LineGS {
public:
    // Shows the "create a DIB array first" notice; a message box by default.
    using NoticeHandler = std::function<void(const std::wstring& text)>;

    LineGS();

    // Copies the bitmap (W1 x H1) into the pixel array, row 0 on top, and
    // makes the array ready. A size that is not positive or too large, or a
    // bitmap that cannot be read, leaves the array not ready.
    void DIB(HDC hDC, HBITMAP Handle, std::int32_t W1, std::int32_t H1);
    void CircleGP(HDC hDC, std::int32_t cx, std::int32_t cy, std::int32_t RadiusX, std::int32_t RadiusY,
                  std::uint32_t Color, std::int32_t Thickness);
    // Angles in degrees, 0 straight up, clockwise.
    void ArcGP(HDC hDC, std::int32_t cx, std::int32_t cy, std::int32_t RadiusX, std::int32_t RadiusY,
               float StartAngle, float StopAngle, std::uint32_t Color, std::int32_t Thickness);
    void CircleDIB(std::int32_t cx, std::int32_t cy, std::int32_t RadiusX, std::int32_t RadiusY, std::uint32_t Color,
                   std::int32_t Thickness);
    void ArcDIB(std::int32_t cx, std::int32_t cy, std::int32_t RadiusX, std::int32_t RadiusY, float StartAngle,
                float StopAngle, std::uint32_t Color, std::int32_t Thickness);
    // Translates the colour (system colours included); an untranslatable one is black.
    void SetRGBComponents(std::uint32_t Color);
    // Lines take 16-bit coordinates; a line with an end outside that range
    // draws nothing. LineS takes the colour as a plain RGB value.
    void LineS(HDC hDC, std::int32_t x1, std::int32_t y1, std::int32_t X2, std::int32_t Y2, std::uint32_t Color);
    void LineGP(HDC hDC, std::int32_t x1, std::int32_t y1, std::int32_t X2, std::int32_t Y2, std::uint32_t Color);
    void LineDIB(std::int32_t x1, std::int32_t y1, std::int32_t X2, std::int32_t Y2, std::uint32_t Color);
    // Writes a ready array back into the bitmap and clears the ready flag.
    void Array2Pic();

    bool ArrayReady() const noexcept { return arrayReady_; }
    const PixelArray& Pixels() const noexcept { return pixels_; }
    Rgb Components() const noexcept { return colour_; }
    std::uint32_t CurrentColor() const noexcept { return colorRef_; }
    void SetNoticeHandler(NoticeHandler handler) { notice_ = std::move(handler); }

private:
    void Notice(const wchar_t* operation);
    // Blends one pixel of a device context; `solid` is what a full weight sets.
    void PlotDc(HDC hDC, std::int32_t x, std::int32_t y, int weight, std::uint32_t solid) const;
    // A line on a plain memory DC whose bitmap has 32 bits a pixel (the
    // panel's tiles and tabs): the same blends in a copy of the line's box,
    // one read and one write instead of two pixel calls a point. False, with
    // nothing drawn, where that does not apply (the screen, other depths, a
    // clip region or a moved origin) or the copy cannot be made.
    bool LineInBox(HDC hDC, std::int32_t x1, std::int32_t y1, std::int32_t X2, std::int32_t Y2) const;

    BITMAPINFOHEADER header_{};
    PixelArray pixels_;
    bool arrayReady_ = false;
    Rgb colour_;
    std::uint32_t colorRef_ = 0;
    HDC hDC_ = nullptr;        // borrowed, as given to DIB
    HBITMAP bitmap_ = nullptr;  // borrowed, as given to DIB
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    NoticeHandler notice_;
};

}  // namespace panorel
