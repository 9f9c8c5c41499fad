#pragma once
// Panel geometry in pixels: screen size from twips, tile size, tile places,
// the tabs and the button bar, and the outlines of tiles and tabs as data the
// window side only has to draw.
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "host/ScreenUnits.h"  // the screen's pixel size the layout starts from

namespace panorel {

// Sizes as designed, in pixels at 96 dots per inch (15 twips per pixel).
constexpr int kGutter = 70;
constexpr std::int32_t kButtonBarWidth = 449;
constexpr std::int32_t kButtonBarHeight = 57;
// Colours as 0x00BBGGRR values.
constexpr std::uint32_t kOwnFrameColor = 0x0000FF;
constexpr std::uint32_t kOtherFrameColor = 0x808080;
// Margin around a tab's text on every side.
constexpr std::int32_t kTabMargin = 6;

// The panel's design-time sizes on one screen. The display's scaling grows the
// text of the tabs and buttons; the bar, its buttons and the gutters grow with
// it, so that the bar still fits below the tiles and no caption is cut.
struct PanelDesign {
    std::int32_t gutter = kGutter;
    std::int32_t barWidth = kButtonBarWidth, barHeight = kButtonBarHeight;
    std::int32_t buttonWidth = 201, buttonHeight = 41;
    std::int32_t startLeft = 16, helpLeft = 232, buttonTop = 8;  // in the bar
    std::int32_t tabWidth = 86, tabHeight = 25;                   // tab 1's first size
    std::int32_t highlightInset = 4, highlightWidth = 3;          // the keyboard's highlight in a tile
};
PanelDesign PanelDesignFor(std::int32_t twipsPerPixelX, std::int32_t twipsPerPixelY);

// One preview tile's width (or height) for a screen width (or height):
// (size - 3 gutters) / 2 rounded, halves to even.
std::int32_t PreviewExtent(std::int32_t screenExtent, std::int32_t gutter = kGutter);

struct PanelPoint {
    std::int32_t left = 0;
    std::int32_t top = 0;
    bool operator==(const PanelPoint& o) const { return left == o.left && top == o.top; }
};
struct PanelRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const PanelRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};
struct PanelLine {
    std::int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    bool operator==(const PanelLine& o) const { return x1 == o.x1 && y1 == o.y1 && x2 == o.x2 && y2 == o.y2; }
};

// Where the layout puts the tiles, for a panel of FW x FH and tiles of PW x PH
// (the button bar's place depends on the bar's own size: ButtonBarPosition).
struct PanelLayout {
    std::int32_t previewWidth = 0;
    std::int32_t previewHeight = 0;
    std::array<PanelPoint, 4> tiles;  // tiles[j - 1] is tile j
    PanelPoint Tile(int j) const { return tiles[static_cast<std::size_t>(j - 1)]; }
};

// The layout of the resize handler; empty when any size is 0 or negative, so
// that nothing is resized or divided by such a size.
std::optional<PanelLayout> ComputePanelLayout(std::int32_t formWidth, std::int32_t formHeight,
                                              std::int32_t previewWidth, std::int32_t previewHeight,
                                              std::int32_t gutter = kGutter);
// Tile j's left and top (j 1..4; others give tile 1's place).
PanelPoint TilePosition(int j, std::int32_t formWidth, std::int32_t formHeight, std::int32_t previewWidth,
                        std::int32_t previewHeight, std::int32_t gutter = kGutter);
// A tab sits on its tile: same left, its bottom on the tile's top edge.
PanelPoint TabPosition(PanelPoint tile, std::int32_t tabHeight);
// The button bar, centred at the bottom (a half pixel rounds to even).
PanelPoint ButtonBarPosition(std::int32_t formWidth, std::int32_t formHeight,
                             std::int32_t barWidth = kButtonBarWidth, std::int32_t barHeight = kButtonBarHeight);

// A white fill and then lines in one colour, in drawing order.
struct OutlineDrawing {
    PanelRect whiteFill;
    std::vector<PanelLine> lines;
    std::uint32_t color = 0;
};

std::uint32_t FrameColor(int j, int ownDesktop);
// Tile j's frame: the white opening under the tab (1, 0)-(tabW - 1, 2), then
// the left, right, top and bottom edges. Empty for j outside 1..4.
std::optional<OutlineDrawing> PreviewFrame(int j, int ownDesktop, std::int32_t tabWidth, std::int32_t previewWidth,
                                           std::int32_t previewHeight);
// Only the opening and the top edge, for a tab whose width changed.
std::optional<OutlineDrawing> PreviewTopEdge(int j, int ownDesktop, std::int32_t tabWidth,
                                             std::int32_t previewWidth);

// A tab image for text of w x h: its size, the text rectangle and the outline
// (white fill, left, right and top edges; no bottom edge, the tab opens onto
// its tile).
struct TabImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    PanelRect textRect;
    OutlineDrawing outline;
};
// Text sizes below 0 count as 0; sizes are kept within 32 bits.
TabImage TabImageLayout(std::int32_t textWidth, std::int32_t textHeight, bool own);

}  // namespace panorel
