// imagetool frames FILE OUTDIR [--background RRGGBB]
// Plays a GIF with the viewer, one step per frame, onto a target of the
// animation's size filled with the background colour, and writes what the
// target shows after frame k as OUTDIR/frame-kkk.bmp (24-bit). Prints
// "frames=N width=W height=H loop=L", then one line per frame.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "gifviewer/cGIFViewer.h"
#include "host/Handles.h"

namespace {

using namespace panorel;

// The tool is its own client: it draws every frame on its target.
struct FrameTarget : IGifRender {
    std::intptr_t dc = 0;
    void GetRenderDC(std::int32_t, std::int32_t, std::intptr_t& destDC, HWND&, bool&, bool&) override {
        destDC = dc;
    }
    void Rendered(std::int32_t, std::int32_t, std::int32_t, std::intptr_t) override {}
};

std::wstring Widen(const char* s) {
    const int n = ::MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
    std::wstring w(n > 0 ? static_cast<std::size_t>(n - 1) : 0, L'\0');
    if (n > 1) ::MultiByteToWideChar(CP_ACP, 0, s, -1, w.data(), n);
    return w;
}

bool WriteBmp24(const std::string& path, const std::uint32_t* pixels, int w, int h) {
    const int stride = (w * 3 + 3) & ~3;
    std::vector<std::uint8_t> file(54 + static_cast<std::size_t>(stride) * h, 0);
    auto put32 = [&file](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    file[0] = 'B', file[1] = 'M';
    put32(2, static_cast<std::uint32_t>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(w));
    put32(22, static_cast<std::uint32_t>(h));
    file[26] = 1, file[28] = 24;
    put32(34, static_cast<std::uint32_t>(stride) * h);
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = &file[54 + static_cast<std::size_t>(h - 1 - y) * stride];
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = pixels[static_cast<std::size_t>(y) * w + x];
            row[3 * x] = static_cast<std::uint8_t>(p), row[3 * x + 1] = static_cast<std::uint8_t>(p >> 8),
                    row[3 * x + 2] = static_cast<std::uint8_t>(p >> 16);
        }
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int ImagetoolFrames(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: imagetool frames FILE OUTDIR [--background RRGGBB]\n");
        return 2;
    }
    std::uint32_t rgb = 0xFFFFFF;
    for (int i = 3; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--background") rgb = std::strtoul(argv[i + 1], nullptr, 16) & 0xFFFFFF;
    const COLORREF colour = RGB(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF);

    WindowHandle timerWindow(
        ::CreateWindowExW(0, L"STATIC", L"imagetool", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
    FrameTarget target;
    cGIFViewer viewer;
    const std::int32_t frames = viewer.LoadGIF(Widen(argv[1]), 1, &target, timerWindow.get());
    if (frames <= 0) {
        std::printf("frames=0\n");
        return 1;
    }
    const int w = viewer.Width(), h = viewer.Height();
    viewer.SetAnimationBkg(0, static_cast<std::intptr_t>(colour), 0, 0, w, h, 0);

    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::uint32_t* bits = nullptr;
    BitmapHandle surface(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0));
    MemoryDcHandle dc(::CreateCompatibleDC(nullptr));
    if (!surface || !dc || bits == nullptr) {
        std::printf("frames=0\n");
        return 1;
    }
    SelectionGuard selected(dc.get(), surface.get());
    BrushHandle brush(::CreateSolidBrush(colour));
    const RECT all{0, 0, w, h};
    ::FillRect(dc.get(), &all, brush.get());
    target.dc = reinterpret_cast<std::intptr_t>(dc.get());

    std::printf("frames=%d width=%d height=%d loop=%d\n", frames, w, h, viewer.LoopCount());
    int status = 0;
    for (int k = 1; k <= frames; ++k) {
        viewer.AnimationState(frames == 1 ? 4 : 3);
        ::GdiFlush();
        char name[32];
        std::snprintf(name, sizeof name, "/frame-%03d.bmp", k);
        if (!WriteBmp24(std::string(argv[2]) + name, bits, w, h)) status = 1;
        std::printf("frame=%d left=%d top=%d width=%d height=%d delay=%d disposal=%d\n", k,
                    viewer.FrameProperty(k, 1), viewer.FrameProperty(k, 2), viewer.FrameProperty(k, 3),
                    viewer.FrameProperty(k, 4), viewer.FrameProperty(k, 0), viewer.FrameProperty(k, 5));
    }
    return status;
}
