// Any sizes and any source bytes: ResampleBuffer either refuses cleanly or
// fills exactly stride x height bytes that match the plain loop, on both paths.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>

#include "winsupport/Resample.h"
#include "winsupport/ResampleOracle.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    // Mostly small sides (so the check against the plain loop stays quick), now and then far out of range.
    const auto side = [&] {
        const std::int32_t v = in.ConsumeIntegral<std::int16_t>();
        return v <= 200 ? v : (v % 4 == 0 ? v * 4096 : v % 200);
    };
    const std::int32_t sw = side(), sh = side(), dw = side(), dh = side();
    // Its own allocation, so ASan sees every overrun.
    const panorel::PixelBuffer src = in.ConsumeRemainingBytes<std::uint8_t>();
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
