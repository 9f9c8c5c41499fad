#include "imaging/BmpWriter.h"

namespace panorel::imaging {
namespace {

bool EncodeBmp(const PixelImage& image, std::vector<std::uint8_t>& out, bool KeepPreMultipliedPixels,
               ColorRef TransparentFillColor) {
    if (!IsWritable(image)) return false;
    const bool opaque = IsOpaque(image);
    const bool flatten = !opaque && TransparentFillColor >= 0;
    const unsigned bytesPerPixel = opaque || flatten ? 3 : 4;
    const std::size_t stride = (static_cast<std::size_t>(image.width) * bytesPerPixel + 3) & ~std::size_t{3};
    const std::size_t imageSize = stride * image.height;
    constexpr std::uint32_t kHeaders = 14 + 40;
    if (imageSize > 0xFFFFFFFFu - kHeaders) return false;  // the header's 32-bit file size

    std::vector<std::uint8_t> bmp;
    bmp.reserve(kHeaders + imageSize);
    PutLe16(bmp, 0x4D42);
    PutLe32(bmp, static_cast<std::uint32_t>(kHeaders + imageSize));
    PutLe32(bmp, 0);
    PutLe32(bmp, kHeaders);
    PutLe32(bmp, 40);
    PutLe32(bmp, static_cast<std::uint32_t>(image.width));
    PutLe32(bmp, static_cast<std::uint32_t>(image.height));  // positive: bottom row first
    PutLe16(bmp, 1);
    PutLe16(bmp, bytesPerPixel * 8);
    PutLe32(bmp, 0);  // BI_RGB
    PutLe32(bmp, static_cast<std::uint32_t>(imageSize));
    PutLe32(bmp, 2835);  // 72 dots per inch
    PutLe32(bmp, 2835);
    PutLe32(bmp, 0);
    PutLe32(bmp, 0);

    const std::uint8_t fill[3] = {FillBlue(TransparentFillColor), FillGreen(TransparentFillColor),
                                  FillRed(TransparentFillColor)};
    bmp.resize(kHeaders + imageSize, 0);
    for (std::int32_t y = 0; y < image.height; ++y) {
        const std::uint8_t* s = image.Row(y);
        std::uint8_t* d = bmp.data() + kHeaders + stride * (image.height - 1 - y);
        for (std::int32_t x = 0; x < image.width; ++x, s += 4, d += bytesPerPixel) {
            const std::uint8_t a = s[3];
            for (int c = 0; c < 3; ++c) {
                if (opaque || (bytesPerPixel == 4 && KeepPreMultipliedPixels)) d[c] = s[c];
                else if (flatten) d[c] = OverBackground(s[c], a, fill[c]);
                else d[c] = Unpremultiply(s[c], a);
            }
            if (bytesPerPixel == 4) d[3] = a;
        }
    }
    out.swap(bmp);
    return true;
}

}  // namespace

bool SaveAsBMP(const PixelImage& image, std::vector<std::uint8_t>& out, bool KeepPreMultipliedPixels,
               ColorRef TransparentFillColor) {
    return FailOnBadAlloc(false, [&] { return EncodeBmp(image, out, KeepPreMultipliedPixels, TransparentFillColor); });
}

}  // namespace panorel::imaging
