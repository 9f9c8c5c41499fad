#pragma once
// Independent decoders and helpers for the image writers' tests and
// benchmarks: libpng for PNG, Pillow (through /usr/bin/python3) for BMP and
// TGA, the system's zlib as the run-time zlib table, PSNR.
#include <png.h>
#include <zlib.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#include "imaging/PixelImage.h"
#include "imaging/ZlibApi.h"

namespace panorel::test {

using imaging::PixelImage;

inline imaging::ZlibApi SystemZlib() {
    imaging::ZlibApi z;
    z.crc32 = [](unsigned long c, const unsigned char* b, unsigned n) -> unsigned long { return ::crc32(c, b, n); };
    z.uncompress = [](unsigned char* d, unsigned long* dl, const unsigned char* s, unsigned long sl) {
        return ::uncompress(d, dl, s, sl);
    };
    z.compress2 = [](unsigned char* d, unsigned long* dl, const unsigned char* s, unsigned long sl, int level) {
        return ::compress2(d, dl, s, sl, level);
    };
    z.compress = [](unsigned char* d, unsigned long* dl, const unsigned char* s, unsigned long sl) {
        return ::compress(d, dl, s, sl);
    };
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

inline std::uint8_t Premultiply(std::uint8_t c, std::uint8_t a) { return static_cast<std::uint8_t>((c * a + 127) / 255); }

// Straight RGBA rows (top first) to the premultiplied BGRA picture.
inline PixelImage FromStraightRgba(int w, int h, const std::uint8_t* rgba) {
    PixelImage p;
    p.width = w;
    p.height = h;
    p.bgra.resize(static_cast<std::size_t>(w) * h * 4);
    for (std::size_t i = 0; i < p.bgra.size(); i += 4) {
        const std::uint8_t a = rgba[i + 3];
        p.bgra[i] = Premultiply(rgba[i + 2], a);
        p.bgra[i + 1] = Premultiply(rgba[i + 1], a);
        p.bgra[i + 2] = Premultiply(rgba[i], a);
        p.bgra[i + 3] = a;
    }
    return p;
}

// libpng's reading of a PNG (file or bytes) as straight 8-bit RGBA; false when
// libpng refuses it.
inline bool DecodePngRgba(const std::vector<std::uint8_t>& bytes, int& w, int& h, std::vector<std::uint8_t>& rgba) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return false;
    image.format = PNG_FORMAT_RGBA;
    rgba.assign(PNG_IMAGE_SIZE(image), 0);
    const bool ok = png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr) != 0;
    w = static_cast<int>(image.width);
    h = static_cast<int>(image.height);
    png_image_free(&image);
    return ok;
}

inline bool LoadPngPicture(const std::string& path, PixelImage& out) {
    int w = 0, h = 0;
    std::vector<std::uint8_t> rgba;
    if (!DecodePngRgba(ReadFile(path), w, h, rgba)) return false;
    out = FromStraightRgba(w, h, rgba.data());
    return true;
}

struct Decoded {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;  // straight, as the decoder gives it
};

// Pillow's decoding of each file as RGBA (one interpreter for all of them);
// an entry stays empty when Pillow refuses its file.
inline std::vector<Decoded> DecodeWithPillow(const std::vector<std::string>& paths) {
    const std::string list = paths.empty() ? std::string() : paths[0] + ".list";
    std::vector<Decoded> result(paths.size());
    if (paths.empty()) return result;
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
        const auto bytes = ReadFile(paths[i] + ".rgba");
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
    if (!(f >> magic >> w >> h >> maxval) || maxval != 255 || (magic != "P6" && magic != "P5")) return false;
    f.get();
    const std::size_t channels = magic == "P6" ? 3 : 1;
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(w) * h * channels);
    f.read(reinterpret_cast<char*>(raw.data()), static_cast<std::streamsize>(raw.size()));
    if (!f) return false;
    if (channels == 3) rgb = std::move(raw);
    else {
        rgb.clear();
        for (std::uint8_t v : raw) rgb.insert(rgb.end(), 3, v);
    }
    return true;
}

inline std::string TempDir(const std::string& name) {
    const char* base = std::getenv("TMPDIR");
    std::string dir = std::string(base ? base : "/tmp") + "/panorel-" + name + "-" + std::to_string(::getpid());
    std::system(("mkdir -p " + dir).c_str());
    return dir;
}

}  // namespace panorel::test
