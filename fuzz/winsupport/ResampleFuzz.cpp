// Any sizes and any source bytes: ResampleBuffer either refuses cleanly or
// fills exactly stride x height bytes that match the plain loop, on both paths.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "winsupport/Resample.h"
#include "winsupport/ResampleOracle.h"

namespace {

// Mostly small sides (so the check against the plain loop stays quick), now
// and then far out of range.
std::int32_t Side(const std::uint8_t* p) {
    std::int16_t v;
    std::memcpy(&v, p, sizeof v);
    if (v > 200) return v % 4 == 0 ? v * 4096 : v % 200;
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 8) return 0;
    const std::int32_t sw = Side(data), sh = Side(data + 2), dw = Side(data + 4), dh = Side(data + 6);
    const panorel::PixelBuffer src(data + 8, data + size);  // its own allocation, so ASan sees every overrun
    panorel::PixelBuffer dst(3, 0x55);
    const bool valid = panorel::ResampleSizesValid(src.size(), sw, sh, dw, dh);
    const bool done = panorel::ResampleBuffer(src, dst, sw, sh, dw, dh);
    if (done != valid) std::abort();
    if (!done) {
        if (dst != panorel::PixelBuffer(3, 0x55)) std::abort();
        return 0;
    }
    if (dst.size() != panorel::DibStride(dw) * static_cast<std::size_t>(dh)) std::abort();
    if (std::int64_t{sw} * sh + std::int64_t{dw} * dh <= 40000) {
        std::vector<std::uint8_t> plain;
        panorel::test::OracleResample(src, plain, sw, sh, dw, dh);
        if (plain != dst) std::abort();
        // The path of processors without AVX2 as well.
        if (!panorel::ResampleBuffer(src, dst, sw, sh, dw, dh, panorel::ResamplePath::Baseline) || plain != dst)
            std::abort();
    }
    return 0;
}
