#include "switcher/PanelLayout.h"

#include "host/Rounding.h"

namespace panorel {

std::int32_t ScreenPixels(double twips, double twipsPerPixel) {
    const std::int32_t t = RoundToInt32(twips);
    const std::int32_t tpp = RoundToInt32(twipsPerPixel);
    return tpp >= 1 ? t / tpp : 0;
}

std::int32_t PreviewExtent(std::int32_t screenExtent) {
    return RoundToInt32((static_cast<double>(screenExtent) - 3 * kGutter) / 2.0);
}

}  // namespace panorel
