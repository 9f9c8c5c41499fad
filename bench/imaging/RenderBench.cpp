// Render of a 32 x 32 picture onto a window DC, the styled button's use,
// timed under Wine on each of the three drawing paths (the button's normal
// call takes AlphaBlend; grey-scale goes through GDI+ or the own blend).
// Prints the median per call; the goal is 50 microseconds or less.
// Run: build/windows/wine-run build/windows/bench/render_bench.exe [calls]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "BenchSupport.h"
#include "imaging/cAlphaImage.h"

namespace {

using panorel::imaging::cAlphaImage;

double NowMicroseconds() {
    LARGE_INTEGER t, f;
    ::QueryPerformanceCounter(&t);
    ::QueryPerformanceFrequency(&f);
    return 1e6 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

double MedianOfCalls(cAlphaImage& img, HDC dc, int calls, int grayScale) {
    std::vector<double> times;
    for (int i = 0; i < calls; ++i) {
        const double start = NowMicroseconds();
        img.Render(dc, 8, 8, 32, 32, 0, 0, 0, 0, 100, true, true, nullptr, grayScale);
        ::GdiFlush();
        times.push_back(NowMicroseconds() - start);
    }
    return panorel::test::Median(times);
}

}  // namespace

int main(int argc, char** argv) {
    const int calls = argc > 1 ? std::max(10, std::atoi(argv[1])) : 2000;
    HWND wnd = ::CreateWindowExW(0, L"STATIC", L"render bench", WS_POPUP | WS_VISIBLE, 0, 0, 64, 64, nullptr, nullptr,
                                 nullptr, nullptr);
    if (!wnd) {
        std::printf("no window (is there a display?)\n");
        return 1;
    }
    cAlphaImage img;
    img.InitializeDIB(32, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) img.SetPixel(x, y, RGB(x * 8, y * 8, 128), (x + y) * 4);
    img.Alpha(panorel::imaging::kAlphaFull);
    HDC dc = ::GetDC(wnd);
    const struct {
        const char* path;
        bool alphaBlend, gdiplus;
        int grayScale;
    } runs[] = {{"AlphaBlend (normal)", true, true, -1}, {"GDI+ (grey-scale)", true, true, 2}, {"own blend (grey-scale)", true, false, 2}};
    for (const auto& r : runs) {
        img.isAlphaBlendFriendly(r.alphaBlend);
        img.isGDIplusEnabled(r.gdiplus);
        MedianOfCalls(img, dc, calls / 10, r.grayScale);  // warm up
        const double median = MedianOfCalls(img, dc, calls, r.grayScale);
        std::printf("Render 32x32 onto a window DC, %s: median %.1f us over %d calls (goal 50 us): %s\n", r.path,
                    median, calls, median <= 50.0 ? "PASS" : "ABOVE GOAL");
    }
    ::ReleaseDC(wnd, dc);
    ::DestroyWindow(wnd);
    return 0;
}
