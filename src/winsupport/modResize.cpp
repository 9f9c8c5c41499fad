#include "winsupport/modResize.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>

#include "host/Handles.h"
#include "host/Screen.h"

namespace panorel {

PixelBuffer PreviewBits;

namespace {

// SRCCOPY | CAPTUREBLT: layered windows are part of the picture.
constexpr DWORD kCaptureRop = 0x40CC0020;

struct Capture {
    std::int32_t width = 0;
    std::int32_t height = 0;
    BITMAPINFOHEADER header{};
    BitmapHandle dib;
    MemoryDcHandle memDc;
    std::optional<SelectionGuard> selection;  // destroyed first: the old bitmap goes back before the DC goes
};

// Module state: the capture between CaptureScreen and DrawCaptureResized, and
// the source pixels, kept so a screen-sized buffer is not reallocated per capture.
std::unique_ptr<Capture>& CurrentCapture() {
    static std::unique_ptr<Capture> capture;
    return capture;
}

PixelBuffer& SourceBits() {
    static PixelBuffer bits;
    return bits;
}

DibReader& Reader() {
    static DibReader reader;
    return reader;
}

int ReadDib(HDC dc, HBITMAP bitmap, UINT lines, void* bits, BITMAPINFO* info) {
    if (Reader()) return Reader()(dc, bitmap, lines, bits, info);
    return ::GetDIBits(dc, bitmap, 0, lines, bits, info, DIB_RGB_COLORS);
}

}  // namespace

void SetDibReaderForTesting(DibReader reader) { Reader() = std::move(reader); }

void DiscardCapture() { CurrentCapture().reset(); }

BITMAPINFOHEADER DibHeader(std::int32_t w, std::int32_t h) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = w;
    header.biHeight = h;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    return header;
}

bool CaptureHeld() { return CurrentCapture() != nullptr; }

void CaptureScreen() {
    CurrentCapture().reset();
    auto capture = std::make_unique<Capture>();
    capture->width = host::Screen::WidthPixels();
    capture->height = host::Screen::HeightPixels();
    capture->header = DibHeader(capture->width, capture->height);

    const HWND desktop = ::GetDesktopWindow();
    WindowDc screen = WindowDc::Whole(desktop);
    capture->memDc.reset(::CreateCompatibleDC(screen.get()));
    void* bits = nullptr;
    capture->dib.reset(::CreateDIBSection(screen.get(), reinterpret_cast<const BITMAPINFO*>(&capture->header),
                                          DIB_RGB_COLORS, &bits, nullptr, 0));
    if (capture->memDc && capture->dib) {
        capture->selection.emplace(capture->memDc.get(), capture->dib.get());
        ::BitBlt(capture->memDc.get(), 0, 0, capture->width, capture->height, screen.get(), 0, 0, kCaptureRop);
    }
    CurrentCapture() = std::move(capture);
}

void DrawCaptureResized(HDC dc, std::int32_t w, std::int32_t h) {
    std::unique_ptr<Capture> capture = std::move(CurrentCapture());
    if (!capture || capture->width < 1 || capture->height < 1) return;

    // GetDIBits wants the bitmap out of every DC, so the old bitmap goes back
    // first; the DC and the DIB section go when this capture does.
    capture->selection.reset();
    PixelBuffer& source = SourceBits();
    const std::size_t stride = DibStride(capture->width);
    source.resize(stride * static_cast<std::size_t>(capture->height));
    const int lines = ReadDib(capture->memDc.get(), capture->dib.get(), static_cast<UINT>(capture->height),
                              source.data(), reinterpret_cast<BITMAPINFO*>(&capture->header));
    const std::int32_t sw = capture->width, sh = capture->height;
    capture.reset();
    // A short or failed read still draws: the rows it did not fill are black
    // rather than the previous capture's, which this buffer still holds.
    const std::size_t filled = stride * static_cast<std::size_t>(lines > 0 ? std::min(lines, sh) : 0);
    std::fill(source.begin() + static_cast<std::ptrdiff_t>(filled), source.end(), std::uint8_t{0});

    if (!ResampleBuffer(source, PreviewBits, sw, sh, w, h)) return;
    BITMAPINFOHEADER header = DibHeader(w, h);
    ::SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(w), static_cast<DWORD>(h), 0, 0, 0, static_cast<UINT>(h),
                        PreviewBits.data(), reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS);
}

}  // namespace panorel
