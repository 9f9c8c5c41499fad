// Times a whole CaptureScreen + DrawCaptureResized into a tile-sized memory DC,
// the way the switcher makes its own preview, and ResampleBuffer alone.
// Run under Wine with a display: build/windows/wine-run build/windows/bench/capture_timing.exe [runs]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

#include "host/Handles.h"
#include "switcher/PanelLayout.h"
#include "winsupport/modResize.h"

namespace {

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Print(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-44s min %7.2f ms  median %7.2f ms  max %7.2f ms  (%zu runs)\n", what, ms.front(),
                ms[ms.size() / 2], ms.back(), ms.size());
}

}  // namespace

int main(int argc, char** argv) {
    using namespace panorel;
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const int sw = ::GetSystemMetrics(SM_CXSCREEN), sh = ::GetSystemMetrics(SM_CYSCREEN);
    const int w = PreviewExtent(sw), h = PreviewExtent(sh);
    std::printf("screen %d x %d, tile %d x %d\n", sw, sh, w, h);
    if (w < 2 || h < 2) return 1;

    BITMAPINFOHEADER header = DibHeader(w, h);
    MemoryDcHandle dc(::CreateCompatibleDC(nullptr));
    void* bits = nullptr;
    BitmapHandle tile(
        ::CreateDIBSection(dc.get(), reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0));
    std::optional<SelectionGuard> selection;
    selection.emplace(dc.get(), tile.get());

    std::vector<double> whole, capture, resample;
    PixelBuffer screen(DibStride(sw) * static_cast<std::size_t>(sh), 0x80), out;
    for (int i = 0; i < runs; ++i) {
        LARGE_INTEGER t0, t1, t2;
        ::QueryPerformanceCounter(&t0);
        CaptureScreen();
        ::QueryPerformanceCounter(&t1);
        DrawCaptureResized(dc.get(), w, h);
        ::GdiFlush();
        ::QueryPerformanceCounter(&t2);
        whole.push_back(Milliseconds(t0, t2));
        capture.push_back(Milliseconds(t0, t1));

        ::QueryPerformanceCounter(&t0);
        ResampleBuffer(screen, out, sw, sh, w, h);
        ::QueryPerformanceCounter(&t1);
        resample.push_back(Milliseconds(t0, t1));
    }
    Print("CaptureScreen + DrawCaptureResized", whole);
    Print("  of which CaptureScreen", capture);
    Print("ResampleBuffer alone", resample);
    return 0;
}
