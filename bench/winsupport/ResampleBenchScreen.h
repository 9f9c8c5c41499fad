#pragma once
// The picture both resampler benchmarks scale: a 1920 x 1080 screen made like
// a desktop (smooth areas, hard edges and noise), to an 855 x 435 tile.
#include <cstdint>
#include <random>

#include "winsupport/Resample.h"

namespace panorel::bench {

constexpr int kSw = 1920, kSh = 1080, kDw = 855, kDh = 435;

inline const PixelBuffer& Screen() {
    static const PixelBuffer screen = [] {
        PixelBuffer b(DibStride(kSw) * kSh);
        std::mt19937 rng(1);
        for (int y = 0; y < kSh; ++y) {
            for (int x = 0; x < kSw * 3; ++x) {
                const int v = ((x / 3) / 64 + y / 48) % 3 == 0 ? static_cast<int>(rng() & 0xFF) : (x + y) & 0xFF;
                b[DibStride(kSw) * y + x] = static_cast<std::uint8_t>(v);
            }
        }
        return b;
    }();
    return screen;
}

}  // namespace panorel::bench
