#include "imaging/AlphaCompose.h"

#include <cmath>

namespace panorel::imaging {

GreyWeights GreyWeightsFor(std::int32_t grayScale) {
    switch (grayScale) {
        case -1: return {};
        case 1: return {213, 715, 72, false};
        case 2: return {333, 334, 333, false};
        case 3: return {800, 100, 100, false};
        case 4: return {100, 800, 100, false};
        case 5: return {100, 100, 800, false};
        case 6: return {450, 450, 100, false};
        case 7: return {100, 450, 450, false};
        default: return {299, 587, 114, false};
    }
}

Placement PlaceRect(double left, double top, double width, double height, std::int32_t srcWidth,
                    std::int32_t srcHeight, double angle) {
    // Destination -> unit square -> source, with the turn undone about the
    // destination's centre first.
    // The rectangle is [left, left + |width|) whatever the sign: a negative
    // size mirrors the picture in place.
    const double cx = left + std::fabs(width) / 2, cy = top + std::fabs(height) / 2;
    const double rad = -angle * 3.14159265358979323846 / 180.0;
    const double cs = std::cos(rad), sn = std::sin(rad);
    const double sx = srcWidth / std::fabs(width), sy = srcHeight / std::fabs(height);
    Placement p;
    // x' = cs*(x-cx) - sn*(y-cy) + cx ; y' = sn*(x-cx) + cs*(y-cy) + cy
    // u = (x' - left) * sx ; v = (y' - top) * sy; mirrored sizes flip through the sign of sx/sy.
    const double ox = left, oy = top;
    const double ax = width < 0 ? -sx : sx, ay = height < 0 ? -sy : sy;
    const double baseU = width < 0 ? srcWidth : 0, baseV = height < 0 ? srcHeight : 0;
    p.a = cs * ax;
    p.b = -sn * ax;
    p.c = ax * (-cs * cx + sn * cy + cx - ox) + baseU;
    p.d = sn * ay;
    p.e = cs * ay;
    p.f = ay * (-sn * cx - cs * cy + cy - oy) + baseV;
    return p;
}

namespace {

inline void Sample(const PixelView& src, double u, double v, bool smooth, unsigned out[4]) {
    if (!smooth) {
        auto x = static_cast<std::int32_t>(std::floor(u)), y = static_cast<std::int32_t>(std::floor(v));
        const std::uint8_t* s = src.At(x, y);
        out[0] = s[0], out[1] = s[1], out[2] = s[2], out[3] = s[3];
        return;
    }
    // Bilinear on premultiplied values, edges clamped.
    double fx = u - 0.5, fy = v - 0.5;
    auto x0 = static_cast<std::int32_t>(std::floor(fx)), y0 = static_cast<std::int32_t>(std::floor(fy));
    double tx = fx - x0, ty = fy - y0;
    auto clampX = [&](std::int32_t x) { return x < 0 ? 0 : x >= src.width ? src.width - 1 : x; };
    auto clampY = [&](std::int32_t y) { return y < 0 ? 0 : y >= src.height ? src.height - 1 : y; };
    const std::uint8_t* p00 = src.At(clampX(x0), clampY(y0));
    const std::uint8_t* p10 = src.At(clampX(x0 + 1), clampY(y0));
    const std::uint8_t* p01 = src.At(clampX(x0), clampY(y0 + 1));
    const std::uint8_t* p11 = src.At(clampX(x0 + 1), clampY(y0 + 1));
    for (int k = 0; k < 4; ++k) {
        double top = p00[k] + (p10[k] - p00[k]) * tx, bottom = p01[k] + (p11[k] - p01[k]) * tx;
        out[k] = static_cast<unsigned>(top + (bottom - top) * ty + 0.5);
    }
    for (int k = 0; k < 3; ++k)
        if (out[k] > out[3]) out[k] = out[3];
}

}  // namespace

void ComposeOnto(const PixelView& src, const PixelView& dst, const Placement& pl, const ComposeParams& params) {
    const unsigned op = static_cast<unsigned>(params.opacity) * 255u / 100u;
    const GreyWeights w = GreyWeightsFor(params.grayScale);
    const int light = params.lightAdjustment;
    for (std::int32_t y = 0; y < dst.height; ++y) {
        const double yc = y + 0.5;
        for (std::int32_t x = 0; x < dst.width; ++x) {
            const double xc = x + 0.5;
            const double u = pl.a * xc + pl.b * yc + pl.c, v = pl.d * xc + pl.e * yc + pl.f;
            if (!(u >= 0 && v >= 0 && u < src.width && v < src.height)) continue;
            unsigned s[4];
            Sample(src, u, v, params.smooth, s);
            if (!params.useAlpha) s[3] = 255;
            if (s[3] == 0) continue;
            if (!w.keepColours) s[0] = s[1] = s[2] = GreyOf(w, s[0], s[1], s[2]);
            if (light > 0) {
                for (int k = 0; k < 3; ++k)
                    if (s[k] < s[3]) s[k] += (s[3] - s[k]) * static_cast<unsigned>(light) / 100u;
            } else if (light < 0) {
                for (int k = 0; k < 3; ++k) s[k] -= s[k] * static_cast<unsigned>(-light) / 100u;
            }
            const unsigned a = s[3] * op / 255u;
            std::uint8_t* d = dst.At(x, y);
            for (int k = 0; k < 3; ++k) d[k] = static_cast<std::uint8_t>((d[k] * (255u - a) + s[k] * op) / 255u);
            if (params.blendAlpha) d[3] = static_cast<std::uint8_t>((d[3] * (255u - a) + s[3] * op) / 255u);
        }
    }
}

std::int32_t CapabilityFlags(bool ntFamily, std::uint32_t major, std::uint32_t minor, std::uint32_t servicePack) {
    if (!ntFamily) return minor != 0 ? kCapAlphaBlendOptional : kCapNoGdiPlus;
    std::int32_t flags = 0;
    if (major >= 5) flags = kCapAlphaBlend | kCapAlphaBlendReliable;
    else if (servicePack < 6) flags = kCapNoGdiPlus;
    return flags | kCapUnicodeHalftone;
}

}  // namespace panorel::imaging
