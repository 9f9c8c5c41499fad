#pragma once
// Shared pieces of the format parsers and the one detection routine every
// loader ends in. Parsers read bytes and fill a PixelImage; they never trust
// a size or offset from the data before checking it against the bytes there
// and against the limits.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "imaging/PixelImage.h"
#include "imaging/ZlibApi.h"

namespace panorel::imaging {

enum class ParseResult {
    Declined,  // not this format: the next parser may try
    Loaded,
    Failed,    // this format, but unusable; `error` says why
};

struct ParseOptions {
    ZlibApi zlib;          // empty: our own inflater, no CRC checks
    ImageLimits limits;
    std::int32_t iconCx = 0;        // icon wishes (ICO/CUR)
    std::int32_t iconCy = 0;
    std::int32_t iconBitDepth = 32;
};

// Icon wishes as loaders receive them: negative sizes mean 0, a depth outside
// 0..32 means 32.
void NormaliseIconWishes(ParseOptions& options);

// Little- and big-endian reads; callers check the bounds first.
inline std::uint16_t ReadLe16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
inline std::uint32_t ReadLe32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}
inline std::uint32_t ReadBe32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | std::uint32_t{p[3]};
}

// Allocates width x height pixels (all transparent black) when the limits allow.
bool AllocatePixels(PixelImage& image, std::int64_t width, std::int64_t height, const ImageLimits& limits);

// Alpha kind of finished pixels: 0 all opaque, 1 only 0 and 255, else 2.
std::int32_t ClassifyAlpha(const std::uint8_t* bgra, std::size_t bytes);
inline std::int32_t ClassifyAlpha(const PixelImage& image) { return ClassifyAlpha(image.bgra.data(), image.bgra.size()); }

// The formats that need the platform (GIF through its picture loader, GDI+)
// come in as hooks; an empty hook is skipped.
struct DetectHooks {
    // Tried first for PNG data when set (GDI+ loads PNG before our parser).
    std::function<bool(const std::uint8_t*, std::size_t, PixelImage&)> pngThroughPlatform;
    std::function<bool(const std::uint8_t*, std::size_t, PixelImage&)> gif;
    std::function<bool(const std::uint8_t*, std::size_t, PixelImage&)> platformAny;
    // Told the description of an error met while the PNG parser read the data.
    std::function<void(const std::string&)> pngError;
};

// The PNG path, for PNG files and PNG entries of icons alike: the platform's
// loader first when there is one, then our parser, whose error goes to
// hooks.pngError. Declined without the PNG signature.
ParseResult LoadPng(const std::uint8_t* data, std::size_t size, const ParseOptions& options, const DetectHooks& hooks,
                    PixelImage& out);

// The detection chain: PNG, GIF, ICO/CUR, BMP, the platform's loader, TGA.
// `out` is emptied first; true when one of them produced an image. Running
// out of memory anywhere in it (hooks included) is a failed load.
bool DetectAndParse(const std::uint8_t* data, std::size_t size, const ParseOptions& options, const DetectHooks& hooks,
                    PixelImage& out);

}  // namespace panorel::imaging
