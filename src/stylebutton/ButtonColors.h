#pragma once
// Colour arithmetic of the styled button: lighten/darken, mix, and the
// gradient ramps every style paints with. Colours are 0x00BBGGRR.
#include <cstdint>
#include <vector>

namespace panorel::stylebutton {

using Colour = std::uint32_t;

constexpr Colour Rgb(int r, int g, int b) {
    return static_cast<Colour>(r & 0xFF) | (static_cast<Colour>(g & 0xFF) << 8) | (static_cast<Colour>(b & 0xFF) << 16);
}
constexpr int Red(Colour c) { return static_cast<int>(c & 0xFF); }
constexpr int Green(Colour c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int Blue(Colour c) { return static_cast<int>((c >> 16) & 0xFF); }

// Each channel plus amount * 255 (single precision, as the amounts are
// singles), rounded halves to even; clamped at 0 when darkening and at 255
// when lightening.
Colour ShiftColor(Colour colour, float amount);
// The per-channel average, halves to even.
Colour MixColors(Colour a, Colour b);

// The colour ramp of a gradient of `width` x `height` in `direction`
// (0 left to right, 1 top to bottom, 2 top-left to bottom-right, 3
// bottom-left to top-right); empty when either side is below 1.
std::vector<Colour> GradientRamp(int width, int height, Colour from, Colour to, int direction);
// The gradient's pixels, top row first, as 0x00RRGGBB device words.
std::vector<std::uint32_t> GradientPixels(int width, int height, Colour from, Colour to, int direction);

}  // namespace panorel::stylebutton
