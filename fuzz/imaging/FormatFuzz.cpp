// BMP, TGA or ICO bytes (chosen by PANOREL_FUZZ_FORMAT) through their parser.
#include <cstddef>
#include <cstdint>

#include "imaging/cBMPparser.h"
#include "imaging/cICOparser.h"
#include "imaging/cTGAparser.h"

using namespace panorel::imaging;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ParseOptions options;
    options.limits.maxPixelBytes = std::uint64_t{64} << 20;
    PixelImage out;
#if PANOREL_FUZZ_FORMAT == 1
    ParseResult r = cBMPparser::LoadStream(data, size, options, out);
#elif PANOREL_FUZZ_FORMAT == 2
    ParseResult r = cTGAparser::LoadStream(data, size, options, out);
#else
    options.iconCx = options.iconCy = size > 0 ? data[0] : 32;
    ParseResult r = cICOparser::LoadStream(data, size, options, out);
#endif
    if (r == ParseResult::Loaded && out.bgra.size() != std::size_t(out.width) * out.height * 4) __builtin_trap();
    return 0;
}
