#pragma once
// Small pieces every image writer needs: undoing the premultiplication,
// flattening onto a colour, little- and big-endian stores.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/PixelImage.h"

namespace panorel::imaging {

// A colour 0x00BBGGRR; a negative value means "no colour given".
using ColorRef = std::int32_t;
constexpr ColorRef kNoFillColor = -1;

// The straight colour channel of premultiplied value c at alpha a, rounded to
// nearest so that premultiplying it again (also rounded) gives c back.
inline std::uint8_t Unpremultiply(std::uint8_t c, std::uint8_t a) noexcept {
    if (a == 0) return 0;
    if (a == 255) return c;
    const unsigned v = (c * 255u + a / 2u) / a;
    return static_cast<std::uint8_t>(v > 255u ? 255u : v);
}

// A premultiplied channel laid over a straight background channel:
// c + bg * (255 - a) / 255, rounded.
inline std::uint8_t OverBackground(std::uint8_t c, std::uint8_t a, std::uint8_t bg) noexcept {
    const unsigned v = c + (bg * (255u - a) + 127u) / 255u;
    return static_cast<std::uint8_t>(v > 255u ? 255u : v);
}

// Blue, green and red of a 0x00BBGGRR colour.
inline std::uint8_t FillBlue(ColorRef c) noexcept { return static_cast<std::uint8_t>(c >> 16); }
inline std::uint8_t FillGreen(ColorRef c) noexcept { return static_cast<std::uint8_t>(c >> 8); }
inline std::uint8_t FillRed(ColorRef c) noexcept { return static_cast<std::uint8_t>(c); }

// True when the picture has its pixel bytes and every alpha byte is 255.
inline bool IsOpaque(const PixelImage& image) noexcept {
    const std::size_t n = image.bgra.size();
    for (std::size_t i = 3; i < n; i += 4)
        if (image.bgra[i] != 255) return false;
    return true;
}

// A picture a writer may take: at least one pixel and all its bytes. The
// readers' size limits do not apply: what exists in memory can be written,
// within each format's own limits.
inline bool IsWritable(const PixelImage& image) noexcept {
    return !image.Empty() &&
           image.bgra.size() / 4u / static_cast<std::size_t>(image.width) == static_cast<std::size_t>(image.height) &&
           image.bgra.size() % (static_cast<std::size_t>(image.width) * 4u) == 0;
}

inline void PutLe16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void PutLe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    PutLe16(out, v & 0xFFFFu);
    PutLe16(out, v >> 16);
}
inline void PutBe16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}
inline void PutBe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    PutBe16(out, v >> 16);
    PutBe16(out, v & 0xFFFFu);
}

}  // namespace panorel::imaging
