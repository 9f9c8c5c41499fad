#pragma once
// Panel geometry in pixels: screen size from twips, tile size, tile places.
#include <cstdint>

namespace panorel {

constexpr int kGutter = 70;

// Screen pixels from the screen's size in twips and the twips per pixel, each
// rounded, then divided as integers. A twips-per-pixel below 1 gives 0.
std::int32_t ScreenPixels(double twips, double twipsPerPixel);
// One preview tile's width (or height) for a screen width (or height):
// (size - 210) / 2 rounded, halves to even.
std::int32_t PreviewExtent(std::int32_t screenExtent);

}  // namespace panorel
