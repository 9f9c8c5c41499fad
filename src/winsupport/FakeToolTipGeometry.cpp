#include "winsupport/FakeToolTipGeometry.h"

#include "host/Rounding.h"
#include "host/ScreenUnits.h"

namespace panorel {

FakeToolTipGeometry TipGeometry(std::int32_t textWidth, std::int32_t textHeight, std::int32_t twipsPerPixel) {
    const std::int32_t tail = DesignPixels(kTipTailHeight, twipsPerPixel);
    const std::int32_t left = DesignPixels(kTipTailLeft, twipsPerPixel);
    const std::int32_t margin = DesignPixels(kTipMargin, twipsPerPixel);
    FakeToolTipGeometry g{};
    g.tail = {TipPoint{left, tail}, TipPoint{left + tail, tail}, TipPoint{RoundToInt32(tail / 2.0 + left), 0}};
    g.body = {0, tail, 2 * margin + textWidth, 2 * margin + textHeight + tail};
    g.corner = DesignPixels(kTipCorner, twipsPerPixel);
    g.text = {margin, 2 * margin, textWidth + margin, textHeight + 2 * margin};
    g.windowWidth = 2 * margin + textWidth + DesignPixels(kTipExtraWidth, twipsPerPixel);
    g.windowHeight = ScreenPixels(kTipHeightTwips, twipsPerPixel);
    return g;
}

std::int32_t TipLeftFor(std::int32_t x, std::int32_t twipsPerPixel) {
    return x - TipGeometry(0, 0, twipsPerPixel).tail[2].x;
}

}  // namespace panorel
