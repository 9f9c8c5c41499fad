#include "winsupport/LineRaster.h"

namespace panorel {

std::uint32_t BlendColorRef(std::uint32_t old, Rgb colour, int weight) {
    const Rgb o = RgbOf(old);
    const auto r = static_cast<std::uint32_t>(BlendChannel(colour.red, o.red, weight));
    const auto g = static_cast<std::uint32_t>(BlendChannel(colour.green, o.green, weight));
    const auto b = static_cast<std::uint32_t>(BlendChannel(colour.blue, o.blue, weight));
    return (r & 0xFFu) | ((g & 0xFFu) << 8) | ((b & 0xFFu) << 16);
}

std::uint32_t BlendArrayElement(std::uint32_t old, Rgb colour, int weight) {
    std::uint32_t b = static_cast<std::uint32_t>(colour.blue), g = static_cast<std::uint32_t>(colour.green),
                  r = static_cast<std::uint32_t>(colour.red);
    if (weight <= kSolidWeight) {
        b = static_cast<std::uint32_t>(BlendChannel(colour.blue, static_cast<int>(old & 0xFFu), weight));
        g = static_cast<std::uint32_t>(BlendChannel(colour.green, static_cast<int>((old >> 8) & 0xFFu), weight));
        r = static_cast<std::uint32_t>(BlendChannel(colour.red, static_cast<int>((old >> 16) & 0xFFu), weight));
    }
    return (old & 0xFF000000u) | (b & 0xFFu) | ((g & 0xFFu) << 8) | ((r & 0xFFu) << 16);
}

float EllipseStep(std::int32_t radiusX, std::int32_t radiusY, std::int32_t thickness) {
    const float base = thickness == 1 ? 0.5340707f : 1.0681413f;
    const std::int32_t m = radiusX > radiusY ? radiusX : radiusY;
    if (m == 0) return base;
    const float step = base / static_cast<float>(m);
    return step < 0.0f ? -step : step;
}

float NudgedOffset(double radius, double trig) {
    float v = static_cast<float>(radius * trig);
    if (v == std::floor(v)) v += 0.001f;
    return v;
}

bool PixelArray::Reset(std::int32_t width, std::int32_t height) {
    Clear();
    if (width <= 0 || height <= 0) return false;
    const std::int64_t count = std::int64_t{width} * height;
    if (count > kMaxPixels) return false;
    pixels_.assign(static_cast<std::size_t>(count), 0u);
    width_ = width;
    height_ = height;
    return true;
}

void PixelArray::Clear() noexcept {
    pixels_.clear();
    pixels_.shrink_to_fit();
    width_ = 0;
    height_ = 0;
}

std::uint32_t PixelArray::At(std::int32_t x, std::int32_t y) const noexcept {
    return Contains(x, y) ? pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                                    static_cast<std::size_t>(x)]
                          : 0u;
}

void PixelArray::Put(std::int32_t x, std::int32_t y, std::uint32_t value) noexcept {
    if (Contains(x, y))
        pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)] = value;
}

void PixelArray::Blend(std::int32_t x, std::int32_t y, Rgb colour, int weight) noexcept {
    if (!Contains(x, y)) return;
    std::uint32_t& p =
        pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)];
    p = BlendArrayElement(p, colour, weight);
}

std::wstring DibNotReadyMessage(std::wstring_view operation) {
    std::wstring text = L"You must create a DIB array\r\nbefore calling ";
    text.append(operation);
    text += L'.';
    return text;
}

}  // namespace panorel
