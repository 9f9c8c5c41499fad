#pragma once
// Where the balloon tooltip's parts lie for a text of a given size, in window
// pixels: a rounded body under a tail whose tip touches the window's top edge.
// Its sizes are designed in pixels at 96 dpi and grow with the screen's whole
// twips per pixel; its height is a fixed 750 twips. No window needed, so the
// arithmetic is checked natively.
#include <array>
#include <cstdint>

namespace panorel {

struct TipPoint {
    std::int32_t x, y;
};
struct TipRect {
    std::int32_t left, top, right, bottom;
};

// Designed at 96 dpi (15 twips per pixel).
constexpr std::int32_t kTipTailHeight = 8;
constexpr std::int32_t kTipTailLeft = 26;
constexpr std::int32_t kTipMargin = 8;
constexpr std::int32_t kTipCorner = 6;
constexpr std::int32_t kTipExtraWidth = 10;  // beyond the body, outside the region
constexpr std::int32_t kTipDesignTwipsPerPixel = 15;
constexpr std::int32_t kTipHeightTwips = 750;

struct FakeToolTipGeometry {
    std::array<TipPoint, 3> tail;
    TipRect body;          // rounded with corner x corner ellipses
    std::int32_t corner;
    TipRect text;
    std::int32_t windowWidth, windowHeight;
};

// The parts for a text measured as textWidth x textHeight screen pixels.
FakeToolTipGeometry TipGeometry(std::int32_t textWidth, std::int32_t textHeight,
                                std::int32_t twipsPerPixel = kTipDesignTwipsPerPixel);

// The window's left edge when the tail's tip is to be at screen x.
std::int32_t TipLeftFor(std::int32_t x, std::int32_t twipsPerPixel = kTipDesignTwipsPerPixel);

}  // namespace panorel
