#include "gifviewer/cGIFViewer.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "host/DibSection.h"
#include "host/GlobalBlock.h"
#include "host/PanorelError.h"

namespace panorel {
namespace {

constexpr DWORD kSrcAnd = 0x8800C6;
constexpr DWORD kSrcPaint = 0xEE0086;
constexpr std::uint64_t kMaxFileBytes = std::uint64_t{256} << 20;
// Beyond these a file is refused before anything is allocated for it: the
// strip, and the 32-bit surface the loader renders the largest frame into.
constexpr std::int64_t kMaxStripBytes = std::int64_t{64} << 20;
constexpr std::int64_t kMaxRenderPixels = std::int64_t{16} << 20;

// Live viewers, so that the one timer procedure finds a viewer by its timer
// identifier and never calls one that is gone.
std::vector<cGIFViewer*>& Viewers() {
    static std::vector<cGIFViewer*> viewers;
    return viewers;
}

void CALLBACK FrameTimerProc(HWND hwnd, UINT, UINT_PTR idEvent, DWORD) {
    for (cGIFViewer* v : Viewers()) {
        if (reinterpret_cast<UINT_PTR>(v) == idEvent) {
            // Called from DispatchMessage: no error may unwind through it.
            SkipOnError([&] { v->TimerStep(hwnd); });
            return;
        }
    }
    ::KillTimer(hwnd, idEvent);  // a viewer that is gone: its timer goes too
}

bool IsDc(std::intptr_t h) {
    const DWORD type = ::GetObjectType(reinterpret_cast<HGDIOBJ>(h));
    return type == OBJ_DC || type == OBJ_MEMDC;
}

bool ReadWholeFile(const std::wstring& path, std::vector<std::uint8_t>& bytes) {
    KernelHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<std::uint64_t>(size.QuadPart) > kMaxFileBytes)
        return false;
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    return bytes.empty() ||
           (::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
            read == bytes.size());
}

// The platform picture loader over a stream on a movable global block.
ComPtr<IPicture> LoadPictureFromBytes(const std::vector<std::uint8_t>& bytes) {
    const ComPtr<IStream> stream = host::StreamOver(host::CopyToGlobal(bytes.data(), bytes.size()));
    if (!stream) return {};
    IPicture* picture = nullptr;
    if (FAILED(::OleLoadPicture(stream.get(), static_cast<LONG>(bytes.size()), FALSE, IID_IPicture,
                                reinterpret_cast<void**>(&picture))))
        return {};
    return ComPtr<IPicture>(picture);
}

struct BitmapInfo256 {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
};

BitmapInfo256 MakeInfo256(std::int32_t width, std::int32_t height, const GifPalette& palette) {
    BitmapInfo256 info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = height;
    info.header.biPlanes = 1;
    info.header.biBitCount = 8;
    info.header.biClrUsed = 256;
    std::memcpy(info.colours, palette.data(), sizeof(info.colours));
    return info;
}

GifPalette IdentityTable() {
    GifPalette t{};
    for (std::uint32_t i = 0; i < 256; ++i) t[i] = i;  // blue i
    return t;
}

COLORREF ColourOf(std::int32_t value) {
    return value < 0 ? ::GetSysColor(value & 255) : static_cast<COLORREF>(value);
}

}  // namespace

// The composition surface: band 0 the picture, then the background copy (DC
// background) and the save band (when a frame restores the previous picture).
struct cGIFViewer::Background {
    MemoryDcHandle dc;
    BitmapHandle bitmap;
    HGDIOBJ oldBitmap = nullptr;
    BrushHandle brush;
    std::int32_t bands = 0;

    ~Background() {
        if (oldBitmap) ::SelectObject(dc.get(), oldBitmap);
    }
    std::int32_t SaveBandTop(std::int32_t destCy) const { return (bands - 1) * destCy; }
};

cGIFViewer::cGIFViewer() { Viewers().push_back(this); }

cGIFViewer::~cGIFViewer() {
    UnloadGIF();
    auto& v = Viewers();
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
}

void cGIFViewer::UnloadGIF() {
    KillFrameTimer();
    client_ = nullptr;
    timerHwnd_ = nullptr;
    drives_ = false;
    bkg_.reset();
    if (stripOld_) ::SelectObject(stripDc_.get(), stripOld_);
    stripOld_ = nullptr;
    stripDc_.reset();
    strip_.reset();
    stripBits_ = nullptr;
    stripW_ = stripH_ = stripStride_ = 0;
    column_.clear();
    gif_ = GifStructure{};
    loadedPalette_ = -1;
    maskTable_ = false;
    state_ = 0;
    index_ = 0;
    loops_ = 0;
    loopCount_ = 0;
    destX_ = destY_ = destCx_ = destCy_ = mode_ = 0;
    xRatio_ = yRatio_ = 1;
    if (comInit_) ::CoUninitialize();
    comInit_ = false;
}

std::int32_t cGIFViewer::LoadGIF(const std::wstring& gifFileName, std::int32_t ViewerID,
                                 IGifRender* GIFRenderInterface, HWND timerHwnd) {
    UnloadGIF();
    viewerId_ = ViewerID;
    const std::uint64_t deadline = loadTimeLimit_ ? ::GetTickCount64() + loadTimeLimit_ : 0;
    try {  // any error, running out of memory included, leaves the viewer unloaded
        std::vector<std::uint8_t> file;
        if (!ReadWholeFile(gifFileName, file)) return 0;
        gif_ = ParseGif(file.data(), file.size());
        if (gif_.frames.empty() || PastDeadline(deadline)) {
            UnloadGIF();
            return 0;
        }
        loopCount_ = gif_.loopCount;
        destCx_ = gif_.width;
        destCy_ = gif_.height;
        std::int32_t result = FrameCount();
        if (GIFRenderInterface != nullptr && timerHwnd != nullptr && ::IsWindow(timerHwnd)) {
            if (::SetTimer(timerHwnd, TimerId(), 60000, &FrameTimerProc) != 0) {
                ::KillTimer(timerHwnd, TimerId());
                client_ = GIFRenderInterface;
                timerHwnd_ = timerHwnd;
            } else {
                result = -result;
            }
        } else {
            result = -result;
        }
        drives_ = result > 0;
        if (client_) client_->Rendered(viewerId_, 1, 1, 0);
        if (!Decode(file, deadline)) throw PanorelError(kObjectErrorBase, "cGIFViewer", "decoding failed");
        index_ = 0;
        loops_ = 0;
        if (client_) client_->Rendered(viewerId_, FrameCount(), 1, 100);
        return result;
    } catch (...) {
        UnloadGIF();
        return 0;
    }
}

bool cGIFViewer::PastDeadline(std::uint64_t deadline) const noexcept {
    return deadline != 0 && ::GetTickCount64() > deadline;
}

bool cGIFViewer::Decode(const std::vector<std::uint8_t>& file, std::uint64_t deadline) {
    std::int64_t stripW = 0;
    std::int32_t stripH = 0, maxW = 0;
    for (const GifFrame& f : gif_.frames) {
        stripW += f.width;
        stripH = std::max(stripH, f.height);
        maxW = std::max(maxW, f.width);
        if (f.transparent) maskTable_ = true;
    }
    if (stripW < 1 || stripH < 1 || stripW * stripH > kMaxStripBytes ||
        static_cast<std::int64_t>(maxW) * stripH > kMaxRenderPixels)
        return false;

    const HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    comInit_ = SUCCEEDED(hr);

    stripW_ = static_cast<std::int32_t>(stripW);
    stripH_ = stripH;
    stripStride_ = (stripW_ + 3) & ~3;
    BitmapInfo256 info = MakeInfo256(stripW_, stripH_, IdentityTable());
    void* bits = nullptr;
    strip_.reset(::CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0));
    stripDc_.reset(::CreateCompatibleDC(nullptr));
    if (!strip_ || !stripDc_ || bits == nullptr) return false;
    stripBits_ = static_cast<std::uint8_t*>(bits);
    stripOld_ = ::SelectObject(stripDc_.get(), strip_.get());
    loadedPalette_ = -1;

    // The picture loader renders into 32 bits; the blue channel of the identity
    // palette is the index, exact where an 8-bit target is not (Wine).
    void* rgbBits = nullptr;
    BitmapHandle rgb = host::CreateTopDownDib(nullptr, maxW, stripH, 32, &rgbBits);
    MemoryDcHandle rgbDc(::CreateCompatibleDC(nullptr));
    if (!rgb || !rgbDc || rgbBits == nullptr) return false;
    SelectionGuard selected(rgbDc.get(), rgb.get());

    const std::int32_t count = FrameCount();
    column_.assign(gif_.frames.size(), 0);
    std::int32_t x = 0;
    for (std::int32_t k = 0; k < count; ++k) {
        if (PastDeadline(deadline)) return false;
        const GifFrame& f = gif_.frames[static_cast<std::size_t>(k)];
        column_[static_cast<std::size_t>(k)] = x;
        if (f.width > 0 && f.height > 0) {
            const std::vector<std::uint8_t> mini = BuildFrameGif(file.data(), file.size(), gif_, static_cast<std::size_t>(k));
            if (mini.empty()) return false;
            ComPtr<IPicture> picture = LoadPictureFromBytes(mini);
            if (!picture) return false;
            OLE_XSIZE_HIMETRIC hmW = 0;
            OLE_YSIZE_HIMETRIC hmH = 0;
            picture->get_Width(&hmW);
            picture->get_Height(&hmH);
            if (FAILED(picture->Render(rgbDc.get(), 0, 0, f.width, f.height, 0, hmH, hmW, -hmH, nullptr)))
                return false;
            ::GdiFlush();
            const auto* src = static_cast<const std::uint8_t*>(rgbBits);
            for (std::int32_t y = 0; y < f.height; ++y) {
                const std::uint8_t* s = src + static_cast<std::size_t>(y) * maxW * 4;
                std::uint8_t* d = stripBits_ + static_cast<std::size_t>(stripH_ - 1 - y) * stripStride_ + x;
                for (std::int32_t i = 0; i < f.width; ++i) d[i] = s[4 * i];
            }
        }
        x += f.width;
        if (k == 0 && client_) {
            TimerStep(nullptr);  // frame 1 shows at once
            LoadColourTable(IdentityTable());
            loadedPalette_ = -1;
        }
        if (client_) client_->Rendered(viewerId_, k + 1, 1, (k + 1) * 100 / count);
    }
    return true;
}

void cGIFViewer::LoadColourTable(const GifPalette& table) {
    ::SetDIBColorTable(stripDc_.get(), 0, 256, reinterpret_cast<const RGBQUAD*>(table.data()));
}

std::int32_t cGIFViewer::FrameProperty(std::int32_t Index, std::int32_t propID) const {
    if (Index < 1 || Index > FrameCount()) return 0;
    const GifFrame& f = gif_.frames[static_cast<std::size_t>(Index) - 1];
    switch (propID) {
        case 0: return std::max<std::int32_t>(f.delay, minimumDelay_);
        case 1: return f.left;
        case 2: return f.top;
        case 3: return f.width;
        case 4: return f.height;
        case 5: return f.disposal;
        case 6: return FrameCount();
        default: return 0;
    }
}

void cGIFViewer::LoopCount(std::int32_t New_LoopCount) noexcept {
    loopCount_ = New_LoopCount == -1 ? 0 : (New_LoopCount & 0xFFFF);
}

void cGIFViewer::MinimumDelay(std::int32_t New_MinimumDelay) {
    if (New_MinimumDelay > 32767 || New_MinimumDelay < -32768) throw PanorelError(6, "cGIFViewer", "Overflow");
    minimumDelay_ = static_cast<std::int16_t>(std::max<std::int32_t>(New_MinimumDelay, 10));
}

COLORREF cGIFViewer::WindowBkgColor() const {
    if (gif_.palettes.empty()) return 0;
    const std::uint32_t c = gif_.palettes[0][gif_.backgroundIndex];
    return RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
}

void cGIFViewer::FramePalette(std::int32_t Index, std::vector<std::uint32_t>& palette) const {
    palette.assign(256, 0);
    if (Index < 1 || Index > FrameCount()) return;
    const GifPalette& p = gif_.palettes[static_cast<std::size_t>(gif_.frames[static_cast<std::size_t>(Index) - 1].palette)];
    std::copy(p.begin(), p.end(), palette.begin());
}

std::vector<std::uint8_t> cGIFViewer::FrameIndices(std::int32_t Index) const {
    std::vector<std::uint8_t> out;
    if (!Loaded() || Index < 1 || Index > FrameCount()) return out;
    const GifFrame& f = gif_.frames[static_cast<std::size_t>(Index) - 1];
    const std::int32_t col = column_[static_cast<std::size_t>(Index) - 1];
    ::GdiFlush();
    out.resize(static_cast<std::size_t>(f.width) * static_cast<std::size_t>(f.height));
    for (std::int32_t y = 0; y < f.height; ++y)
        std::memcpy(&out[static_cast<std::size_t>(y) * f.width],
                    stripBits_ + static_cast<std::size_t>(stripH_ - 1 - y) * stripStride_ + col,
                    static_cast<std::size_t>(f.width));
    return out;
}

ComPtr<IPicture> cGIFViewer::FrameImage(std::int32_t Index, std::int32_t PicType) {
    if (!Loaded() || Index < 0 || Index > FrameCount()) return {};
    if (Index == 0) Index = std::clamp(index_, 1, FrameCount());
    const GifFrame& f = gif_.frames[static_cast<std::size_t>(Index) - 1];
    if (f.width < 1 || f.height < 1) return {};
    std::vector<std::uint8_t> indices;
    if (!SkipOnError([&] { indices = FrameIndices(Index); })) return {};
    const GifPalette& palette = gif_.palettes[static_cast<std::size_t>(f.palette)];
    if (PicType == 1) {
        BitmapInfo256 info = MakeInfo256(f.width, -f.height, palette);
        void* bits = nullptr;
        BitmapHandle bitmap(
            ::CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!bitmap || bits == nullptr) return {};
        const std::int32_t stride = (f.width + 3) & ~3;
        for (std::int32_t y = 0; y < f.height; ++y)
            std::memcpy(static_cast<std::uint8_t*>(bits) + static_cast<std::size_t>(y) * stride,
                        &indices[static_cast<std::size_t>(y) * f.width], static_cast<std::size_t>(f.width));
        PICTDESC desc{};
        desc.cbSizeofstruct = sizeof(desc);
        desc.picType = PICTYPE_BITMAP;
        desc.bmp.hbitmap = bitmap.get();
        IPicture* picture = nullptr;
        if (FAILED(::OleCreatePictureIndirect(&desc, IID_IPicture, TRUE, reinterpret_cast<void**>(&picture))))
            return {};
        bitmap.release();  // the picture owns it now
        return ComPtr<IPicture>(picture);
    }
    // Encoding takes a while: the animation pauses through the state machine
    // and resumes afterwards, which shows its next frame.
    const bool playing = state_ == 1;
    if (playing) AnimationState(2);
    ComPtr<IPicture> picture;
    SkipOnError([&] { picture = LoadPictureFromBytes(EncodeFrameGif(indices.data(), f.width, f.height, palette)); });
    if (playing) AnimationState(1);
    return picture;
}

void cGIFViewer::SetFrameTimer() {
    if (timerHwnd_) ::SetTimer(timerHwnd_, TimerId(), static_cast<UINT>(FrameProperty(index_, 0)), &FrameTimerProc);
}

void cGIFViewer::KillFrameTimer() {
    if (timerHwnd_) ::KillTimer(timerHwnd_, TimerId());
}

void cGIFViewer::TimerStep(HWND hwnd) {
    if (!Loaded()) return;
    if (hwnd) ::KillTimer(hwnd, TimerId());
    bool wrapped = false;
    if (++index_ > FrameCount()) {
        index_ = 1;
        wrapped = true;
    }
    if (client_) SkipOnError([&] { DrawCurrent(); });
    if (!Loaded()) return;  // the client unloaded the viewer
    bool goesOn = true;
    if (FrameCount() > 1) {
        if (wrapped) {
            ++loops_;
            if (loopCount_ != 0 && loops_ == loopCount_) goesOn = false;
        }
    } else {
        loops_ = 1;
        goesOn = false;
    }
    if (!goesOn) state_ = 0;
    if (hwnd) {
        if (goesOn) ::SetTimer(hwnd, TimerId(), static_cast<UINT>(FrameProperty(index_, 0)), &FrameTimerProc);
        else if (client_) client_->Rendered(viewerId_, index_, 2, loops_);
    }
}

// Asks the client for its target and draws the current frame through the buffer.
void cGIFViewer::DrawCurrent() {
    if (index_ < 1 || index_ > FrameCount()) index_ = 1;
    std::intptr_t dc = 0;
    HWND refresh = nullptr;
    bool autoRedraw = false, postNotify = false;
    client_->GetRenderDC(viewerId_, index_, dc, refresh, autoRedraw, postNotify);
    if (dc) DrawFrame(index_, dc, refresh, autoRedraw, postNotify, true, 0, 0, 0, 0, 0);
}

void cGIFViewer::AnimationState(std::int32_t Action) {
    if (client_ == nullptr || !Loaded()) return;
    if (Action < 0 || Action > 4) Action = 0;
    const std::int32_t count = FrameCount();
    switch (Action) {
        case 0:
        case 2:
            if (count == 1 || state_ == 2) {
                state_ = 0;
            } else {
                if (state_ == 1) KillFrameTimer();
                state_ = Action;
            }
            break;
        case 1:
            if (state_ == 1) break;
            if (state_ == 0) {
                loops_ = 0;
                index_ = 1;
            } else {
                ++index_;
            }
            state_ = 1;
            DrawCurrent();
            if (count < 2) {
                state_ = 0;
                client_->Rendered(viewerId_, 1, 2, 1);
            } else {
                SetFrameTimer();
            }
            break;
        case 3:
            if (count == 1) {
                state_ = 0;
                break;
            }
            if (state_ == 1) {
                KillFrameTimer();
                loops_ = 0;
            } else {
                ++index_;
            }
            state_ = 3;
            DrawCurrent();
            break;
        default:
            DrawCurrent();
            break;
    }
}

bool cGIFViewer::RenderFrame(std::int32_t Index, std::intptr_t hDC, HWND hWnd2Refresh, bool AutoRedraw,
                             std::int32_t destX, std::int32_t destY, std::int32_t destCx, std::int32_t destCY,
                             std::int32_t StretchMode) {
    if (!Loaded() || Index < 1 || Index > FrameCount()) return false;
    const GifFrame& f = gif_.frames[static_cast<std::size_t>(Index) - 1];
    if (destCx < 1) destCx = f.width;
    if (destCY < 1) destCY = f.height;
    return DrawFrame(Index, hDC, hWnd2Refresh, AutoRedraw, false, false, destX, destY, destCx, destCY, StretchMode);
}

void cGIFViewer::ScaleToDestination(std::int32_t Index, std::int32_t& destX, std::int32_t& destY,
                                    std::int32_t& destCx, std::int32_t& destCy, std::int32_t StretchMode,
                                    float& xRatio, float& yRatio) const {
    ScaleGifToDestination(gif_, Index, destX, destY, destCx, destCy, StretchMode, xRatio, yRatio);
}

bool cGIFViewer::DrawFrame(std::int32_t index, std::intptr_t target, HWND hwndRefresh, bool autoRedraw,
                           bool postNotify, bool throughBuffer, std::int32_t destX, std::int32_t destY,
                           std::int32_t destCx, std::int32_t destCy, std::int32_t mode) {
    HDC dc = nullptr;
    std::optional<WindowDc> borrowed;
    if (IsDc(target)) {
        dc = reinterpret_cast<HDC>(target);
    } else if (::IsWindow(reinterpret_cast<HWND>(target))) {
        borrowed.emplace(reinterpret_cast<HWND>(target), ::GetDC(reinterpret_cast<HWND>(target)));
        dc = borrowed->get();
    }
    if (dc == nullptr) return false;
    if (throughBuffer && !bkg_) {
        throughBuffer = false;
        destX = destX_, destY = destY_, destCx = destCx_, destCy = destCy_, mode = mode_;
    }
    const GifFrame& f = gif_.frames[static_cast<std::size_t>(index) - 1];
    RECT refreshRect{};
    if (throughBuffer) {
        const bool scaled = (mode_ & ~8) != 0;
        std::int32_t x = f.left, y = f.top, cx = f.width, cy = f.height;
        if (scaled) {
            x = static_cast<std::int32_t>(static_cast<float>(f.left) * xRatio_);
            y = static_cast<std::int32_t>(static_cast<float>(f.top) * yRatio_);
            cx = static_cast<std::int32_t>(static_cast<float>(f.width) * xRatio_);
            cy = static_cast<std::int32_t>(static_cast<float>(f.height) * yRatio_);
        } else {
            if (x + cx > destCx_) cx = destCx_ - x;
            if (y + cy > destCy_) cy = destCy_ - y;
        }
        HDC buffer = bkg_->dc.get();
        const std::int32_t save = bkg_->SaveBandTop(destCy_);
        if (f.disposal == 3 && gif_.restorePrevious) ::BitBlt(buffer, 0, save, cx, cy, buffer, x, y, SRCCOPY);
        PutFrame(index, buffer, x, y, cx, cy, scaled, true);
        ::BitBlt(dc, destX_, destY_, destCx_, destCy_, buffer, 0, 0, SRCCOPY);
        if (f.disposal == 2) {
            if (bkg_->brush) {
                const RECT r{x, y, static_cast<LONG>(static_cast<float>(f.left + f.width) * xRatio_),
                             static_cast<LONG>(static_cast<float>(f.top + f.height) * yRatio_)};
                ::FillRect(buffer, &r, bkg_->brush.get());
            } else {
                ::BitBlt(buffer, x, y, cx, cy, buffer, x, destCy_ + y, SRCCOPY);
            }
        } else if (f.disposal == 3 && gif_.restorePrevious) {
            ::BitBlt(buffer, x, y, cx, cy, buffer, 0, save, SRCCOPY);
        }
        refreshRect = RECT{destX_, destY_, destX_ + destCx_, destY_ + destCy_};
    } else {
        float xr = 1, yr = 1;
        ScaleToDestination(index, destX, destY, destCx, destCy, mode, xr, yr);
        PutFrame(index, dc, destX, destY, destCx, destCy, (mode & ~8) != 0, false);
        refreshRect = RECT{destX, destY, destX + destCx, destY + destCy};
    }
    if (hwndRefresh) {
        if (!autoRedraw) ::RedrawWindow(hwndRefresh, &refreshRect, nullptr, RDW_VALIDATE | RDW_UPDATENOW);
        else ::InvalidateRect(hwndRefresh, &refreshRect, FALSE);
    }
    if (postNotify && client_) client_->Rendered(viewerId_, index, 0, reinterpret_cast<std::intptr_t>(dc));
    return true;
}

void cGIFViewer::PutFrame(std::int32_t index, HDC dc, std::int32_t x, std::int32_t y, std::int32_t cx,
                          std::int32_t cy, bool stretched, bool intoBuffer) {
    if (cx < 1 || cy < 1) return;
    const GifFrame& f = gif_.frames[static_cast<std::size_t>(index) - 1];
    const std::int32_t col = column_[static_cast<std::size_t>(index) - 1];
    int oldMode = 0;
    POINT oldOrigin{};
    if (!intoBuffer) {
        oldMode = ::SetStretchBltMode(dc, HALFTONE);
        ::SetBrushOrgEx(dc, 0, 0, &oldOrigin);
    }
    auto blit = [&](DWORD rop) {
        if (stretched) ::StretchBlt(dc, x, y, cx, cy, stripDc_.get(), col, 0, f.width, f.height, rop);
        else ::BitBlt(dc, x, y, cx, cy, stripDc_.get(), col, 0, rop);
    };
    const GifPalette& palette = gif_.palettes[static_cast<std::size_t>(f.palette)];
    if (f.transparent && maskTable_) {
        GifPalette mask{};
        mask[f.transparentIndex] = 0xFFFFFF;
        LoadColourTable(mask);
        blit(kSrcAnd);
        GifPalette colours = palette;
        colours[f.transparentIndex] = 0;
        LoadColourTable(colours);
        loadedPalette_ = -2;
        blit(kSrcPaint);
    } else {
        if (loadedPalette_ != f.palette) {
            LoadColourTable(palette);
            loadedPalette_ = f.palette;
        }
        blit(SRCCOPY);
    }
    if (!intoBuffer) {
        ::SetStretchBltMode(dc, oldMode);
        ::SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
    }
}

bool cGIFViewer::SetAnimationBkg(std::int32_t bkgMethod, std::intptr_t bkgDC_Color, std::int32_t destX,
                                 std::int32_t destY, std::int32_t destCx, std::int32_t destCY,
                                 std::int32_t StretchMode, std::int32_t* bkgDC_X, std::int32_t* bkgDC_Y) {
    if (!drives_ || !Loaded()) return false;
    const bool resume = state_ == 1;
    if (resume) AnimationState(2);
    if (destCx < 1) destCx = gif_.width;
    if (destCY < 1) destCY = gif_.height;
    const std::int32_t old[5] = {destX_, destY_, destCx_, destCy_, mode_};
    const float oldRatios[2] = {xRatio_, yRatio_};
    destX_ = destX, destY_ = destY, destCx_ = destCx, destCy_ = destCY, mode_ = StretchMode;

    bool needed = false;
    if (FrameCount() > 1) {
        for (const GifFrame& f : gif_.frames)
            needed = needed || f.transparent || f.disposal == 2 || f.disposal == 3 || f.width != gif_.width ||
                     f.height != gif_.height;
    } else {
        needed = gif_.frames[0].transparent != 0;
    }
    auto finish = [&](bool ok) {
        if (resume) AnimationState(1);
        return ok;
    };
    if (!needed) {
        bkg_.reset();  // frames are drawn straight onto the target, fitted one by one
        return finish(true);
    }

    std::int32_t bands = gif_.restorePrevious ? 3 : 2;
    if (bkgMethod != 1) --bands;
    HDC source = nullptr;
    std::optional<WindowDc> borrowed;
    if (bkgMethod == 1) {
        if (IsDc(bkgDC_Color)) {
            source = reinterpret_cast<HDC>(bkgDC_Color);
        } else if (::IsWindow(reinterpret_cast<HWND>(bkgDC_Color))) {
            borrowed.emplace(reinterpret_cast<HWND>(bkgDC_Color), ::GetDC(reinterpret_cast<HWND>(bkgDC_Color)));
            source = borrowed->get();
        }
        if (source == nullptr) {
            destX_ = old[0], destY_ = old[1], destCx_ = old[2], destCy_ = old[3], mode_ = old[4];
            xRatio_ = oldRatios[0], yRatio_ = oldRatios[1];
            return finish(false);
        }
    }
    ScaleToDestination(0, destX_, destY_, destCx_, destCy_, mode_, xRatio_, yRatio_);

    // A new surface each time: the sizes or the band count may have changed.
    bkg_ = std::make_unique<Background>();
    bkg_->dc.reset(::CreateCompatibleDC(nullptr));
    bkg_->bands = bands;
    {
        WindowDc screen = WindowDc::Client(nullptr);
        if (bkg_->dc && destCx_ > 0 && destCy_ > 0)
            bkg_->bitmap.reset(::CreateCompatibleBitmap(screen.get(), destCx_, bands * destCy_));
    }
    if (!bkg_->bitmap) {
        bkg_.reset();
        destX_ = destX, destY_ = destY, destCx_ = destCx, destCy_ = destCY;
        return finish(true);
    }
    bkg_->oldBitmap = ::SelectObject(bkg_->dc.get(), bkg_->bitmap.get());
    ::SetStretchBltMode(bkg_->dc.get(), HALFTONE);
    if (bkgMethod == 1) {
        std::int32_t sx = bkgDC_X ? *bkgDC_X : 0, sy = bkgDC_Y ? *bkgDC_Y : 0;
        if (sx < 0) sx = destX_;
        if (sy < 0) {
            sy = destY_;
            if (bkgDC_Y) *bkgDC_Y = sy;
        }
        ::BitBlt(bkg_->dc.get(), 0, destCy_, destCx_, destCy_, source, sx, sy, SRCCOPY);
        ::BitBlt(bkg_->dc.get(), 0, 0, destCx_, destCy_, bkg_->dc.get(), 0, destCy_, SRCCOPY);
    } else {
        bkg_->brush.reset(::CreateSolidBrush(ColourOf(static_cast<std::int32_t>(bkgDC_Color))));
        const RECT r{0, 0, destCx_, destCy_};
        ::FillRect(bkg_->dc.get(), &r, bkg_->brush.get());
    }
    return finish(true);
}

bool cGIFViewer::SetAnimationBkgColor(std::int32_t bkgColor) {
    if (!bkg_ || !bkg_->brush) return false;
    const bool resume = state_ == 1;
    if (resume) AnimationState(2);
    bkg_->brush.reset(::CreateSolidBrush(ColourOf(bkgColor)));
    const RECT r{0, 0, destCx_ + 1, destCy_ + 1};
    ::FillRect(bkg_->dc.get(), &r, bkg_->brush.get());
    if (resume) AnimationState(1);
    return true;
}

}  // namespace panorel
