// The image writers against the established libraries on the same 1920 x 1080
// photograph (a source from tests/data tiled with mirroring), side by
// side in one run: JPEG at quality 90 against libjpeg-turbo (goal: at most 2x
// its time), PNG at level 9 against libpng at level 9 (goal: at most 1.2x and
// no larger file), GIF against giflib's quantiser and encoder. Prints ratios.
#include <benchmark/benchmark.h>
#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "imaging/GifWriter.h"
#include "imaging/WriterOracles.h"
#include "imaging/cJPGWriter.h"
#include "imaging/cPNGwriter.h"

namespace {

using panorel::imaging::PixelImage;
constexpr int kW = 1920, kH = 1080;

const PixelImage& Picture() {
    static const PixelImage p = [] {
        PixelImage src, out;
        panorel::test::LoadPngPicture(PANOREL_TESTDATA "/jpeg-sources/coffee.png", src);
        out.width = kW;
        out.height = kH;
        out.bgra.resize(static_cast<std::size_t>(kW) * kH * 4);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                const int tx = x / src.width, ty = y / src.height;
                const int sx = tx % 2 ? src.width - 1 - x % src.width : x % src.width;
                const int sy = ty % 2 ? src.height - 1 - y % src.height : y % src.height;
                std::memcpy(&out.bgra[(static_cast<std::size_t>(y) * kW + x) * 4],
                            &src.bgra[(static_cast<std::size_t>(sy) * src.width + sx) * 4], 4);
            }
        return out;
    }();
    return p;
}
const std::vector<std::uint8_t>& Rgb() {
    static const std::vector<std::uint8_t> rgb = panorel::test::RgbOf(Picture());
    return rgb;
}

std::size_t LibjpegEncode() {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = kW;
    c.image_height = kH;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(&Rgb()[static_cast<std::size_t>(c.next_scanline) * kW * 3]);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::free(buffer);
    return size;
}

void PngWrite(png_structp png, png_bytep data, png_size_t n) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}

std::size_t LibpngEncode() {
    std::vector<std::uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, PngWrite, nullptr);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, kW, kH, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < kH; ++y) png_write_row(png, &Rgb()[static_cast<std::size_t>(y) * kW * 3]);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out.size();
}

int GifWrite(GifFileType* gif, const GifByteType* data, int n) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + n);
    return n;
}

std::vector<std::uint8_t> lastGiflib;

std::size_t GiflibEncode() {
    const std::size_t n = static_cast<std::size_t>(kW) * kH;
    std::vector<GifByteType> r(n), g(n), b(n), indices(n);
    for (std::size_t i = 0; i < n; ++i) r[i] = Rgb()[i * 3], g[i] = Rgb()[i * 3 + 1], b[i] = Rgb()[i * 3 + 2];
    int colours = 256;
    GifColorType map[256];
    GifQuantizeBuffer(kW, kH, &colours, r.data(), g.data(), b.data(), indices.data(), map);
    std::vector<std::uint8_t> out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, GifWrite, &error);
    ColorMapObject* cmap = GifMakeMapObject(256, map);
    EGifPutScreenDesc(gif, kW, kH, 8, 0, cmap);
    EGifPutImageDesc(gif, 0, 0, kW, kH, false, nullptr);
    for (int y = 0; y < kH; ++y) EGifPutLine(gif, &indices[static_cast<std::size_t>(y) * kW], kW);
    EGifCloseFile(gif, &error);
    GifFreeMapObject(cmap);
    lastGiflib = out;
    return out.size();
}

// PSNR of a GIF in memory against the picture, decoded by giflib.
double GifPsnr(const std::vector<std::uint8_t>& bytes) {
    panorel::test::MemoryReader reader{bytes.data(), bytes.size()};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, panorel::test::ReadMemory, &error);
    if (!gif) return 0;
    std::vector<std::uint8_t> rgb;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0 && gif->SColorMap) {
        const SavedImage& im = gif->SavedImages[0];
        for (int i = 0; i < im.ImageDesc.Width * im.ImageDesc.Height; ++i) {
            const GifColorType& c = gif->SColorMap->Colors[im.RasterBits[i]];
            rgb.insert(rgb.end(), {c.Red, c.Green, c.Blue});
        }
    }
    DGifCloseFile(gif, &error);
    return panorel::test::Psnr(Rgb(), rgb);
}

std::size_t OursJpeg() {
    std::vector<std::uint8_t> out;
    panorel::imaging::cJPGWriter().Write(Picture(), out);
    return out.size();
}
std::size_t OursPng() {
    std::vector<std::uint8_t> out;
    panorel::imaging::cPNGwriter(panorel::test::SystemZlib()).Write(Picture(), out);
    return out.size();
}
std::size_t OursGif() {
    std::vector<std::uint8_t> out;
    panorel::imaging::SaveAsGIF(Picture(), out, true);
    return out.size();
}

template <std::size_t (*Encode)()>
void BM_Encode(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(Encode());
}
BENCHMARK_TEMPLATE(BM_Encode, LibjpegEncode)->Name("jpeg/libjpeg-turbo")->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK_TEMPLATE(BM_Encode, OursJpeg)->Name("jpeg/ours")->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK_TEMPLATE(BM_Encode, LibpngEncode)->Name("png/libpng")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_TEMPLATE(BM_Encode, OursPng)->Name("png/ours")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_TEMPLATE(BM_Encode, GiflibEncode)->Name("gif/giflib")->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_TEMPLATE(BM_Encode, OursGif)->Name("gif/ours")->Unit(benchmark::kMillisecond)->Iterations(5);

// Keeps each benchmark's CPU time per iteration.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && r.iterations > 0)
                cpu[r.run_name.function_name] = r.cpu_accumulated_time / static_cast<double>(r.iterations);
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> cpu;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    auto ratio = [&](const char* ours, const char* theirs) {
        const double a = reporter.cpu[ours], b = reporter.cpu[theirs];
        return b > 0 ? a / b : 0.0;
    };
    const double jpeg = ratio("jpeg/ours", "jpeg/libjpeg-turbo"), png = ratio("png/ours", "png/libpng"),
                 gif = ratio("gif/ours", "gif/giflib");
    std::printf("JPEG q90 1920x1080: ours / libjpeg-turbo time %.2f (goal <= 2): %s; sizes %zu / %zu\n", jpeg,
                jpeg <= 2 ? "PASS" : "ABOVE GOAL", OursJpeg(), LibjpegEncode());
    const std::size_t ourPng = OursPng(), theirPng = LibpngEncode();
    std::printf("PNG level 9: ours / libpng time %.2f (goal <= 1.2): %s; sizes %zu / %zu: %s\n", png,
                png <= 1.2 ? "PASS" : "ABOVE GOAL", ourPng, theirPng, ourPng <= theirPng ? "no larger" : "LARGER");
    std::vector<std::uint8_t> ourGif;
    panorel::imaging::SaveAsGIF(Picture(), ourGif, true);
    GiflibEncode();
    std::printf("GIF adaptive: ours / giflib quantiser+encoder time %.2f; sizes %zu / %zu; PSNR %.2f / %.2f dB\n",
                gif, ourGif.size(), lastGiflib.size(), GifPsnr(ourGif), GifPsnr(lastGiflib));
    return 0;
}
