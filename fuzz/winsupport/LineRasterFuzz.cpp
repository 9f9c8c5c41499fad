// Hostile coordinates, radii, angles and sizes for the rasteriser and the
// panel geometry: nothing may overflow, write outside an array or hang.
#include <cstdint>
#include <cstring>

#include "switcher/PanelLayout.h"
#include "winsupport/LineRaster.h"

namespace {

template <class T>
T Take(const std::uint8_t*& data, std::size_t& size) {
    T v{};
    if (size >= sizeof(T)) {
        std::memcpy(&v, data, sizeof(T));
        data += sizeof(T);
        size -= sizeof(T);
    }
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace panorel;
    PixelArray a;
    a.Reset(1 + (Take<std::uint8_t>(data, size) & 63), 1 + (Take<std::uint8_t>(data, size) & 63));
    const Rgb colour = RgbOf(Take<std::uint32_t>(data, size));
    auto plot = [&](std::int32_t x, std::int32_t y, int w) {
        if (w < 0 || w > 255) __builtin_trap();
        a.Blend(x, y, colour, w);
    };
    // Lines: any 32-bit ends, mostly small so that they land in the array.
    const std::int32_t x1 = Take<std::int16_t>(data, size) % 200, y1 = Take<std::int16_t>(data, size) % 200;
    RasterLine(x1, y1, Take<std::int32_t>(data, size) % 300, Take<std::int32_t>(data, size) % 300, plot);
    RasterLine(Take<std::int32_t>(data, size), Take<std::int32_t>(data, size), x1, y1, plot);
    // Ellipses and arcs with radii up to a few thousand and odd angles.
    const std::int32_t cx = Take<std::int16_t>(data, size), cy = Take<std::int16_t>(data, size);
    const std::int32_t rx = Take<std::int16_t>(data, size) % 4096, ry = Take<std::int16_t>(data, size) % 4096;
    const std::int32_t thickness = Take<std::int8_t>(data, size);
    auto splat = [&](float x, float y) { SplatPoint(x, y, plot); };
    SampleEllipse(cx, cy, rx, ry, thickness, splat);
    float start = Take<float>(data, size), stop = Take<float>(data, size);
    if (!(start > -1.0e4f && start < 1.0e4f)) start = 0.0f;
    if (!(stop > -1.0e4f && stop < 1.0e4f)) stop = start + 1.0f;
    SampleArc(cx, cy, rx, ry, start, stop, thickness, splat);
    SplatPoint(Take<float>(data, size), Take<float>(data, size), plot);
    // Geometry of arbitrary sizes.
    const std::int32_t fw = Take<std::int32_t>(data, size), fh = Take<std::int32_t>(data, size);
    if (auto l = ComputePanelLayout(fw, fh, PreviewExtent(fw), PreviewExtent(fh)))
        TabPosition(l->Tile(4), Take<std::int32_t>(data, size));
    PreviewFrame(Take<std::int8_t>(data, size), 1, Take<std::int32_t>(data, size), fw, fh);
    TabImageLayout(Take<std::int32_t>(data, size), Take<std::int32_t>(data, size), true);
    return 0;
}
