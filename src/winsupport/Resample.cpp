#include "winsupport/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

// Every lane of the vectors below does exactly the scalar arithmetic of the
// plain filter loop, wy * wx * byte added tap by tap in the same order, so the
// results are the same to the bit. The speed comes from doing two pixels'
// colours at once, from converting each source row to doubles once (with its
// edges replicated) instead of per tap, and from tap tables built once per
// call. The work is written for 16-byte vectors, which every x86 build has
// (SSE2), and runs in the AVX encoding where the processor has AVX2.
#if !defined(__GNUC__) && !defined(__clang__)
#error "the vector extensions of GCC or Clang are needed"
#endif
#define PANOREL_ALWAYS_INLINE __attribute__((always_inline)) inline

// MinGW's GCC cannot align the stack to 32 bytes for spilled AVX registers;
// the Windows builds assemble this file with -muse-unaligned-vector-move, which
// makes every such spill an unaligned move (src/CMakeLists.txt), should the
// compiler ever spill one.
#if defined(__x86_64__) || defined(__i386__)
#define PANOREL_RESAMPLE_AVX2 1
#endif

namespace panorel {
namespace {

// Two output pixels are six doubles in three such vectors, (b0 g0) (r0 b1)
// (g1 r1): no lane is wasted, and GCC and Clang both keep them in registers
// (GCC split 32-byte vectors through memory without AVX, and lowered them
// badly even with it).
using V2d = double __attribute__((vector_size(16)));

// Adding and subtracting 1.5 * 2^52 rounds a double in [0, 2^51) to the nearest
// integer, halves to even, exactly like RoundHalfEven.
constexpr double kRoundMagic = 6755399441055744.0;

// Converted rows are kept in slots chosen by row number modulo 4: the rows of
// one output row are at most four consecutive ones, so they never share a
// slot, and a row still needed by the next output row keeps its slot.
constexpr int kRowSlots = 4;

// Doubles per converted row: 3 per padded pixel.
constexpr std::size_t RowCacheSize(std::int32_t sw) { return 3 * (static_cast<std::size_t>(sw) + 3); }

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
PANOREL_ALWAYS_INLINE void Load(V2d& v, const double* p) { std::memcpy(&v, p, sizeof v); }

// One source row as doubles, 3 per pixel, with pixel 0 repeating pixel 1 and
// pixels sw + 1 and sw + 2 repeating pixel sw, as the filter's padded source
// has it. On x86 16 bytes at a time, widened by interleaving with zeros to
// 32-bit lanes and converted two by two (exact); GCC lowers the same shuffles
// written on its generic vectors to scalar code, so this part says it directly.
PANOREL_ALWAYS_INLINE void ConvertRow(const std::uint8_t* in, std::int32_t sw, double* out) {
    const std::size_t bytes = 3 * static_cast<std::size_t>(sw);
    double* body = out + 3;
    std::size_t j = 0;
#ifdef __SSE2__
    const __m128i z = _mm_setzero_si128();
    for (; j + 16 <= bytes; j += 16) {
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + j));
        const __m128i words[2] = {_mm_unpacklo_epi8(b, z), _mm_unpackhi_epi8(b, z)};
        for (int h = 0; h < 2; ++h) {
            const __m128i ints[2] = {_mm_unpacklo_epi16(words[h], z), _mm_unpackhi_epi16(words[h], z)};
            for (int e = 0; e < 2; ++e) {
                double* o = body + j + 8 * h + 4 * e;
                _mm_storeu_pd(o, _mm_cvtepi32_pd(ints[e]));
                _mm_storeu_pd(o + 2, _mm_cvtepi32_pd(_mm_shuffle_epi32(ints[e], 0xEE)));
            }
        }
    }
#endif
    for (; j < bytes; ++j) body[j] = in[j];
    for (int c = 0; c < 3; ++c) {
        out[c] = body[c];
        body[bytes + c] = body[bytes - 3 + c];
        body[bytes + 3 + c] = body[bytes - 3 + c];
    }
}

// Rounds six sums (two pixels) or three (one) and writes their bytes.
template <int Sums>
PANOREL_ALWAYS_INLINE void StoreBytes(std::uint8_t* out, const V2d* sum) {
    const V2d magic = {kRoundMagic, kRoundMagic};
    const V2d top = {kRoundMagic + 255.0, kRoundMagic + 255.0};
    std::uint64_t bits[2 * ((Sums + 1) / 2)];
    for (int i = 0; i < (Sums + 1) / 2; ++i) {
        V2d t = sum[i] + magic;  // the rounded value in the low bits
        t = t > top ? top : t;   // a weighted mean of bytes; guards the last ulp only
        std::memcpy(bits + 2 * i, &t, sizeof t);
    }
    for (int i = 0; i < Sums; ++i) out[i] = static_cast<std::uint8_t>(bits[i]);
}

// Pixels x and x + 1 for x + 1 < dw, or pixel x alone (lanes (b g) (r -)).
template <bool Pair>
PANOREL_ALWAYS_INLINE void SumPixels(const Job& job, const double* const* rows, const double* wy, std::int32_t x,
                                     std::uint8_t* out) {
    const std::size_t x1 = static_cast<std::size_t>(x) + (Pair ? 1 : 0);
    const double* cw0 = job.columnWeight + 4 * static_cast<std::size_t>(x);
    const double* cw1 = job.columnWeight + 4 * x1;
    V2d wx[4];  // per tap: the weights of both pixels
    for (int n = 0; n < 4; ++n) wx[n] = V2d{cw0[n], cw1[n]};
    V2d s0 = {0.0, 0.0}, s1 = {0.0, 0.0}, s2 = {0.0, 0.0};
#pragma GCC unroll 4
    for (int m = 0; m < 4; ++m) {
        const double* p0 = rows[m] + 3 * static_cast<std::size_t>(job.column[x]);
        const double* p1 = rows[m] + 3 * static_cast<std::size_t>(job.column[x1]);
#pragma GCC unroll 4
        for (int n = 0; n < 4; ++n) {
            const V2d w = wy[m] * wx[n];  // the products wy * wx of both pixels' taps
            V2d a;
            Load(a, p0 + 3 * n);
            s0 += __builtin_shufflevector(w, w, 0, 0) * a;
            if (Pair) {
                V2d c;
                Load(c, p1 + 3 * n + 1);
                s1 += w * V2d{p0[3 * n + 2], p1[3 * n]};
                s2 += __builtin_shufflevector(w, w, 1, 1) * c;
            } else {
                s1 += w * V2d{p0[3 * n + 2], 0.0};
            }
        }
    }
    const V2d sums[3] = {s0, s1, s2};
    StoreBytes<Pair ? 6 : 3>(out + 3 * static_cast<std::size_t>(x), sums);
}

PANOREL_ALWAYS_INLINE void SumRow(const Job& job, const double* const* rows, const double* wy, std::uint8_t* out) {
    std::int32_t x = 0;
    for (; x + 1 < job.dw; x += 2) SumPixels<true>(job, rows, wy, x, out);
    if (x < job.dw) SumPixels<false>(job, rows, wy, x, out);
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
        SumRow(job, rows, wy, out);
        std::fill(out + rowBytes, out + job.dstStride, std::uint8_t{0});
    }
}

void ResampleBase(const Job& job) { ResampleBody(job); }

#ifdef PANOREL_RESAMPLE_AVX2
// The same code in the AVX encoding: three-operand instructions save the
// register copies that the two-operand SSE2 forms need, which counts most in
// the i686 build's eight vector registers. No fused multiply-add, which would
// change the results.
__attribute__((target("avx2"))) void ResampleAvx2(const Job& job) { ResampleBody(job); }
#endif

using Kernel = void (*)(const Job&);

struct Picked {
    Kernel kernel;
    const char* name;
};

Picked PickKernel() {
#ifdef PANOREL_RESAMPLE_AVX2
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return {ResampleAvx2, "AVX2"};
    return {ResampleBase, "SSE2"};
#else
    return {ResampleBase, "baseline"};
#endif
}

const Picked& Fastest() {
    static const Picked picked = PickKernel();
    return picked;
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

const char* FastestResamplePathName() { return Fastest().name; }

bool ResampleBuffer(const std::uint8_t* src, std::size_t srcSize, PixelBuffer& dst, std::int32_t sw,
                    std::int32_t sh, std::int32_t dw, std::int32_t dh, ResamplePath path) {
    if (src == nullptr || !ResampleSizesValid(srcSize, sw, sh, dw, dh)) return false;
    const Kernel kernel = path == ResamplePath::Baseline ? ResampleBase : Fastest().kernel;

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
