#include "winsupport/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

// Every lane of the vectors below does exactly the scalar arithmetic of the
// plain filter loop, wy * wx * byte added tap by tap in the same order, so the
// results are the same to the bit. The speed comes from doing several pixels'
// colours at once, from converting each source row to doubles once (with its
// edges replicated) instead of per tap, from tap tables built once per call,
// and from working in strips of output columns, whose converted rows stay in
// the first-level cache. Every x86 build has 16-byte vectors (SSE2), which
// hold two pixels' sums in three registers; where the processor has AVX2, the
// same three 32-byte registers hold four pixels' sums.
#if !defined(__GNUC__) && !defined(__clang__)
#error "the vector extensions of GCC or Clang are needed"
#endif
#define PANOREL_ALWAYS_INLINE __attribute__((always_inline)) inline

// MinGW's GCC cannot align the stack to 32 bytes for spilled AVX registers;
// the Windows builds assemble this file with -muse-unaligned-vector-move, which
// makes every such spill an unaligned move (src/CMakeLists.txt).
#if defined(__x86_64__) || defined(__i386__)
#define PANOREL_RESAMPLE_AVX2 1
#endif

namespace panorel {
namespace {

// Two output pixels are six doubles in three such vectors, (b0 g0) (r0 b1)
// (g1 r1): no lane is wasted, and GCC and Clang both keep them in registers.
using V2d = double __attribute__((vector_size(16)));

// Adding and subtracting 1.5 * 2^52 rounds a double in [0, 2^51) to the nearest
// integer, halves to even, exactly like RoundHalfEven.
constexpr double kRoundMagic = 6755399441055744.0;

// Converted rows are kept in slots chosen by row number modulo 4: the rows of
// one output row are at most four consecutive ones, so they never share a
// slot, and a row still needed by the next output row keeps its slot.
constexpr int kRowSlots = 4;

// Output columns per strip, a multiple of 4. At the previews' scale of about
// 2.2 a strip's four converted rows take some 28 KB: they and the strip's
// weights stay in a 48 KB first-level cache, where whole rows (46 KB each at
// 1920 pixels) would not.
constexpr std::int32_t kStripColumns = 128;

// The four-pixel loads reach up to 2 doubles before a row and 2 after it,
// lanes that are never used; the cache has this many doubles to spare before
// its first slot and after its last.
constexpr std::size_t kRowCacheSlack = 4;

struct Job {
    const std::uint8_t* src;
    std::size_t srcStride;
    std::int32_t sw, sh, dw, dh;
    double sy;
    const std::int32_t* column;  // per output column: padded index of its first tap
    const double* columnWeight;  // per output column: the four tap weights
    const double* quadWeight;    // per four output columns x..x+3, per tap: their four weights
    std::uint8_t* dst;
    std::size_t dstStride;
    double* rowCache;     // kRowSlots converted row pieces
    std::size_t slotSize; // doubles per slot: 3 per padded pixel of the widest strip
};

// The output columns x0..x1 - 1 and the padded source pixels first..last
// their taps read; a slot holds those pixels from `first` on.
struct Strip {
    std::int32_t x0, x1, first, last;
};

// Vectors pass by reference only: by value they would change the calling
// convention between the plain and the AVX2 build of the same code.
PANOREL_ALWAYS_INLINE void Load(V2d& v, const double* p) { std::memcpy(&v, p, sizeof v); }

// Bytes to doubles, 16 at a time: widened by interleaving with zeros to 32-bit
// lanes and converted two by two (exact). GCC lowers the same shuffles written
// on its generic vectors to scalar code, so this part says it directly.
PANOREL_ALWAYS_INLINE void ConvertBytesSse2(const std::uint8_t* in, std::size_t count, double* out) {
    std::size_t j = 0;
#ifdef __SSE2__
    const __m128i z = _mm_setzero_si128();
    for (; j + 16 <= count; j += 16) {
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + j));
        const __m128i words[2] = {_mm_unpacklo_epi8(b, z), _mm_unpackhi_epi8(b, z)};
        for (int h = 0; h < 2; ++h) {
            const __m128i ints[2] = {_mm_unpacklo_epi16(words[h], z), _mm_unpackhi_epi16(words[h], z)};
            for (int e = 0; e < 2; ++e) {
                double* o = out + j + 8 * h + 4 * e;
                _mm_storeu_pd(o, _mm_cvtepi32_pd(ints[e]));
                _mm_storeu_pd(o + 2, _mm_cvtepi32_pd(_mm_shuffle_epi32(ints[e], 0xEE)));
            }
        }
    }
#endif
    for (; j < count; ++j) out[j] = in[j];
}

// Padded pixels first..last of one source row as doubles, 3 per pixel: padded
// pixel i is source pixel i - 1, with pixel 0 repeating source pixel 0 and
// pixels sw + 1 and sw + 2 repeating source pixel sw - 1.
template <class Steps>
PANOREL_ALWAYS_INLINE void ConvertPiece(const std::uint8_t* row, std::int32_t sw, const Strip& s, double* out) {
    auto edge = [&](std::int32_t source) {
        for (int c = 0; c < 3; ++c) *out++ = row[3 * source + c];
    };
    std::int32_t i = s.first;
    if (i == 0) {
        edge(0);
        i = 1;
    }
    const std::int32_t inner = std::min(s.last, sw);
    if (inner >= i) {
        const std::size_t count = 3 * static_cast<std::size_t>(inner - i + 1);
        Steps::ConvertBytes(row + 3 * static_cast<std::size_t>(i - 1), count, out);
        out += count;
        i = inner + 1;
    }
    for (; i <= s.last; ++i) edge(sw - 1);
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

// Where tap 0 of output column x starts in a slot of the strip.
PANOREL_ALWAYS_INLINE std::size_t TapOffset(const Job& job, const Strip& s, std::int32_t x) {
    return 3 * static_cast<std::size_t>(job.column[x] - s.first);
}

// Pixels x and x + 1 for x + 1 < dw, or pixel x alone (lanes (b g) (r -)).
template <bool Pair>
PANOREL_ALWAYS_INLINE void SumPixels(const Job& job, const Strip& strip, const double* const* rows,
                                     const double* wy, std::int32_t x, std::uint8_t* out) {
    const std::int32_t x1 = x + (Pair ? 1 : 0);
    const double* cw0 = job.columnWeight + 4 * static_cast<std::size_t>(x);
    const double* cw1 = job.columnWeight + 4 * static_cast<std::size_t>(x1);
    V2d wx[4];  // per tap: the weights of both pixels
    for (int n = 0; n < 4; ++n) wx[n] = V2d{cw0[n], cw1[n]};
    V2d s0 = {0.0, 0.0}, s1 = {0.0, 0.0}, s2 = {0.0, 0.0};
#pragma GCC unroll 4
    for (int m = 0; m < 4; ++m) {
        const double* p0 = rows[m] + TapOffset(job, strip, x);
        const double* p1 = rows[m] + TapOffset(job, strip, x1);
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

// What the two kernels differ in: how bytes become doubles, and how many
// pixels of a strip's row from its left are summed four at a time (the rest
// go in pairs).
struct BaseSteps {
    static void ConvertBytes(const std::uint8_t* in, std::size_t count, double* out) {
        ConvertBytesSse2(in, count, out);
    }
    static std::int32_t SumQuads(const Job&, const Strip& s, const double* const*, const double*, std::uint8_t*) {
        return s.x0;
    }
};

// A strip reads each source row in a piece of its own, a page apart from the
// next row's, which the processor's prefetcher does not guess: the piece a
// few rows on is asked for while this one is converted.
constexpr std::int32_t kPrefetchRows = 6;

PANOREL_ALWAYS_INLINE void PrefetchPiece(const Job& job, const Strip& s, std::int32_t r) {
    if (r >= job.sh) return;
    const std::int32_t from = std::max(s.first - 1, 0), to = std::min(s.last - 1, job.sw - 1);
    const std::uint8_t* row = job.src + job.srcStride * static_cast<std::size_t>(r);
    for (std::size_t b = 3 * static_cast<std::size_t>(from); b < 3 * static_cast<std::size_t>(to) + 3; b += 64)
        __builtin_prefetch(row + b);
    __builtin_prefetch(row + 3 * static_cast<std::size_t>(to) + 2);
}

template <class Steps>
PANOREL_ALWAYS_INLINE void ResampleBody(const Job& job) {
    for (std::int32_t x0 = 0; x0 < job.dw; x0 += kStripColumns) {
        const std::int32_t x1 = std::min(job.dw, x0 + kStripColumns);
        const Strip strip{x0, x1, job.column[x0], job.column[x1 - 1] + 3};
        std::int32_t slotRow[kRowSlots];
        for (std::int32_t& r : slotRow) r = -1;
        for (std::int32_t y = 0; y < job.dh; ++y) {  // rising: the source is read as one forward stream
            const double fy = y * job.sy;
            const double iy = std::floor(fy);
            const double dy = fy - iy;
            const double* rows[4];
            double wy[4];
            for (int m = -1; m <= 2; ++m) {
                const std::int32_t r = std::clamp(static_cast<std::int32_t>(iy) + m, 0, job.sh - 1);
                double* slot = job.rowCache + job.slotSize * static_cast<std::size_t>(r % kRowSlots);
                if (slotRow[r % kRowSlots] != r) {
                    ConvertPiece<Steps>(job.src + job.srcStride * static_cast<std::size_t>(r), job.sw, strip, slot);
                    slotRow[r % kRowSlots] = r;
                    PrefetchPiece(job, strip, r + kPrefetchRows);
                }
                rows[m + 1] = slot;
                wy[m + 1] = TentWeight(m - dy);
            }
            std::uint8_t* out = job.dst + job.dstStride * static_cast<std::size_t>(y);
            std::int32_t x = Steps::SumQuads(job, strip, rows, wy, out);
            for (; x + 1 < x1; x += 2) SumPixels<true>(job, strip, rows, wy, x, out);
            if (x < x1) SumPixels<false>(job, strip, rows, wy, x, out);
        }
    }
    const std::size_t rowBytes = static_cast<std::size_t>(job.dw) * 3;
    for (std::int32_t y = 0; y < job.dh; ++y) {
        std::uint8_t* out = job.dst + job.dstStride * static_cast<std::size_t>(y);
        std::fill(out + rowBytes, out + job.dstStride, std::uint8_t{0});
    }
}

void ResampleBase(const Job& job) { ResampleBody<BaseSteps>(job); }

#ifdef PANOREL_RESAMPLE_AVX2
// The AVX2 steps are functions of their own, called once per row piece, so
// that they may use the AVX2 intrinsics (code inlined into the kernel could
// not).

// A byte b in the low bits of 2^52's mantissa is the double 2^52 + b, and
// subtracting 2^52 leaves b exactly: cheaper than the conversion instruction,
// which would compete with the shuffles of the sums for one port.
__attribute__((target("avx2"), always_inline)) inline void ConvertFourAvx2(const std::uint8_t* in, double* out) {
    const __m256i q = _mm256_or_si256(_mm256_cvtepu8_epi64(_mm_loadu_si32(in)),
                                      _mm256_set1_epi64x(0x4330000000000000));
    _mm256_storeu_pd(out, _mm256_sub_pd(_mm256_castsi256_pd(q), _mm256_set1_pd(4503599627370496.0)));
}

__attribute__((target("avx2"), noinline)) void ConvertBytesAvx2(const std::uint8_t* in, std::size_t count,
                                                                 double* out) {
    std::size_t j = 0;
    for (; j + 16 <= count; j += 16) {  // four at a time, so the loop's own work counts little
        ConvertFourAvx2(in + j, out + j);
        ConvertFourAvx2(in + j + 4, out + j + 4);
        ConvertFourAvx2(in + j + 8, out + j + 8);
        ConvertFourAvx2(in + j + 12, out + j + 12);
    }
    for (; j + 4 <= count; j += 4) ConvertFourAvx2(in + j, out + j);
    for (; j < count; ++j) out[j] = in[j];
}

// Four output pixels at a time, their twelve sums in three 32-byte vectors,
// (b0 g0 r0 b1) (g1 r1 b2 g2) (r2 b3 g3 r3). Per tap: the four weights wy * wx
// in one product, spread over the three by lane shuffles; each pixel vector is
// one load with a lane or two of another blended in.
__attribute__((target("avx2"), noinline)) std::int32_t SumQuadsAvx2(const Job& job, const Strip& strip,
                                                                     const double* const* rows, const double* wy,
                                                                     std::uint8_t* out) {
    const __m256d magic = _mm256_set1_pd(kRoundMagic);
    // The low byte of each lane of (sum + magic) is the rounded sum: bytes 0
    // and 8 of each 128-bit half, to the first four bytes of the result.
    const __m256i pick = _mm256_setr_epi8(0, 8, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  //
                                          -1, -1, 0, 8, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    std::int32_t x = strip.x0;
    for (; x + 3 < strip.x1; x += 4) {
        const double* qw = job.quadWeight + 4 * static_cast<std::size_t>(x);
        const std::size_t c0 = TapOffset(job, strip, x), c1 = TapOffset(job, strip, x + 1);
        const std::size_t c2 = TapOffset(job, strip, x + 2), c3 = TapOffset(job, strip, x + 3);
        __m256d s0 = _mm256_setzero_pd(), s1 = s0, s2 = s0;
        // Clang schedules the whole quad unrolled well. GCC unrolled computes
        // all sixteen products first and spills; as loops it does not.
#ifdef __clang__
#pragma GCC unroll 4
#else
#pragma GCC unroll 1
#endif
        for (int m = 0; m < 4; ++m) {
            const double* r = rows[m];
            const __m256d vy = _mm256_broadcast_sd(wy + m);
#ifdef __clang__
#pragma GCC unroll 4
#else
#pragma GCC unroll 1
#endif
            for (int n = 0; n < 4; ++n) {
                const __m256d w = _mm256_mul_pd(vy, _mm256_loadu_pd(qw + 4 * n));  // w0 w1 w2 w3
                const double* p0 = r + c0 + 3 * n;
                const double* p1 = r + c1 + 3 * n;
                const double* p2 = r + c2 + 3 * n;
                const double* p3 = r + c3 + 3 * n;
                const __m256d a0 = _mm256_blend_pd(_mm256_loadu_pd(p0), _mm256_broadcast_sd(p1), 8);
                const __m256d a1 = _mm256_blend_pd(_mm256_loadu_pd(p1 + 1), _mm256_loadu_pd(p2 - 2), 12);
                const __m256d a2 = _mm256_blend_pd(_mm256_loadu_pd(p3 - 1), _mm256_broadcast_sd(p2 + 2), 1);
                s0 = _mm256_add_pd(s0, _mm256_mul_pd(_mm256_permute4x64_pd(w, 0x40), a0));  // w0 w0 w0 w1
                s1 = _mm256_add_pd(s1, _mm256_mul_pd(_mm256_permute_pd(w, 0x3), a1));       // w1 w1 w2 w2
                s2 = _mm256_add_pd(s2, _mm256_mul_pd(_mm256_permute4x64_pd(w, 0xFE), a2));  // w2 w3 w3 w3
            }
        }
        std::uint8_t* o = out + 3 * static_cast<std::size_t>(x);
        const __m256d sums[3] = {s0, s1, s2};
        for (int i = 0; i < 3; ++i) {
            const __m256i t = _mm256_shuffle_epi8(_mm256_castpd_si256(_mm256_add_pd(sums[i], magic)), pick);
            const int v = _mm_cvtsi128_si32(_mm_or_si128(_mm256_castsi256_si128(t), _mm256_extracti128_si256(t, 1)));
            std::memcpy(o + 4 * i, &v, sizeof v);
        }
    }
    return x;
}

struct Avx2Steps {
    static void ConvertBytes(const std::uint8_t* in, std::size_t count, double* out) {
        ConvertBytesAvx2(in, count, out);
    }
    static std::int32_t SumQuads(const Job& job, const Strip& strip, const double* const* rows, const double* wy,
                                 std::uint8_t* out) {
        return SumQuadsAvx2(job, strip, rows, wy, out);
    }
};

// The pairs left at the right edge and everything else in the AVX encoding
// too. No fused multiply-add anywhere, which would change the results.
__attribute__((target("avx2"))) void ResampleAvx2(const Job& job) { ResampleBody<Avx2Steps>(job); }
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
    std::vector<double> quadWeight(16 * ((static_cast<std::size_t>(dw) + 3) / 4));
    for (std::int32_t x = 0; x < dw; ++x) {
        const double fx = x * sx;
        const double ix = std::floor(fx);
        const double dx = fx - ix;
        // Taps n = -1..2 read padded pixels ix + n + 1, that is ix .. ix + 3.
        column[x] = std::clamp(static_cast<std::int32_t>(ix), 0, sw - 1);
        for (int n = -1; n <= 2; ++n) {
            const double w = TentWeight(dx - n);
            columnWeight[4 * static_cast<std::size_t>(x) + n + 1] = w;
            quadWeight[16 * static_cast<std::size_t>(x / 4) + 4 * (n + 1) + x % 4] = w;
        }
    }
    std::int32_t widest = 0;  // padded pixels of the widest strip
    for (std::int32_t x0 = 0; x0 < dw; x0 += kStripColumns) {
        const std::int32_t x1 = std::min(dw, x0 + kStripColumns);
        widest = std::max(widest, column[x1 - 1] + 3 - column[x0] + 1);
    }
    const std::size_t slotSize = 3 * static_cast<std::size_t>(widest);
    std::vector<double> rowCache(kRowSlots * slotSize + 2 * kRowCacheSlack);

    dst.resize(DibStride(dw) * static_cast<std::size_t>(dh));
    const Job job{src,           DibStride(sw), sw, sh, dw, dh,
                  static_cast<double>(sh - 1) / static_cast<double>(dh - 1),
                  column.data(), columnWeight.data(), quadWeight.data(), dst.data(), DibStride(dw),
                  rowCache.data() + kRowCacheSlack, slotSize};
    kernel(job);
    return true;
}

}  // namespace panorel
