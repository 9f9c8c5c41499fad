#pragma once
// The BMP writer (cBMPparser's SaveAsBMP): a 14-byte file header with the
// signature "BM", a 40-byte BITMAPINFOHEADER and uncompressed bottom-up rows.
#include <cstdint>
#include <vector>

#include "imaging/ImageWriterSupport.h"
#include "imaging/PixelImage.h"

namespace panorel::imaging {

// An opaque picture is written with 24 bits per pixel. A picture with
// transparency is laid over TransparentFillColor and written with 24 bits when
// a colour is given (>= 0); without one it keeps its alpha in the fourth byte
// of 32-bit pixels, its colours straight unless KeepPreMultipliedPixels asks
// for the stored premultiplied values. False (out untouched) for a picture
// without pixels or when memory runs out.
bool SaveAsBMP(const PixelImage& image, std::vector<std::uint8_t>& out, bool KeepPreMultipliedPixels = false,
               ColorRef TransparentFillColor = kNoFillColor);

}  // namespace panorel::imaging
