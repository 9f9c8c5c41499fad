#include "imaging/cAlphaImage.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "host/DibSection.h"
#include "imaging/ZlibRuntime.h"
#include "imaging/cGDIPlus.h"

namespace panorel::imaging {
namespace {

std::int32_t SystemCapabilities() {
    OSVERSIONINFOEXW v{};
    v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&v))) return kCapAlphaBlend | kCapAlphaBlendReliable | kCapUnicodeHalftone;
#pragma GCC diagnostic pop
    return imaging::CapabilityFlags(v.dwPlatformId == VER_PLATFORM_WIN32_NT, v.dwMajorVersion, v.dwMinorVersion,
                                    v.wServicePackMajor);
}

}  // namespace

cAlphaImage::cAlphaImage() : capabilities_(SystemCapabilities()) {
    alphaBlendFriendly_ = (capabilities_ & kCapAlphaBlend) != 0;
    isGDIplusEnabled(true);
    highQuality_ = gdiplusEnabled_;
}

cAlphaImage::~cAlphaImage() {
    DestroyDIB();
    if (gdiToken_ && gdi_) gdi_->Shutdown(gdiToken_);
}

cGDIPlus& cAlphaImage::Gdi() {
    if (!gdi_) gdi_ = std::make_unique<cGDIPlus>();
    return *gdi_;
}

void cAlphaImage::ManageOwnDC(bool value) {
    manageOwnDC_ = value;
    if (!value && !previousBitmap_) dc_.reset();
}

void cAlphaImage::isAlphaBlendFriendly(bool value) noexcept {
    alphaBlendFriendly_ = value && (capabilities_ & (kCapAlphaBlendReliable | kCapAlphaBlendOptional));
}

void cAlphaImage::isGDIplusEnabled(bool value) {
    if (!value || (capabilities_ & kCapNoGdiPlus)) {
        gdiplusEnabled_ = false;
        KeepGDIplusActive(false);
        return;
    }
    ULONG_PTR token = gdiToken_;
    gdiplusEnabled_ = Gdi().isGDIplusOk(token, false);
}

bool cAlphaImage::isZlibEnabled() const { return ZlibRuntime::IsEnabled(); }

void cAlphaImage::KeepGDIplusActive(bool value) {
    keepGdiplus_ = value && gdiplusEnabled_;
    if (keepGdiplus_ && !gdiToken_) gdiToken_ = Gdi().Startup();
    if (!keepGdiplus_ && gdiToken_) {
        Gdi().Shutdown(gdiToken_);
        gdiToken_ = 0;
    }
}

ULONG_PTR cAlphaImage::CreateGDIplusToken() { return gdiplusEnabled_ ? Gdi().Startup() : 0; }

bool cAlphaImage::DestroyGDIplusToken(ULONG_PTR Token) {
    if (!Token) return false;
    Gdi().Shutdown(Token);
    if (Token == gdiToken_) gdiToken_ = 0, keepGdiplus_ = false;
    return true;
}

bool cAlphaImage::InitializeDIB(std::int32_t Width, std::int32_t Height) {
    DestroyDIB();
    if (Height == INT32_MIN || !ReplaceDib(Width, std::abs(Height))) return false;
    EraseDIB();
    return true;
}

bool cAlphaImage::ReplaceDib(std::int32_t width, std::int32_t height) {
    if (!kMemoryLimits.Allows(width, height)) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4u;
    void* bits = nullptr;
    BitmapHandle dib(::CreateDIBSection(WindowDc::Client(nullptr).get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dib || !bits) return false;
    // Only now that the new one exists does the old one go.
    if (dc_ && previousBitmap_) ::SelectObject(dc_.get(), previousBitmap_);
    previousBitmap_ = nullptr;
    dc_.reset();
    dib_ = std::move(dib);
    bits_ = static_cast<std::uint8_t*>(bits);
    width_ = width;
    height_ = height;
    if (manageOwnDC_) dc_.reset(::CreateCompatibleDC(nullptr));
    return true;
}

void cAlphaImage::EraseDIB() {
    if (!bits_) return;
    ::GdiFlush();
    std::memset(bits_, 0, static_cast<std::size_t>(width_) * height_ * 4u);
    imageType_ = kImageTypeBlank;
    alpha_ = kAlphaSimple;
}

void cAlphaImage::DestroyDIB() {
    if (dc_ && previousBitmap_) ::SelectObject(dc_.get(), previousBitmap_);
    previousBitmap_ = nullptr;
    dc_.reset();
    dib_.reset();
    bits_ = nullptr;
    width_ = height_ = 0;
    alpha_ = kAlphaOpaque;
    imageType_ = kImageTypeNone;
    original_.clear();
}

HDC cAlphaImage::LoadDIBinDC(bool bLoad) {
    if (bLoad) {
        if (!dib_) return nullptr;
        if (!dc_) dc_.reset(::CreateCompatibleDC(nullptr));
        if (!dc_) return nullptr;
        if (!previousBitmap_) previousBitmap_ = ::SelectObject(dc_.get(), dib_.get());
        return dc_.get();
    }
    if (dc_ && previousBitmap_) ::SelectObject(dc_.get(), previousBitmap_);
    previousBitmap_ = nullptr;
    if (!manageOwnDC_) dc_.reset();
    return nullptr;
}

PixelView cAlphaImage::View() const {
    PixelView v;
    if (!bits_) return v;
    const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(width_) * 4;
    v.top = bits_ + (height_ - 1) * stride;
    v.stride = -stride;
    v.width = width_;
    v.height = height_;
    v.bytesPerPixel = 4;
    return v;
}

PixelImage cAlphaImage::ToPixelImage() const {
    return FailOnBadAlloc(PixelImage{}, [&] { return CopyPixels(); });
}

PixelImage cAlphaImage::CopyPixels() const {
    PixelImage p;
    if (!bits_) return p;
    ::GdiFlush();
    p.width = width_;
    p.height = height_;
    p.bgra.resize(static_cast<std::size_t>(width_) * height_ * 4u);
    PixelView v = View();
    for (std::int32_t y = 0; y < height_; ++y) std::memcpy(p.Row(y), v.At(0, y), static_cast<std::size_t>(width_) * 4u);
    p.imageType = imageType_;
    p.alpha = alpha_;
    return p;
}

bool cAlphaImage::FromPixelImage(const PixelImage& image) {
    if (image.Empty() || !kMemoryLimits.Allows(image.width, image.height) ||
        image.bgra.size() < static_cast<std::size_t>(image.width) * image.height * 4u ||
        !ReplaceDib(image.width, image.height))
        return false;
    PixelView v = View();
    for (std::int32_t y = 0; y < height_; ++y) std::memcpy(v.At(0, y), image.Row(y), static_cast<std::size_t>(width_) * 4u);
    imageType_ = image.imageType;
    alpha_ = image.alpha;
    return true;
}

bool cAlphaImage::Render(HDC destinationDC, std::int32_t destX, std::int32_t destY, std::int32_t destWidth,
                         std::int32_t destHeight, std::int32_t SrcX, std::int32_t SrcY, std::int32_t srcWidth,
                         std::int32_t srcHeight, std::int32_t Opacity, bool Blend, bool SetHalfTone,
                         cAlphaImage* destHostDIB, std::int32_t grayScale, std::int32_t LightAdjustment, float Angle,
                         bool CenterOnDestXY) {
    if (!dib_) return false;
    if (Opacity < 1) return true;
    if (!destinationDC && !destHostDIB) return false;
    if (destHostDIB && (destHostDIB == this || !destHostDIB->dib_)) return false;

    if (!std::isfinite(Angle)) return false;

    // Sizes in 64 bits until they are known to fit: negating INT32_MIN would not.
    std::int64_t dw = destWidth ? destWidth : width_, dh = destHeight ? destHeight : height_;
    std::int64_t sw = srcWidth ? srcWidth : width_, sh = srcHeight ? srcHeight : height_;
    if (sw < 0) dw = -dw, sw = -sw;
    if (sh < 0) dh = -dh, sh = -sh;
    // A device surface is addressed by 28-bit signed coordinates. A
    // destination beyond them, with room for its turned bounds, is refused
    // here, before any drawing path turns its values into integers.
    {
        constexpr std::int64_t kReach = std::int64_t{1} << 27;
        const std::int64_t w = dw < 0 ? -dw : dw, h = dh < 0 ? -dh : dh;
        const std::int64_t left = std::int64_t{destX} - (CenterOnDestXY ? w / 2 : 0);
        const std::int64_t top = std::int64_t{destY} - (CenterOnDestXY ? h / 2 : 0);
        if (left - h < -kReach || left + w + h > kReach || top - w < -kReach || top + h + w > kReach) return false;
    }
    destWidth = static_cast<std::int32_t>(dw), destHeight = static_cast<std::int32_t>(dh);
    if (SrcX < 0) SrcX = 0;
    if (SrcY < 0) SrcY = 0;
    if (SrcX >= width_ || SrcY >= height_) return false;
    srcWidth = static_cast<std::int32_t>(std::min<std::int64_t>(sw, width_ - SrcX));
    srcHeight = static_cast<std::int32_t>(std::min<std::int64_t>(sh, height_ - SrcY));

    std::int32_t opacity = std::abs(Opacity) % 100;
    if (opacity == 0) opacity = 100;
    if (LightAdjustment < -100 || LightAdjustment > 100) LightAdjustment = 0;
    const bool rotated = std::fmod(static_cast<double>(Angle), 360.0) != 0.0;

    ComposeParams params;
    params.opacity = opacity;
    params.grayScale = grayScale;
    params.lightAdjustment = LightAdjustment;
    params.useAlpha = Blend && alpha_ > 0;
    params.smooth = highQuality_;

    if (rotated) {
        double left = destX, top = destY;
        if (CenterOnDestXY) left -= std::abs(destWidth) / 2.0, top -= std::abs(destHeight) / 2.0;
        return RenderRotatedOrOwn(destHostDIB ? nullptr : destinationDC, destHostDIB, left, top, destWidth, destHeight, SrcX, SrcY, srcWidth,
                                  srcHeight, rotated ? Angle : 0.0, params);
    }
    if (CenterOnDestXY) destX -= std::abs(destWidth) / 2, destY -= std::abs(destHeight) / 2;
    const bool mirrored = destWidth < 0 || destHeight < 0;
    const bool stretched = std::abs(destWidth) != srcWidth || std::abs(destHeight) != srcHeight;

    if (alphaBlendFriendly_ && !keepGdiplus_ && !(gdiplusEnabled_ && gdiToken_) && !mirrored && grayScale == -1 &&
        LightAdjustment == 0 && (!stretched || !highQuality_)) {
        HDC target = destHostDIB ? destHostDIB->LoadDIBinDC(true) : destinationDC;
        HDC source = LoadDIBinDC(true);
        bool ok = false;
        if (target && source) {
            int oldMode = 0;
            POINT oldOrigin{};
            const bool halftone = SetHalfTone && (capabilities_ & kCapUnicodeHalftone) && stretched;
            if (halftone) {
                oldMode = ::SetStretchBltMode(target, HALFTONE);
                ::SetBrushOrgEx(target, 0, 0, &oldOrigin);
            }
            BLENDFUNCTION bf{AC_SRC_OVER, 0, static_cast<BYTE>(opacity * 255 / 100),
                             static_cast<BYTE>(alpha_ > 0 ? AC_SRC_ALPHA : 0)};
            ok = ::AlphaBlend(target, destX, destY, destWidth, destHeight, source, SrcX, SrcY, srcWidth, srcHeight,
                              bf) != FALSE;
            if (halftone) {
                ::SetStretchBltMode(target, oldMode);
                ::SetBrushOrgEx(target, oldOrigin.x, oldOrigin.y, nullptr);
            }
        }
        LoadDIBinDC(false);
        if (destHostDIB) destHostDIB->LoadDIBinDC(false);
        return ok;
    }
    if (gdiplusEnabled_) {
        HDC target = destHostDIB ? destHostDIB->LoadDIBinDC(true) : destinationDC;
        bool ok = target && RenderGdiplus(target, destX, destY, destWidth, destHeight, SrcX, SrcY, srcWidth, srcHeight,
                                          opacity, grayScale, LightAdjustment);
        if (destHostDIB) destHostDIB->LoadDIBinDC(false);
        return ok;
    }
    return RenderRotatedOrOwn(destHostDIB ? nullptr : destinationDC, destHostDIB, destX, destY, destWidth, destHeight,
                              SrcX, SrcY, srcWidth, srcHeight, 0.0, params);
}

bool cAlphaImage::RenderGdiplus(HDC dc, std::int32_t dx, std::int32_t dy, std::int32_t dw, std::int32_t dh,
                                std::int32_t sx, std::int32_t sy, std::int32_t sw, std::int32_t sh,
                                std::int32_t opacity, std::int32_t grayScale, std::int32_t light) {
    GdiplusSession session(Gdi(), gdiToken_);
    if (!session) return false;
    ::GdiFlush();
    PixelView whole = View();
    PixelView src = whole;
    src.top = whole.At(sx, sy);
    src.width = sw;
    src.height = sh;
    // GDI+ gets the pixels already mirrored: a copy turned as asked.
    std::vector<std::uint8_t> mirroredCopy;
    if (dw < 0 || dh < 0) {
        if (!FailOnBadAlloc(false, [&] { return mirroredCopy.resize(static_cast<std::size_t>(sw) * sh * 4u), true; }))
            return false;
        for (std::int32_t y = 0; y < sh; ++y) {
            const std::int32_t fromY = dh < 0 ? sh - 1 - y : y;
            for (std::int32_t x = 0; x < sw; ++x) {
                const std::int32_t fromX = dw < 0 ? sw - 1 - x : x;
                std::memcpy(&mirroredCopy[(static_cast<std::size_t>(y) * sw + x) * 4u], src.At(fromX, fromY), 4);
            }
        }
        src.top = mirroredCopy.data();
        src.stride = static_cast<std::ptrdiff_t>(sw) * 4;
        dw = std::abs(dw);
        dh = std::abs(dh);
    }
    float matrix[25] = {};
    const float* useMatrix = nullptr;
    if (grayScale != -1 || light != 0 || opacity != 100) {
        const GreyWeights w = GreyWeightsFor(grayScale);
        for (int row = 0; row < 3; ++row) {
            if (w.keepColours) {
                matrix[row * 5 + row] = 1.0f;
            } else {
                const float weight = (row == 0 ? w.r : row == 1 ? w.g : w.b) / 1000.0f;
                for (int col = 0; col < 3; ++col) matrix[row * 5 + col] = weight;
            }
        }
        matrix[3 * 5 + 3] = opacity / 100.0f;
        for (int col = 0; col < 3; ++col) matrix[4 * 5 + col] = light / 100.0f;
        matrix[4 * 5 + 4] = 1.0f;
        useMatrix = matrix;
    }
    return Gdi().DrawBits(dc, src, dx, dy, dw, dh,
                          highQuality_ ? kGdipInterpolationHighQualityBicubic : kGdipInterpolationNearest, useMatrix);
}

bool cAlphaImage::RenderRotatedOrOwn(HDC dc, cAlphaImage* host, double left, double top, double width, double height,
                                     std::int32_t sx, std::int32_t sy, std::int32_t sw, std::int32_t sh, double angle,
                                     const ComposeParams& baseParams) {
    ComposeParams params = baseParams;
    // The destination pixels the picture can touch: its (turned) rectangle's bounds.
    const double cx = left + std::abs(width) / 2, cy = top + std::abs(height) / 2;
    const double rad = angle * 3.14159265358979323846 / 180.0, cs = std::cos(rad), sn = std::sin(rad);
    const double hw = std::abs(width) / 2, hh = std::abs(height) / 2;
    const double ex = std::abs(hw * cs) + std::abs(hh * sn), ey = std::abs(hw * sn) + std::abs(hh * cs);
    RECT box{static_cast<LONG>(std::floor(cx - ex)), static_cast<LONG>(std::floor(cy - ey)),
             static_cast<LONG>(std::ceil(cx + ex)), static_cast<LONG>(std::ceil(cy + ey))};
    RECT bounds;
    if (host) {
        bounds = RECT{0, 0, host->width_, host->height_};
    } else if (::GetClipBox(dc, &bounds) == ERROR) {
        return false;
    }
    RECT area;
    if (!::IntersectRect(&area, &box, &bounds)) return true;  // nothing visible
    const std::int32_t aw = area.right - area.left, ah = area.bottom - area.top;

    ::GdiFlush();
    PixelView whole = View();
    PixelView src = whole;
    src.top = whole.At(sx, sy);
    src.width = sw;
    src.height = sh;
    const Placement placement = PlaceRect(left - area.left, top - area.top, width, height, sw, sh, angle);

    if (host) {
        PixelView dst = host->View();
        dst.top = dst.At(area.left, area.top);
        dst.width = aw;
        dst.height = ah;
        params.blendAlpha = true;
        ComposeOnto(src, dst, placement, params);
        return true;
    }
    // A DC: copy the area out to 24-bit pixels, blend there, copy it back.
    void* bits = nullptr;
    BitmapHandle work = host::CreateTopDownDib(dc, aw, ah, 24, &bits);
    MemoryDcHandle workDc(::CreateCompatibleDC(dc));
    if (!work || !workDc || !bits) return false;
    HGDIOBJ old = ::SelectObject(workDc.get(), work.get());
    bool ok = ::BitBlt(workDc.get(), 0, 0, aw, ah, dc, area.left, area.top, SRCCOPY) != FALSE;
    if (ok) {
        ::GdiFlush();
        PixelView dst;
        dst.top = static_cast<std::uint8_t*>(bits);
        dst.stride = ((static_cast<std::ptrdiff_t>(aw) * 3 + 3) / 4) * 4;
        dst.width = aw;
        dst.height = ah;
        dst.bytesPerPixel = 3;
        ComposeOnto(src, dst, placement, params);
        ok = ::BitBlt(dc, area.left, area.top, aw, ah, workDc.get(), 0, 0, SRCCOPY) != FALSE;
    }
    ::SelectObject(workDc.get(), old);
    return ok;
}

}  // namespace panorel::imaging
