// The LZW encoder against giflib's encoder on the same 1920 x 1080 8-bit
// picture, side by side in one run. Checks first that giflib decodes ours to
// the same indices, then prints the speed ratio (goal: 1 or more).
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cstdio>
#include <random>
#include <vector>

#include "imaging/WriterOracles.h"
#include "imaging/LzwEncoder.h"

namespace {

constexpr int kW = 1920, kH = 1080;

// Something like a quantised desktop: flat areas, gradients, text-like noise.
const std::vector<std::uint8_t>& Picture() {
    static const std::vector<std::uint8_t> p = [] {
        std::vector<std::uint8_t> v(static_cast<std::size_t>(kW) * kH);
        std::mt19937 rng(7);
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) {
                const int area = (x / 160 + y / 90) % 4;
                int c = area == 0 ? 200 : area == 1 ? (x + y) / 12 : area == 2 ? static_cast<int>(rng() & 0xFF)
                                                                                 : ((x / 3) ^ (y / 5)) & 0x0F;
                v[static_cast<std::size_t>(y) * kW + x] = static_cast<std::uint8_t>(c);
            }
        }
        return v;
    }();
    return p;
}

int WriteMemory(GifFileType* gif, const GifByteType* data, int n) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + n);
    return n;
}

std::size_t GiflibEncode(std::vector<std::uint8_t>& out) {
    out.clear();
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteMemory, &error);
    GifColorType colours[256];
    for (int i = 0; i < 256; ++i) colours[i] = {static_cast<GifByteType>(i), static_cast<GifByteType>(i),
                                                static_cast<GifByteType>(i)};
    ColorMapObject* map = GifMakeMapObject(256, colours);
    EGifPutScreenDesc(gif, kW, kH, 8, 0, map);
    EGifPutImageDesc(gif, 0, 0, kW, kH, false, nullptr);
    auto* pixels = const_cast<GifPixelType*>(Picture().data());
    for (int y = 0; y < kH; ++y) EGifPutLine(gif, pixels + static_cast<std::size_t>(y) * kW, kW);
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out.size();
}

void BM_Giflib(benchmark::State& state) {
    std::vector<std::uint8_t> out;
    for (auto _ : state) benchmark::DoNotOptimize(GiflibEncode(out));
}

void BM_LzwEncodeGif(benchmark::State& state) {
    for (auto _ : state) {
        auto out = panorel::imaging::LzwEncodeGif(Picture().data(), Picture().size());
        benchmark::DoNotOptimize(out.data());
    }
}

BENCHMARK(BM_Giflib)->Unit(benchmark::kMillisecond)->MinTime(0.3)->Repetitions(5);
BENCHMARK(BM_LzwEncodeGif)->Unit(benchmark::kMillisecond)->MinTime(0.3)->Repetitions(5);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Iteration || r.iterations == 0) continue;
            const double cpu = r.cpu_accumulated_time / static_cast<double>(r.iterations);
            double& best = r.benchmark_name().find("Giflib") != std::string::npos ? giflib_ : ours_;
            if (best == 0 || cpu < best) best = cpu;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double giflib_ = 0, ours_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    const auto lzw = panorel::imaging::LzwEncodeGif(Picture().data(), Picture().size());
    std::vector<std::uint8_t> decoded, theirs;
    if (!panorel::test::DecodeFirstImage(panorel::test::WrapGif(lzw, kW, kH, 8), decoded) || decoded != Picture()) {
        std::printf("giflib does not decode LzwEncodeGif's output to the picture: FAIL\n");
        return 1;
    }
    std::printf("round trip exact; sizes: ours %zu bytes, giflib's whole file %zu bytes\n", lzw.size(),
                GiflibEncode(theirs));

    std::vector<char*> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (reporter.giflib_ > 0 && reporter.ours_ > 0) {
        const double ratio = reporter.giflib_ / reporter.ours_;
        std::printf("LzwEncodeGif 1920x1080 8-bit, fastest CPU time: %.2f ms, giflib %.2f ms: ratio %.2f, goal 1: %s\n",
                    reporter.ours_ * 1e3, reporter.giflib_ * 1e3, ratio, ratio >= 1.0 ? "PASS" : "BELOW GOAL");
    }
    return 0;
}
