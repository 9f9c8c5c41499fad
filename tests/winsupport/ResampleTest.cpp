#include "winsupport/Resample.h"

#include <gtest/gtest.h>

#include <array>
#include <random>

#include "winsupport/ResampleOracle.h"

namespace panorel {
namespace {

using Colour = std::array<std::uint8_t, 3>;

PixelBuffer Noise(int w, int h, std::uint32_t seed) {
    std::mt19937 rng(seed);
    PixelBuffer b(DibStride(w) * h);
    for (auto& v : b) v = static_cast<std::uint8_t>(rng());
    return b;
}

void SetPixel(PixelBuffer& b, int w, int x, int y, Colour c) {
    std::uint8_t* p = &b[DibStride(w) * y + 3 * x];
    p[0] = c[0], p[1] = c[1], p[2] = c[2];
}

// One colour everywhere, the row padding zero.
PixelBuffer Flat(int w, int h, Colour c) {
    PixelBuffer b(DibStride(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) SetPixel(b, w, x, y, c);
    return b;
}

TEST(Resample, RefusesSizesThatCannotWork) {
    const PixelBuffer src = Noise(8, 6, 1);
    const PixelBuffer before(10, 7);
    // One-pixel, empty and negative sides, a source larger than its bytes, sizes that overflow.
    for (auto [sw, sh, dw, dh] : {std::array{8, 6, 1, 5}, {8, 6, 5, 1}, {8, 6, 0, 5}, {8, 6, 5, -1}, {8, -6, 5, 5},
                                  {9, 6, 5, 5}, {8, 6, 40000, 5}, {8, 6, 30000, 30000}, {8, 6, INT32_MIN, INT32_MAX}}) {
        PixelBuffer dst = before;
        EXPECT_FALSE(ResampleBuffer(src, dst, sw, sh, dw, dh)) << sw << 'x' << sh << " to " << dw << 'x' << dh;
        EXPECT_EQ(dst, before);
    }
    PixelBuffer dst;
    EXPECT_FALSE(ResampleBuffer(nullptr, 100, dst, 2, 2, 2, 2));
    EXPECT_TRUE(ResampleBuffer(src, dst, 1, 1, 2, 2)) << "a source with bytes to spare is fine";
}

// The plain loop is only a reference if the filter itself is right: its
// weights add up to 1 at any scale, and at the same size they are 1/4 1/2 1/4.
TEST(Resample, FlatColourStaysFlatAndSameSizeBlursQuarterHalfQuarter) {
    const Colour c{17, 200, 93};
    for (auto [sw, sh, dw, dh] : {std::array{64, 40, 17, 9}, {5, 3, 64, 33}, {1, 1, 3, 2}, {30, 30, 30, 30}}) {
        PixelBuffer dst;
        ASSERT_TRUE(ResampleBuffer(Flat(sw, sh, c), dst, sw, sh, dw, dh));
        EXPECT_EQ(dst, Flat(dw, dh, c)) << sw << 'x' << sh << " to " << dw << 'x' << dh;
    }
    PixelBuffer src(DibStride(7) * 7), blurred(DibStride(7) * 7), dst;
    SetPixel(src, 7, 3, 3, {160, 80, 240});
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            const int w = (x == 1 ? 2 : 1) * (y == 1 ? 2 : 1);  // sixteenths of the pixel
            SetPixel(blurred, 7, x + 2, y + 2, {std::uint8_t(10 * w), std::uint8_t(5 * w), std::uint8_t(15 * w)});
        }
    }
    ASSERT_TRUE(ResampleBuffer(src, dst, 7, 7, 7, 7));
    EXPECT_EQ(dst, blurred);
}

// Into a reused buffer full of other bytes, so that row padding left unzeroed differs from the plain
// loop's. Down, up, same size, odd strides, sources without a byte to spare, thin and one-pixel
// pictures, the real preview sizes, several strips of output columns scaling up; random sizes are the fuzzer's.
TEST(Resample, MatchesThePlainLoopToTheBit) {
    for (auto [sw, sh, dw, dh] : {std::array{1920, 1080, 855, 435}, {1366, 768, 578, 279}, {1365, 768, 578, 279},
                                  {4, 3, 4, 3}, {4, 4, 13, 2}, {1, 1, 2, 2}, {1, 9, 5, 3}, {9, 1, 3, 5}, {2, 2, 31, 17},
                                  {640, 480, 2, 2}, {333, 7, 332, 8}, {200, 9, 601, 5}}) {
        const PixelBuffer src = Noise(sw, sh, sw * 1000 + sh);
        PixelBuffer plain;
        test::OracleResample(src, plain, sw, sh, dw, dh);
        for (const ResamplePath path : {ResamplePath::Fastest, ResamplePath::Baseline}) {
            PixelBuffer fast(plain.size(), 0xEE);
            ASSERT_TRUE(ResampleBuffer(src, fast, sw, sh, dw, dh, path));
            ASSERT_EQ(fast, plain) << sw << 'x' << sh << " to " << dw << 'x' << dh << " on the "
                                   << (path == ResamplePath::Baseline ? "baseline" : FastestResamplePathName())
                                   << " path";
        }
    }
}

}  // namespace
}  // namespace panorel
