#pragma once
// Independent decoders and helpers for the image tests and benchmarks: libpng
// for PNG, giflib for GIF, Pillow (through /usr/bin/python3) for BMP and TGA,
// the system's zlib as the run-time zlib table, PSNR.
#include <gif_lib.h>
#include <png.h>
#include <zlib.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "imaging/PixelImage.h"
#include "imaging/PngChunks.h"
#include "imaging/ZlibApi.h"

namespace panorel::test {

using imaging::PixelImage;
using imaging::Premultiply;

inline imaging::ZlibApi SystemZlib() {
    imaging::ZlibApi z;
    z.crc32 = ::crc32;
    z.uncompress = ::uncompress;
    z.compress2 = ::compress2;
    z.compress = ::compress;
    return z;
}

inline std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}
inline void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

// Straight RGBA rows (top first) to the premultiplied BGRA picture.
inline PixelImage FromStraightRgba(int w, int h, const std::uint8_t* rgba) {
    PixelImage p{w, h, std::vector<std::uint8_t>(static_cast<std::size_t>(w) * h * 4)};
    for (std::size_t i = 0; i < p.bgra.size(); i += 4) {
        const std::uint8_t a = rgba[i + 3];
        p.bgra[i] = Premultiply(rgba[i + 2], a);
        p.bgra[i + 1] = Premultiply(rgba[i + 1], a);
        p.bgra[i + 2] = Premultiply(rgba[i], a);
        p.bgra[i + 3] = a;
    }
    return p;
}

// libpng's decoding to premultiplied BGRA, 16-bit samples cut to their high
// byte, the way our reader promises to; false when libpng refuses the data.
inline bool LibpngDecode(const std::vector<std::uint8_t>& bytes, PixelImage& out) {
    const std::unique_ptr<FILE, int (*)(FILE*)> file(
        fmemopen(const_cast<std::uint8_t*>(bytes.data()), bytes.size(), "rb"), std::fclose);
    if (!file) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, file.get());
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    out.width = static_cast<std::int32_t>(png_get_image_width(png, info));
    out.height = static_cast<std::int32_t>(png_get_image_height(png, info));
    out.bgra.assign(static_cast<std::size_t>(out.width) * out.height * 4, 0);
    for (std::int32_t y = 0; y < out.height; ++y) rows.push_back(out.Row(y));
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    for (std::size_t i = 0; i < out.bgra.size(); i += 4)
        for (int k = 0; k < 3; ++k) out.bgra[i + k] = Premultiply(out.bgra[i + k], out.bgra[i + 3]);
    return true;
}

inline bool LoadPngPicture(const std::string& path, PixelImage& out) { return LibpngDecode(ReadFile(path), out); }

struct Decoded {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;  // straight, as the decoder gives it
};

// Pillow's decoding of each file as RGBA (one interpreter for all of them);
// an entry stays empty when its path is empty or Pillow refuses its file.
inline std::vector<Decoded> DecodeWithPillow(const std::vector<std::string>& paths) {
    std::vector<Decoded> result(paths.size());
    std::string list;
    for (const auto& p : paths)
        if (list.empty() && !p.empty()) list = p + ".list";
    if (list.empty()) return result;
    {
        std::ofstream f(list);
        for (const auto& p : paths) f << p << '\n';
    }
    const std::string cmd =
        "/usr/bin/python3 -c \"import sys\nfrom PIL import Image\nfor p in open(sys.argv[1]).read().split(chr(10)):\n"
        "  if not p: continue\n  try:\n    im=Image.open(p).convert('RGBA'); open(p+'.rgba','wb').write("
        "im.size[0].to_bytes(4,'little')+im.size[1].to_bytes(4,'little')+im.tobytes())\n  except Exception as e: "
        "print(p, e)\n\" " + list;
    if (std::system(cmd.c_str()) != 0) return result;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const auto bytes = paths[i].empty() ? std::vector<std::uint8_t>() : ReadFile(paths[i] + ".rgba");
        if (bytes.size() < 8) continue;
        Decoded& d = result[i];
        d.width = bytes[0] | bytes[1] << 8 | bytes[2] << 16;
        d.height = bytes[4] | bytes[5] << 8 | bytes[6] << 16;
        d.rgba.assign(bytes.begin() + 8, bytes.end());
    }
    return result;
}

// The picture's colours laid over black, red green blue per pixel.
inline std::vector<std::uint8_t> RgbOf(const PixelImage& p) {
    std::vector<std::uint8_t> rgb;
    rgb.reserve(p.bgra.size() / 4 * 3);
    for (std::size_t i = 0; i < p.bgra.size(); i += 4) rgb.insert(rgb.end(), {p.bgra[i + 2], p.bgra[i + 1], p.bgra[i]});
    return rgb;
}

inline double Psnr(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    if (a.size() != b.size() || a.empty()) return 0;
    double se = 0;
    for (std::size_t i = 0; i < a.size(); ++i) se += (a[i] - b[i]) * double(a[i] - b[i]);
    return se == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 * a.size() / se);
}

// Binary PPM (P6) reading and writing, for the JPEG command-line tools.
inline void WritePpm(const std::string& path, int w, int h, const std::vector<std::uint8_t>& rgb) {
    std::ofstream f(path, std::ios::binary);
    f << "P6\n" << w << ' ' << h << "\n255\n";
    f.write(reinterpret_cast<const char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
}
inline bool ReadPpm(const std::string& path, int& w, int& h, std::vector<std::uint8_t>& rgb) {
    std::ifstream f(path, std::ios::binary);
    std::string magic;
    int maxval = 0;
    if (!(f >> magic >> w >> h >> maxval) || maxval != 255 || magic != "P6") return false;
    f.get();
    rgb.resize(static_cast<std::size_t>(w) * h * 3);
    return bool(f.read(reinterpret_cast<char*>(rgb.data()), static_cast<std::streamsize>(rgb.size())));
}

inline std::string TempDir(const std::string& name) {
    const char* base = std::getenv("TMPDIR");
    std::string dir = std::string(base ? base : "/tmp") + "/panorel-" + name + "-" + std::to_string(::getpid());
    std::system(("mkdir -p " + dir).c_str());
    return dir;
}

// A one-image GIF of width x height with a grey global table of 2^minCodeSize
// entries around `lzw` (the minimum code size byte, sub-blocks, terminator).
inline std::vector<std::uint8_t> WrapGif(const std::vector<std::uint8_t>& lzw, int width, int height,
                                         int minCodeSize) {
    const int bits = minCodeSize < 2 ? 2 : minCodeSize;
    const auto lo = [](int v) { return static_cast<std::uint8_t>(v & 0xFF); };
    const auto hi = [](int v) { return static_cast<std::uint8_t>(v >> 8); };
    std::vector<std::uint8_t> g = {'G', 'I', 'F', '8', '9', 'a', lo(width), hi(width), lo(height), hi(height),
                                   static_cast<std::uint8_t>(0x80 | (bits - 1) << 4 | (bits - 1)), 0, 0};
    for (int i = 0; i < (1 << bits); ++i) g.insert(g.end(), 3, static_cast<std::uint8_t>(i));
    g.insert(g.end(), {0x2C, 0, 0, 0, 0, lo(width), hi(width), lo(height), hi(height), 0});
    g.insert(g.end(), lzw.begin(), lzw.end());
    g.push_back(0x3B);
    return g;
}

// Bytes read from memory by giflib.
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

// Every image of a GIF as giflib decodes it (indices, rows top first, not
// composited, with the colour table it uses and its transparent index), or
// nothing when giflib refuses the file.
struct OracleImage {
    int left, top, width, height;
    std::vector<std::uint8_t> indices;
    std::vector<std::array<std::uint8_t, 3>> palette;
    int transparent = -1;
};

inline std::vector<OracleImage> DecodeAllImages(const std::vector<std::uint8_t>& gifBytes) {
    std::vector<OracleImage> images;
    MemoryReader reader{gifBytes.data(), gifBytes.size()};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, ReadMemory, &error);
    if (gif == nullptr) return images;
    if (DGifSlurp(gif) == GIF_OK) {
        for (int i = 0; i < gif->ImageCount; ++i) {
            const SavedImage& s = gif->SavedImages[i];
            const GifImageDesc& d = s.ImageDesc;
            const std::size_t n = static_cast<std::size_t>(d.Width) * static_cast<std::size_t>(d.Height);
            OracleImage image{d.Left, d.Top, d.Width, d.Height, {s.RasterBits, s.RasterBits + n}, {}};
            if (const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap)
                for (int e = 0; e < map->ColorCount; ++e)
                    image.palette.push_back({map->Colors[e].Red, map->Colors[e].Green, map->Colors[e].Blue});
            GraphicsControlBlock gcb;
            if (DGifSavedExtensionToGCB(gif, i, &gcb) == GIF_OK) image.transparent = gcb.TransparentColor;
            images.push_back(std::move(image));
        }
    }
    DGifCloseFile(gif, &error);
    return images;
}

// The first image's indices; false when giflib refuses the file.
inline bool DecodeFirstImage(const std::vector<std::uint8_t>& gifBytes, std::vector<std::uint8_t>& indices) {
    std::vector<OracleImage> images = DecodeAllImages(gifBytes);
    if (!images.empty()) indices = std::move(images[0].indices);
    return !images.empty();
}

}  // namespace panorel::test
