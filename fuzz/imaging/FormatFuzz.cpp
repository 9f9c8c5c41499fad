// BMP, TGA, ICO or PNG bytes (chosen by PANOREL_FUZZ_FORMAT) through their
// parser; PNG inflating with zlib (PANOREL_FUZZ_ZLIB) or with our own inflater.
#include <cstddef>
#include <cstdint>
#include <string>

#include "imaging/ZlibRuntime.h"
#include "imaging/cBMPparser.h"
#include "imaging/cICOparser.h"
#include "imaging/cPNGparser.h"
#include "imaging/cTGAparser.h"

using namespace panorel::imaging;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ParseOptions options;
    options.limits.maxPixelBytes = std::uint64_t{64} << 10;  // small pictures keep each run quick
    PixelImage out;
#if PANOREL_FUZZ_FORMAT == 1
    ParseResult r = cBMPparser::LoadStream(data, size, options, out);
#elif PANOREL_FUZZ_FORMAT == 2
    ParseResult r = cTGAparser::LoadStream(data, size, options, out);
#elif PANOREL_FUZZ_FORMAT == 3
    options.iconCx = options.iconCy = size > 0 ? data[0] : 32;
    ParseResult r = cICOparser::LoadStream(data, size, options, out);
#else
#ifdef PANOREL_FUZZ_ZLIB
    options.zlib = ZlibRuntime::Api();
    options.zlib.crc32 = nullptr;  // mutated chunks would almost never pass their CRCs
#endif
    std::string error;
    ParseResult r = cPNGparser::LoadStream(data, size, options, out, error);
#endif
    if (r == ParseResult::Loaded && out.bgra.size() != std::size_t(out.width) * out.height * 4) __builtin_trap();
    return 0;
}
