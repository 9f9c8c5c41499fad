#include "host/DibSection.h"

namespace panorel::host {

BITMAPINFO TopDownDibInfo(int width, int height, WORD bitsPerPixel) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = bitsPerPixel;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

BitmapHandle CreateTopDownDib(HDC dc, int width, int height, WORD bitsPerPixel, void** bits) {
    *bits = nullptr;
    const BITMAPINFO info = TopDownDibInfo(width, height, bitsPerPixel);
    BitmapHandle dib(::CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, nullptr, 0));
    if (!dib) *bits = nullptr;
    return dib;
}

}  // namespace panorel::host
