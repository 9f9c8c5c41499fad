// Full redraws of a 201 x 41 styled button under Wine: the median per style
// and state, against the 0.5 ms budget; then the time to show the switcher's
// panel with its two buttons against the same panel with the buttons' windows
// hidden (what showing cost before there were buttons). Run by hand (not a test):
// build/windows/wine-run build/windows/bench/stylebutton_bench.exe [runs]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "BenchSupport.h"
#include "WinTestSupport.h"
#include "stylebutton/VLM_StyleButton.h"
#include "switcher/mainW.h"

namespace {

using panorel::test::Median;

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(f.QuadPart);
}

// Time of one ShowPanel (hidden again afterwards), with the buttons' windows
// shown or hidden.
double ShowPanelOnce(panorel::mainW& w, bool buttons) {
    ::ShowWindow(w.cmdStartCP->hWnd(), buttons ? SW_SHOWNA : SW_HIDE);
    ::ShowWindow(w.cmdHelp->hWnd(), buttons ? SW_SHOWNA : SW_HIDE);
    LARGE_INTEGER a, b;
    ::QueryPerformanceCounter(&a);
    w.ShowPanel();
    ::QueryPerformanceCounter(&b);
    w.formBg.Hide();
    w.Hide();
    panorel::host::DoEvents();
    return Milliseconds(a, b);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace panorel;
    const int runs = argc > 1 ? std::max(5, std::atoi(argv[1])) : 50;
    const HWND parent = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 100, nullptr, nullptr, nullptr, nullptr);
    host::ControlContainer container(parent);
    VLM_StyleButton button(container, L"cmdBench", 0, 0, 201, 41);
    button.InitProperties();
    button.Caption(L"Start Panorel Control Panel");
    std::printf("style  normal    hot  pressed  disabled  (median ms of %d full redraws)\n", runs);
    double worst = 0;
    for (int style = 0; style <= 13; ++style) {
        button.ButtonStyle(style);
        std::printf("%5d", style);
        for (int look = 0; look < 4; ++look) {
            button.Enabled(look != 3);
            button.VisualState(look == 3 ? 0 : look);
            std::vector<double> times;
            for (int i = 0; i < runs; ++i) {
                LARGE_INTEGER a, b;
                ::QueryPerformanceCounter(&a);
                button.Redraw();
                ::QueryPerformanceCounter(&b);
                times.push_back(Milliseconds(a, b));
            }
            const double median = Median(times);
            worst = std::max(worst, median);
            std::printf(" %8.3f", median);
        }
        std::printf("\n");
    }
    std::printf("worst median %.3f ms; budget 0.5 ms: %s\n", worst, worst <= 0.5 ? "met" : "NOT met");
    ::DestroyWindow(parent);

    test::SharedEvents events;
    mainW w(L"1");
    w.hWnd();
    w.formBg.Load();
    const int panelRuns = std::max(5, runs / 5);
    ShowPanelOnce(w, true);  // warm up
    // Interleaved, so that a busy machine weighs on both alike.
    std::vector<double> withTimes, withoutTimes;
    for (int i = 0; i < panelRuns; ++i) {
        withoutTimes.push_back(ShowPanelOnce(w, false));
        withTimes.push_back(ShowPanelOnce(w, true));
    }
    const double without = Median(withoutTimes), with = Median(withTimes);
    std::printf("ShowPanel median of %d: %.2f ms with the buttons, %.2f ms without (+%.2f ms; budget 2 ms: %s)\n",
                panelRuns, with, without, with - without, with - without <= 2.0 ? "met" : "NOT met");
    w.Unload();
    return 0;
}
