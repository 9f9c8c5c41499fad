#pragma once
// The GIF writer (cGIFparser's SaveAsGIF): one GIF89a image of at most 256
// colours, LZW-coded through the project's one encoder.
#include <array>
#include <cstdint>
#include <vector>

#include "imaging/PixelImage.h"

namespace panorel::imaging {

// Pixels whose alpha is at most OpaquenessTolerance are written as the
// transparent index (announced in a graphic control extension); the others
// with their straight colour. With UseAdaptivePalette the palette is the
// picture's own colours when they fit, else a median cut of them; without it
// a fixed 6 x 7 x 6 colour cube. Every pixel takes its nearest palette entry
// (smallest squared RGB distance). False (out untouched) for a picture
// without pixels, with a side above 65535, or when memory runs out.
bool SaveAsGIF(const PixelImage& image, std::vector<std::uint8_t>& out, bool UseAdaptivePalette = true,
               std::uint8_t OpaquenessTolerance = 0);

// The fixed palette: red and blue in 6 steps, green in 7, red slowest.
std::array<std::uint8_t, 3> FixedPaletteColor(int index);

}  // namespace panorel::imaging
