#include "imaging/cPNGparser.h"

#include <cstring>
#include <vector>

#include "imaging/Inflate.h"

namespace panorel::imaging {
namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// DEFLATE cannot expand data by more than about 1032 to 1; image data that
// would have to is refused before anything is allocated for it.
constexpr std::uint64_t kMaxInflateRatio = 1032;

struct Header {
    std::uint32_t width = 0, height = 0;
    int depth = 0, colourType = 0, interlace = 0, channels = 0;
    int BitsPerPixel() const { return depth * channels; }
};

struct Colours {
    std::uint8_t palette[256][3] = {};
    int paletteCount = 0;
    std::uint8_t paletteAlpha[256];
    bool transparency = false;
    std::uint16_t key[3] = {};  // grey, or red, green, blue
    Colours() { std::memset(paletteAlpha, 255, sizeof paletteAlpha); }
};

int ChannelsOf(int colourType) {
    switch (colourType) {
        case 0: return 1;
        case 2: return 3;
        case 3: return 1;
        case 4: return 2;
        case 6: return 4;
        default: return 0;
    }
}

bool DepthAllowed(int colourType, int depth) {
    switch (colourType) {
        case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
        case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
        default: return depth == 8 || depth == 16;
    }
}

inline void Put(std::uint8_t* d, unsigned r, unsigned g, unsigned b, unsigned a) {
    if (a == 255) {
        d[0] = static_cast<std::uint8_t>(b), d[1] = static_cast<std::uint8_t>(g), d[2] = static_cast<std::uint8_t>(r), d[3] = 255;
    } else if (a == 0) {
        std::memset(d, 0, 4);
    } else {
        d[0] = Premultiply(b, a), d[1] = Premultiply(g, a), d[2] = Premultiply(r, a), d[3] = static_cast<std::uint8_t>(a);
    }
}

inline unsigned Sample(const std::uint8_t* row, std::uint32_t i, int depth) {
    std::uint32_t bit = i * static_cast<std::uint32_t>(depth);
    return (row[bit >> 3] >> (8 - depth - (bit & 7))) & ((1u << depth) - 1);
}

inline unsigned Be16(const std::uint8_t* p) { return static_cast<unsigned>(p[0] << 8 | p[1]); }

// One unfiltered row of `count` pixels to BGRA, `step` bytes apart in `d`.
void ConvertRow(const Header& h, const Colours& c, const std::uint8_t* s, std::uint32_t count, std::uint8_t* d,
                std::size_t step) {
    const bool key = c.transparency;
    switch (h.colourType) {
        case 0:
            if (h.depth == 16) {
                for (std::uint32_t i = 0; i < count; ++i, s += 2, d += step) {
                    unsigned g = s[0];
                    Put(d, g, g, g, key && Be16(s) == c.key[0] ? 0 : 255);
                }
            } else {
                const unsigned scale = 255u / ((1u << h.depth) - 1);
                for (std::uint32_t i = 0; i < count; ++i, d += step) {
                    unsigned v = h.depth == 8 ? s[i] : Sample(s, i, h.depth);
                    unsigned g = v * scale;
                    Put(d, g, g, g, key && v == c.key[0] ? 0 : 255);
                }
            }
            break;
        case 2:
            if (h.depth == 16) {
                for (std::uint32_t i = 0; i < count; ++i, s += 6, d += step) {
                    bool clear = key && Be16(s) == c.key[0] && Be16(s + 2) == c.key[1] && Be16(s + 4) == c.key[2];
                    Put(d, s[0], s[2], s[4], clear ? 0 : 255);
                }
            } else {
                for (std::uint32_t i = 0; i < count; ++i, s += 3, d += step) {
                    bool clear = key && s[0] == c.key[0] && s[1] == c.key[1] && s[2] == c.key[2];
                    Put(d, s[0], s[1], s[2], clear ? 0 : 255);
                }
            }
            break;
        case 3:
            for (std::uint32_t i = 0; i < count; ++i, d += step) {
                unsigned v = h.depth == 8 ? s[i] : Sample(s, i, h.depth);
                const std::uint8_t* p = c.palette[v];
                Put(d, p[0], p[1], p[2], c.paletteAlpha[v]);
            }
            break;
        case 4:
            if (h.depth == 16) {
                for (std::uint32_t i = 0; i < count; ++i, s += 4, d += step) Put(d, s[0], s[0], s[0], s[2]);
            } else {
                for (std::uint32_t i = 0; i < count; ++i, s += 2, d += step) Put(d, s[0], s[0], s[0], s[1]);
            }
            break;
        default:
            if (h.depth == 16) {
                for (std::uint32_t i = 0; i < count; ++i, s += 8, d += step) Put(d, s[0], s[2], s[4], s[6]);
            } else {
                for (std::uint32_t i = 0; i < count; ++i, s += 4, d += step) Put(d, s[0], s[1], s[2], s[3]);
            }
            break;
    }
}

inline std::uint8_t Paeth(int a, int b, int c) {
    int p = a + b - c;
    int pa = p > a ? p - a : a - p, pb = p > b ? p - b : b - p, pc = p > c ? p - c : c - p;
    return static_cast<std::uint8_t>(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// Undoes one row's filter in place; `prior` is the row above (zeros for the first).
bool Unfilter(int type, std::uint8_t* row, const std::uint8_t* prior, std::size_t n, std::size_t bpp) {
    switch (type) {
        case 0: return true;
        case 1:
            for (std::size_t i = bpp; i < n; ++i) row[i] = static_cast<std::uint8_t>(row[i] + row[i - bpp]);
            return true;
        case 2:
            for (std::size_t i = 0; i < n; ++i) row[i] = static_cast<std::uint8_t>(row[i] + prior[i]);
            return true;
        case 3:
            for (std::size_t i = 0; i < bpp && i < n; ++i) row[i] = static_cast<std::uint8_t>(row[i] + (prior[i] >> 1));
            for (std::size_t i = bpp; i < n; ++i)
                row[i] = static_cast<std::uint8_t>(row[i] + ((row[i - bpp] + prior[i]) >> 1));
            return true;
        case 4:
            for (std::size_t i = 0; i < bpp && i < n; ++i) row[i] = static_cast<std::uint8_t>(row[i] + prior[i]);
            for (std::size_t i = bpp; i < n; ++i)
                row[i] = static_cast<std::uint8_t>(row[i] + Paeth(row[i - bpp], prior[i], prior[i - bpp]));
            return true;
        default: return false;
    }
}

struct Pass {
    std::uint32_t x0, y0, dx, dy;
};
constexpr Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                            {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
constexpr Pass kWhole = {0, 0, 1, 1};

std::uint32_t PassSize(std::uint32_t size, std::uint32_t start, std::uint32_t step) {
    return size > start ? (size - start + step - 1) / step : 0;
}

std::uint64_t RowBytes(const Header& h, std::uint32_t width) {
    return (std::uint64_t{width} * static_cast<std::uint64_t>(h.BitsPerPixel()) + 7) / 8;
}

std::uint64_t RawSize(const Header& h) {
    std::uint64_t total = 0;
    const Pass* passes = h.interlace ? kAdam7 : &kWhole;
    for (int p = 0; p < (h.interlace ? 7 : 1); ++p) {
        std::uint32_t pw = PassSize(h.width, passes[p].x0, passes[p].dx);
        std::uint32_t ph = PassSize(h.height, passes[p].y0, passes[p].dy);
        if (pw && ph) total += std::uint64_t{ph} * (1 + RowBytes(h, pw));
    }
    return total;
}

bool IsType(const std::uint8_t* t, const char* name) { return std::memcmp(t, name, 4) == 0; }

struct Fail {
    const char* what;
};

ParseResult Parse(const std::uint8_t* data, std::size_t size, const ParseOptions& options, PixelImage& out) {
    Header h;
    Colours c;
    bool haveHeader = false, haveEnd = false;
    std::vector<std::uint8_t> idat;
    std::size_t pos = 8;
    while (pos < size && !haveEnd) {
        if (size - pos < 12) throw Fail{"PNG chunk runs past the end of the data"};
        std::uint32_t len = ReadBe32(data + pos);
        if (len > 0x7FFFFFFFu || len > size - pos - 12) throw Fail{"PNG chunk runs past the end of the data"};
        const std::uint8_t* type = data + pos + 4;
        const std::uint8_t* body = type + 4;
        bool isHeader = IsType(type, "IHDR"), isData = IsType(type, "IDAT");
        if (options.zlib.crc32 && (isHeader || isData)) {
            unsigned long crc = options.zlib.crc32(0, type, len + 4);
            if ((crc & 0xFFFFFFFFul) != ReadBe32(body + len)) throw Fail{"PNG chunk CRC error"};
        }
        if (!haveHeader && !isHeader) throw Fail{"PNG header chunk missing"};
        if (isHeader) {
            if (haveHeader || len != 13) throw Fail{"bad PNG header chunk"};
            h.width = ReadBe32(body);
            h.height = ReadBe32(body + 4);
            h.depth = body[8];
            h.colourType = body[9];
            h.channels = ChannelsOf(h.colourType);
            h.interlace = body[12];
            if (h.width < 1 || h.height < 1 || h.width > 0x7FFFFFFFu || h.height > 0x7FFFFFFFu)
                throw Fail{"bad PNG image size"};
            if (body[10] != 0) throw Fail{"unknown PNG compression method"};
            if (h.channels == 0 || !DepthAllowed(h.colourType, h.depth)) throw Fail{"bad PNG colour type or bit depth"};
            if (body[11] != 0 || h.interlace > 1) throw Fail{"unknown PNG filter or interlace method"};
            if (!options.limits.Allows(h.width, h.height)) throw Fail{"PNG image too large"};
            haveHeader = true;
        } else if (IsType(type, "PLTE")) {
            if (len % 3 != 0 || len == 0 || len > 768) throw Fail{"bad PNG palette"};
            if (h.colourType == 3) {
                // Entries beyond what the bit depth can index are never used.
                c.paletteCount = static_cast<int>(len / 3);
                std::memcpy(c.palette, body, len);
            }
        } else if (IsType(type, "tRNS")) {
            if (h.colourType == 0 && len >= 2) {
                c.key[0] = static_cast<std::uint16_t>(Be16(body));
                c.transparency = true;
            } else if (h.colourType == 2 && len >= 6) {
                for (int i = 0; i < 3; ++i) c.key[i] = static_cast<std::uint16_t>(Be16(body + 2 * i));
                c.transparency = true;
            } else if (h.colourType == 3 && len >= 1) {
                std::memcpy(c.paletteAlpha, body, len > 256 ? 256 : len);
                c.transparency = true;
            }
        } else if (isData) {
            idat.insert(idat.end(), body, body + len);
        } else if (IsType(type, "IEND")) {
            haveEnd = true;
        }
        pos += 12 + std::size_t{len};
    }
    if (!haveHeader) throw Fail{"PNG header chunk missing"};
    if (idat.empty()) throw Fail{"PNG image data missing"};
    if (h.colourType == 3 && c.paletteCount == 0) throw Fail{"PNG palette missing"};

    const std::uint64_t rawSize = RawSize(h);
    if (rawSize / kMaxInflateRatio > idat.size() + 16) throw Fail{"PNG image data too short"};
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(rawSize));
    if (options.zlib.uncompress) {
        unsigned long destLen = static_cast<unsigned long>(rawSize);
        if (options.zlib.uncompress(raw.data(), &destLen, idat.data(), static_cast<unsigned long>(idat.size())) != 0 ||
            destLen != rawSize)
            throw Fail{"PNG image data is corrupt"};
    } else {
        std::size_t written = 0;
        if (InflateZlib(idat.data(), idat.size(), raw.data(), raw.size(), &written) != InflateStatus::Ok ||
            written != rawSize)
            throw Fail{"PNG image data is corrupt"};
    }
    idat = {};

    if (!AllocatePixels(out, h.width, h.height, options.limits)) throw Fail{"PNG image too large"};
    const std::size_t bpp = static_cast<std::size_t>(h.BitsPerPixel() + 7) / 8;
    std::vector<std::uint8_t> zeros(static_cast<std::size_t>(RowBytes(h, h.width)));
    std::uint8_t* p = raw.data();
    const Pass* passes = h.interlace ? kAdam7 : &kWhole;
    for (int pi = 0; pi < (h.interlace ? 7 : 1); ++pi) {
        const Pass& pass = passes[pi];
        std::uint32_t pw = PassSize(h.width, pass.x0, pass.dx), ph = PassSize(h.height, pass.y0, pass.dy);
        if (!pw || !ph) continue;
        const std::size_t rowBytes = static_cast<std::size_t>(RowBytes(h, pw));
        const std::uint8_t* prior = zeros.data();
        for (std::uint32_t y = 0; y < ph; ++y) {
            std::uint8_t* row = p + 1;
            if (!Unfilter(p[0], row, prior, rowBytes, bpp)) throw Fail{"unknown PNG filter type"};
            std::uint8_t* d = out.Row(static_cast<std::int32_t>(pass.y0 + y * pass.dy)) + std::size_t{pass.x0} * 4;
            ConvertRow(h, c, row, pw, d, std::size_t{pass.dx} * 4);
            prior = row;
            p += 1 + rowBytes;
        }
    }
    out.imageType = kImageTypePng;
    out.alpha = (h.colourType == 4 || h.colourType == 6) ? kAlphaFull : c.transparency ? kAlphaSimple : kAlphaOpaque;
    return ParseResult::Loaded;
}

}  // namespace

bool cPNGparser::HasSignature(const std::uint8_t* data, std::size_t size) {
    return size >= 8 && std::memcmp(data, kSignature, 8) == 0;
}

ParseResult cPNGparser::LoadStream(const std::uint8_t* data, std::size_t size, const ParseOptions& options,
                                   PixelImage& out, std::string& error) {
    out = PixelImage{};
    if (!HasSignature(data, size)) return ParseResult::Declined;
    try {
        return Parse(data, size, options, out);
    } catch (const Fail& f) {
        error = f.what;
    } catch (const std::bad_alloc&) {
        error = "out of memory for the PNG image";
    }
    out = PixelImage{};
    return ParseResult::Failed;
}

}  // namespace panorel::imaging
