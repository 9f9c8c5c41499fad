#include "stylebutton/ButtonLayout.h"

#include <gtest/gtest.h>

#include "host/ScreenUnits.h"
#include "stylebutton/ButtonColors.h"

namespace panorel::stylebutton {

std::ostream& operator<<(std::ostream& os, const Rect& r) {
    return os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace {

// A 201 x 41 button with a 100 x 13 caption and a 16 x 16 picture.
ContentInput Button(std::int32_t pictureAlign, std::int32_t captionAlign, bool picture = true) {
    ContentInput in;
    in.W = 201;
    in.H = 41;
    in.pictureAlign = pictureAlign;
    in.captionAlign = captionAlign;
    in.hasPictureNormal = in.imageLoaded = picture;
    in.picW = in.picH = picture ? 16 : 0;
    return in;
}

TEST(ButtonLayout, CaptionAndPicturePlaces) {
    struct Row { const char* what; ContentInput in; Rect caption, picture; };
    auto with = [](ContentInput in, auto change) {
        change(in);
        return in;
    };
    const Rect none{};
    const Row rows[] = {
        {"centred, no picture", Button(1, 1, false), {50, 14, 150, 27}, none},
        {"left, no picture", Button(1, 0, false), {2, 14, 102, 27}, none},
        {"right, no picture", Button(1, 2, false), {97, 14, 197, 27}, none},
        {"picture at left edge pushes a left caption", Button(0, 0), {20, 14, 122, 27}, {3, 12, 19, 28}},
        {"centred over W + picW, picture before it", Button(1, 1), {58, 14, 158, 27}, {38, 12, 54, 28}},
        {"right edge picture", Button(2, 1), {46, 14, 146, 27}, {182, 12, 198, 28}},
        {"right of a right caption", Button(3, 2), {77, 14, 181, 27}, {185, 12, 201, 28}},
        {"behind the caption", Button(4, 1), {42, 14, 142, 27}, {92, 12, 108, 28}},
        {"top edge", Button(5, 1), {50, 22, 150, 35}, {92, 4, 108, 20}},
        {"above the caption", Button(6, 1), {50, 22, 150, 35}, {92, 4, 108, 20}},
        {"bottom edge", Button(7, 1), {50, 6, 150, 19}, {92, 21, 108, 37}},
        {"below the caption", Button(8, 1), {50, 6, 150, 19}, {92, 21, 108, 37}},
        {"no such place", Button(9, 1), {58, 14, 158, 27}, {0, 0, 16, 16}},
        {"drop-down symbol", with(Button(1, 1), [](auto& i) { i.dropDownSymbol = 6; }), {50, 14, 150, 27},
         {30, 12, 46, 28}},
        {"separator, right caption", with(Button(1, 2, false), [](auto& i) { i.dropDownSeparator = true; }),
         {81, 14, 181, 27}, none},
        {"blank caption centres the picture", with(Button(0, 0), [](auto& i) { i.captionBlank = true, i.dropDownSymbol = 3; }),
         {20, 14, 122, 27}, {84, 12, 100, 28}},
        {"pressed style 0 moves in", with(Button(1, 1), [](auto& i) { i.state = 2; }), {59, 15, 159, 28},
         {39, 13, 55, 29}},
        {"pressed style 2 stays", with(Button(1, 1), [](auto& i) { i.state = 2, i.style = 2; }), {58, 14, 158, 27},
         {38, 12, 54, 28}},
        {"style 13 keeps 4 pixels off the edges", with(Button(1, 0, false), [](auto& i) { i.style = 13; }),
         {4, 14, 102, 27}, none},
    };
    for (const Row& r : rows) {
        const ContentLayout out = LayoutContent(r.in, 100, 13);
        EXPECT_EQ(out.caption, r.caption) << r.what;
        EXPECT_EQ(out.picture, r.picture) << r.what;
    }
    ContentInput wide = Button(1, 0, false);
    wide.style = 13;
    EXPECT_EQ(LayoutContent(wide, 300, 60).caption, (Rect{4, 4, 197, 37}));
}

TEST(ButtonLayout, DropDownAndSeparator) {
    ContentInput in = Button(1, 2, false);
    in.dropDownSymbol = 6;  // without the separator: ScalesWithTheScreen
    in.dropDownSeparator = true;
    EXPECT_TRUE(LayoutContent(in, 100, 13).drawSeparator);
    in.captionAlign = 0;
    EXPECT_TRUE(LayoutContent(in, 190, 13).drawSeparator);
    EXPECT_FALSE(LayoutContent(in, 191, 13).drawSeparator) << "caption reaching W - 8";
    in.captionAlign = 2;
    in.state = 2;  // style 0 pressed: one pixel right and down
    EXPECT_EQ(LayoutContent(in, 100, 13).dropDown, (Rect{187, 15, 202, 29}));
    EXPECT_EQ(CaptionBoxWidth(in), 185);
    in.pictureAlign = 3;
    EXPECT_EQ(CaptionBoxWidth(in), 177);
    EXPECT_EQ(CaptionBoxWidth(Button(3, 1)), 193);
}

// At every scaling from 96 to 216 dpi the smallest side holds 220 twips, and
// the drop-down area of a button drawn that much larger holds its glyph and
// stays clear of the caption box.
TEST(ButtonLayout, ScalesWithTheScreen) {
    struct Row { std::int32_t dpi, minSide, font; Rect dropDown; };
    // At 96 dpi the drop-down's top and bottom, 13.5 and 28.5, round half to even.
    const Row rows[] = {{96, 15, 14, {186, 14, 201, 28}},   {120, 19, 17, {233, 18, 251, 36}},
                        {144, 22, 21, {279, 20, 301, 42}},  {168, 28, 26, {348, 25, 376, 53}},
                        {192, 32, 30, {398, 28, 430, 60}},  {216, 37, 35, {465, 34, 502, 71}}};
    for (const Row& r : rows) {
        const std::int32_t tpp = TwipsPerPixelForDpi(r.dpi);
        EXPECT_EQ(MinSidePixels(tpp), r.minSide) << r.dpi;
        EXPECT_GE(MinSidePixels(tpp) * tpp, 220) << r.dpi;
        EXPECT_EQ(DropDownFontHeight(tpp), r.font) << r.dpi;
        ContentInput in = Button(1, 2, false);
        in.W = DesignPixels(201, tpp);
        in.H = DesignPixels(41, tpp);
        in.dropDownSymbol = 6;
        in.twipsPerPixel = tpp;
        const ContentLayout out = LayoutContent(in, DesignPixels(100, tpp), DesignPixels(13, tpp));
        EXPECT_EQ(out.dropDown, r.dropDown) << r.dpi;
        EXPECT_TRUE(out.drawDropDown && !out.drawSeparator) << r.dpi;
        EXPECT_GE(out.dropDown.bottom - out.dropDown.top, r.font) << r.dpi;
        EXPECT_LE(CaptionBoxWidth(in), out.dropDown.left) << r.dpi;
        EXPECT_LE(out.caption.right, out.dropDown.left) << r.dpi;
    }
}

TEST(ButtonColors, ShiftAndMixRoundHalvesToEven) {
    EXPECT_EQ(ShiftColor(0x000000, -0.1f), 0x000000u);
    EXPECT_EQ(ShiftColor(0xFFFFFF, 0.1f), 0xFFFFFFu);
    EXPECT_EQ(ShiftColor(Rgb(0, 1, 2), 0.1f), Rgb(26, 26, 28));  // 25.5, 26.5, 27.5
    EXPECT_EQ(ShiftColor(Rgb(255, 254, 10), -0.1f), Rgb(230, 228, 0));
    EXPECT_EQ(ShiftColor(Rgb(250, 0, 0), 0.1f), Rgb(255, 26, 26));
    EXPECT_EQ(ShiftColor(0x123456, 0.0f), 0x123456u);
    EXPECT_EQ(MixColors(Rgb(0, 1, 255), Rgb(1, 2, 0)), Rgb(0, 2, 128));
}

TEST(ButtonColors, GradientRamps) {
    EXPECT_TRUE(GradientRamp(0, 5, 0, 0xFFFFFF, 1).empty());
    EXPECT_TRUE(GradientPixels(5, 0, 0, 0xFFFFFF, 0).empty());
    // One column: the sum of both colours' halves.
    const auto column = GradientPixels(1, 3, Rgb(255, 0, 3), Rgb(1, 255, 3), 0);
    EXPECT_EQ(column, (std::vector<std::uint32_t>(3, 0x7F7F02)));
    const auto ramp = GradientRamp(4, 5, Rgb(0, 0, 10), Rgb(10, 255, 0), 1);
    EXPECT_EQ(ramp, (std::vector<Colour>{Rgb(0, 0, 10), Rgb(2, 63, 8), Rgb(5, 127, 5), Rgb(7, 191, 3),
                                         Rgb(10, 255, 0)}));
    // Diagonals run over width + height - 1 entries.
    const auto d2 = GradientPixels(3, 2, Rgb(0, 0, 0), Rgb(3, 0, 0), 2);
    EXPECT_EQ(d2, (std::vector<std::uint32_t>{0x000000, 0x010000, 0x020000, 0x010000, 0x020000, 0x030000}));
    const auto d3 = GradientPixels(3, 2, Rgb(0, 0, 0), Rgb(3, 0, 0), 3);
    EXPECT_EQ(d3, (std::vector<std::uint32_t>{0x010000, 0x020000, 0x030000, 0x000000, 0x010000, 0x020000}));
}

}  // namespace
}  // namespace panorel::stylebutton
