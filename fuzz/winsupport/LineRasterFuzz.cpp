// Hostile coordinates, radii, angles and sizes for the rasteriser and the
// panel geometry: nothing may overflow, write outside an array or hang.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>

#include "switcher/PanelLayout.h"
#include "winsupport/LineRaster.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace panorel;
    FuzzedDataProvider in(data, size);
    const auto i16 = [&] { return std::int32_t{in.ConsumeIntegral<std::int16_t>()}; };
    const auto i32 = [&] { return in.ConsumeIntegral<std::int32_t>(); };
    const auto raw = [&] {  // any bit pattern, NaN and infinities too
        float v = 0.0f;
        in.ConsumeData(&v, sizeof v);
        return v;
    };
    PixelArray a;
    a.Reset(in.ConsumeIntegralInRange(1, 64), in.ConsumeIntegralInRange(1, 64));
    const Rgb colour = RgbOf(in.ConsumeIntegral<std::uint32_t>());
    auto plot = [&](std::int32_t x, std::int32_t y, int w) {
        if (w < 0 || w > 255) __builtin_trap();
        a.Blend(x, y, colour, w);
    };
    // Lines: any 32-bit ends, mostly small so that they land in the array.
    const std::int32_t x1 = i16() % 200, y1 = i16() % 200;
    RasterLine(x1, y1, i32() % 300, i32() % 300, plot);
    RasterLine(i32(), i32(), x1, y1, plot);
    // Ellipses and arcs with radii up to a few thousand and odd angles.
    const std::int32_t cx = i16(), cy = i16(), rx = i16() % 4096, ry = i16() % 4096;
    const std::int32_t thickness = in.ConsumeIntegral<std::int8_t>();
    auto splat = [&](float x, float y) { SplatPoint(x, y, plot); };
    SampleEllipse(cx, cy, rx, ry, thickness, splat);
    float start = raw(), stop = raw();
    if (!(start > -1.0e4f && start < 1.0e4f)) start = 0.0f;
    if (!(stop > -1.0e4f && stop < 1.0e4f)) stop = start + 1.0f;
    SampleArc(cx, cy, rx, ry, start, stop, thickness, splat);
    SplatPoint(raw(), raw(), plot);
    // Geometry of arbitrary sizes.
    const std::int32_t fw = i32(), fh = i32();
    if (auto l = ComputePanelLayout(fw, fh, PreviewExtent(fw), PreviewExtent(fh))) TabPosition(l->Tile(4), i32());
    PreviewFrame(in.ConsumeIntegral<std::int8_t>(), 1, i32(), fw, fh);
    TabImageLayout(i32(), i32(), true);
    return 0;
}
