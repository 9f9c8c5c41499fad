#include "switcher/PanelLayout.h"

#include <limits>

#include "host/Rounding.h"

namespace panorel {

PanelDesign PanelDesignFor(std::int32_t twipsPerPixelX, std::int32_t twipsPerPixelY) {
    const auto x = [&](std::int32_t v) { return DesignPixels(v, twipsPerPixelX); };
    const auto y = [&](std::int32_t v) { return DesignPixels(v, twipsPerPixelY); };
    const PanelDesign at96;
    PanelDesign d;
    // One gutter for both directions, so the tiles keep their even spacing.
    d.gutter = x(at96.gutter);
    d.barWidth = x(at96.barWidth), d.barHeight = y(at96.barHeight);
    d.buttonWidth = x(at96.buttonWidth), d.buttonHeight = y(at96.buttonHeight);
    d.startLeft = x(at96.startLeft), d.helpLeft = x(at96.helpLeft), d.buttonTop = y(at96.buttonTop);
    d.tabWidth = x(at96.tabWidth), d.tabHeight = y(at96.tabHeight);
    d.highlightInset = x(at96.highlightInset), d.highlightWidth = x(at96.highlightWidth);
    return d;
}

std::int32_t PreviewExtent(std::int32_t screenExtent, std::int32_t gutter) {
    return RoundToInt32((static_cast<double>(screenExtent) - 3.0 * gutter) / 2.0);
}

namespace {

// Sums that cannot overflow: the geometry of absurd sizes is merely absurd.
std::int32_t Clamp32(std::int64_t v) {
    constexpr std::int64_t lo = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(v < lo ? lo : (v > hi ? hi : v));
}

}  // namespace

PanelPoint TilePosition(int j, std::int32_t formWidth, std::int32_t formHeight, std::int32_t previewWidth,
                        std::int32_t previewHeight, std::int32_t gutter) {
    const std::int32_t right = Clamp32(std::int64_t{formWidth} - previewWidth - gutter);
    const std::int32_t bottom = Clamp32(std::int64_t{formHeight} - previewHeight - gutter);
    switch (j) {
        case 2: return {right, gutter};
        case 3: return {gutter, bottom};
        case 4: return {right, bottom};
        default: return {gutter, gutter};
    }
}

PanelPoint TabPosition(PanelPoint tile, std::int32_t tabHeight) {
    return {tile.left, Clamp32(std::int64_t{tile.top} - tabHeight)};
}

PanelPoint ButtonBarPosition(std::int32_t formWidth, std::int32_t formHeight, std::int32_t barWidth,
                             std::int32_t barHeight) {
    const double left = (static_cast<double>(formWidth) - barWidth) / 2.0;
    return {RoundToInt32(left), Clamp32(std::int64_t{formHeight} - barHeight + 2)};
}

std::optional<PanelLayout> ComputePanelLayout(std::int32_t formWidth, std::int32_t formHeight,
                                              std::int32_t previewWidth, std::int32_t previewHeight,
                                              std::int32_t gutter) {
    if (formWidth <= 0 || formHeight <= 0 || previewWidth <= 0 || previewHeight <= 0) return std::nullopt;
    PanelLayout layout;
    layout.previewWidth = previewWidth;
    layout.previewHeight = previewHeight;
    for (int j = 1; j <= 4; ++j)
        layout.tiles[static_cast<std::size_t>(j - 1)] =
            TilePosition(j, formWidth, formHeight, previewWidth, previewHeight, gutter);
    return layout;
}

std::uint32_t FrameColor(int j, int ownDesktop) { return j == ownDesktop ? kOwnFrameColor : kOtherFrameColor; }

std::optional<OutlineDrawing> PreviewTopEdge(int j, int ownDesktop, std::int32_t tabWidth,
                                             std::int32_t previewWidth) {
    if (j < 1 || j > 4) return std::nullopt;
    OutlineDrawing d;
    d.color = FrameColor(j, ownDesktop);
    const std::int32_t opening = Clamp32(std::int64_t{tabWidth} - 1);
    d.whiteFill = {1, 0, opening, 2};
    d.lines.push_back({opening, 0, previewWidth, 0});
    return d;
}

std::optional<OutlineDrawing> PreviewFrame(int j, int ownDesktop, std::int32_t tabWidth, std::int32_t previewWidth,
                                           std::int32_t previewHeight) {
    auto d = PreviewTopEdge(j, ownDesktop, tabWidth, previewWidth);
    if (!d) return d;
    const PanelLine top = d->lines.front();
    const std::int32_t lastX = Clamp32(std::int64_t{previewWidth} - 1);
    const std::int32_t lastY = Clamp32(std::int64_t{previewHeight} - 1);
    d->lines = {{0, 0, 0, previewHeight}, {lastX, 0, lastX, previewHeight}, top, {0, lastY, previewWidth, lastY}};
    return d;
}

TabImage TabImageLayout(std::int32_t textWidth, std::int32_t textHeight, bool own) {
    const std::int64_t w = textWidth < 0 ? 0 : textWidth;
    const std::int64_t h = textHeight < 0 ? 0 : textHeight;
    TabImage t;
    t.width = Clamp32(w + 2 * kTabMargin);
    t.height = Clamp32(h + 2 * kTabMargin);
    t.textRect = {kTabMargin, kTabMargin, Clamp32(w + kTabMargin), Clamp32(h + kTabMargin)};
    t.outline.whiteFill = {0, 0, t.width, t.height};
    t.outline.color = own ? kOwnFrameColor : kOtherFrameColor;
    const std::int32_t right = Clamp32(w + 2 * kTabMargin - 1);
    t.outline.lines = {{0, 0, 0, t.height}, {right, 0, right, t.height}, {0, 0, t.width, 0}};
    return t;
}

}  // namespace panorel
