// Random pictures and options through every writer. PNG, BMP and TGA (with
// straight colours) are read back through our parsers and must give the
// picture exactly; JPEG and GIF must write or refuse cleanly.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/PanorelError.h"
#include "imaging/BmpWriter.h"
#include "imaging/GifWriter.h"
#include "imaging/TgaWriter.h"
#include "imaging/ZlibRuntime.h"
#include "imaging/cJPGWriter.h"
#include "imaging/cPNGwriter.h"
#include "imaging/modParsers.h"

using namespace panorel::imaging;

namespace {

void ExpectSame(const PixelImage& want, const std::vector<std::uint8_t>& file, bool zeroAlphaIsNone) {
    ParseOptions options;
    options.zlib = ZlibRuntime::Api();
    PixelImage got;
    if (!DetectAndParse(file.data(), file.size(), options, {}, got)) __builtin_trap();
    bool allClear = zeroAlphaIsNone;  // BMP and TGA: an all-zero alpha channel reads as no alpha
    for (std::size_t i = 3; i < want.bgra.size(); i += 4) allClear = allClear && want.bgra[i] == 0;
    if (got.width != want.width || got.height != want.height || got.bgra.size() != want.bgra.size()) __builtin_trap();
    for (std::size_t i = 0; i < want.bgra.size(); ++i)
        if (got.bgra[i] != (allClear && i % 4 == 3 ? 255 : want.bgra[i])) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 8) return 0;
    PixelImage image;
    image.width = 1 + data[0] % 48;
    image.height = 1 + data[1] % 48;
    const std::uint8_t flags = data[2], tolerance = data[3], quality = data[4];
    const ColorRef fill = (flags & 0x80) ? kNoFillColor : static_cast<ColorRef>(data[5] * 0x010203u & 0xFFFFFF);
    const std::size_t count = static_cast<std::size_t>(image.width) * image.height * 4;
    image.bgra.resize(count);
    // Pixel bytes repeat what follows the header; colours are kept within
    // their alpha so the picture is a valid premultiplied one.
    const std::uint8_t* pixels = data + 8;
    const std::size_t available = size - 8;
    for (std::size_t i = 0; i < count; ++i) image.bgra[i] = available ? pixels[i % available] : 0;
    for (std::size_t i = 0; i < count; i += 4)
        for (int c = 0; c < 3; ++c) image.bgra[i + c] = std::min(image.bgra[i + c], image.bgra[i + 3]);

    std::vector<std::uint8_t> out;
    if (!cPNGwriter(ZlibRuntime::Api()).Write(image, out)) __builtin_trap();
    ExpectSame(image, out, false);
    if (!SaveAsBMP(image, out, flags & 1, fill)) __builtin_trap();
    if (!(flags & 1) && fill < 0) ExpectSame(image, out, true);
    if (!SaveAsTGA(image, out, flags & 2, flags & 4, flags & 8)) __builtin_trap();
    if (!(flags & 8)) ExpectSame(image, out, true);
    if (!SaveAsGIF(image, out, flags & 16, tolerance)) __builtin_trap();
    try {
        cJPGWriter jpg;
        jpg.SetQuality(quality - 20);
        jpg.SetSampling(1 + data[6] % 4, 1 + data[7] % 4);
        if (!jpg.Write(image, out, fill)) __builtin_trap();
    } catch (const panorel::PanorelError&) {  // a sampling the writer refuses
    }
    return 0;
}
