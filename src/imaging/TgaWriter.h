#pragma once
// The TGA writer (cTGAparser's save): an 18-byte header, the pixels with the
// top row first, the 495-byte extension area naming "Corvane Alpha Image
// Library" and saying how to read the alpha, and the 26-byte footer ending in
// "TRUEVISION-XFILE.".
#include <cstdint>
#include <vector>

#include "imaging/PixelImage.h"

namespace panorel::imaging {

// Without ReduceBitDepth every picture is written as 32-bit BGRA. With it the
// smallest fitting form is chosen: 8-bit grey for an opaque grey picture, 8-bit
// colour-mapped (24-bit entries) for an opaque one of at most 256 colours,
// 24 bits for other opaque pictures, else 32 (colour maps with alpha are
// poorly supported by readers). Compress run-length encodes each row. Colours are stored
// straight, or premultiplied as held when AllowPreMultipliedPixels (the
// extension's attributes type then says 4, premultiplied). False (out
// untouched) for a picture without pixels or when memory runs out.
bool SaveAsTGA(const PixelImage& image, std::vector<std::uint8_t>& out, bool Compress = false,
               bool ReduceBitDepth = false, bool AllowPreMultipliedPixels = false);

}  // namespace panorel::imaging
