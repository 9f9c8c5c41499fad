#include "imaging/cBMPparser.h"

#include <cstring>
#include <vector>

namespace panorel::imaging {
namespace {

struct Field {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;  // mask >> shift

    explicit Field(std::uint32_t m = 0) : mask(m) {
        if (!m) return;
        while (!((m >> shift) & 1u)) ++shift;
        max = m >> shift;
    }
    // The channel scaled to 0..255, rounded.
    unsigned Get(std::uint32_t px) const {
        if (!mask) return 0;
        std::uint32_t v = (px & mask) >> shift;
        if (max == 255) return v;
        return static_cast<unsigned>((std::uint64_t{v} * 255u + max / 2) / max);
    }
};

int CountFor(std::uint32_t bitCount) { return bitCount <= 8 ? 1 << bitCount : 0; }

// Expands RLE8/RLE4 data to one index byte per pixel, bottom-up. Pixels the
// data skips keep index 0; a run past the row end is cut at the row end.
void ExpandRle(const std::uint8_t* s, std::size_t n, bool four, std::uint32_t w, std::uint32_t h,
               std::vector<std::uint8_t>& idx, std::vector<std::uint8_t>& touched) {
    std::size_t i = 0;
    std::uint32_t x = 0, y = 0;
    auto put = [&](std::uint8_t v) {
        if (x < w && y < h) {
            std::size_t at = std::size_t{y} * w + x;
            idx[at] = v;
            touched[at] = 1;
        }
        ++x;
    };
    while (i + 1 < n && y < h) {
        std::uint8_t count = s[i], value = s[i + 1];
        i += 2;
        if (count) {
            for (unsigned k = 0; k < count && x < w; ++k)
                put(four ? static_cast<std::uint8_t>(k & 1 ? value & 15 : value >> 4) : value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            return;
        } else if (value == 2) {  // delta
            if (i + 1 >= n) return;
            x += s[i];
            y += s[i + 1];
            i += 2;
        } else {  // absolute run
            std::size_t bytes = four ? (value + 1u) / 2 : value;
            if (i + bytes > n) return;
            for (unsigned k = 0; k < value; ++k) {
                std::uint8_t v = four ? static_cast<std::uint8_t>(k & 1 ? s[i + k / 2] & 15 : s[i + k / 2] >> 4)
                                      : s[i + k];
                if (x < w) put(v);
                else ++x;
            }
            i += (bytes + 1) & ~std::size_t{1};
        }
    }
}

}  // namespace

ParseResult cBMPparser::LoadDib(const std::uint8_t* dib, std::size_t size, const DibOptions& dibOptions,
                                const ImageLimits& limits, PixelImage& out) {
    out = PixelImage{};
    if (size < 12) return ParseResult::Declined;
    const std::uint32_t headerSize = ReadLe32(dib);
    std::int64_t width, height;
    std::uint32_t bitCount, compression = 0, colorsUsed = 0;
    std::size_t entrySize = 4;
    if (headerSize == 12) {
        width = ReadLe16(dib + 4);
        height = static_cast<std::int16_t>(ReadLe16(dib + 6));
        bitCount = ReadLe16(dib + 10);
        entrySize = 3;
    } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 || headerSize == 124) {
        if (size < headerSize) return ParseResult::Failed;
        width = static_cast<std::int32_t>(ReadLe32(dib + 4));
        height = static_cast<std::int32_t>(ReadLe32(dib + 8));
        bitCount = ReadLe16(dib + 14);
        compression = ReadLe32(dib + 16);
        colorsUsed = ReadLe32(dib + 32);
    } else {
        return ParseResult::Failed;
    }
    if (ReadLe16(dib + (headerSize == 12 ? 8 : 12)) != 1) return ParseResult::Failed;  // planes
    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (dibOptions.iconEntry) height /= 2;
    if (!limits.Allows(width, height)) return ParseResult::Failed;
    const auto w = static_cast<std::uint32_t>(width), h = static_cast<std::uint32_t>(height);

    const bool rle8 = compression == 1, rle4 = compression == 2;
    const bool fields = compression == 3 || compression == 6;
    if (compression > 3 && compression != 6) return ParseResult::Failed;
    if ((rle8 && bitCount != 8) || (rle4 && bitCount != 4)) return ParseResult::Failed;
    if (fields && bitCount != 16 && bitCount != 32) return ParseResult::Failed;
    if (bitCount != 1 && bitCount != 2 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
        bitCount != 32)
        return ParseResult::Failed;

    // Bit fields: in the header from 52 bytes on, else right after it.
    std::size_t pos = headerSize;
    Field red, green, blue, alpha;
    if (fields) {
        std::size_t maskAt = headerSize >= 52 ? 40 : headerSize;
        std::size_t masks = compression == 6 || headerSize >= 56 ? 4 : 3;
        if (maskAt + masks * 4 > size) return ParseResult::Failed;
        red = Field(ReadLe32(dib + maskAt));
        green = Field(ReadLe32(dib + maskAt + 4));
        blue = Field(ReadLe32(dib + maskAt + 8));
        if (masks == 4) {
            alpha = Field(ReadLe32(dib + maskAt + 12));
        }
        if (headerSize < 52) pos += masks * 4;
    } else if (bitCount == 16) {
        red = Field(0x7C00), green = Field(0x03E0), blue = Field(0x001F);
    } else if (bitCount == 32) {
        red = Field(0xFF0000), green = Field(0xFF00), blue = Field(0xFF), alpha = Field(0xFF000000u);
    }

    // Colour table.
    std::uint8_t palette[256][3] = {};
    if (bitCount <= 8) {
        std::size_t count = colorsUsed && colorsUsed < 256u ? colorsUsed : static_cast<std::size_t>(CountFor(bitCount));
        if (count > 256) count = 256;
        std::size_t tableEnd = dibOptions.bitsOffset ? dibOptions.bitsOffset : size;
        for (std::size_t i = 0; i < count; ++i) {
            std::size_t at = pos + i * entrySize;
            if (at + 3 > tableEnd || at + 3 > size) break;
            palette[i][0] = dib[at], palette[i][1] = dib[at + 1], palette[i][2] = dib[at + 2];
        }
        pos += count * entrySize;
    }
    const std::size_t bitsAt = dibOptions.bitsOffset ? dibOptions.bitsOffset : pos;
    if (bitsAt > size) return ParseResult::Failed;
    const std::uint8_t* bits = dib + bitsAt;
    const std::size_t available = size - bitsAt;
    const std::size_t stride = ((std::size_t{w} * bitCount + 31) / 32) * 4;

    if (!AllocatePixels(out, w, h, limits)) return ParseResult::Failed;
    // Stored row r (in file order) is picture row y.
    auto rowOf = [&](std::uint32_t r) { return static_cast<std::int32_t>(topDown ? r : h - 1 - r); };

    if (rle8 || rle4) {
        std::vector<std::uint8_t> idx(std::size_t{w} * h, 0), touched(std::size_t{w} * h, 0);
        ExpandRle(bits, available, rle4, w, h, idx, touched);
        for (std::uint32_t r = 0; r < h; ++r) {
            std::uint8_t* d = out.Row(rowOf(r));
            for (std::uint32_t x = 0; x < w; ++x, d += 4) {
                const std::uint8_t* c = palette[idx[std::size_t{r} * w + x]];
                d[0] = c[0], d[1] = c[1], d[2] = c[2], d[3] = 255;
            }
        }
        out.alpha = kAlphaOpaque;
        out.imageType = kImageTypeBitmap;
        (void)touched;
        return ParseResult::Loaded;
    }

    const std::size_t andStride = ((std::size_t{w} + 31) / 32) * 4;
    std::size_t needed = stride * h;
    if (needed > available) return ParseResult::Failed;
    bool anyAlpha = false;
    for (std::uint32_t r = 0; r < h; ++r) {
        const std::uint8_t* s = bits + stride * r;
        std::uint8_t* d = out.Row(rowOf(r));
        for (std::uint32_t x = 0; x < w; ++x, d += 4) {
            if (bitCount <= 8) {
                std::uint32_t bit = x * bitCount;
                unsigned v = (s[bit >> 3] >> (8 - bitCount - (bit & 7))) & ((1u << bitCount) - 1);
                d[0] = palette[v][0], d[1] = palette[v][1], d[2] = palette[v][2], d[3] = 255;
            } else if (bitCount == 24) {
                d[0] = s[x * 3], d[1] = s[x * 3 + 1], d[2] = s[x * 3 + 2], d[3] = 255;
            } else {
                std::uint32_t px = bitCount == 16 ? ReadLe16(s + x * 2) : ReadLe32(s + x * 4);
                d[0] = static_cast<std::uint8_t>(blue.Get(px));
                d[1] = static_cast<std::uint8_t>(green.Get(px));
                d[2] = static_cast<std::uint8_t>(red.Get(px));
                d[3] = static_cast<std::uint8_t>(alpha.mask ? alpha.Get(px) : 255);
                if (d[3]) anyAlpha = true;
            }
        }
    }
    const bool useAlpha = alpha.mask && anyAlpha;
    if (!useAlpha) {
        for (std::size_t i = 3; i < out.bgra.size(); i += 4) out.bgra[i] = 255;
    }
    // Icon entries without an alpha channel take their transparency from the AND mask.
    if (dibOptions.iconEntry && !useAlpha && available >= needed + andStride * h) {
        const std::uint8_t* mask = bits + needed;
        for (std::uint32_t r = 0; r < h; ++r) {
            std::uint8_t* d = out.Row(rowOf(r));
            for (std::uint32_t x = 0; x < w; ++x, d += 4)
                if ((mask[andStride * r + x / 8] >> (7 - x % 8)) & 1u) std::memset(d, 0, 4);
        }
    }
    for (std::size_t i = 0; i < out.bgra.size(); i += 4) {
        std::uint8_t a = out.bgra[i + 3];
        if (a != 255)
            for (int k = 0; k < 3; ++k) out.bgra[i + k] = Premultiply(out.bgra[i + k], a);
    }
    out.alpha = ClassifyAlpha(out);
    out.imageType = kImageTypeBitmap;
    return ParseResult::Loaded;
}

ParseResult cBMPparser::LoadStream(const std::uint8_t* data, std::size_t size, const ParseOptions& options,
                                   PixelImage& out) {
    out = PixelImage{};
    if (size < 14 + 12 || data[0] != 'B' || data[1] != 'M') return ParseResult::Declined;
    std::uint32_t offBits = ReadLe32(data + 10);
    DibOptions dib;
    // A pixel offset inside the headers or past the end cannot be right; the
    // bits then follow the colour table.
    if (offBits >= 14 + 12 && offBits < size) dib.bitsOffset = offBits - 14;
    return LoadDib(data + 14, size - 14, dib, options.limits, out);
}

}  // namespace panorel::imaging
