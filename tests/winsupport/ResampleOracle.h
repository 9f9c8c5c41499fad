#pragma once
// The filter written out the plain way, as the reference the fast resampler
// must match to the bit: TentWeight called per tap, m outer, n inner, taps of
// weight 0 skipped, and taps past the source's edges reading its edge pixels.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/Rounding.h"
#include "winsupport/Resample.h"

namespace panorel::test {

inline void OracleResample(const std::vector<std::uint8_t>& src, std::vector<std::uint8_t>& dst, int sw, int sh,
                           int dw, int dh) {
    const std::size_t dstStride = (static_cast<std::size_t>(dw) * 3 + 3) / 4 * 4;
    const std::size_t srcStride = (static_cast<std::size_t>(sw) * 3 + 3) / 4 * 4;
    dst.assign(dstStride * dh, 0);
    const double sx = static_cast<double>(sw - 1) / (dw - 1);
    const double sy = static_cast<double>(sh - 1) / (dh - 1);
    for (int y = dh - 1; y >= 0; --y) {
        for (int x = 0; x < dw; ++x) {
            const double fy = y * sy;
            const int iy = static_cast<int>(std::floor(fy));
            const double dy = fy - iy;
            const double fx = x * sx;
            const int ix = static_cast<int>(std::floor(fx));
            const double dx = fx - ix;
            double b = 0, g = 0, r = 0;
            for (int m = -1; m <= 2; ++m) {
                const double wy = TentWeight(m - dy);
                if (wy == 0) continue;
                for (int n = -1; n <= 2; ++n) {
                    const double wx = TentWeight(dx - n);
                    if (wx == 0) continue;
                    const int col = std::clamp(ix + n, 0, sw - 1), row = std::clamp(iy + m, 0, sh - 1);
                    const std::uint8_t* p = &src[srcStride * row + 3 * col];
                    b += wy * wx * p[0];
                    g += wy * wx * p[1];
                    r += wy * wx * p[2];
                }
            }
            std::uint8_t* out = &dst[dstStride * y + 3 * x];
            out[0] = static_cast<std::uint8_t>(RoundHalfEven(b));
            out[1] = static_cast<std::uint8_t>(RoundHalfEven(g));
            out[2] = static_cast<std::uint8_t>(RoundHalfEven(r));
        }
    }
}

}  // namespace panorel::test
