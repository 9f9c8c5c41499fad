#pragma once
// The PNG writer: signature, IHDR, optional ancillary chunks, IDAT compressed
// through the run-time zlib, IEND. Every chunk has its big-endian length and
// its CRC-32 from zlib's crc32, so without zlib nothing is written.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "imaging/PixelImage.h"
#include "imaging/ZlibApi.h"

namespace panorel::imaging {

// PNG property flags. The text ones become "tEXt" chunks; the others are
// 1024 background colour 0x00BBGGRR (bKGD), 2048 resolution in dots per inch
// (pHYs), 4096 gamma times 100000 (gAMA), 8192 modification time in seconds
// since 1970-01-01 UTC (tIME).
constexpr std::int32_t kPngPropertyBackground = 1024;
constexpr std::int32_t kPngPropertyResolution = 2048;
constexpr std::int32_t kPngPropertyGamma = 4096;
constexpr std::int32_t kPngPropertyTime = 8192;

// The keyword of a text property flag (1, 2, 4 ... 512); empty for others.
std::string_view PngTextKeyword(std::int32_t propertyId);
// The flag of a property name, text keyword or not, matched ignoring case
// ("title" gives 1); 0 when unknown. The non-text ones are named
// "Background", "Resolution", "Gamma" and "Time".
std::int32_t PngPropertyIdFromName(std::string_view name);

struct PngTextChunk {
    std::string keyword;
    std::string text;  // already in the ANSI code page
};

struct PngExtras {
    std::vector<PngTextChunk> texts;
    std::optional<std::uint32_t> background;
    std::optional<std::uint32_t> dotsPerInch;
    std::optional<std::uint32_t> gamma;
    std::optional<std::int64_t> time;
};

class cPNGwriter {
public:
    explicit cPNGwriter(const ZlibApi& zlib) : zlib_(zlib) {}

    // An opaque picture becomes 8-bit RGB, any other 8-bit RGBA with straight
    // colours. Each scan line takes the filter whose output has the smallest
    // sum of absolute (signed) byte values. False (out untouched) without
    // pixels, without crc32, when neither compress2 nor compress works, or
    // when memory runs out.
    bool Write(const PixelImage& image, std::vector<std::uint8_t>& out, const PngExtras& extras = {}) const;

private:
    bool Encode(const PixelImage& image, std::vector<std::uint8_t>& out, const PngExtras& extras) const;
    void PutChunk(std::vector<std::uint8_t>& png, const char type[4], const std::uint8_t* data,
                  std::size_t size) const;

    ZlibApi zlib_;
};

}  // namespace panorel::imaging
