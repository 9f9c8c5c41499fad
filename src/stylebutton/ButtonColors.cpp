#include "stylebutton/ButtonColors.h"

#include <algorithm>

#include "host/Rounding.h"

namespace panorel::stylebutton {
namespace {

int ShiftChannel(int channel, float delta, bool lighten) {
    const float v = static_cast<float>(channel) + delta;
    const double r = RoundHalfEven(static_cast<double>(v));
    return lighten ? static_cast<int>(std::min(r, 255.0)) : static_cast<int>(std::max(r, 0.0));
}

int MixChannel(int a, int b) { return static_cast<int>(RoundHalfEven((a + b) / 2.0)); }

Colour RampEntry(Colour from, Colour to, long i, long n) {
    if (n == 1) return Rgb(Red(from) / 2 + Red(to) / 2, Green(from) / 2 + Green(to) / 2, Blue(from) / 2 + Blue(to) / 2);
    auto ch = [&](int a, int b) { return static_cast<int>(a + (static_cast<long>(b) - a) * i / (n - 1)); };
    return Rgb(ch(Red(from), Red(to)), ch(Green(from), Green(to)), ch(Blue(from), Blue(to)));
}

}  // namespace

Colour ShiftColor(Colour colour, float amount) {
    const float delta = amount * 255.0f;
    const bool lighten = amount > 0;
    return Rgb(ShiftChannel(Red(colour), delta, lighten), ShiftChannel(Green(colour), delta, lighten),
               ShiftChannel(Blue(colour), delta, lighten));
}

Colour MixColors(Colour a, Colour b) {
    return Rgb(MixChannel(Red(a), Red(b)), MixChannel(Green(a), Green(b)), MixChannel(Blue(a), Blue(b)));
}

std::vector<Colour> GradientRamp(int width, int height, Colour from, Colour to, int direction) {
    if (width < 1 || height < 1) return {};
    long n = direction == 0 ? width : direction == 1 ? height : static_cast<long>(width) + height - 1;
    std::vector<Colour> ramp(static_cast<std::size_t>(n));
    for (long i = 0; i < n; ++i) ramp[static_cast<std::size_t>(i)] = RampEntry(from, to, i, n);
    return ramp;
}

std::vector<std::uint32_t> GradientPixels(int width, int height, Colour from, Colour to, int direction) {
    const std::vector<Colour> ramp = GradientRamp(width, height, from, to, direction);
    if (ramp.empty()) return {};
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        std::uint32_t* row = pixels.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            std::size_t i;
            switch (direction) {
                case 0: i = static_cast<std::size_t>(x); break;
                case 1: i = static_cast<std::size_t>(y); break;
                case 2: i = static_cast<std::size_t>(x) + y; break;
                default: i = static_cast<std::size_t>(x) + (height - 1 - y); break;
            }
            const Colour c = ramp[std::min(i, ramp.size() - 1)];
            row[x] = (static_cast<std::uint32_t>(Red(c)) << 16) | (static_cast<std::uint32_t>(Green(c)) << 8) |
                     static_cast<std::uint32_t>(Blue(c));
        }
    }
    return pixels;
}

}  // namespace panorel::stylebutton
