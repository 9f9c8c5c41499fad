#pragma once
// Screen units without a window: twips per pixel for a display's dots per
// inch, and the screen's size in pixels from its size in twips. Shared by the
// window framework, the capture and the panel layout.
#include <cstdint>

namespace panorel {

constexpr std::int32_t kTwipsPerInch = 1440;

// Whole twips per pixel for a dpi, as forms have it: 1440 / dpi in integer
// division (15 at 96, 12 at 120, 10 at 144, 8 at 168, 7 at 192, 6 at 216),
// never below 1. A dpi of 0 or less counts as 96.
std::int32_t TwipsPerPixelForDpi(std::int32_t dpi);

// A screen extent in twips for one in pixels: whole twips per pixel make the
// way back to pixels exact.
double ScreenTwips(std::int32_t pixels, std::int32_t twipsPerPixel);

// Screen pixels from the screen's size in twips and the twips per pixel, each
// rounded, then divided as integers. A twips-per-pixel below 1 gives 0.
std::int32_t ScreenPixels(double twips, double twipsPerPixel);

// The screen's pixels for a size designed in pixels at 96 dpi: its twips at
// 15 twips per pixel, back in whole pixels at this screen's twips per pixel
// (8 stays 8 at 96 dpi and becomes 17 at 192).
std::int32_t DesignPixels(std::int32_t pixelsAt96, std::int32_t twipsPerPixel);

}  // namespace panorel
