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
            const int iy = static_cast<int>(std::floor(y * sy)), ix = static_cast<int>(std::floor(x * sx));
            const double dy = y * sy - iy, dx = x * sx - ix;
            double sum[3] = {};  // blue, green, red
            for (int m = -1; m <= 2; ++m) {
                const double wy = TentWeight(m - dy);
                if (wy == 0) continue;
                for (int n = -1; n <= 2; ++n) {
                    const double wx = TentWeight(dx - n);
                    if (wx == 0) continue;
                    const int col = std::clamp(ix + n, 0, sw - 1), row = std::clamp(iy + m, 0, sh - 1);
                    for (int ch = 0; ch < 3; ++ch) sum[ch] += wy * wx * src[srcStride * row + 3 * col + ch];
                }
            }
            for (int ch = 0; ch < 3; ++ch)
                dst[dstStride * y + 3 * x + ch] = static_cast<std::uint8_t>(RoundHalfEven(sum[ch]));
        }
    }
}

}  // namespace panorel::test
