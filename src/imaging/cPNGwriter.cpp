#include "imaging/cPNGwriter.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "imaging/ImageWriterSupport.h"

namespace panorel::imaging {
namespace {

struct NamedProperty {
    std::int32_t id;
    std::string_view name;
};
constexpr std::array<NamedProperty, 14> kProperties{{
    {1, "Title"},
    {2, "Author"},
    {4, "Description"},
    {8, "Copyright"},
    {16, "Creation Time"},
    {32, "Software"},
    {64, "Disclaimer"},
    {128, "Warning"},
    {256, "Source"},
    {512, "Comment"},
    {kPngPropertyBackground, "Background"},
    {kPngPropertyResolution, "Resolution"},
    {kPngPropertyGamma, "Gamma"},
    {kPngPropertyTime, "Time"},
}};

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

int Paeth(int a, int b, int c) {
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

// Filters one scan line of n bytes (bpp per pixel) five ways and appends the
// cheapest with its filter byte; prev is the unfiltered line above (zeros for
// the first).
void PutFilteredLine(std::vector<std::uint8_t>& raw, const std::uint8_t* line, const std::uint8_t* prev,
                     std::size_t n, std::size_t bpp, std::array<std::vector<std::uint8_t>, 5>& trial) {
    std::array<std::uint64_t, 5> cost{};
    for (std::size_t i = 0; i < n; ++i) {
        const int x = line[i], a = i >= bpp ? line[i - bpp] : 0, b = prev[i], c = i >= bpp ? prev[i - bpp] : 0;
        const std::uint8_t v[5] = {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(x - a),
                                   static_cast<std::uint8_t>(x - b), static_cast<std::uint8_t>(x - ((a + b) >> 1)),
                                   static_cast<std::uint8_t>(x - Paeth(a, b, c))};
        for (int f = 0; f < 5; ++f) {
            trial[f][i] = v[f];
            cost[f] += v[f] < 128 ? v[f] : 256 - v[f];
        }
    }
    int best = 0;
    for (int f = 1; f < 5; ++f)
        if (cost[f] < cost[best]) best = f;
    raw.push_back(static_cast<std::uint8_t>(best));
    raw.insert(raw.end(), trial[best].begin(), trial[best].begin() + static_cast<std::ptrdiff_t>(n));
}

// Civil date of a day count since 1970-01-01 (proleptic Gregorian).
void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
}

}  // namespace

std::string_view PngTextKeyword(std::int32_t propertyId) {
    for (const auto& p : kProperties)
        if (p.id == propertyId && p.id < kPngPropertyBackground) return p.name;
    return {};
}

std::int32_t PngPropertyIdFromName(std::string_view name) {
    for (const auto& p : kProperties)
        if (SameIgnoringCase(p.name, name)) return p.id;
    return 0;
}

void cPNGwriter::PutChunk(std::vector<std::uint8_t>& png, const char type[4], const std::uint8_t* data,
                          std::size_t size) const {
    PutBe32(png, static_cast<std::uint32_t>(size));
    const std::size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    if (size) png.insert(png.end(), data, data + size);
    const unsigned long crc = zlib_.crc32(0, png.data() + start, static_cast<unsigned>(size + 4));
    PutBe32(png, static_cast<std::uint32_t>(crc));
}

bool cPNGwriter::Write(const PixelImage& image, std::vector<std::uint8_t>& out, const PngExtras& extras) const {
    return FailOnBadAlloc(false, [&] { return Encode(image, out, extras); });
}

bool cPNGwriter::Encode(const PixelImage& image, std::vector<std::uint8_t>& out, const PngExtras& extras) const {
    if (!IsWritable(image) || !zlib_.crc32 || (!zlib_.compress2 && !zlib_.compress)) return false;
    const bool opaque = IsOpaque(image);
    const std::size_t bpp = opaque ? 3 : 4;
    const std::size_t lineBytes = static_cast<std::size_t>(image.width) * bpp;

    // Straight colours in red, green, blue(, alpha) order, filtered line by line.
    std::vector<std::uint8_t> raw;
    raw.reserve((lineBytes + 1) * image.height);
    std::vector<std::uint8_t> line(lineBytes), prev(lineBytes, 0);
    std::array<std::vector<std::uint8_t>, 5> trial;
    for (auto& t : trial) t.resize(lineBytes);
    for (std::int32_t y = 0; y < image.height; ++y) {
        const std::uint8_t* s = image.Row(y);
        std::uint8_t* d = line.data();
        for (std::int32_t x = 0; x < image.width; ++x, s += 4, d += bpp) {
            const std::uint8_t a = s[3];
            d[0] = Unpremultiply(s[2], a);
            d[1] = Unpremultiply(s[1], a);
            d[2] = Unpremultiply(s[0], a);
            if (bpp == 4) d[3] = a;
        }
        PutFilteredLine(raw, line.data(), prev.data(), lineBytes, bpp, trial);
        line.swap(prev);
    }

    if (raw.size() > 0xF0000000u) return false;  // zlib's lengths may be 32-bit
    const unsigned long rawSize = static_cast<unsigned long>(raw.size());
    unsigned long packedSize = rawSize + (rawSize >> 12) + (rawSize >> 14) + (rawSize >> 25) + 64;
    std::vector<std::uint8_t> packed(packedSize);
    const int z = zlib_.compress2 ? zlib_.compress2(packed.data(), &packedSize, raw.data(), rawSize, 9)
                                  : zlib_.compress(packed.data(), &packedSize, raw.data(), rawSize);
    if (z != 0 || packedSize > packed.size()) return false;
    raw = {};

    std::vector<std::uint8_t> png(kSignature, kSignature + 8);
    png.reserve(packedSize + 1024);
    std::vector<std::uint8_t> data;
    PutBe32(data, static_cast<std::uint32_t>(image.width));
    PutBe32(data, static_cast<std::uint32_t>(image.height));
    data.insert(data.end(), {8, static_cast<std::uint8_t>(opaque ? 2 : 6), 0, 0, 0});
    PutChunk(png, "IHDR", data.data(), data.size());
    if (extras.gamma) {
        data.clear();
        PutBe32(data, *extras.gamma);
        PutChunk(png, "gAMA", data.data(), data.size());
    }
    if (extras.background) {
        data.clear();
        for (int shift : {0, 8, 16}) PutBe16(data, (*extras.background >> shift) & 0xFFu);
        PutChunk(png, "bKGD", data.data(), data.size());
    }
    if (extras.dotsPerInch) {
        data.clear();
        const auto perMetre = static_cast<std::uint32_t>((*extras.dotsPerInch * 10000ull + 127) / 254);
        PutBe32(data, perMetre);
        PutBe32(data, perMetre);
        data.push_back(1);
        PutChunk(png, "pHYs", data.data(), data.size());
    }
    if (extras.time) {
        std::int64_t days = *extras.time / 86400, secs = *extras.time % 86400;
        if (secs < 0) secs += 86400, --days;
        std::int64_t year;
        unsigned month, day;
        CivilFromDays(days, year, month, day);
        data.clear();
        PutBe16(data, static_cast<std::uint32_t>(year & 0xFFFF));
        data.insert(data.end(), {static_cast<std::uint8_t>(month), static_cast<std::uint8_t>(day),
                                 static_cast<std::uint8_t>(secs / 3600), static_cast<std::uint8_t>(secs / 60 % 60),
                                 static_cast<std::uint8_t>(secs % 60)});
        PutChunk(png, "tIME", data.data(), data.size());
    }
    for (const PngTextChunk& t : extras.texts) {
        // Keywords are 1 to 79 bytes without zero bytes; the text has none either.
        if (t.keyword.empty() || t.keyword.size() > 79 || t.keyword.find('\0') != std::string::npos) continue;
        data.assign(t.keyword.begin(), t.keyword.end());
        data.push_back(0);
        for (char c : t.text)
            if (c != '\0') data.push_back(static_cast<std::uint8_t>(c));
        PutChunk(png, "tEXt", data.data(), data.size());
    }
    constexpr std::size_t kIdatPart = std::size_t{1} << 20;
    for (std::size_t at = 0; at < packedSize; at += kIdatPart)
        PutChunk(png, "IDAT", packed.data() + at, std::min<std::size_t>(kIdatPart, packedSize - at));
    PutChunk(png, "IEND", nullptr, 0);
    out.swap(png);
    return true;
}

}  // namespace panorel::imaging
