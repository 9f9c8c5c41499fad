// cAlphaImage's pixel access, geometry, effects, text and drop shadows.
// Where the arithmetic is ours to choose: scaling and light adjustment work
// on premultiplied values (bilinear for ScaleImage mode 1, nearest for 0);
// grey-scale uses the Render weight table; lighter/darker moves each channel
// towards its alpha or towards 0 by the percentage; the shadow blur is a box
// blur of the alpha repeated three times (close to a Gaussian); text is drawn
// white on black in an intermediate image of its own and its coverage taken
// as alpha. Operations that need memory answer false (or nothing) when there
// is none, and then leave the image as it was.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "imaging/AlphaCompose.h"
#include "imaging/cAlphaImage.h"
#include "imaging/modParsers.h"

namespace panorel::imaging {
namespace {

inline std::uint8_t R(COLORREF c) { return static_cast<std::uint8_t>(c & 0xFF); }
inline std::uint8_t G(COLORREF c) { return static_cast<std::uint8_t>((c >> 8) & 0xFF); }
inline std::uint8_t B(COLORREF c) { return static_cast<std::uint8_t>((c >> 16) & 0xFF); }

// A new picture of w x h pixels (transparent black) of this kind.
PixelImage Blank(std::int32_t w, std::int32_t h, std::int32_t imageType, std::int32_t alpha) {
    PixelImage out;
    out.width = w, out.height = h, out.imageType = imageType, out.alpha = alpha;
    out.bgra.assign(std::size_t(w) * h * 4, 0);
    return out;
}

// Premultiplied pixels resampled to a new size.
PixelImage Scaled(const PixelView& src, std::int32_t w, std::int32_t h, bool smooth, std::int32_t imageType,
                  std::int32_t alpha) {
    PixelImage out = Blank(w, h, imageType, alpha);
    PixelView d{out.bgra.data(), std::ptrdiff_t(w) * 4, w, h, 4};
    ComposeParams p;
    p.smooth = smooth;
    p.blendAlpha = true;
    ComposeOnto(src, d, PlaceRect(0, 0, w, h, src.width, src.height, 0), p);
    return out;
}

// Box blur of one channel in place, horizontally then vertically.
void BoxBlur(std::vector<int>& v, int w, int h, int radius) {
    std::vector<int> tmp(v.size());
    const int span = 2 * radius + 1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int sum = 0;
            for (int k = -radius; k <= radius; ++k) {
                int xx = x + k;
                if (xx >= 0 && xx < w) sum += v[std::size_t(y) * w + xx];
            }
            tmp[std::size_t(y) * w + x] = sum / span;
        }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int sum = 0;
            for (int k = -radius; k <= radius; ++k) {
                int yy = y + k;
                if (yy >= 0 && yy < h) sum += tmp[std::size_t(yy) * w + x];
            }
            v[std::size_t(y) * w + x] = sum / span;
        }
}

}  // namespace

COLORREF cAlphaImage::GetPixel(std::int32_t X, std::int32_t Y, std::int32_t* AlphaValue, bool asPreMultiplied) const {
    if (!bits_ || X < 0 || Y < 0 || X >= width_ || Y >= height_) {
        if (AlphaValue) *AlphaValue = 0;
        return CLR_INVALID;
    }
    ::GdiFlush();
    const std::uint8_t* p = View().At(X, Y);
    unsigned b = p[0], g = p[1], r = p[2], a = p[3];
    if (!asPreMultiplied && a && a < 255) {
        b = (b * 255 + a / 2) / a, g = (g * 255 + a / 2) / a, r = (r * 255 + a / 2) / a;
    }
    if (AlphaValue) *AlphaValue = static_cast<std::int32_t>(a);
    return RGB(r > 255 ? 255 : r, g > 255 ? 255 : g, b > 255 ? 255 : b);
}

bool cAlphaImage::SetPixel(std::int32_t X, std::int32_t Y, COLORREF Color, std::int32_t AlphaValue,
                           bool isPreMultiplied) {
    if (!bits_ || X < 0 || Y < 0 || X >= width_ || Y >= height_) return false;
    const unsigned a = AlphaValue < 0 ? 0u : AlphaValue > 255 ? 255u : static_cast<unsigned>(AlphaValue);
    ::GdiFlush();
    std::uint8_t* p = View().At(X, Y);
    unsigned b = B(Color), g = G(Color), r = R(Color);
    if (!isPreMultiplied) b = Premultiply(b, a), g = Premultiply(g, a), r = Premultiply(r, a);
    p[0] = static_cast<std::uint8_t>(b > a ? a : b), p[1] = static_cast<std::uint8_t>(g > a ? a : g);
    p[2] = static_cast<std::uint8_t>(r > a ? a : r), p[3] = static_cast<std::uint8_t>(a);
    if (a < 255 && alpha_ == kAlphaOpaque) alpha_ = a == 0 ? kAlphaSimple : kAlphaFull;
    return true;
}

std::vector<std::uint8_t> cAlphaImage::GetDIBbits(bool asBGRformat, bool as32bpp, bool asWordAligned, bool asBottomUp,
                                                  bool asPreMultiplied) const {
    std::vector<std::uint8_t> out;
    if (!bits_) return out;
    const std::size_t bpp = as32bpp ? 4 : 3;
    std::size_t stride = std::size_t(width_) * bpp;
    if (asWordAligned) stride = (stride + 3) & ~std::size_t{3};
    if (!FailOnBadAlloc(false, [&] { return out.assign(stride * height_, 0), true; })) return out;
    ::GdiFlush();
    const PixelView v = View();
    for (std::int32_t y = 0; y < height_; ++y) {
        std::uint8_t* d = &out[stride * (asBottomUp ? height_ - 1 - y : y)];
        for (std::int32_t x = 0; x < width_; ++x, d += bpp) {
            const std::uint8_t* s = v.At(x, y);
            unsigned c[3] = {s[0], s[1], s[2]}, a = s[3];
            if (!asPreMultiplied && a && a < 255)
                for (auto& k : c) k = std::min(255u, (k * 255 + a / 2) / a);
            d[0] = static_cast<std::uint8_t>(asBGRformat ? c[0] : c[2]);
            d[1] = static_cast<std::uint8_t>(c[1]);
            d[2] = static_cast<std::uint8_t>(asBGRformat ? c[2] : c[0]);
            if (as32bpp) d[3] = static_cast<std::uint8_t>(a);
        }
    }
    return out;
}

bool cAlphaImage::SetDIBbits(const std::vector<std::uint8_t>& inStream, bool isPreMultiplied, bool isBGRformat,
                             bool is32bpp, bool isWordAligned, bool isBottomUp) {
    if (!bits_) return false;
    const std::size_t bpp = is32bpp ? 4 : 3;
    std::size_t stride = std::size_t(width_) * bpp;
    if (isWordAligned) stride = (stride + 3) & ~std::size_t{3};
    if (inStream.size() < stride * height_) return false;
    ::GdiFlush();
    const PixelView v = View();
    for (std::int32_t y = 0; y < height_; ++y) {
        const std::uint8_t* s = &inStream[stride * (isBottomUp ? height_ - 1 - y : y)];
        for (std::int32_t x = 0; x < width_; ++x, s += bpp) {
            std::uint8_t* d = v.At(x, y);
            const unsigned a = is32bpp ? s[3] : 255;
            unsigned b = isBGRformat ? s[0] : s[2], g = s[1], r = isBGRformat ? s[2] : s[0];
            if (!isPreMultiplied) b = Premultiply(b, a), g = Premultiply(g, a), r = Premultiply(r, a);
            d[0] = static_cast<std::uint8_t>(std::min(b, a)), d[1] = static_cast<std::uint8_t>(std::min(g, a));
            d[2] = static_cast<std::uint8_t>(std::min(r, a)), d[3] = static_cast<std::uint8_t>(a);
        }
    }
    alpha_ = ClassifyAlpha(bits_, std::size_t(width_) * height_ * 4);
    return true;
}

std::vector<std::uint8_t> cAlphaImage::GetAlphaMask() const {
    std::vector<std::uint8_t> mask;
    if (!bits_ || !FailOnBadAlloc(false, [&] { return mask.resize(std::size_t(width_) * height_), true; })) return mask;
    ::GdiFlush();
    const PixelView v = View();
    for (std::int32_t y = 0; y < height_; ++y)
        for (std::int32_t x = 0; x < width_; ++x) mask[std::size_t(y) * width_ + x] = v.At(x, y)[3];
    return mask;
}

HRGN cAlphaImage::CreateRegion(std::int32_t Style, std::int32_t xOffset, std::int32_t yOffset) const {
    if (!bits_) return nullptr;
    return FailOnBadAlloc(HRGN{}, [&]() -> HRGN {
        const std::vector<std::uint8_t> mask = GetAlphaMask();
        if (mask.empty()) return nullptr;
        std::vector<RECT> rects;
        for (std::int32_t y = 0; y < height_; ++y) {
            std::int32_t x = 0;
            while (x < width_) {
                auto inside = [&](std::int32_t xx) {
                    std::uint8_t a = mask[std::size_t(y) * width_ + xx];
                    return Style == 1 ? a == 255 : a > 0;
                };
                while (x < width_ && !inside(x)) ++x;
                std::int32_t start = x;
                while (x < width_ && inside(x)) ++x;
                if (x > start) rects.push_back(RECT{start + xOffset, y + yOffset, x + xOffset, y + 1 + yOffset});
            }
        }
        std::vector<std::uint8_t> data(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
        auto* header = reinterpret_cast<RGNDATAHEADER*>(data.data());
        header->dwSize = sizeof(RGNDATAHEADER);
        header->iType = RDH_RECTANGLES;
        header->nCount = static_cast<DWORD>(rects.size());
        header->nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
        header->rcBound = RECT{xOffset, yOffset, width_ + xOffset, height_ + yOffset};
        if (!rects.empty()) std::memcpy(data.data() + sizeof(RGNDATAHEADER), rects.data(), rects.size() * sizeof(RECT));
        return ::ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), reinterpret_cast<RGNDATA*>(data.data()));
    });
}

bool cAlphaImage::CopyImageTo(cAlphaImage& cDIBclass, std::int32_t newWidth, std::int32_t newHeight,
                              bool CopyOriginalFormat) {
    if (!bits_ || &cDIBclass == this) return false;
    if (newWidth < 1) newWidth = width_;
    if (newHeight < 1) newHeight = height_;
    const bool copied = FailOnBadAlloc(false, [&] {
        ::GdiFlush();
        const PixelImage p = newWidth != width_ || newHeight != height_
                                 ? Scaled(View(), newWidth, newHeight, highQuality_, imageType_, alpha_)
                                 : CopyPixels();
        if (!cDIBclass.FromPixelImage(p)) return false;
        cDIBclass.original_ = CopyOriginalFormat ? original_ : std::vector<std::uint8_t>{};
        return true;
    });
    if (!copied) cDIBclass.DestroyDIB();
    return copied;
}

void cAlphaImage::SwapDIBs(cAlphaImage& other) {
    if (&other == this) return;
    LoadDIBinDC(false);
    other.LoadDIBinDC(false);
    std::swap(dib_, other.dib_);
    std::swap(bits_, other.bits_);
    std::swap(width_, other.width_);
    std::swap(height_, other.height_);
    std::swap(imageType_, other.imageType_);
    std::swap(alpha_, other.alpha_);
    std::swap(original_, other.original_);
    std::swap(iconSizes_, other.iconSizes_);
    if (manageOwnDC_ && dib_ && !dc_) dc_.reset(::CreateCompatibleDC(nullptr));
    if (other.manageOwnDC_ && other.dib_ && !other.dc_) other.dc_.reset(::CreateCompatibleDC(nullptr));
}

bool cAlphaImage::ScaleImage(std::int32_t destWidth, std::int32_t destHeight, std::int32_t ScaleMode) {
    if (!bits_ || !kMemoryLimits.Allows(destWidth, destHeight)) return false;
    ::GdiFlush();
    return FailOnBadAlloc(false, [&] {
        return FromPixelImage(Scaled(View(), destWidth, destHeight, ScaleMode != 0, imageType_, alpha_));
    });
}

bool cAlphaImage::Resize(std::int32_t newWidth, std::int32_t newHeight) {
    // The canvas changes size; the pixels stay at the top-left corner.
    if (!bits_ || !kMemoryLimits.Allows(newWidth, newHeight)) return false;
    return FailOnBadAlloc(false, [&] {
        const bool inside = newWidth <= width_ && newHeight <= height_;
        PixelImage p = Blank(newWidth, newHeight, imageType_, inside ? alpha_ : kAlphaSimple);
        ::GdiFlush();
        const PixelView v = View();
        for (std::int32_t y = 0; y < std::min(newHeight, height_); ++y)
            std::memcpy(p.Row(y), v.At(0, y), std::size_t(std::min(newWidth, width_)) * 4);
        return FromPixelImage(p);
    });
}

bool cAlphaImage::TrimImage(bool UpdateDIB, std::int32_t Method, std::int32_t* X, std::int32_t* Y, std::int32_t* Width,
                            std::int32_t* Height) {
    // Method 0 trims fully transparent edges; any other value trims edges of
    // the top-left pixel's colour.
    if (!bits_) return false;
    ::GdiFlush();
    const PixelView v = View();
    std::uint32_t corner;
    std::memcpy(&corner, v.At(0, 0), 4);
    auto empty = [&](std::int32_t x, std::int32_t y) {
        const std::uint8_t* q = v.At(x, y);
        if (Method == 0) return q[3] == 0;
        return std::memcmp(q, &corner, 4) == 0;
    };
    std::int32_t left = width_, top = height_, right = -1, bottom = -1;
    for (std::int32_t y = 0; y < height_; ++y)
        for (std::int32_t x = 0; x < width_; ++x)
            if (!empty(x, y)) left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
    if (right < 0) return false;
    const std::int32_t w = right - left + 1, h = bottom - top + 1;
    if (X) *X = left;
    if (Y) *Y = top;
    if (Width) *Width = w;
    if (Height) *Height = h;
    if (!UpdateDIB || (w == width_ && h == height_)) return true;
    return FailOnBadAlloc(false, [&] {
        PixelImage t = Blank(w, h, imageType_, alpha_);
        for (std::int32_t y = 0; y < h; ++y) std::memcpy(t.Row(y), v.At(left, top + y), std::size_t(w) * 4);
        return FromPixelImage(t);
    });
}

bool cAlphaImage::TileImage(std::int32_t newWidth, std::int32_t newHeight) {
    if (!bits_ || !kMemoryLimits.Allows(newWidth, newHeight)) return false;
    return FailOnBadAlloc(false, [&] {
        PixelImage p = Blank(newWidth, newHeight, imageType_, alpha_);
        ::GdiFlush();
        const PixelView v = View();
        for (std::int32_t y = 0; y < newHeight; ++y)
            for (std::int32_t x = 0; x < newWidth; ++x)
                std::memcpy(p.Row(y) + std::size_t(x) * 4, v.At(x % width_, y % height_), 4);
        return FromPixelImage(p);
    });
}

bool cAlphaImage::MirrorImage(bool MirrorAxisX, bool MirrorAxisY) {
    // In place: each pixel trades with its mirror image once.
    if (!bits_) return false;
    ::GdiFlush();
    const PixelView v = View();
    for (std::int32_t y = 0; y < height_; ++y)
        for (std::int32_t x = 0; x < width_; ++x) {
            const std::int32_t mx = MirrorAxisX ? width_ - 1 - x : x, my = MirrorAxisY ? height_ - 1 - y : y;
            if (std::int64_t{my} * width_ + mx > std::int64_t{y} * width_ + x)
                std::swap_ranges(v.At(x, y), v.At(x, y) + 4, v.At(mx, my));
        }
    return true;
}

void cAlphaImage::MakeGrayScale(std::int32_t Formula) {
    if (!bits_) return;
    ::GdiFlush();
    const GreyWeights w = GreyWeightsFor(Formula == -1 ? 0 : Formula);
    for (std::size_t i = 0; i < std::size_t(width_) * height_ * 4; i += 4)
        bits_[i] = bits_[i + 1] = bits_[i + 2] = GreyOf(w, bits_[i], bits_[i + 1], bits_[i + 2]);
}

void cAlphaImage::MakeImageInverse() {
    // The inverse of the straight colour, premultiplied again: alpha - channel.
    if (!bits_) return;
    ::GdiFlush();
    for (std::size_t i = 0; i < std::size_t(width_) * height_ * 4; i += 4)
        for (int k = 0; k < 3; ++k) bits_[i + k] = static_cast<std::uint8_t>(bits_[i + 3] - std::min(bits_[i + k], bits_[i + 3]));
}

void cAlphaImage::MakeTransparent(COLORREF TransparentColor, bool Revert) {
    // Opaque pixels of the colour become transparent; with Revert every
    // transparent pixel becomes that colour, opaque.
    if (!bits_) return;
    ::GdiFlush();
    for (std::size_t i = 0; i < std::size_t(width_) * height_ * 4; i += 4) {
        std::uint8_t* p = bits_ + i;
        if (!Revert && p[3] == 255 && p[0] == B(TransparentColor) && p[1] == G(TransparentColor) && p[2] == R(TransparentColor)) {
            std::memset(p, 0, 4);
        } else if (Revert && p[3] == 0) {
            p[0] = B(TransparentColor), p[1] = G(TransparentColor), p[2] = R(TransparentColor), p[3] = 255;
        }
    }
    alpha_ = ClassifyAlpha(bits_, std::size_t(width_) * height_ * 4);
}

void cAlphaImage::MakeLighterDarker(std::int32_t Percent) {
    if (!bits_ || Percent == 0) return;
    Percent = std::max(-100, std::min(100, Percent));
    ::GdiFlush();
    for (std::size_t i = 0; i < std::size_t(width_) * height_ * 4; i += 4) {
        std::uint8_t* p = bits_ + i;
        for (int k = 0; k < 3; ++k) {
            unsigned c = std::min(p[k], p[3]);
            c = Percent > 0 ? c + (p[3] - c) * unsigned(Percent) / 100u : c - c * unsigned(-Percent) / 100u;
            p[k] = static_cast<std::uint8_t>(c);
        }
    }
}

void cAlphaImage::BlendToColor(COLORREF BlendColor, std::int32_t BlendOpacity) {
    // Each pixel's colour mixed with BlendColor by BlendOpacity percent; alpha kept.
    if (!bits_) return;
    const unsigned t = static_cast<unsigned>(std::max(0, std::min(100, BlendOpacity)));
    ::GdiFlush();
    const unsigned target[3] = {B(BlendColor), G(BlendColor), R(BlendColor)};
    for (std::size_t i = 0; i < std::size_t(width_) * height_ * 4; i += 4) {
        std::uint8_t* p = bits_ + i;
        for (int k = 0; k < 3; ++k) {
            unsigned tc = Premultiply(target[k], p[3]);
            p[k] = static_cast<std::uint8_t>((p[k] * (100 - t) + tc * t + 50) / 100);
        }
    }
}

bool cAlphaImage::CreateCheckerBoard(std::int32_t CheckerSize, COLORREF FirstColor, COLORREF SecondColor) {
    if (!bits_ || CheckerSize < 1) return false;
    ::GdiFlush();
    const PixelView v = View();
    for (std::int32_t y = 0; y < height_; ++y)
        for (std::int32_t x = 0; x < width_; ++x) {
            COLORREF c = ((x / CheckerSize + y / CheckerSize) & 1) ? SecondColor : FirstColor;
            std::uint8_t* p = v.At(x, y);
            p[0] = B(c), p[1] = G(c), p[2] = R(c), p[3] = 255;
        }
    alpha_ = kAlphaOpaque;
    return true;
}

std::unique_ptr<cAlphaImage> cAlphaImage::CreateDropShadow(std::int32_t blurDepth, COLORREF Color) const {
    if (!bits_) return nullptr;
    blurDepth = std::max(0, std::min(64, blurDepth));
    const std::int32_t w = width_ + 2 * blurDepth, h = height_ + 2 * blurDepth;
    if (!kMemoryLimits.Allows(w, h)) return nullptr;
    return FailOnBadAlloc(std::unique_ptr<cAlphaImage>{}, [&]() -> std::unique_ptr<cAlphaImage> {
        ::GdiFlush();
        const PixelView v = View();
        std::vector<int> a(std::size_t(w) * h, 0);
        for (std::int32_t y = 0; y < height_; ++y)
            for (std::int32_t x = 0; x < width_; ++x) a[std::size_t(y + blurDepth) * w + x + blurDepth] = v.At(x, y)[3];
        const int radius = (blurDepth + 2) / 3;
        if (radius > 0)
            for (int pass = 0; pass < 3; ++pass) BoxBlur(a, w, h, radius);
        PixelImage shadow = Blank(w, h, kImageTypeShadow, kAlphaFull);
        for (std::size_t i = 0; i < a.size(); ++i) {
            const unsigned al = static_cast<unsigned>(a[i]);
            shadow.bgra[i * 4] = Premultiply(B(Color), al);
            shadow.bgra[i * 4 + 1] = Premultiply(G(Color), al);
            shadow.bgra[i * 4 + 2] = Premultiply(R(Color), al);
            shadow.bgra[i * 4 + 3] = static_cast<std::uint8_t>(al);
        }
        auto out = std::make_unique<cAlphaImage>();
        if (!out->FromPixelImage(shadow)) return nullptr;
        return out;
    });
}

bool cAlphaImage::RenderDropShadow_JIT(HDC hDC, std::int32_t X, std::int32_t Y, std::int32_t blurDepth,
                                       COLORREF Color, std::int32_t Opacity, std::int32_t LightAdjustment,
                                       cAlphaImage* destHostDIB) {
    auto shadow = CreateDropShadow(blurDepth, Color);
    if (!shadow) return false;
    const std::int32_t depth = std::max(0, std::min(64, blurDepth));
    return shadow->Render(hDC, X - depth, Y - depth, 0, 0, 0, 0, 0, 0, Opacity, true, true, destHostDIB, -1,
                          LightAdjustment);
}

bool cAlphaImage::DrawText_hFont(HDC hDC, const std::wstring& Text, HFONT hFont, RECT bounds, UINT Alignment,
                                 COLORREF ForeColor, COLORREF BackColor, std::int32_t Opacity, std::int32_t grayScale,
                                 float Angle, bool CenterOnDestXY) {
    // The text is drawn white on black and its coverage becomes the alpha of
    // ForeColor; BackColor (unless CLR_INVALID) fills behind it. The picture
    // is built in an intermediate image of its own (ImageType 1 while
    // building, 7 when done), so this one keeps its picture, and is rendered
    // with this one's drawing settings.
    const std::int64_t w = std::int64_t{bounds.right} - bounds.left, h = std::int64_t{bounds.bottom} - bounds.top;
    cAlphaImage text;
    if (!kMemoryLimits.Allows(w, h) || !text.InitializeDIB(static_cast<std::int32_t>(w), static_cast<std::int32_t>(h)))
        return false;
    CopyDrawingSettingsTo(text);
    text.imageType_ = 1;
    HDC dc = text.LoadDIBinDC(true);
    if (!dc) return false;
    HGDIOBJ oldFont = hFont ? ::SelectObject(dc, hFont) : nullptr;
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(255, 255, 255));
    RECT r{0, 0, text.width_, text.height_};
    ::DrawTextW(dc, Text.c_str(), static_cast<int>(Text.size()), &r, Alignment);
    if (oldFont) ::SelectObject(dc, oldFont);
    text.LoadDIBinDC(false);
    ::GdiFlush();
    const bool back = BackColor != CLR_INVALID;
    for (std::size_t i = 0; i < std::size_t(text.width_) * text.height_ * 4; i += 4) {
        std::uint8_t* p = text.bits_ + i;
        const unsigned cover = std::max(p[0], std::max(p[1], p[2]));
        unsigned c[3] = {B(ForeColor), G(ForeColor), R(ForeColor)};
        unsigned bc[3] = {B(BackColor), G(BackColor), R(BackColor)};
        for (int k = 0; k < 3; ++k) {
            unsigned fg = Premultiply(c[k], cover);
            p[k] = static_cast<std::uint8_t>(back ? fg + bc[k] * (255 - cover) / 255 : fg);
        }
        p[3] = static_cast<std::uint8_t>(back ? 255 : cover);
    }
    text.imageType_ = kImageTypeShadow;
    text.alpha_ = back ? kAlphaOpaque : kAlphaFull;
    return text.Render(hDC, bounds.left, bounds.top, 0, 0, 0, 0, 0, 0, Opacity, true, true, nullptr, grayScale, 0,
                       Angle, CenterOnDestXY);
}

void cAlphaImage::CopyDrawingSettingsTo(cAlphaImage& other) const {
    other.alphaBlendFriendly_ = alphaBlendFriendly_;
    other.gdiplusEnabled_ = gdiplusEnabled_;
    other.highQuality_ = highQuality_;
}

bool cAlphaImage::DrawText_stdFont(HDC hDC, const std::wstring& Text, IFont* Font, RECT bounds, UINT Alignment,
                                   COLORREF ForeColor, COLORREF BackColor, std::int32_t Opacity,
                                   std::int32_t grayScale, float Angle, bool CenterOnDestXY) {
    HFONT font = nullptr;
    if (Font) Font->get_hFont(&font);
    return DrawText_hFont(hDC, Text, font, bounds, Alignment, ForeColor, BackColor, Opacity, grayScale, Angle,
                          CenterOnDestXY);
}

}  // namespace panorel::imaging
