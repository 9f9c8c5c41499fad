// PNG bytes through the reader, inflating with zlib (PANOREL_FUZZ_ZLIB) or
// with our own inflater.
#include <cstddef>
#include <cstdint>
#include <string>

#include "imaging/ZlibRuntime.h"
#include "imaging/cPNGparser.h"

using namespace panorel::imaging;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const ParseOptions options = [] {
        ParseOptions o;
        o.limits.maxPixelBytes = std::uint64_t{64} << 20;  // keep runs inside the fuzzer's memory limit
#ifdef PANOREL_FUZZ_ZLIB
        o.zlib = ZlibRuntime::Api();
        o.zlib.crc32 = nullptr;  // mutated chunks would almost never pass their CRCs
#endif
        return o;
    }();
    PixelImage out;
    std::string error;
    if (cPNGparser::LoadStream(data, size, options, out, error) == ParseResult::Loaded &&
        out.bgra.size() != std::size_t(out.width) * out.height * 4)
        __builtin_trap();
    return 0;
}
