// The resampler against the plain filter loop, from a 1920 x 1080 screen to an
// 855 x 435 tile, side by side in one run. Checks first that both give the
// same bytes, then prints the speed ratio (the target is 8 or more).
#include <benchmark/benchmark.h>

#include <cstdio>
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

void BM_PlainLoop(benchmark::State& state) {
    std::vector<std::uint8_t> dst;
    for (auto _ : state) {
        panorel::test::OracleResample(Screen(), dst, kSw, kSh, kDw, kDh);
        benchmark::DoNotOptimize(dst.data());
    }
}

void BM_ResampleBuffer(benchmark::State& state) {
    panorel::PixelBuffer dst;
    for (auto _ : state) {
        panorel::ResampleBuffer(Screen(), dst, kSw, kSh, kDw, kDh);
        benchmark::DoNotOptimize(dst.data());
    }
}

// The path of processors without AVX2, for comparison (not in the ratio).
void BM_ResampleBaseline(benchmark::State& state) {
    panorel::PixelBuffer dst;
    for (auto _ : state) {
        panorel::ResampleBuffer(Screen(), dst, kSw, kSh, kDw, kDh, panorel::ResamplePath::Baseline);
        benchmark::DoNotOptimize(dst.data());
    }
}

// Other work on a shared machine slows some runs: both are repeated, in a
// shuffled order, and the fastest run of each is compared.
BENCHMARK(BM_PlainLoop)->Unit(benchmark::kMillisecond)->MinTime(0.3)->Repetitions(7);
BENCHMARK(BM_ResampleBuffer)->Unit(benchmark::kMillisecond)->MinTime(0.3)->Repetitions(7);
BENCHMARK(BM_ResampleBaseline)->Unit(benchmark::kMillisecond)->MinTime(0.3)->Repetitions(7);

// Keeps the fastest mean time per iteration of each benchmark's runs.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Iteration || r.iterations == 0) continue;
            const double seconds = r.real_accumulated_time / static_cast<double>(r.iterations);
            const double cpu = r.cpu_accumulated_time / static_cast<double>(r.iterations);
            const std::string name = r.benchmark_name();
            if (name.find("Baseline") != std::string::npos) {
                Keep(baseline_, seconds);
                continue;
            }
            const bool plain = name.find("PlainLoop") != std::string::npos;
            Keep(plain ? plain_ : fast_, seconds);
            Keep(plain ? plainCpu_ : fastCpu_, cpu);
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double plain_ = 0, fast_ = 0, plainCpu_ = 0, fastCpu_ = 0, baseline_ = 0;

private:
    static void Keep(double& best, double v) {
        if (best == 0 || v < best) best = v;
    }
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::uint8_t> plain;
    panorel::PixelBuffer fast;
    panorel::test::OracleResample(Screen(), plain, kSw, kSh, kDw, kDh);
    for (const auto path : {panorel::ResamplePath::Fastest, panorel::ResamplePath::Baseline}) {
        if (!panorel::ResampleBuffer(Screen(), fast, kSw, kSh, kDw, kDh, path) || fast != plain) {
            std::printf("ResampleBuffer differs from the plain loop: FAIL\n");
            return 1;
        }
    }
    std::printf("output bit-identical to the plain loop (%zu bytes)\n", fast.size());

    std::vector<char*> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (reporter.plain_ > 0 && reporter.fast_ > 0) {
        const double ratio = reporter.plain_ / reporter.fast_;
        std::printf("ResampleBuffer 1920x1080 -> 855x435, fastest runs: %.2f ms (%s; baseline path %.2f ms), plain "
                    "loop %.2f ms: ratio %.1f (CPU time ratio %.1f), target 8: %s\n",
                    reporter.fast_ * 1e3, panorel::FastestResamplePathName(), reporter.baseline_ * 1e3,
                    reporter.plain_ * 1e3, ratio, reporter.plainCpu_ / reporter.fastCpu_,
                    ratio >= 8.0 ? "PASS" : "BELOW TARGET");
    }
    return 0;
}
