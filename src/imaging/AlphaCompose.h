#pragma once
// The pixel arithmetic behind cAlphaImage's own drawing path and its effects:
// blending a premultiplied BGRA source onto 24- or 32-bit pixels with
// opacity, grey-scale and light adjustment, through any affine placement
// (stretching, mirroring, rotation), and the capability flags.
#include <cstddef>
#include <cstdint>

#include "imaging/PixelImage.h"

namespace panorel::imaging {

// Grey weights in thousandths (red, green, blue) for a grayScale argument;
// -1 keeps the colours.
struct GreyWeights {
    int r = 1000, g = 1000, b = 1000;
    bool keepColours = true;
};
GreyWeights GreyWeightsFor(std::int32_t grayScale);
// B*wb + G*wg + R*wr rounded to the nearest integer (halves up).
inline std::uint8_t GreyOf(const GreyWeights& w, unsigned b, unsigned g, unsigned r) {
    return static_cast<std::uint8_t>((b * static_cast<unsigned>(w.b) + g * static_cast<unsigned>(w.g) +
                                      r * static_cast<unsigned>(w.r) + 500u) / 1000u);
}

// Rows of pixels somewhere in memory: `top` is the top row, rows `stride`
// bytes apart (negative for bottom-up DIBs), `bytesPerPixel` 3 or 4.
struct PixelView {
    std::uint8_t* top = nullptr;
    std::ptrdiff_t stride = 0;
    std::int32_t width = 0, height = 0;
    int bytesPerPixel = 4;
    std::uint8_t* At(std::int32_t x, std::int32_t y) const {
        return top + y * stride + static_cast<std::ptrdiff_t>(x) * bytesPerPixel;
    }
};

struct ComposeParams {
    std::int32_t opacity = 100;  // effective, 1..100
    std::int32_t grayScale = -1;
    std::int32_t lightAdjustment = 0;  // -100..100
    bool useAlpha = true;              // false: the source is drawn as if opaque (Render's Blend false)
    bool smooth = false;               // bilinear sampling instead of nearest
    bool blendAlpha = false;           // the destination has an alpha byte to blend too
};

// Where destination pixel centre (x + 0.5, y + 0.5) samples the source:
// u = a*x + b*y + c, v = d*x + e*y + f (source pixel units, source view's
// own coordinates).
struct Placement {
    double a = 1, b = 0, c = 0, d = 0, e = 1, f = 0;
};

// Placement of the source rectangle onto dest (left, top, |width|, |height|);
// negative sizes mirror in place; `angle` degrees turn it clockwise about the
// destination rectangle's centre.
Placement PlaceRect(double left, double top, double width, double height, std::int32_t srcWidth,
                    std::int32_t srcHeight, double angle);

// Blends every destination pixel whose centre maps inside the source. The
// own blend's formulas: op = opacity*255/100; a source pixel with alpha 0
// leaves the destination; otherwise a = alpha*op/255 and each channel
// d = (d*(255 - a) + s*op)/255, integer divisions throughout; s is the
// premultiplied channel, or its grey value. Light adjustment moves each
// premultiplied channel towards its alpha (lighter) or towards 0 (darker) by
// the percentage, before the blend.
void ComposeOnto(const PixelView& src, const PixelView& dst, const Placement& placement, const ComposeParams& params);

// Capability flags of cAlphaImage from the system's version.
constexpr std::int32_t kCapAlphaBlend = 1, kCapGdiPlus = 2, kCapAlphaBlendReliable = 8, kCapAlphaBlendOptional = 16,
                       kCapNoGdiPlus = 32, kCapUnicodeHalftone = 64;
std::int32_t CapabilityFlags(bool ntFamily, std::uint32_t major, std::uint32_t minor, std::uint32_t servicePack);

}  // namespace panorel::imaging
