// The PNG reader's speed against zlib and libpng, measured in one run:
//  - our inflater against zlib's uncompress on every IDAT stream of the
//    PngSuite and on a 1920 x 1080 screenshot-like PNG;
//  - decoding that PNG (RGBA, 8 bits) with our reader against libpng.
// Prints the ratios (zlib or libpng time / ours; the goal is 1 or more).
#include <benchmark/benchmark.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "imaging/Inflate.h"
#include "imaging/WriterOracles.h"
#include "imaging/ZlibRuntime.h"
#include "imaging/cPNGparser.h"

namespace {

using namespace panorel::imaging;

struct Stream {
    std::vector<std::uint8_t> packed;
    std::size_t rawSize;
};

std::vector<std::uint8_t> IdatOf(const std::vector<std::uint8_t>& png) {
    std::vector<std::uint8_t> idat;
    for (std::size_t i = 8; i + 12 <= png.size();) {
        std::uint32_t len = ReadBe32(&png[i]);
        if (std::memcmp(&png[i + 4], "IDAT", 4) == 0) idat.insert(idat.end(), &png[i + 8], &png[i + 8 + len]);
        i += 12 + len;
    }
    return idat;
}

std::size_t InflatedSize(const std::vector<std::uint8_t>& packed) {
    std::vector<std::uint8_t> out(64 << 20);
    uLongf n = out.size();
    return uncompress(out.data(), &n, packed.data(), packed.size()) == Z_OK ? n : 0;
}

// A desktop-like picture: gradient, flat windows, text-like strokes, a photo
// area of noise and a translucent overlay.
std::vector<std::uint8_t> ScreenshotPng() {
    const int w = 1920, h = 1080;
    std::vector<std::uint8_t> rgba(std::size_t(w) * h * 4);
    std::mt19937 rng(5);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = &rgba[(std::size_t(y) * w + x) * 4];
            p[0] = static_cast<std::uint8_t>(30 + y / 8), p[1] = static_cast<std::uint8_t>(60 + x / 16), p[2] = 140, p[3] = 255;
            const bool window = x > 200 && x < 1500 && y > 100 && y < 900;
            if (window) p[0] = p[1] = p[2] = 240;
            if (window && y % 18 < 11 && x % 9 < 6 && (rng() & 3)) p[0] = p[1] = p[2] = static_cast<std::uint8_t>(rng() & 63);
            if (x > 1550 && x < 1900 && y > 150 && y < 600) p[0] = rng(), p[1] = rng(), p[2] = rng();
            if (y > 1040) p[3] = 200;
        }
    std::vector<std::uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, [](png_structp p, png_bytep d, png_size_t n) {
        auto* v = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(p));
        v->insert(v->end(), d, d + n);
    }, nullptr);
    png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < h; ++y) png_write_row(png, &rgba[std::size_t(y) * w * 4]);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

const std::vector<Stream>& SuiteStreams() {
    static std::vector<Stream> streams = [] {
        std::vector<Stream> s;
        for (const auto& e : std::filesystem::directory_iterator(PANOREL_TESTDATA "/pngsuite")) {
            if (e.path().extension() != ".png" || e.path().filename().string()[0] == 'x') continue;
            Stream st{IdatOf(panorel::test::ReadFile(e.path().string())), 0};
            st.rawSize = InflatedSize(st.packed);
            if (st.rawSize) s.push_back(std::move(st));
        }
        return s;
    }();
    return streams;
}

const std::vector<std::uint8_t>& Screenshot() {
    static std::vector<std::uint8_t> png = ScreenshotPng();
    return png;
}

const Stream& ScreenshotStream() {
    static Stream st = [] {
        Stream s{IdatOf(Screenshot()), 0};
        s.rawSize = InflatedSize(s.packed);
        return s;
    }();
    return st;
}

template <bool kOurs>
void InflateAll(benchmark::State& state, const std::vector<Stream>& streams) {
    std::vector<std::uint8_t> out(64 << 20);
    for (auto _ : state) {
        for (const auto& s : streams) {
            if (kOurs) {
                std::size_t n;
                InflateZlib(s.packed.data(), s.packed.size(), out.data(), s.rawSize, &n);
            } else {
                uLongf n = s.rawSize;
                uncompress(out.data(), &n, s.packed.data(), s.packed.size());
            }
        }
        benchmark::DoNotOptimize(out.data());
    }
}

void BM_InflateSuite_Ours(benchmark::State& s) { InflateAll<true>(s, SuiteStreams()); }
void BM_InflateSuite_Zlib(benchmark::State& s) { InflateAll<false>(s, SuiteStreams()); }
void BM_InflateScreenshot_Ours(benchmark::State& s) { InflateAll<true>(s, {ScreenshotStream()}); }
void BM_InflateScreenshot_Zlib(benchmark::State& s) { InflateAll<false>(s, {ScreenshotStream()}); }

void DecodeOurs(benchmark::State& state, bool zlib) {
    ParseOptions o;
    if (zlib) o.zlib = ZlibRuntime::Api();
    for (auto _ : state) {
        PixelImage img;
        std::string error;
        cPNGparser::LoadStream(Screenshot().data(), Screenshot().size(), o, img, error);
        benchmark::DoNotOptimize(img.bgra.data());
    }
}
void BM_DecodePng_Ours(benchmark::State& s) { DecodeOurs(s, false); }
void BM_DecodePng_OursWithZlib(benchmark::State& s) { DecodeOurs(s, true); }
void BM_DecodePng_Libpng(benchmark::State& state) {
    for (auto _ : state) {
        PixelImage img;
        panorel::test::LibpngDecode(Screenshot(), img);
        benchmark::DoNotOptimize(img.bgra.data());
    }
}

BENCHMARK(BM_InflateSuite_Zlib)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_InflateSuite_Ours)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_InflateScreenshot_Zlib)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_InflateScreenshot_Ours)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_DecodePng_Libpng)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_DecodePng_Ours)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_DecodePng_OursWithZlib)->Unit(benchmark::kMillisecond)->Repetitions(5);

// Keeps the fastest CPU time per iteration of each benchmark (wall time says
// more about the other users of a shared machine than about the code).
class FastestReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& r : runs) {
            if (r.run_type != Run::RT_Iteration || r.iterations == 0) continue;
            const double t = r.cpu_accumulated_time / static_cast<double>(r.iterations);
            std::string name = r.benchmark_name();
            name = name.substr(0, name.find('/'));
            auto it = fastest.find(name);
            if (it == fastest.end() || t < it->second) fastest[name] = t;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> fastest;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    FastestReporter r;
    benchmark::RunSpecifiedBenchmarks(&r);
    auto ratio = [&](const char* base, const char* ours, const char* what) {
        if (!r.fastest.count(base) || !r.fastest.count(ours)) return;
        const double q = r.fastest[base] / r.fastest[ours];
        std::printf("%s: %.3f ms CPU ours, %.3f ms baseline: ratio %.2f (goal 1.00 or more): %s\n", what,
                    r.fastest[ours] * 1e3, r.fastest[base] * 1e3, q, q >= 1.0 ? "PASS" : "BELOW GOAL");
    };
    std::printf("screenshot PNG: %zu bytes, %zu bytes of IDAT\n", Screenshot().size(), ScreenshotStream().packed.size());
    ratio("BM_InflateSuite_Zlib", "BM_InflateSuite_Ours", "inflate, PngSuite IDAT streams vs zlib uncompress");
    ratio("BM_InflateScreenshot_Zlib", "BM_InflateScreenshot_Ours", "inflate, 1920x1080 screenshot vs zlib uncompress");
    ratio("BM_DecodePng_Libpng", "BM_DecodePng_Ours", "PNG decode 1920x1080 RGBA, own inflater vs libpng");
    ratio("BM_DecodePng_Libpng", "BM_DecodePng_OursWithZlib", "PNG decode 1920x1080 RGBA, with zlib vs libpng");
    return 0;
}
