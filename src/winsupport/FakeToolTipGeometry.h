#pragma once
// Where the balloon tooltip's parts lie for a text of a given size, in window
// pixels: a rounded body under a tail whose tip touches the window's top edge.
// No window needed, so the arithmetic is checked natively.
#include <array>
#include <cstdint>

namespace panorel {

struct TipPoint {
    std::int32_t x, y;
};
struct TipRect {
    std::int32_t left, top, right, bottom;
};

constexpr std::int32_t kTipTailHeight = 8;
constexpr std::int32_t kTipTailLeft = 26;
constexpr std::int32_t kTipMargin = 8;
constexpr std::int32_t kTipHeightPixels = 50;  // 750 twips at 15 twips per pixel
// Where the tail's tip lies from the window's left edge: 26 + 8 / 2.
constexpr std::int32_t kTipApexX = kTipTailLeft + kTipTailHeight / 2;

struct FakeToolTipGeometry {
    std::array<TipPoint, 3> tail;
    TipRect body;  // rounded with 6 x 6 corner ellipses
    TipRect text;
    std::int32_t windowWidth;
};

constexpr FakeToolTipGeometry TipGeometry(std::int32_t textWidth, std::int32_t textHeight) {
    FakeToolTipGeometry g{};
    g.tail = {TipPoint{kTipTailLeft, kTipTailHeight}, TipPoint{kTipTailLeft + kTipTailHeight, kTipTailHeight},
              TipPoint{kTipApexX, 0}};
    g.body = {0, kTipTailHeight, 2 * kTipMargin + textWidth, 2 * kTipMargin + textHeight + kTipTailHeight};
    g.text = {kTipMargin, 2 * kTipMargin, textWidth + kTipMargin, textHeight + 2 * kTipMargin};
    // Ten pixels wider than the body: the rest lies outside the region.
    g.windowWidth = 2 * kTipMargin + textWidth + 10;
    return g;
}

// The window's left edge when the tail's tip is to be at screen x.
constexpr std::int32_t TipLeftFor(std::int32_t x) { return x - kTipApexX; }

}  // namespace panorel
