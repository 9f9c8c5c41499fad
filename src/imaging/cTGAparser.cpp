#include "imaging/cTGAparser.h"

#include <cstring>
#include <vector>

namespace panorel::imaging {
namespace {

constexpr char kFooterSignature[] = "TRUEVISION-XFILE.";

// One 15/16, 24 or 32-bit colour (map entry or pixel) as blue, green, red, alpha.
void Colour(const std::uint8_t* s, int bits, std::uint8_t* d) {
    if (bits == 15 || bits == 16) {
        unsigned v = ReadLe16(s);
        auto five = [](unsigned x) { return static_cast<std::uint8_t>((x << 3) | (x >> 2)); };
        d[0] = five(v & 31), d[1] = five((v >> 5) & 31), d[2] = five((v >> 10) & 31);
        d[3] = (bits == 16 && (v & 0x8000u)) ? 255 : 0;
    } else {
        d[0] = s[0], d[1] = s[1], d[2] = s[2];
        d[3] = bits == 32 ? s[3] : 255;
    }
}

}  // namespace

ParseResult cTGAparser::LoadStream(const std::uint8_t* data, std::size_t size, const ParseOptions& options,
                                   PixelImage& out) {
    out = PixelImage{};
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

    // The footer's extension area can say the alpha bytes mean nothing
    // (attribute types 0 to 2).
    std::size_t end = size;
    bool alphaMeaningless = false;
    if (size >= 18 + 26 && std::memcmp(data + size - 18, kFooterSignature, 18) == 0) {
        end = size - 26;
        std::uint32_t ext = ReadLe32(data + size - 26);
        if (ext >= 18 && ext + 495 <= end && ReadLe16(data + ext) >= 495) alphaMeaningless = data[ext + 494] < 3;
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

    if (!AllocatePixels(out, width, height, options.limits)) return ParseResult::Declined;
    const std::size_t pixelBytes = (bits + 7) / 8;
    const bool alphaFromMap = base == 1 && mapBits == 32;
    const unsigned alphaBits = desc & 15u;
    bool sawAlpha = false;
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

    const std::size_t count = std::size_t{width} * height;
    std::vector<std::uint8_t> pixels(count * 4);
    if (!rle) {
        if (count * pixelBytes > end - pos) {
            out = PixelImage{};
            return ParseResult::Failed;
        }
        for (std::size_t i = 0; i < count; ++i)
            if (!decode(data + pos + i * pixelBytes, &pixels[i * 4])) return out = PixelImage{}, ParseResult::Failed;
    } else {
        std::size_t i = 0;
        while (i < count) {
            if (pos >= end) return out = PixelImage{}, ParseResult::Failed;
            unsigned packet = data[pos++];
            std::size_t n = (packet & 127u) + 1;
            if (n > count - i) n = count - i;
            if (packet & 128u) {
                if (pixelBytes > end - pos) return out = PixelImage{}, ParseResult::Failed;
                std::uint8_t px[4];
                if (!decode(data + pos, px)) return out = PixelImage{}, ParseResult::Failed;
                pos += pixelBytes;
                for (std::size_t k = 0; k < n; ++k) std::memcpy(&pixels[(i + k) * 4], px, 4);
            } else {
                if (n * pixelBytes > end - pos) return out = PixelImage{}, ParseResult::Failed;
                for (std::size_t k = 0; k < n; ++k)
                    if (!decode(data + pos + k * pixelBytes, &pixels[(i + k) * 4]))
                        return out = PixelImage{}, ParseResult::Failed;
                pos += n * pixelBytes;
            }
            i += n;
        }
    }
    const bool hasAlphaChannel = (alphaBits > 0 || alphaFromMap || (base == 3 && bits == 16)) && !alphaMeaningless;
    if (hasAlphaChannel)
        for (std::size_t i = 3; i < pixels.size() && !sawAlpha; i += 4) sawAlpha = pixels[i] != 0;
    const bool useAlpha = hasAlphaChannel && sawAlpha;

    const bool rightToLeft = (desc & 0x10u) != 0, topToBottom = (desc & 0x20u) != 0;
    for (unsigned r = 0; r < height; ++r) {
        std::uint8_t* d = out.Row(static_cast<std::int32_t>(topToBottom ? r : height - 1 - r));
        const std::uint8_t* s = &pixels[std::size_t{r} * width * 4];
        for (unsigned x = 0; x < width; ++x) {
            const std::uint8_t* p = s + std::size_t{rightToLeft ? width - 1 - x : x} * 4;
            std::uint8_t* q = d + std::size_t{x} * 4;
            unsigned a = useAlpha ? p[3] : 255;
            q[0] = Premultiply(p[0], a), q[1] = Premultiply(p[1], a), q[2] = Premultiply(p[2], a);
            q[3] = static_cast<std::uint8_t>(a);
        }
    }
    out.alpha = ClassifyAlpha(out);
    out.imageType = kImageTypeTga;
    return ParseResult::Loaded;
}

}  // namespace panorel::imaging
