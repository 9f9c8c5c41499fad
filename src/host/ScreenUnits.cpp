#include "host/ScreenUnits.h"

#include "host/Rounding.h"

namespace panorel {

std::int32_t TwipsPerPixelForDpi(std::int32_t dpi) {
    if (dpi <= 0) dpi = 96;
    const std::int32_t tpp = kTwipsPerInch / dpi;
    return tpp >= 1 ? tpp : 1;
}

double ScreenTwips(std::int32_t pixels, std::int32_t twipsPerPixel) {
    return static_cast<double>(pixels) * twipsPerPixel;
}

std::int32_t ScreenPixels(double twips, double twipsPerPixel) {
    const std::int32_t t = RoundToInt32(twips);
    const std::int32_t tpp = RoundToInt32(twipsPerPixel);
    return tpp >= 1 ? t / tpp : 0;
}

std::int32_t DesignPixels(std::int32_t pixelsAt96, std::int32_t twipsPerPixel) {
    return ScreenPixels(ScreenTwips(pixelsAt96, TwipsPerPixelForDpi(96)), twipsPerPixel);
}

}  // namespace panorel
