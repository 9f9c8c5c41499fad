#include "settings/FontMetrics.h"

#include <cmath>

#include "host/Rounding.h"

namespace panorel {

double FontPointSize(std::int32_t height, std::int32_t logPixelsY) {
    if (height >= 1) return static_cast<double>(height);
    if (logPixelsY == 0) return 0.0;
    return std::fabs(72.0 / static_cast<double>(logPixelsY) * static_cast<double>(height));
}

std::int32_t FontHeightInPixel(std::int32_t height, std::int32_t logPixelsY) {
    return RoundToInt32(static_cast<double>(height) * static_cast<double>(logPixelsY) / 72.0);
}

}  // namespace panorel
