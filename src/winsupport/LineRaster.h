#pragma once
// Anti-aliased lines, ellipses and elliptic arcs as sequences of weighted
// pixels. One implementation serves both forms of LineGS, the device-context
// form and the pixel-array form: only what a "plot" does with (x, y, weight)
// differs. A weight above kSolidWeight means "set to the colour", anything
// else "mix with what is there".
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace panorel {

constexpr int kSolidWeight = 252;
// Weight of a pixel on the line itself: always set to the colour.
constexpr int kFullWeight = 255;
// Ellipse and arc sampling stops after this many points: a radius in the
// millions would otherwise keep a window's thread busy for minutes.
constexpr long kMaxEllipseSamples = 1L << 22;

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
};

// Components of a 0x00BBGGRR value.
constexpr Rgb RgbOf(std::uint32_t colorRef) {
    return Rgb{static_cast<int>(colorRef & 0xFFu), static_cast<int>((colorRef >> 8) & 0xFFu),
               static_cast<int>((colorRef >> 16) & 0xFFu)};
}

// One channel mixed with weight a (0..255). The divisor is 256, not 255, so
// even a = 252 leaves the pixel slightly darker than a pure mix.
constexpr int BlendChannel(int colour, int old, int weight) { return (colour * weight + old * (255 - weight)) / 256; }

// Mix of a 0x00BBGGRR pixel with the colour (weight 0..252).
std::uint32_t BlendColorRef(std::uint32_t old, Rgb colour, int weight);
// The same on a pixel-array element (blue in byte 0, green 1, red 2); the
// fourth byte is kept. Weights above kSolidWeight write the colour.
std::uint32_t BlendArrayElement(std::uint32_t old, Rgb colour, int weight);

// Coordinates of a line must fit 16 bits, as the drawing calls take them.
constexpr bool LineCoordinatesFit(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
    auto fits = [](std::int32_t v) { return v >= -32768 && v <= 32767; };
    return fits(x1) && fits(y1) && fits(x2) && fits(y2);
}
// A line whose ends are one point draws nothing (not even its caps).
constexpr bool LineIsPoint(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
    return x1 == x2 && y1 == y2;
}

// Bresenham path with soft caps one step beyond both ends: every path pixel
// gets kFullWeight and its two neighbours across the line share the rest.
// plot(x, y, weight) is called in drawing order. Returns false (and plots
// nothing) for a point or coordinates outside 16 bits.
template <class Plot>
bool RasterLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2, Plot&& plot) {
    if (!LineCoordinatesFit(x1, y1, x2, y2) || LineIsPoint(x1, y1, x2, y2)) return false;
    const std::int32_t dx = x2 - x1, dy = y2 - y1;
    const std::int32_t sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
    const std::int32_t ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
    std::int32_t x = x1, y = y1;
    if (ax <= ay) {
        const int e = ax * 85 / ay;
        plot(x1 - sx, y1 - sy, e);
        plot(x1, y1 - sy, 127);
        plot(x2 + sx, y2 + sy, e);
        plot(x2, y2 + sy, 127);
        std::int32_t error = ay / 2;
        for (std::int32_t i = 0; i <= ay; ++i) {
            plot(x, y, kFullWeight);
            const int w = error * 255 / ay;
            plot(x - sx, y, 255 - w);
            plot(x + sx, y, w);
            error += ax;
            if (error >= ay) {
                error -= ay;
                x += sx;
            }
            y += sy;
        }
    } else {
        const int e = ay * 85 / ax;
        plot(x1 - sx, y1 - sy, e);
        plot(x1 - sx, y1, 127);
        plot(x2 + sx, y2 + sy, e);
        plot(x2 + sx, y2, 127);
        std::int32_t error = ax / 2;
        for (std::int32_t i = 0; i <= ax; ++i) {
            plot(x, y, kFullWeight);
            const int w = error * 255 / ax;
            plot(x, y - sy, 255 - w);
            plot(x, y + sy, w);
            error += ay;
            if (error >= ax) {
                error -= ax;
                y += sy;
            }
            x += sx;
        }
    }
    return true;
}

// Angular step between ellipse samples: a finer one for thickness 1.
float EllipseStep(std::int32_t radiusX, std::int32_t radiusY, std::int32_t thickness);

// Spreads one sample point over the 2 x 2 pixels around it, weights rounded
// to a byte; plot(x, y, weight). Points far outside 32 bits are dropped.
template <class Plot>
void SplatPoint(float pointX, float pointY, Plot&& plot) {
    const float fx = pointX - 0.5f, fy = pointY - 0.5f;
    if (!(std::fabs(fx) < 2.0e9f) || !(std::fabs(fy) < 2.0e9f)) return;
    auto roundEven = [](float v) { return static_cast<std::int32_t>(std::nearbyint(v)); };
    const std::int32_t ix = roundEven(fx), iy = roundEven(fy), iy2 = roundEven(fy + 1.0f);
    const float c0 = (static_cast<float>(ix) + 0.5f - fx) * 255.0f;
    const float c1 = 255.0f - c0;
    const float r0 = static_cast<float>(iy) + 0.5f - fy;
    const float r1 = fy + 1.0f - static_cast<float>(iy2) + 0.5f;
    auto toByte = [](float v) {
        const float r = std::nearbyint(v);
        return r <= 0.0f ? 0 : (r >= 255.0f ? 255 : static_cast<int>(r));
    };
    plot(ix, iy, toByte(c0 * r0));
    plot(ix + 1, iy, toByte(c1 * r0));
    plot(ix, iy2, toByte(r1 * c0));
    plot(ix + 1, iy2, toByte(r1 * c1));
}

// Offset of a sample from the centre; a whole number is nudged by 0.001 so
// that the splat never falls exactly on a pixel boundary.
float NudgedOffset(double radius, double trig);

// Quarter of the ellipse, mirrored into all four quadrants:
// point(x, y) gets (cx + px, cy - py), (cx + px, cy + py), (cx - px, cy + py),
// (cx - px, cy - py) for each sample. Returns the number of samples.
template <class Point>
long SampleEllipse(std::int32_t cx, std::int32_t cy, std::int32_t radiusX, std::int32_t radiusY,
                   std::int32_t thickness, Point&& point) {
    const float step = EllipseStep(radiusX, radiusY, thickness);
    const float stop = 1.570796f;
    const float fcx = static_cast<float>(cx), fcy = static_cast<float>(cy);
    long samples = 0;
    for (float t = 0.0f; t <= stop && samples < kMaxEllipseSamples; ++samples) {
        const float px = NudgedOffset(radiusX, std::cos(static_cast<double>(t)));
        const float py = NudgedOffset(radiusY, std::sin(static_cast<double>(t)));
        point(fcx + px, fcy - py);
        point(fcx + px, fcy + py);
        point(fcx - px, fcy + py);
        point(fcx - px, fcy - py);
        const float next = t + step;
        if (!(next > t)) break;  // the step vanished in single precision
        t = next;
    }
    return samples;
}

// Elliptic arc from startAngle to stopAngle in degrees, 0 straight up and
// growing clockwise; a start beyond the stop wraps through 360. Returns the
// number of samples.
template <class Point>
long SampleArc(std::int32_t cx, std::int32_t cy, std::int32_t radiusX, std::int32_t radiusY, float startAngle,
               float stopAngle, std::int32_t thickness, Point&& point) {
    const float step = EllipseStep(radiusX, radiusY, thickness);
    if (startAngle > stopAngle) stopAngle += 360.0f;
    const float start = startAngle * 0.017453289f, stop = stopAngle * 0.017453289f;
    const float fcx = static_cast<float>(cx), fcy = static_cast<float>(cy);
    long samples = 0;
    for (float t = start; t <= stop && samples < kMaxEllipseSamples; ++samples) {
        const double a = static_cast<double>(t - 1.570796f);
        point(fcx + NudgedOffset(radiusX, std::cos(a)), fcy + NudgedOffset(radiusY, std::sin(a)));
        const float next = t + step;
        if (!(next > t)) break;
        t = next;
    }
    return samples;
}

// A 32-bit pixel array of width x height, row 0 on top, x varying fastest.
class PixelArray {
public:
    // Sizes beyond this many pixels are refused (256 MB of pixels).
    static constexpr std::int64_t kMaxPixels = std::int64_t{1} << 26;

    // Makes an array of that size filled with zero; false (and an empty
    // array) for a size that is not positive or too large.
    bool Reset(std::int32_t width, std::int32_t height);
    void Clear() noexcept;

    std::int32_t Width() const noexcept { return width_; }
    std::int32_t Height() const noexcept { return height_; }
    bool Contains(std::int32_t x, std::int32_t y) const noexcept {
        return x >= 0 && y >= 0 && x < width_ && y < height_;
    }
    // Element (x, y); 0 outside the array.
    std::uint32_t At(std::int32_t x, std::int32_t y) const noexcept;
    // Writes are skipped outside the array.
    void Put(std::int32_t x, std::int32_t y, std::uint32_t value) noexcept;
    void Blend(std::int32_t x, std::int32_t y, Rgb colour, int weight) noexcept;

    std::uint32_t* Data() noexcept { return pixels_.data(); }
    const std::uint32_t* Data() const noexcept { return pixels_.data(); }

private:
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::vector<std::uint32_t> pixels_;
};

// The text shown when an array operation is called before the array exists.
std::wstring DibNotReadyMessage(std::wstring_view operation);

}  // namespace panorel
