// The resampler under Wine, where Google Benchmark is not at hand: the shipped
// code (both of its paths) against the plain filter loop in the same process,
// 1920 x 1080 to 855 x 435. Checks first that all give the same bytes.
// build/windows/wine-run build/windows/bench/resample_bench.exe [runs]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "winsupport/Resample.h"
#include "winsupport/ResampleBenchScreen.h"
#include "winsupport/ResampleOracle.h"

namespace {

using panorel::bench::kDh;
using panorel::bench::kDw;
using panorel::bench::kSh;
using panorel::bench::kSw;
using panorel::bench::Screen;

template <class Work>
double Milliseconds(Work work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    std::vector<std::uint8_t> plain;
    panorel::test::OracleResample(Screen(), plain, kSw, kSh, kDw, kDh);
    panorel::PixelBuffer out;
    for (const auto path : {panorel::ResamplePath::Fastest, panorel::ResamplePath::Baseline}) {
        if (!panorel::ResampleBuffer(Screen(), out, kSw, kSh, kDw, kDh, path) || out != plain) {
            std::printf("ResampleBuffer differs from the plain loop: FAIL\n");
            return 1;
        }
    }
    std::printf("output bit-identical to the plain loop on both paths (%zu bytes)\n", out.size());

    // Other work on a shared machine slows some runs: the three take turns,
    // and the fastest run of each counts.
    double best[3] = {1e30, 1e30, 1e30};
    for (int i = 0; i < runs; ++i) {
        const double t[3] = {
            Milliseconds([&] { panorel::ResampleBuffer(Screen(), out, kSw, kSh, kDw, kDh); }),
            Milliseconds([&] {
                panorel::ResampleBuffer(Screen(), out, kSw, kSh, kDw, kDh, panorel::ResamplePath::Baseline);
            }),
            i % 3 == 0 ? Milliseconds([&] { panorel::test::OracleResample(Screen(), plain, kSw, kSh, kDw, kDh); })
                       : 1e30,  // slow: a third of the runs is enough
        };
        for (int k = 0; k < 3; ++k) best[k] = std::min(best[k], t[k]);
    }
    std::printf("ResampleBuffer 1920x1080 -> 855x435 (%zu-bit), fastest of %d runs: %.2f ms (%s; baseline path "
                "%.2f ms), plain loop %.2f ms: ratio %.1f (baseline %.1f)\n",
                sizeof(void*) * 8, runs, best[0], panorel::FastestResamplePathName(), best[1], best[2],
                best[2] / best[0], best[2] / best[1]);
    return 0;
}
