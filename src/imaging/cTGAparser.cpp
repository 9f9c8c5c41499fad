#include "imaging/cTGAparser.h"

#include <cstring>
#include <new>
#include <vector>

namespace panorel::imaging {
namespace {

constexpr char kFooterSignature[] = "TRUEVISION-XFILE.";

// One 15/16, 24 or 32-bit colour (map entry or pixel) as blue, green, red, alpha.
// Five-bit channels widen as v * 255 / 31, the way common decoders (Pillow
// among them) read them, so files look the same here as elsewhere.
void Colour(const std::uint8_t* s, int bits, std::uint8_t* d) {
    if (bits == 15 || bits == 16) {
        unsigned v = ReadLe16(s);
        auto five = [](unsigned x) { return static_cast<std::uint8_t>(x * 255u / 31u); };
        d[0] = five(v & 31), d[1] = five((v >> 5) & 31), d[2] = five((v >> 10) & 31);
        d[3] = (bits == 16 && (v & 0x8000u)) ? 255 : 0;
    } else {
        d[0] = s[0], d[1] = s[1], d[2] = s[2];
        d[3] = bits == 32 ? s[3] : 255;
    }
}

// Where the next decoded pixel goes: the file's pixel order, turned by the
// descriptor's origin bits, straight into the output picture.
class PixelCursor {
public:
    PixelCursor(PixelImage& out, bool rightToLeft, bool topToBottom)
        : out_(out), width_(static_cast<std::uint32_t>(out.width)), rightToLeft_(rightToLeft),
          topToBottom_(topToBottom) {
        SeekRow();
    }
    void Put(const std::uint8_t* px) {
        std::memcpy(row_ + std::size_t{rightToLeft_ ? width_ - 1 - x_ : x_} * 4, px, 4);
        if (++x_ == width_) {
            x_ = 0;
            if (++r_ < static_cast<std::uint32_t>(out_.height)) SeekRow();
        }
    }

private:
    void SeekRow() {
        row_ = out_.Row(static_cast<std::int32_t>(topToBottom_ ? r_ : static_cast<std::uint32_t>(out_.height) - 1 - r_));
    }
    PixelImage& out_;
    std::uint32_t width_, r_ = 0, x_ = 0;
    bool rightToLeft_, topToBottom_;
    std::uint8_t* row_ = nullptr;
};

ParseResult Parse(const std::uint8_t* data, std::size_t size, const ParseOptions& options, PixelImage& out) {
    if (size < 18) return ParseResult::Declined;
    const unsigned idLength = data[0], mapType = data[1], type = data[2];
    const unsigned mapFirst = ReadLe16(data + 3), mapLength = ReadLe16(data + 5), mapBits = data[7];
    const unsigned width = ReadLe16(data + 12), height = ReadLe16(data + 14), bits = data[16], desc = data[17];
    const unsigned base = type & 7u;
    const bool rle = (type & 8u) != 0;
    if ((type & ~0xBu) != 0 || base < 1 || base > 3 || mapType > 1 || (desc & 0xC0u)) return ParseResult::Declined;
    if (base == 1 && (mapType != 1 || (bits != 8 && bits != 16))) return ParseResult::Declined;
    if (base == 2 && bits != 15 && bits != 16 && bits != 24 && bits != 32) return ParseResult::Declined;
    if (base == 3 && bits != 8 && bits != 16) return ParseResult::Declined;
    if (mapType == 1 && (mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32)) return ParseResult::Declined;
    if (!options.limits.Allows(width, height)) return ParseResult::Declined;

    // The footer's extension area says what the alpha bytes mean: nothing
    // (attribute types 0 to 2), straight alpha (3) or premultiplied colours (4).
    std::size_t end = size;
    bool alphaMeaningless = false, premultiplied = false;
    if (size >= 18 + 26 && std::memcmp(data + size - 18, kFooterSignature, 18) == 0) {
        end = size - 26;
        const std::size_t ext = ReadLe32(data + size - 26);
        if (ext >= 18 && ext <= end && end - ext >= 495 && ReadLe16(data + ext) >= 495) {
            alphaMeaningless = data[ext + 494] < 3;
            premultiplied = data[ext + 494] == 4;
        }
    }

    std::size_t pos = 18 + idLength;
    if (pos > end) return ParseResult::Declined;
    const std::size_t mapEntryBytes = (mapBits + 7) / 8;
    std::vector<std::uint8_t> colourMap;
    if (mapType == 1) {
        const std::size_t mapBytes = std::size_t{mapLength} * mapEntryBytes;
        if (pos + mapBytes > end) return ParseResult::Declined;
        colourMap.assign(std::size_t{mapLength} * 4, 0);
        for (unsigned i = 0; i < mapLength; ++i) Colour(data + pos + i * mapEntryBytes, mapBits, &colourMap[i * 4u]);
        pos += mapBytes;
    }

    // Data too short for the picture is refused before anything is allocated:
    // raw pixels need their bytes, and one run-length packet covers at most
    // 128 pixels.
    const std::size_t pixelBytes = (bits + 7) / 8;
    const std::size_t count = std::size_t{width} * height;
    const std::size_t leastData = rle ? (count + 127) / 128 * (1 + pixelBytes) : count * pixelBytes;
    if (leastData > end - pos) return ParseResult::Failed;
    if (!AllocatePixels(out, width, height, options.limits)) return ParseResult::Declined;
    const bool alphaFromMap = base == 1 && mapBits == 32;
    const unsigned alphaBits = desc & 15u;
    auto decode = [&](const std::uint8_t* s, std::uint8_t* d) -> bool {
        if (base == 1) {
            unsigned index = bits == 8 ? s[0] : ReadLe16(s);
            if (index < mapFirst || index - mapFirst >= mapLength) return false;
            std::memcpy(d, &colourMap[(index - mapFirst) * 4u], 4);
            if (mapBits == 16 && !alphaBits) d[3] = 255;
        } else if (base == 2) {
            Colour(s, bits, d);
            if (bits == 16 && !alphaBits) d[3] = 255;
        } else {
            d[0] = d[1] = d[2] = s[0];
            d[3] = bits == 16 ? s[1] : 255;
        }
        return true;
    };

    // Pixels go straight into the picture, alpha as stored; the alpha pass
    // below decides what it means.
    PixelCursor cursor(out, (desc & 0x10u) != 0, (desc & 0x20u) != 0);
    std::uint8_t px[4];
    if (!rle) {
        for (std::size_t i = 0; i < count; ++i) {
            if (!decode(data + pos + i * pixelBytes, px)) return ParseResult::Failed;
            cursor.Put(px);
        }
    } else {
        std::size_t i = 0;
        while (i < count) {
            if (pos >= end) return ParseResult::Failed;
            unsigned packet = data[pos++];
            std::size_t n = (packet & 127u) + 1;
            if (n > count - i) n = count - i;
            if (packet & 128u) {
                if (pixelBytes > end - pos) return ParseResult::Failed;
                if (!decode(data + pos, px)) return ParseResult::Failed;
                pos += pixelBytes;
                for (std::size_t k = 0; k < n; ++k) cursor.Put(px);
            } else {
                if (n * pixelBytes > end - pos) return ParseResult::Failed;
                for (std::size_t k = 0; k < n; ++k) {
                    if (!decode(data + pos + k * pixelBytes, px)) return ParseResult::Failed;
                    cursor.Put(px);
                }
                pos += n * pixelBytes;
            }
            i += n;
        }
    }

    // An alpha channel that is zero everywhere is taken for none: many
    // writers leave it so.
    const bool hasAlphaChannel = (alphaBits > 0 || alphaFromMap || (base == 3 && bits == 16)) && !alphaMeaningless;
    bool sawAlpha = false;
    if (hasAlphaChannel)
        for (std::size_t i = 3; i < out.bgra.size() && !sawAlpha; i += 4) sawAlpha = out.bgra[i] != 0;
    const bool useAlpha = hasAlphaChannel && sawAlpha;
    for (std::size_t i = 0; i < out.bgra.size(); i += 4) {
        std::uint8_t* q = &out.bgra[i];
        if (!useAlpha) {
            q[3] = 255;
        } else if (premultiplied) {
            for (int c = 0; c < 3; ++c)
                if (q[c] > q[3]) q[c] = q[3];  // a hostile file's colour above its alpha
        } else {
            q[0] = Premultiply(q[0], q[3]), q[1] = Premultiply(q[1], q[3]), q[2] = Premultiply(q[2], q[3]);
        }
    }
    out.alpha = ClassifyAlpha(out);
    out.imageType = kImageTypeTga;
    return ParseResult::Loaded;
}

}  // namespace

ParseResult cTGAparser::LoadStream(const std::uint8_t* data, std::size_t size, const ParseOptions& options,
                                   PixelImage& out) {
    out = PixelImage{};
    ParseResult result = ParseResult::Failed;
    try {
        result = Parse(data, size, options, out);
    } catch (const std::bad_alloc&) {  // the colour map
    }
    if (result != ParseResult::Loaded) out = PixelImage{};
    return result;
}

}  // namespace panorel::imaging
