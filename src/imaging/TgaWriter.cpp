#include "imaging/TgaWriter.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "imaging/ImageWriterSupport.h"

namespace panorel::imaging {
namespace {

constexpr std::size_t kExtensionSize = 495;
constexpr char kSoftwareId[] = "Corvane Alpha Image Library";

enum class TgaForm { Grey8, Mapped8, Bgr24, Bgra32 };

// The pixel's stored bytes (blue, green, red, alpha), straight or as held.
std::uint32_t StoredPixel(const std::uint8_t* s, bool premultiplied) {
    const std::uint8_t a = s[3];
    if (premultiplied || a == 255) return s[0] | s[1] << 8 | s[2] << 16 | std::uint32_t{a} << 24;
    return Unpremultiply(s[0], a) | Unpremultiply(s[1], a) << 8 | Unpremultiply(s[2], a) << 16 |
           std::uint32_t{a} << 24;
}

bool IsGrey(const PixelImage& image) {
    for (std::size_t i = 0; i < image.bgra.size(); i += 4)
        if (image.bgra[i] != image.bgra[i + 1] || image.bgra[i] != image.bgra[i + 2]) return false;
    return true;
}

// Up to 256 distinct stored pixels in first-seen order with each one's index;
// false when there are more.
bool CollectPalette(const PixelImage& image, bool premultiplied, std::vector<std::uint32_t>& palette,
                    std::unordered_map<std::uint32_t, std::uint8_t>& index) {
    for (std::size_t i = 0; i < image.bgra.size(); i += 4) {
        const std::uint32_t p = StoredPixel(&image.bgra[i], premultiplied);
        if (index.count(p)) continue;
        if (palette.size() == 256) {
            palette.clear();
            return false;
        }
        index.emplace(p, static_cast<std::uint8_t>(palette.size()));
        palette.push_back(p);
    }
    return true;
}

// One row of pixels of `size` bytes each as run-length packets: runs of 2 or
// more equal pixels become run packets, everything else raw packets, at most
// 128 pixels per packet, never crossing the row's end.
void PutRleRow(std::vector<std::uint8_t>& out, const std::uint8_t* row, std::int32_t width, std::size_t size) {
    auto same = [&](std::int32_t a, std::int32_t b) { return std::memcmp(row + a * size, row + b * size, size) == 0; };
    std::int32_t x = 0;
    while (x < width) {
        std::int32_t run = 1;
        while (x + run < width && run < 128 && same(x, x + run)) ++run;
        if (run >= 2) {
            out.push_back(static_cast<std::uint8_t>(0x80 | (run - 1)));
            out.insert(out.end(), row + x * size, row + (x + 1) * size);
            x += run;
            continue;
        }
        std::int32_t raw = 1;
        while (x + raw < width && raw < 128 && !(x + raw + 1 < width && same(x + raw, x + raw + 1))) ++raw;
        out.push_back(static_cast<std::uint8_t>(raw - 1));
        out.insert(out.end(), row + x * size, row + (x + raw) * size);
        x += raw;
    }
}

bool EncodeTga(const PixelImage& image, std::vector<std::uint8_t>& out, bool Compress, bool ReduceBitDepth,
               bool AllowPreMultipliedPixels) {
    if (!IsWritable(image) || image.width > 65535 || image.height > 65535) return false;
    const std::size_t count = static_cast<std::size_t>(image.width) * image.height;
    const bool opaque = IsOpaque(image);

    TgaForm form = TgaForm::Bgra32;
    std::vector<std::uint32_t> palette;
    std::unordered_map<std::uint32_t, std::uint8_t> index;
    if (ReduceBitDepth) {
        if (opaque && IsGrey(image)) form = TgaForm::Grey8;
        else if (opaque && CollectPalette(image, AllowPreMultipliedPixels, palette, index)) form = TgaForm::Mapped8;
        else form = opaque ? TgaForm::Bgr24 : TgaForm::Bgra32;
    }
    const bool mapped = form == TgaForm::Mapped8;
    constexpr std::size_t mapEntry = 3;
    const std::size_t size = form == TgaForm::Bgra32 ? 4 : form == TgaForm::Bgr24 ? 3 : 1;
    const std::uint8_t alphaBits = form == TgaForm::Bgra32 ? 8 : 0;

    std::vector<std::uint8_t> tga;
    tga.reserve(18 + palette.size() * 4 + count * size + 600);
    tga.push_back(0);  // no image id
    tga.push_back(mapped ? 1 : 0);
    const std::uint8_t baseType = form == TgaForm::Grey8 ? 3 : mapped ? 1 : 2;
    tga.push_back(static_cast<std::uint8_t>(Compress ? baseType + 8 : baseType));
    PutLe16(tga, 0);
    PutLe16(tga, static_cast<std::uint32_t>(palette.size()));
    tga.push_back(static_cast<std::uint8_t>(mapped ? mapEntry * 8 : 0));
    PutLe16(tga, 0);
    PutLe16(tga, 0);
    PutLe16(tga, static_cast<std::uint32_t>(image.width));
    PutLe16(tga, static_cast<std::uint32_t>(image.height));
    tga.push_back(static_cast<std::uint8_t>(size * 8));
    tga.push_back(static_cast<std::uint8_t>(alphaBits | 0x20));  // top row first
    for (std::uint32_t p : palette)
        for (std::size_t b = 0; b < mapEntry; ++b) tga.push_back(static_cast<std::uint8_t>(p >> (8 * b)));

    std::vector<std::uint8_t> row(static_cast<std::size_t>(image.width) * size);
    for (std::int32_t y = 0; y < image.height; ++y) {
        const std::uint8_t* s = image.Row(y);
        for (std::int32_t x = 0; x < image.width; ++x) {
            const std::uint32_t p = StoredPixel(s + std::size_t(x) * 4, AllowPreMultipliedPixels);
            if (form == TgaForm::Grey8) row[x] = static_cast<std::uint8_t>(p);
            else if (mapped) row[x] = index[p];
            else
                for (std::size_t b = 0; b < size; ++b) row[x * size + b] = static_cast<std::uint8_t>(p >> (8 * b));
        }
        if (Compress) PutRleRow(tga, row.data(), image.width, size);
        else tga.insert(tga.end(), row.begin(), row.end());
    }

    // Extension area: its size, then all-zero fields except the software id
    // and the attributes type at its last byte.
    const std::size_t extensionOffset = tga.size();
    tga.resize(extensionOffset + kExtensionSize, 0);
    std::uint8_t* ext = tga.data() + extensionOffset;
    ext[0] = static_cast<std::uint8_t>(kExtensionSize);
    ext[1] = static_cast<std::uint8_t>(kExtensionSize >> 8);
    std::memcpy(ext + 426, kSoftwareId, sizeof kSoftwareId - 1);
    ext[494] = alphaBits == 0 ? 0 : AllowPreMultipliedPixels ? 4 : 3;

    PutLe32(tga, static_cast<std::uint32_t>(extensionOffset));
    PutLe32(tga, 0);  // no developer directory
    static constexpr char kSignature[] = "TRUEVISION-XFILE.";
    tga.insert(tga.end(), kSignature, kSignature + sizeof kSignature);  // with its zero byte
    out.swap(tga);
    return true;
}

}  // namespace

bool SaveAsTGA(const PixelImage& image, std::vector<std::uint8_t>& out, bool Compress, bool ReduceBitDepth,
               bool AllowPreMultipliedPixels) {
    return FailOnBadAlloc(false,
                          [&] { return EncodeTga(image, out, Compress, ReduceBitDepth, AllowPreMultipliedPixels); });
}

}  // namespace panorel::imaging
