#pragma once
// The smoothing resampler behind the screen previews: 24-bit pixel buffers,
// 3 bytes blue, green, red per pixel, rows padded to 4 bytes. Every output
// pixel is a tent-filtered mix of up to 4 x 4 source pixels, with the source's
// edges replicated outwards.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace panorel {

using PixelBuffer = std::vector<std::uint8_t>;

// Largest side and pixel count accepted for either picture; bigger requests are
// refused instead of asking for gigabytes.
constexpr std::int32_t kMaxResampleSide = 32767;
constexpr std::int64_t kMaxResamplePixels = std::int64_t{1} << 26;

// Bytes per row of a 24-bit picture of this width: 3 per pixel rounded up to a
// multiple of 4. 0 for widths below 1.
std::size_t DibStride(std::int32_t width);

// 0.5 - |x| / 4 inside (-2, 2), else 0. The four taps at distances -1-d, -d,
// 1-d, 2-d always add up to 1.
double TentWeight(double x);

// Scales src (sw x sh) to dst (dw x dh), first and last output pixels sitting
// on the first and last source pixels. dst is resized to DibStride(dw) * dh
// bytes, its row padding zeroed. Refused (false, dst untouched) when a
// destination side is below 2, a source side below 1, a side or pixel count
// beyond the limits above, or the source holds fewer than DibStride(sw) * sh
// bytes.
// The code doing the work: the fastest this processor runs (AVX2 where it has
// it), or the one every processor of the build runs (SSE2 on x86). Both give
// the same bytes; tests and benchmarks ask for each.
enum class ResamplePath { Fastest, Baseline };
// "AVX2", "SSE2" or "baseline": what ResamplePath::Fastest is on this processor.
const char* FastestResamplePathName();

bool ResampleBuffer(const std::uint8_t* src, std::size_t srcSize, PixelBuffer& dst, std::int32_t sw,
                    std::int32_t sh, std::int32_t dw, std::int32_t dh, ResamplePath path = ResamplePath::Fastest);
inline bool ResampleBuffer(const PixelBuffer& src, PixelBuffer& dst, std::int32_t sw, std::int32_t sh,
                           std::int32_t dw, std::int32_t dh, ResamplePath path = ResamplePath::Fastest) {
    return ResampleBuffer(src.data(), src.size(), dst, sw, sh, dw, dh, path);
}

// Whether ResampleBuffer would accept these sizes for a source of srcSize bytes.
bool ResampleSizesValid(std::size_t srcSize, std::int32_t sw, std::int32_t sh, std::int32_t dw, std::int32_t dh);

}  // namespace panorel
