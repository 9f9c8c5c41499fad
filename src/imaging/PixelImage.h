#pragma once
// The portable core's picture: what every parser produces and every writer
// consumes. Pixels are blue, green, red, alpha bytes with the colours
// premultiplied by alpha, top row first, rows of width * 4 bytes with no
// padding. cAlphaImage turns it into its bottom-up DIB section.
#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

namespace panorel::imaging {

// ImageType values the library sets (the kind of source an image came from).
constexpr std::int32_t kImageTypeNone = -1;
constexpr std::int32_t kImageTypeBlank = 0;
constexpr std::int32_t kImageTypeGif = 9;
constexpr std::int32_t kImageTypePng = 10;  // also anything loaded through GDI+
constexpr std::int32_t kImageTypeTga = 128;
// Values of our own where the kinds above say nothing: BMP data takes the
// platform's bitmap picture kind; the icon parser says 11 for icons, 5 for
// cursors and 12 for pictures made from an icon handle.
constexpr std::int32_t kImageTypeBitmap = 1;
constexpr std::int32_t kImageTypeCursor = 5;
constexpr std::int32_t kImageTypeIcon = 11;
constexpr std::int32_t kImageTypeIconHandle = 12;
constexpr std::int32_t kImageTypeShadow = 7;

// Alpha kinds: every pixel opaque; each pixel fully transparent or fully
// opaque; a full alpha channel.
constexpr std::int32_t kAlphaOpaque = 0;
constexpr std::int32_t kAlphaSimple = 1;
constexpr std::int32_t kAlphaFull = 2;

// Pictures beyond these are refused before anything is allocated for them.
struct ImageLimits {
    std::int32_t maxSide = 16384;
    std::uint64_t maxPixelBytes = std::uint64_t{256} << 20;  // width * height * 4

    bool Allows(std::int64_t width, std::int64_t height) const noexcept {
        return width >= 1 && height >= 1 && width <= maxSide && height <= maxSide &&
               static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * 4u <= maxPixelBytes;
    }
};

// A colour channel premultiplied by alpha, rounded to the nearest value.
constexpr std::uint8_t Premultiply(unsigned channel, unsigned alpha) noexcept {
    return static_cast<std::uint8_t>((channel * alpha + 127u) / 255u);
}

// Runs a reader's or writer's work: running out of memory on the way is the
// given failure result, never an exception through the caller.
template <class Result, class Work>
Result FailOnBadAlloc(Result failure, Work&& work) {
    try {
        return work();
    } catch (const std::bad_alloc&) {
        return failure;
    }
}

struct PixelImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> bgra;  // width * height * 4 bytes, premultiplied, top row first
    std::int32_t imageType = kImageTypeNone;
    std::int32_t alpha = kAlphaOpaque;

    bool Empty() const noexcept { return width < 1 || height < 1; }
    std::uint8_t* Row(std::int32_t y) noexcept { return bgra.data() + static_cast<std::size_t>(y) * width * 4u; }
    const std::uint8_t* Row(std::int32_t y) const noexcept {
        return bgra.data() + static_cast<std::size_t>(y) * width * 4u;
    }
};

}  // namespace panorel::imaging
