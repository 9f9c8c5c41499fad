#include "imaging/modParsersWin32.h"

#include <olectl.h>

#include <cstring>
#include <vector>

#include "host/DibSection.h"
#include "host/GlobalBlock.h"
#include "host/Handles.h"
#include "imaging/modParsers.h"

namespace panorel::imaging {
namespace {

// A top-down 32-bit DIB section with its own DC.
struct Canvas {
    BitmapHandle bitmap;
    MemoryDcHandle dc;
    HGDIOBJ old = nullptr;
    std::uint8_t* bits = nullptr;
    int width = 0, height = 0;

    bool Create(int w, int h) {
        void* p = nullptr;
        bitmap = host::CreateTopDownDib(nullptr, w, h, 32, &p);
        dc.reset(::CreateCompatibleDC(nullptr));
        if (!bitmap || !dc || !p) return false;
        old = ::SelectObject(dc.get(), bitmap.get());
        bits = static_cast<std::uint8_t*>(p);
        width = w, height = h;
        return true;
    }
    void Fill(std::uint32_t bgrx) {
        ::GdiFlush();
        for (std::size_t i = 0; i < std::size_t(width) * height; ++i) std::memcpy(bits + i * 4, &bgrx, 4);
    }
    ~Canvas() {
        if (old) ::SelectObject(dc.get(), old);
    }
};

}  // namespace

bool ConvertstdPicTo32bpp(HBITMAP bitmap, PixelImage& out) {
    out = PixelImage{};
    BITMAP bm{};
    if (!bitmap || !::GetObjectW(bitmap, sizeof bm, &bm) || !AllocatePixels(out, bm.bmWidth, std::abs(bm.bmHeight), ImageLimits{}))
        return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = out.width;
    info.bmiHeader.biHeight = -out.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    const int rows = ::GetDIBits(WindowDc::Client(nullptr).get(), bitmap, 0, static_cast<UINT>(out.height),
                                 out.bgra.data(), &info, DIB_RGB_COLORS);
    if (rows != out.height) {
        out = PixelImage{};
        return false;
    }
    bool anyAlpha = false;
    if (bm.bmBitsPixel == 32)
        for (std::size_t i = 3; i < out.bgra.size() && !anyAlpha; i += 4) anyAlpha = out.bgra[i] != 0;
    for (std::size_t i = 0; i < out.bgra.size(); i += 4) {
        std::uint8_t* p = &out.bgra[i];
        if (!anyAlpha) {
            p[3] = 255;
        } else {
            for (int k = 0; k < 3; ++k)
                if (p[k] > p[3]) p[k] = p[3];
        }
    }
    out.imageType = kImageTypeBitmap;
    out.alpha = ClassifyAlpha(out);
    return true;
}

bool ConvertstdPicTo32bpp(HICON icon, PixelImage& out) {
    out = PixelImage{};
    ICONINFO ii{};
    if (!icon || !::GetIconInfo(icon, &ii)) return false;
    BitmapHandle colour(ii.hbmColor), mask(ii.hbmMask);
    BITMAP bm{};
    if (!::GetObjectW(colour ? colour.get() : mask.get(), sizeof bm, &bm)) return false;
    const int w = bm.bmWidth, h = colour ? bm.bmHeight : bm.bmHeight / 2;
    if (!ImageLimits{}.Allows(w, h)) return false;
    // Drawn on black the result is the premultiplied colour; on white it adds
    // 255 * (1 - alpha), which gives the alpha.
    Canvas black, white;
    if (!black.Create(w, h) || !white.Create(w, h)) return false;
    black.Fill(0xFF000000u);
    white.Fill(0xFFFFFFFFu);
    if (!::DrawIconEx(black.dc.get(), 0, 0, icon, w, h, 0, nullptr, DI_NORMAL) ||
        !::DrawIconEx(white.dc.get(), 0, 0, icon, w, h, 0, nullptr, DI_NORMAL))
        return false;
    ::GdiFlush();
    if (!AllocatePixels(out, w, h, ImageLimits{})) return false;
    for (std::size_t i = 0; i < std::size_t(w) * h; ++i) {
        const std::uint8_t* b = black.bits + i * 4;
        const std::uint8_t* wh = white.bits + i * 4;
        int alpha = 255 - (wh[1] - b[1]);
        alpha = alpha < 0 ? 0 : alpha > 255 ? 255 : alpha;
        std::uint8_t* d = &out.bgra[i * 4];
        for (int k = 0; k < 3; ++k) d[k] = b[k] > alpha ? static_cast<std::uint8_t>(alpha) : b[k];
        d[3] = static_cast<std::uint8_t>(alpha);
    }
    out.imageType = kImageTypeIconHandle;
    out.alpha = ClassifyAlpha(out);
    return true;
}

bool GifThroughPicture(const std::uint8_t* data, std::size_t size, PixelImage& out) {
    out = PixelImage{};
    if (size < 13 + 10) return false;
    char sig[6];
    for (int i = 0; i < 6; ++i) sig[i] = static_cast<char>(data[i] | 0x20);  // letters to lower case, digits stay
    if (std::memcmp(sig, "gif87a", 6) != 0 && std::memcmp(sig, "gif89a", 6) != 0) return false;
    const int screenW = ReadLe16(data + 6), screenH = ReadLe16(data + 8);
    if (!ImageLimits{}.Allows(screenW, screenH)) return false;
    std::size_t pos = 13;
    std::size_t globalTable = 0, globalCount = 0;
    if (data[10] & 0x80) {
        globalTable = pos;
        globalCount = std::size_t{1} << ((data[10] & 7) + 1);
        pos += globalCount * 3;
    }
    // The first image and the graphic control extension before it.
    std::size_t gceFlags = 0, table = globalTable, tableCount = globalCount;
    int transparent = -1;
    bool haveImage = false;
    while (pos < size && !haveImage) {
        const std::uint8_t block = data[pos];
        if (block == 0x21) {
            if (pos + 2 > size) return false;
            const std::uint8_t label = data[pos + 1];
            std::size_t p = pos + 2;
            if (label == 0xF9 && p + 5 <= size && data[p] == 4) {
                gceFlags = p + 1;
                transparent = (data[p + 1] & 1) ? data[p + 4] : -1;
            }
            while (p < size && data[p]) p += 1 + data[p];
            pos = p + 1;
        } else if (block == 0x2C) {
            if (pos + 10 > size) return false;
            if (data[pos + 9] & 0x80) {
                table = pos + 10;
                tableCount = std::size_t{1} << ((data[pos + 9] & 7) + 1);
            }
            haveImage = true;
        } else {
            return false;  // trailer or garbage before any image
        }
    }
    if (!haveImage) return false;
    if (table && table + tableCount * 3 > size) return false;

    // The transparent entry gets a colour no other entry has, the flag goes,
    // and the picture loader draws plain colours we can match exactly. The
    // one copy of the data is the memory the picture loader reads.
    std::uint32_t marker = 0x00010203u;
    auto used = [&](std::uint32_t rgb) {
        for (std::size_t i = 0; table && i < tableCount; ++i) {
            const std::uint8_t* c = &data[table + i * 3];
            if (static_cast<int>(i) != transparent && (std::uint32_t{c[0]} << 16 | c[1] << 8 | c[2]) == rgb) return true;
        }
        return false;
    };
    while (used(marker)) marker += 0x010305u;
    GlobalMemoryHandle memory = host::CopyToGlobal(data, size);
    if (!memory) return false;
    if (transparent >= 0 && table && static_cast<std::size_t>(transparent) < tableCount) {
        const host::LockedGlobal lock(memory.get());
        auto* copy = static_cast<std::uint8_t*>(lock.data());
        if (!copy) return false;
        std::uint8_t* c = &copy[table + static_cast<std::size_t>(transparent) * 3];
        c[0] = static_cast<std::uint8_t>(marker >> 16), c[1] = static_cast<std::uint8_t>(marker >> 8), c[2] = static_cast<std::uint8_t>(marker);
        copy[gceFlags] &= 0xFE;
    }
    const ComPtr<IStream> stream = host::StreamOver(std::move(memory));
    if (!stream) return false;
    IPicture* rawPicture = nullptr;
    if (FAILED(::OleLoadPicture(stream.get(), static_cast<LONG>(size), FALSE, IID_IPicture,
                                reinterpret_cast<void**>(&rawPicture))) ||
        !rawPicture)
        return false;
    ComPtr<IPicture> picture(rawPicture);
    OLE_XSIZE_HIMETRIC hmW = 0;
    OLE_YSIZE_HIMETRIC hmH = 0;
    picture->get_Width(&hmW);
    picture->get_Height(&hmH);
    Canvas canvas;
    if (!canvas.Create(screenW, screenH)) return false;
    // Pixels left undrawn count as transparent too. 0xRRGGBB read from the
    // little-endian blue, green, red bytes of a pixel is the marker itself.
    const std::uint32_t markerBgr = marker;
    canvas.Fill(markerBgr);
    if (FAILED(picture->Render(canvas.dc.get(), 0, 0, screenW, screenH, 0, hmH, hmW, -hmH, nullptr))) return false;
    ::GdiFlush();
    if (!AllocatePixels(out, screenW, screenH, ImageLimits{})) return false;
    for (std::size_t i = 0; i < std::size_t(screenW) * screenH; ++i) {
        const std::uint8_t* s = canvas.bits + i * 4;
        std::uint32_t bgr = std::uint32_t{s[0]} | std::uint32_t{s[1]} << 8 | std::uint32_t{s[2]} << 16;
        std::uint8_t* d = &out.bgra[i * 4];
        if (bgr == markerBgr) continue;  // stays transparent black
        d[0] = s[0], d[1] = s[1], d[2] = s[2], d[3] = 255;
    }
    out.imageType = kImageTypeGif;
    out.alpha = ClassifyAlpha(out);
    return true;
}

}  // namespace panorel::imaging
