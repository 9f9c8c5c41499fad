#pragma once
// BMP: the core, 40, 52, 56, 108 and 124 byte headers, 1, 2, 4, 8, 16, 24 and
// 32 bits per pixel, RLE4 and RLE8, bit-field masks, bottom-up and top-down
// rows. 32-bit data brings its alpha when any pixel has a non-zero alpha
// byte; otherwise the picture is opaque (writers fill the fourth byte with
// zeros as often as with alpha).
#include "imaging/modParsers.h"

namespace panorel::imaging {

struct DibOptions {
    // Icon entries: the header's height covers the colour rows and the AND
    // mask rows below them.
    bool iconEntry = false;
    // Offset of the pixel bits from the start of the DIB; 0: right after the
    // header, masks and colour table.
    std::size_t bitsOffset = 0;
};

class cBMPparser {
public:
    // A whole .bmp file (starting with "BM").
    static ParseResult LoadStream(const std::uint8_t* data, std::size_t size, const ParseOptions& options,
                                  PixelImage& out);
    // A DIB (header, colour table, bits) as found in icons and on the clipboard.
    static ParseResult LoadDib(const std::uint8_t* dib, std::size_t size, const DibOptions& dibOptions,
                               const ImageLimits& limits, PixelImage& out);
};

}  // namespace panorel::imaging
