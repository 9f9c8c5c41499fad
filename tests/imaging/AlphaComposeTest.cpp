// The own drawing path's arithmetic: placements (mirror, stretch, turn),
// the blend formulas with a host alpha, and the capability flags.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "imaging/AlphaCompose.h"

namespace panorel::imaging {
namespace {

struct Canvas {
    std::vector<std::uint8_t> px;
    PixelView view;
    Canvas(int w, int h) : px(std::size_t(w) * h * 4, 0), view{px.data(), w * 4, w, h, 4} {}
    int Blue(int x, int y) const { return view.At(x, y)[0]; }
};

TEST(AlphaCompose, PlacementsMirrorStretchAndTurn) {
    Canvas src(3, 1);
    for (int x = 0; x < 3; ++x) {
        std::uint8_t* p = src.view.At(x, 0);
        p[0] = static_cast<std::uint8_t>(10 * (x + 1)), p[3] = 255;
    }
    ComposeParams params;
    params.blendAlpha = true;
    const struct {
        const char* what;
        double left, top, width, height, angle;
        std::vector<int> blues;  // 3 x 3 destination, row by row
    } cases[] = {
        {"plain", 0, 1, 3, 1, 0, {0, 0, 0, 10, 20, 30, 0, 0, 0}},
        {"mirrored in place", 0, 1, -3, 1, 0, {0, 0, 0, 30, 20, 10, 0, 0, 0}},
        {"stretched", 0, 0, 3, 3, 0, {10, 20, 30, 10, 20, 30, 10, 20, 30}},
        {"turned 90 clockwise", 0, 1, 3, 1, 90, {0, 10, 0, 0, 20, 0, 0, 30, 0}},
        {"turned 180", 0, 1, 3, 1, 180, {0, 0, 0, 30, 20, 10, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        Canvas dst(3, 3);
        ComposeOnto(src.view, dst.view, PlaceRect(c.left, c.top, c.width, c.height, 3, 1, c.angle), params);
        for (int i = 0; i < 9; ++i) EXPECT_EQ(dst.Blue(i % 3, i / 3), c.blues[i]) << c.what << " pixel " << i;
    }
}

TEST(AlphaCompose, BlendFormulasOnAHostWithAlpha) {
    Canvas src(1, 1), dst(1, 1);
    std::uint8_t* s = src.view.At(0, 0);
    s[0] = 40, s[1] = 80, s[2] = 120, s[3] = 128;  // premultiplied
    std::uint8_t* d = dst.view.At(0, 0);
    ComposeParams params;
    params.blendAlpha = true;
    const struct {
        int opacity, grey, light;
        std::uint8_t before[4], after[4];
    } cases[] = {
        // op = 255: a = 128; d = (d*127 + s*255)/255
        {100, -1, 0, {200, 200, 200, 255}, {139, 179, 219, 255}},
        // op = 127: a = 63; d = (d*192 + s*127)/255
        {50, -1, 0, {200, 200, 200, 255}, {170, 190, 210, 255}},
        // grey 2 of (B40, G80, R120): 40*.333 + 80*.334 + 120*.333 = 80.04 -> 80
        {100, 2, 0, {0, 0, 0, 0}, {80, 80, 80, 128}},
        // light 50: each channel halfway to the alpha, 128
        {100, -1, 50, {0, 0, 0, 0}, {84, 104, 124, 128}},
    };
    for (const auto& c : cases) {
        std::memcpy(d, c.before, 4);
        params.opacity = c.opacity, params.grayScale = c.grey, params.lightAdjustment = c.light;
        ComposeOnto(src.view, dst.view, PlaceRect(0, 0, 1, 1, 1, 1, 0), params);
        for (int k = 0; k < 4; ++k) EXPECT_EQ(d[k], c.after[k]) << "opacity " << c.opacity << " channel " << k;
    }
}

TEST(AlphaCompose, CapabilityFlagsFromTheSystemVersion) {
    const struct {
        bool nt;
        unsigned major, minor, sp;
        int flags;
    } cases[] = {{true, 10, 0, 0, 1 | 8 | 64}, {true, 5, 1, 3, 1 | 8 | 64}, {true, 4, 0, 5, 32 | 64},
                 {true, 4, 0, 6, 64},         {false, 4, 10, 0, 16},      {false, 4, 0, 0, 32}};
    for (const auto& c : cases) EXPECT_EQ(CapabilityFlags(c.nt, c.major, c.minor, c.sp), c.flags) << c.major;
}

}  // namespace
}  // namespace panorel::imaging
