#pragma once
// Size arithmetic of the user's system fonts: point sizes for font objects and
// pixel heights for a device's vertical resolution.
#include <cstdint>

namespace panorel {

// Point size of a font object for a LOGFONT height on a device with
// `logPixelsY` dots per inch: a height of 1 or more is taken as the size
// itself, otherwise |72 / logPixelsY x height|. 0 for a device without a
// resolution.
double FontPointSize(std::int32_t height, std::int32_t logPixelsY);

// height x logPixelsY / 72, rounded to nearest with halves to even; keeps the
// sign of the height (usually negative).
std::int32_t FontHeightInPixel(std::int32_t height, std::int32_t logPixelsY);

// A LOGFONT weight counts as bold from 401 on.
constexpr bool IsBoldWeight(std::int32_t weight) { return weight >= 401; }

constexpr bool IsFontType(std::int32_t fontType) { return fontType >= 1 && fontType <= 6; }

}  // namespace panorel
