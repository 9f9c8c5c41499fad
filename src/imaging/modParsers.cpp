#include "imaging/modParsers.h"

#include <new>

#include "imaging/cBMPparser.h"
#include "imaging/cICOparser.h"
#include "imaging/cPNGparser.h"
#include "imaging/cTGAparser.h"

namespace panorel::imaging {

void NormaliseIconWishes(ParseOptions& options) {
    if (options.iconCx < 0) options.iconCx = 0;
    if (options.iconCy < 0) options.iconCy = 0;
    if (options.iconBitDepth < 0 || options.iconBitDepth > 32) options.iconBitDepth = 32;
}

bool AllocatePixels(PixelImage& image, std::int64_t width, std::int64_t height, const ImageLimits& limits) {
    image = PixelImage{};
    if (!limits.Allows(width, height)) return false;
    try {
        image.bgra.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4u, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    image.width = static_cast<std::int32_t>(width);
    image.height = static_cast<std::int32_t>(height);
    return true;
}

std::int32_t ClassifyAlpha(const std::uint8_t* bgra, std::size_t bytes) {
    std::int32_t kind = kAlphaOpaque;
    for (std::size_t i = 3; i < bytes; i += 4) {
        std::uint8_t a = bgra[i];
        if (a == 255) continue;
        if (a != 0) return kAlphaFull;
        kind = kAlphaSimple;
    }
    return kind;
}

ParseResult LoadPng(const std::uint8_t* data, std::size_t size, const ParseOptions& options, const DetectHooks& hooks,
                    PixelImage& out) {
    out = PixelImage{};
    if (!cPNGparser::HasSignature(data, size)) return ParseResult::Declined;
    if (hooks.pngThroughPlatform && hooks.pngThroughPlatform(data, size, out) && !out.Empty()) return ParseResult::Loaded;
    std::string error;
    const ParseResult result = cPNGparser::LoadStream(data, size, options, out, error);
    if (result != ParseResult::Loaded && !error.empty() && hooks.pngError) hooks.pngError(error);
    return result;
}

namespace {

bool Detect(const std::uint8_t* data, std::size_t size, const ParseOptions& options, const DetectHooks& hooks,
            PixelImage& out) {
    if (!data || size == 0) return false;
    ParseOptions opts = options;
    NormaliseIconWishes(opts);

    if (LoadPng(data, size, opts, hooks, out) == ParseResult::Loaded) return true;
    out = PixelImage{};
    if (hooks.gif && hooks.gif(data, size, out) && !out.Empty()) return true;
    out = PixelImage{};
    if (cICOparser::LoadStream(data, size, opts, out, hooks) == ParseResult::Loaded) return true;
    if (cBMPparser::LoadStream(data, size, opts, out) == ParseResult::Loaded) return true;
    out = PixelImage{};
    if (hooks.platformAny && hooks.platformAny(data, size, out) && !out.Empty()) {
        out.imageType = kImageTypePng;
        return true;
    }
    out = PixelImage{};
    return cTGAparser::LoadStream(data, size, opts, out) == ParseResult::Loaded;
}

}  // namespace

bool DetectAndParse(const std::uint8_t* data, std::size_t size, const ParseOptions& options, const DetectHooks& hooks,
                    PixelImage& out) {
    out = PixelImage{};
    const bool loaded = FailOnBadAlloc(false, [&] { return Detect(data, size, options, hooks, out); });
    if (!loaded) out = PixelImage{};
    return loaded;
}

}  // namespace panorel::imaging
