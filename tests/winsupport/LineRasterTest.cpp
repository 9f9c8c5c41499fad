#include "winsupport/LineRaster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>
#include <utility>
#include <vector>

namespace panorel {
namespace {

using Plotted = std::tuple<std::int32_t, std::int32_t, int>;  // x, y, weight

std::vector<Plotted> Line(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
    std::vector<Plotted> out;
    RasterLine(x1, y1, x2, y2, [&](std::int32_t x, std::int32_t y, int w) { out.emplace_back(x, y, w); });
    return out;
}

// Exact pixels and weights: the ends, then per step the pixel on the line and
// its two neighbours across it. 45 degrees runs the steep branch (the error
// term stays at 1 of 3).
TEST(LineRaster, LinesHaveExactPixelsAndWeights) {
    std::vector<Plotted> horizontal = {{-1, 4, 0}, {-1, 5, 127}, {5, 6, 0}, {5, 5, 127}};
    std::vector<Plotted> diagonal = {{-1, -1, 85}, {0, -1, 127}, {4, 4, 85}, {3, 4, 127}};
    for (int i = 0; i <= 4; ++i) horizontal.insert(horizontal.end(), {{i, 5, 255}, {i, 4, 128}, {i, 6, 127}});
    for (int i = 0; i <= 3; ++i) diagonal.insert(diagonal.end(), {{i, i, 255}, {i - 1, i, 170}, {i + 1, i, 85}});
    EXPECT_EQ(Line(0, 5, 4, 5), horizontal);
    EXPECT_EQ(Line(0, 0, 3, 3), diagonal);
}

// Points and ends outside 16 bits draw nothing; the longest legal line runs without overflow.
TEST(LineRaster, PointsAndOutOfRangeEndsDrawNothing) {
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min(), kMax = -(kMin + 1);
    const struct { std::int32_t x1, y1, x2, y2; std::size_t plotted; } cases[] = {
        {3, 3, 3, 3, 0}, {0, 0, 32768, 0, 0}, {-32769, 0, 0, 0, 0}, {kMin, 0, kMax, 0, 0},
        {-32768, -32768, 32767, 32767, 4 + 3 * 65536}};
    for (const auto& c : cases) EXPECT_EQ(Line(c.x1, c.y1, c.x2, c.y2).size(), c.plotted) << c.x1 << " " << c.x2;
}

TEST(LineRaster, BlendDividesBy256AndKeepsTheFourthByte) {
    EXPECT_EQ(BlendChannel(255, 0, 252), 251);
    EXPECT_EQ(BlendChannel(0, 255, 0), 254);  // weight 0 still darkens a little
    const Rgb red{255, 0, 0};
    EXPECT_EQ(BlendColorRef(0x808080, red, 128), 0x3F3FBFu);  // 0x00BBGGRR
    EXPECT_EQ(BlendArrayElement(0xAA808080u, red, 128), 0xAABF3F3Fu);  // red in byte 2
    EXPECT_EQ(BlendArrayElement(0x11000000u, Rgb{1, 2, 3}, 253), 0x11010203u);  // above 252 sets
}

TEST(LineRaster, PixelArraySizesAreChecked) {
    PixelArray a;
    const std::int32_t huge = std::numeric_limits<std::int32_t>::max();
    for (auto [w, h] : {std::pair{0, 10}, {10, -1}, {1 << 16, 1 << 16}, {huge, huge}}) EXPECT_FALSE(a.Reset(w, h));
    a.Blend(0, 0, Rgb{}, 100);  // empty: ignored
    a.Put(0, 0, 1);
    ASSERT_TRUE(a.Reset(3, 2));
    a.Put(2, 1, 7);
    EXPECT_EQ(a.Data()[5], 7u);  // x varies fastest, row 0 first
}

std::vector<std::pair<float, float>> ArcPoints(float start, float stop) {
    std::vector<std::pair<float, float>> pts;
    SampleArc(100, 100, 40, 40, start, stop, 2, [&](float x, float y) { pts.emplace_back(x, y); });
    return pts;
}

// 270 degrees is the far left; 270 to 90 runs clockwise over the top, 0 to 90
// from the top to the right.
TEST(EllipseRaster, ArcsRunTheirWayAndSampleCountsFollowTheThicknessAndStayBounded) {
    const auto pts = ArcPoints(270.0f, 90.0f);
    ASSERT_FALSE(pts.empty());
    EXPECT_NEAR(pts.front().first, 60.0f, 0.01f);
    EXPECT_NEAR(pts.front().second, 100.0f, 0.01f);
    const auto byY = [](const auto& a, const auto& b) { return a.second < b.second; };
    EXPECT_NEAR(std::min_element(pts.begin(), pts.end(), byY)->second, 60.0f, 0.1f);
    EXPECT_LE(std::max_element(pts.begin(), pts.end(), byY)->second, 100.01f) << "below the centre";
    for (const auto& [x, y] : ArcPoints(0.0f, 90.0f)) EXPECT_TRUE(x >= 99.99f && y <= 100.01f) << x << "," << y;

    // Thickness 1 samples twice as often as any other; hostile angles and radii end.
    const auto samples = [](int thickness) { return SampleEllipse(100, 100, 50, 30, thickness, [](float, float) {}); };
    EXPECT_EQ(samples(2), samples(7));
    EXPECT_NEAR(static_cast<double>(samples(1)) / static_cast<double>(samples(2)), 2.0, 0.05);
    const float nan = std::nanf(""), inf = std::numeric_limits<float>::infinity();
    const std::size_t most = kMaxEllipseSamples;
    const struct { float start, stop; std::size_t most; } arcs[] = {
        {nan, 90.0f, 0}, {0.0f, nan, 0}, {-inf, inf, most}, {-1.0e7f, 1.0e7f, most}};
    for (const auto& a : arcs) EXPECT_LE(ArcPoints(a.start, a.stop).size(), a.most) << a.start << " " << a.stop;
    // A huge radius ends instead of spinning on a step that no longer moves t.
    EXPECT_LE(SampleEllipse(0, 0, std::numeric_limits<std::int32_t>::max(), 1, 1, [](float, float) {}),
              kMaxEllipseSamples);
}

}  // namespace
}  // namespace panorel
