#include "stylebutton/ButtonLayout.h"

#include <algorithm>

#include "host/Rounding.h"
#include "host/ScreenUnits.h"

namespace panorel::stylebutton {
namespace {

bool HasDropDown(const ContentInput& in) { return in.dropDownSymbol != 0 || in.dropDownSeparator; }

bool PressedOffsetStyle(std::int32_t style) {
    switch (style) {
        case 0: case 1: case 5: case 6: case 7: case 10: case 11: case 12: return true;
        default: return false;
    }
}

}  // namespace

std::int32_t MinSidePixels(std::int32_t twipsPerPixel) {
    constexpr std::int32_t kMinSideTwips = 220;
    if (twipsPerPixel < 1) twipsPerPixel = 1;
    return (kMinSideTwips + twipsPerPixel - 1) / twipsPerPixel;
}

std::int32_t DropDownFontHeight(std::int32_t twipsPerPixel) { return DesignPixels(14, twipsPerPixel); }

std::int32_t CaptionBoxWidth(const ContentInput& in) {
    const std::int32_t tpp = in.twipsPerPixel;
    if (!HasDropDown(in)) return in.W - DesignPixels(8, tpp);
    return in.W - DesignPixels(in.pictureAlign == 2 || in.pictureAlign == 3 ? 24 : 16, tpp);
}

ContentLayout LayoutContent(const ContentInput& in, std::int32_t cw, std::int32_t ch) {
    const std::int32_t W = in.W, H = in.H, picW = in.picW, picH = in.picH;
    const auto d = [tpp = in.twipsPerPixel](std::int32_t pixelsAt96) { return DesignPixels(pixelsAt96, tpp); };
    const bool dropDown = HasDropDown(in);
    Rect r{0, 0, cw, ch};

    switch (in.captionAlign) {
        case 0: r.Offset(d(2), (H - ch) / 2); break;
        case 1:
            r.Offset((W - cw + picW) / 2, (H - ch) / 2);
            if (dropDown) r.Offset(-d(8), 0);
            if (in.pictureAlign >= 5 && in.pictureAlign <= 8) r.Offset(-picW / 2, 0);
            break;
        case 2: r.Offset(W - cw - d(4), (H - ch) / 2); break;
        default: break;
    }

    if (in.hasPictureNormal) {
        switch (in.pictureAlign) {
            case 0:
            case 1:
                if (in.captionAlign != 1 && r.left < picW + d(4)) {
                    r.left = picW + d(4);
                    r.right = r.right + picW + d(4);
                }
                break;
            case 2:
            case 3:
                if (r.right > W - picW - d(4)) {
                    r.right = W - picW - d(4);
                    r.left = r.left - picW - d(4);
                }
                if (in.captionAlign == 1) r.Offset(-d(12), 0);
                break;
            case 4:
                if (in.captionAlign == 1) r.Offset(-d(16), 0);
                break;
            case 5:
            case 6: r.Offset(0, picH / 2); break;
            case 7:
            case 8: r.Offset(0, -picH / 2); break;
            default: break;
        }
    }
    if (in.captionAlign == 2 && dropDown) r.Offset(-d(16), 0);
    if (in.style == 13) {
        r.left = std::max(r.left, d(4));
        r.top = std::max(r.top, d(4));
        r.right = std::min(r.right, W - d(4));
        r.bottom = std::min(r.bottom, H - d(4));
    }

    ContentLayout out;
    out.caption = r;
    if (in.imageLoaded) {
        Rect& p = out.picture;
        const std::int32_t middle = (H - picH) / 2;
        const std::int32_t centre = (W - picW) / 2;
        const std::int32_t dd8 = dropDown ? -d(8) : 0, dd16 = dropDown ? -d(16) : 0;
        if (in.captionBlank || in.pictureAlign == 4) {
            p.left = centre + dd8;
            p.top = middle;
        } else {
            switch (in.pictureAlign) {
                case 0: p.left = d(3), p.top = middle; break;
                case 1: p.left = r.left - picW - d(4), p.top = middle; break;
                case 2: p.left = std::max(W - picW - d(3) + dd16, r.right + d(2)), p.top = middle; break;
                case 3: p.left = std::max(r.right + d(4) + dd16, r.right + d(2)), p.top = middle; break;
                case 5: p.left = centre + dd8, p.top = d(4); break;
                case 6: p.left = centre + dd8, p.top = r.top - picH - d(2); break;
                case 7: p.left = centre + dd8, p.top = H - picH - d(4); break;
                case 8: p.left = centre + dd8, p.top = r.bottom + d(2); break;
                default: break;  // no place: the picture stays at the origin
            }
        }
        p.right = p.left + picW;
        p.bottom = p.top + picH;
    }
    if (in.dropDownSymbol != 0) {
        out.drawDropDown = true;
        out.dropDown = Rect{W - d(15), RoundToInt32(H / 2.0 - d(7)), W, RoundToInt32(H / 2.0 + d(8))};
    }
    out.drawSeparator = in.dropDownSeparator && r.right < W - d(8);
    out.separatorX = W - d(16);
    out.separatorInset = d(3);
    // Pushed in: content moves one pixel right and down with the face. The
    // drop-down symbol moves with it once only: a second push of the symbol
    // for some styles would contradict the one pixel a pressed style-0 glyph
    // is expected to move, and the one pixel wins.
    if (in.state == 2 && PressedOffsetStyle(in.style)) {
        out.caption.Offset(1, 1);
        out.picture.Offset(1, 1);
        out.dropDown.Offset(1, 1);
    }
    return out;
}

}  // namespace panorel::stylebutton
