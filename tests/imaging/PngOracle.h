#pragma once
// libpng as the independent oracle for tests and benchmarks: decodes a PNG
// file's bytes to premultiplied BGRA, top row first, 16-bit samples cut to
// their high byte, the way our reader promises to.
#include <png.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "imaging/PixelImage.h"

namespace panorel::imaging::testing {

inline std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(f), {});
}

struct PngReadSource {
    const std::uint8_t* p;
    std::size_t left;
};

// False when libpng refuses the data.
inline bool LibpngDecode(const std::vector<std::uint8_t>& bytes, PixelImage& out) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    PngReadSource src{bytes.data(), bytes.size()};
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &src, [](png_structp p, png_bytep data, png_size_t n) {
        auto* s = static_cast<PngReadSource*>(png_get_io_ptr(p));
        if (n > s->left) png_error(p, "truncated");
        std::memcpy(data, s->p, n);
        s->p += n;
        s->left -= n;
    });
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

}  // namespace panorel::imaging::testing
