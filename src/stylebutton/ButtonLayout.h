#pragma once
// Where the styled button's content goes: the
// box the caption is measured in, and the caption, picture and drop-down
// rectangles of one content pass. Pure arithmetic; the window side measures
// the caption and paints. The gaps, margins and the drop-down area are
// designed in pixels at 96 dpi and grow with the screen's whole twips per
// pixel; the one-pixel push of a pressed look stays one pixel.
#include <cstdint>

namespace panorel::stylebutton {

struct Rect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const Rect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    void Offset(std::int32_t dx, std::int32_t dy) {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
};

struct ContentInput {
    std::int32_t W = 0, H = 0;
    std::int32_t style = 0, state = 0;  // state: 0 normal, 1 hot, 2 pressed
    std::int32_t mode = 0;
    bool value = false;
    std::int32_t pictureAlign = 1, captionAlign = 1;
    std::int32_t dropDownSymbol = 0;
    bool dropDownSeparator = false;
    bool hasPictureNormal = false;  // a picture is set for the normal state
    bool imageLoaded = false;       // the image object holds an image
    std::int32_t picW = 0, picH = 0;
    bool captionBlank = false;  // the caption is empty once trimmed
    std::int32_t twipsPerPixel = 15;  // the screen's; 15 is 96 dpi
};

// The smallest width and height the resize handling allows: 220 twips,
// rounded up to whole pixels.
std::int32_t MinSidePixels(std::int32_t twipsPerPixel);
// The height of the drop-down symbol's font, 14 pixels at 96 dpi.
std::int32_t DropDownFontHeight(std::int32_t twipsPerPixel);

// The width the caption is measured in (its box is that wide and H high).
std::int32_t CaptionBoxWidth(const ContentInput& in);

struct ContentLayout {
    Rect caption, picture, dropDown;
    bool drawDropDown = false;
    bool drawSeparator = false;
    std::int32_t separatorX = 0;  // the separator's two lines: separatorX and the column after it
    std::int32_t separatorInset = 0;  // their distance from the top and the bottom edge
};
// The rectangles for a caption measured as cw x ch, after the pressed offset.
ContentLayout LayoutContent(const ContentInput& in, std::int32_t cw, std::int32_t ch);

}  // namespace panorel::stylebutton
