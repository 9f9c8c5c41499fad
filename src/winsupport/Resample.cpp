#include "winsupport/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstring>

// The per-pixel work runs on vectors of four doubles (blue, green, red and one
// spare lane). Every lane does exactly the scalar arithmetic of the plain
// filter loop, wy * wx * byte added tap by tap in the same order, so the
// results are the same to the bit. The speed comes from doing the three
// colours at once, from converting each source row to doubles once (with its
// edges replicated) instead of per tap, from tap tables built once per call,
// from making four weight products in one multiplication and spreading them
// by lane shuffles, and from four output pixels being summed side by side.
#if !defined(__GNUC__) && !defined(__clang__)
#error "the vector extensions of GCC or Clang are needed"
#endif
#define PANOREL_ALWAYS_INLINE __attribute__((always_inline)) inline

// MinGW's GCC cannot align the stack to 32 bytes for spilled AVX registers, so
// the Windows build keeps to the baseline instruction set.
#if (defined(__x86_64__) || defined(__i386__)) && !defined(_WIN32)
#define PANOREL_RESAMPLE_AVX2 1
#endif

namespace panorel {
namespace {

using V4d = double __attribute__((vector_size(32)));
using V4b = std::uint8_t __attribute__((vector_size(4)));
using V4i = std::int32_t __attribute__((vector_size(16)));

// Adding and subtracting 1.5 * 2^52 rounds a double in [0, 2^51) to the nearest
// integer, halves to even, exactly like RoundHalfEven.
constexpr double kRoundMagic = 6755399441055744.0;

// Converted rows are kept in slots chosen by row number modulo 4: the rows of
// one output row are at most four consecutive ones, so they never share a
// slot, and a row still needed by the next output row keeps its slot.
constexpr int kRowSlots = 4;

// Doubles per converted row: 3 per padded pixel and one spare.
constexpr std::size_t RowCacheSize(std::int32_t sw) { return 3 * (static_cast<std::size_t>(sw) + 3) + 1; }

struct Job {
    const std::uint8_t* src;
    std::size_t srcStride;
    std::int32_t sw, sh, dw, dh;
    double sy;
    const std::int32_t* column;  // per output column: padded index of its first tap
    const double* columnWeight;  // per output column: the four tap weights
    std::uint8_t* dst;
    std::size_t dstStride;
    double* rowCache;  // kRowSlots converted rows
};

// Vectors pass by reference only: by value they would change the calling
// convention between the plain and the AVX2 build of the same code.
PANOREL_ALWAYS_INLINE void Load(V4d& v, const double* p) { std::memcpy(&v, p, sizeof v); }
PANOREL_ALWAYS_INLINE void Store(double* p, const V4d& v) { std::memcpy(p, &v, sizeof v); }

// One source row as doubles, 3 per pixel, with pixel 0 repeating pixel 1 and
// pixels sw + 1 and sw + 2 repeating pixel sw, as the filter's padded source
// has it, and one spare double: a pixel is read as four doubles, the fourth
// lane never used.
PANOREL_ALWAYS_INLINE void ConvertRow(const std::uint8_t* in, std::int32_t sw, double* out) {
    const std::size_t bytes = 3 * static_cast<std::size_t>(sw);
    double* body = out + 3;
    std::size_t j = 0;
    for (; j + 16 <= bytes; j += 16) {
        for (std::size_t q = 0; q < 16; q += 4) {
            V4b b;
            std::memcpy(&b, in + j + q, sizeof b);
            const V4d d = __builtin_convertvector(b, V4d);
            Store(body + j + q, d);
        }
    }
    for (; j + 4 <= bytes; j += 4) {
        V4b b;
        std::memcpy(&b, in + j, sizeof b);
        const V4d d = __builtin_convertvector(b, V4d);
        Store(body + j, d);
    }
    for (; j < bytes; ++j) body[j] = in[j];
    for (int c = 0; c < 3; ++c) {
        out[c] = body[c];
        body[bytes + c] = body[bytes - 3 + c];
        body[bytes + 3 + c] = body[bytes - 3 + c];
    }
    body[bytes + 6] = 0.0;
}

// Lane n of v in every lane.
PANOREL_ALWAYS_INLINE void Lane(V4d& out, const V4d& v, int n) {
    switch (n) {
        case 0: out = __builtin_shufflevector(v, v, 0, 0, 0, 0); break;
        case 1: out = __builtin_shufflevector(v, v, 1, 1, 1, 1); break;
        case 2: out = __builtin_shufflevector(v, v, 2, 2, 2, 2); break;
        default: out = __builtin_shufflevector(v, v, 3, 3, 3, 3); break;
    }
}

// Writes a pixel's three bytes, or four when Spill allows clobbering the byte
// after it (the next pixel's, written later).
template <bool Spill>
PANOREL_ALWAYS_INLINE void StorePixel(std::uint8_t* out, const V4d& sum) {
    const V4d magic = {kRoundMagic, kRoundMagic, kRoundMagic, kRoundMagic};
    const V4d top = {255.0, 255.0, 255.0, 255.0};
    V4d rounded = (sum + magic) - magic;
    rounded = rounded > top ? top : rounded;  // a weighted mean of bytes; guards the last ulp only
    const V4b v = __builtin_convertvector(__builtin_convertvector(rounded, V4i), V4b);
    std::memcpy(out, &v, Spill ? 4 : 3);
}

// sum + w * pixel for the 16 taps of K output pixels from x on, m outer, n
// inner; the K sums are independent, so their additions overlap. A tap of
// weight 0 adds +0.0, which leaves the non-negative sum as it was, so no tap
// needs skipping.
template <int K, bool Spill>
PANOREL_ALWAYS_INLINE void SumPixels(const Job& job, const double* const* rows, const double* wy, std::int32_t x,
                                     std::uint8_t* out) {
    V4d wx[K];
    V4d sum[K];
    const double* px[K];
    for (int k = 0; k < K; ++k) {
        Load(wx[k], job.columnWeight + 4 * static_cast<std::size_t>(x + k));
        sum[k] = V4d{0.0, 0.0, 0.0, 0.0};
    }
    for (int m = 0; m < 4; ++m) {
        for (int k = 0; k < K; ++k) px[k] = rows[m] + 3 * static_cast<std::size_t>(job.column[x + k]);
        V4d w[K];
        for (int k = 0; k < K; ++k) w[k] = wy[m] * wx[k];  // the products wy * wx of four taps at once
        for (int n = 0; n < 4; ++n) {
            for (int k = 0; k < K; ++k) {
                V4d pixel;
                Load(pixel, px[k] + 3 * n);
                V4d wn;
                Lane(wn, w[k], n);
                sum[k] += wn * pixel;
            }
        }
    }
    for (int k = 0; k < K; ++k) StorePixel<Spill>(out + 3 * static_cast<std::size_t>(x + k), sum[k]);
}

PANOREL_ALWAYS_INLINE void ResampleBody(const Job& job) {
    const std::size_t slotSize = RowCacheSize(job.sw);
    std::int32_t slotRow[kRowSlots];
    for (std::int32_t& r : slotRow) r = -1;
    const std::size_t rowBytes = static_cast<std::size_t>(job.dw) * 3;

    for (std::int32_t y = 0; y < job.dh; ++y) {  // rising: the source is read as one forward stream
        const double fy = y * job.sy;
        const double iy = std::floor(fy);
        const double dy = fy - iy;
        const double* rows[4];
        double wy[4];
        for (int m = -1; m <= 2; ++m) {
            const std::int32_t r = std::clamp(static_cast<std::int32_t>(iy) + m, 0, job.sh - 1);
            double* slot = job.rowCache + slotSize * static_cast<std::size_t>(r % kRowSlots);
            if (slotRow[r % kRowSlots] != r) {
                ConvertRow(job.src + job.srcStride * static_cast<std::size_t>(r), job.sw, slot);
                slotRow[r % kRowSlots] = r;
            }
            rows[m + 1] = slot;
            wy[m + 1] = TentWeight(m - dy);
        }
        std::uint8_t* out = job.dst + job.dstStride * static_cast<std::size_t>(y);
        std::int32_t x = 0;
        for (; x + 4 < job.dw; x += 4) SumPixels<4, true>(job, rows, wy, x, out);
        for (; x < job.dw; ++x) SumPixels<1, false>(job, rows, wy, x, out);
        std::fill(out + rowBytes, out + job.dstStride, std::uint8_t{0});
    }
}

void ResampleBase(const Job& job) { ResampleBody(job); }

#ifdef PANOREL_RESAMPLE_AVX2
// Wider vectors only; no fused multiply-add, which would change the results.
__attribute__((target("avx2"))) void ResampleAvx2(const Job& job) { ResampleBody(job); }
#endif

using Kernel = void (*)(const Job&);

Kernel PickKernel() {
#ifdef PANOREL_RESAMPLE_AVX2
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return ResampleAvx2;
#endif
    return ResampleBase;
}

}  // namespace

std::size_t DibStride(std::int32_t width) {
    if (width < 1) return 0;
    return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
}

double TentWeight(double x) {
    const double a = std::fabs(x);
    return a < 2.0 ? 0.5 - a / 4.0 : 0.0;
}

bool ResampleSizesValid(std::size_t srcSize, std::int32_t sw, std::int32_t sh, std::int32_t dw, std::int32_t dh) {
    if (sw < 1 || sh < 1 || dw < 2 || dh < 2) return false;
    if (sw > kMaxResampleSide || sh > kMaxResampleSide || dw > kMaxResampleSide || dh > kMaxResampleSide) return false;
    if (std::int64_t{sw} * sh > kMaxResamplePixels || std::int64_t{dw} * dh > kMaxResamplePixels) return false;
    return srcSize / DibStride(sw) >= static_cast<std::size_t>(sh);
}

bool ResampleBuffer(const std::uint8_t* src, std::size_t srcSize, PixelBuffer& dst, std::int32_t sw,
                    std::int32_t sh, std::int32_t dw, std::int32_t dh) {
    if (src == nullptr || !ResampleSizesValid(srcSize, sw, sh, dw, dh)) return false;
    static const Kernel kernel = PickKernel();

    const double sx = static_cast<double>(sw - 1) / static_cast<double>(dw - 1);
    std::vector<std::int32_t> column(static_cast<std::size_t>(dw));
    std::vector<double> columnWeight(4 * static_cast<std::size_t>(dw));
    for (std::int32_t x = 0; x < dw; ++x) {
        const double fx = x * sx;
        const double ix = std::floor(fx);
        const double dx = fx - ix;
        // Taps n = -1..2 read padded pixels ix + n + 1, that is ix .. ix + 3.
        column[x] = std::clamp(static_cast<std::int32_t>(ix), 0, sw - 1);
        for (int n = -1; n <= 2; ++n) columnWeight[4 * static_cast<std::size_t>(x) + n + 1] = TentWeight(dx - n);
    }
    std::vector<double> rowCache(kRowSlots * RowCacheSize(sw));

    dst.resize(DibStride(dw) * static_cast<std::size_t>(dh));
    const Job job{src,           DibStride(sw), sw, sh, dw, dh,
                  static_cast<double>(sh - 1) / static_cast<double>(dh - 1),
                  column.data(), columnWeight.data(), dst.data(), DibStride(dw), rowCache.data()};
    kernel(job);
    return true;
}

}  // namespace panorel
