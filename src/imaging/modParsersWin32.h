#pragma once
// The parsers' platform halves: bitmap and icon handles to premultiplied
// pixels, and a GIF's first image through the system picture loader.
#include <windows.h>

#include "imaging/PixelImage.h"

namespace panorel::imaging {

// A bitmap of any depth. 32-bit bitmaps bring their (premultiplied) alpha
// when any pixel has some; everything else is opaque.
bool ConvertstdPicTo32bpp(HBITMAP bitmap, PixelImage& out);
// An icon or cursor, alpha from its drawing on black and on white.
bool ConvertstdPicTo32bpp(HICON icon, PixelImage& out);
// The first image of a GIF, pixels of its transparent index made transparent.
bool GifThroughPicture(const std::uint8_t* data, std::size_t size, PixelImage& out);

}  // namespace panorel::imaging
