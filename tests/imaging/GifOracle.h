#pragma once
// giflib as the independent decoder of what the project encodes: wraps LZW
// image data in a minimal one-image GIF and decodes it from memory.
#include <gif_lib.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace panorel::test {

// A one-image GIF of width x height with a grey global table of 2^minCodeSize
// entries around `lzw` (the minimum code size byte, sub-blocks, terminator).
inline std::vector<std::uint8_t> WrapGif(const std::vector<std::uint8_t>& lzw, int width, int height,
                                         int minCodeSize) {
    const int bits = minCodeSize < 2 ? 2 : minCodeSize;
    std::vector<std::uint8_t> g = {'G', 'I', 'F', '8', '9', 'a'};
    auto put16 = [&g](int v) {
        g.push_back(static_cast<std::uint8_t>(v & 0xFF));
        g.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    put16(width);
    put16(height);
    g.push_back(static_cast<std::uint8_t>(0x80 | ((bits - 1) << 4) | (bits - 1)));
    g.push_back(0);
    g.push_back(0);
    for (int i = 0; i < (1 << bits); ++i) g.insert(g.end(), 3, static_cast<std::uint8_t>(i));
    g.push_back(0x2C);
    put16(0);
    put16(0);
    put16(width);
    put16(height);
    g.push_back(0);
    g.insert(g.end(), lzw.begin(), lzw.end());
    g.push_back(0x3B);
    return g;
}

struct MemoryReader {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos = 0;
};

inline int ReadMemory(GifFileType* gif, GifByteType* buf, int n) {
    auto* r = static_cast<MemoryReader*>(gif->UserData);
    const std::size_t left = r->size - r->pos;
    const std::size_t take = static_cast<std::size_t>(n) < left ? static_cast<std::size_t>(n) : left;
    std::memcpy(buf, r->data + r->pos, take);
    r->pos += take;
    return static_cast<int>(take);
}

// Decodes the first image of a GIF in memory; false when giflib refuses it.
inline bool DecodeFirstImage(const std::vector<std::uint8_t>& gifBytes, std::vector<std::uint8_t>& indices) {
    MemoryReader reader{gifBytes.data(), gifBytes.size()};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, ReadMemory, &error);
    if (gif == nullptr) return false;
    const bool ok = DGifSlurp(gif) == GIF_OK && gif->ImageCount >= 1;
    if (ok) {
        const SavedImage& image = gif->SavedImages[0];
        const std::size_t n =
            static_cast<std::size_t>(image.ImageDesc.Width) * static_cast<std::size_t>(image.ImageDesc.Height);
        indices.assign(image.RasterBits, image.RasterBits + n);
    }
    DGifCloseFile(gif, &error);
    return ok;
}

}  // namespace panorel::test

namespace panorel::test {

// Every image of a GIF as giflib decodes it (indices, rows top first, not
// composited), or nothing when giflib refuses the file.
struct OracleImage {
    int left, top, width, height;
    std::vector<std::uint8_t> indices;
};

inline std::vector<OracleImage> DecodeAllImages(const std::vector<std::uint8_t>& gifBytes) {
    std::vector<OracleImage> images;
    MemoryReader reader{gifBytes.data(), gifBytes.size()};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, ReadMemory, &error);
    if (gif == nullptr) return images;
    if (DGifSlurp(gif) == GIF_OK) {
        for (int i = 0; i < gif->ImageCount; ++i) {
            const GifImageDesc& d = gif->SavedImages[i].ImageDesc;
            const std::size_t n = static_cast<std::size_t>(d.Width) * static_cast<std::size_t>(d.Height);
            images.push_back({d.Left, d.Top, d.Width, d.Height,
                              std::vector<std::uint8_t>(gif->SavedImages[i].RasterBits,
                                                        gif->SavedImages[i].RasterBits + n)});
        }
    }
    DGifCloseFile(gif, &error);
    return images;
}

}  // namespace panorel::test
