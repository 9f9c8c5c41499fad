// The GIF writer decoded by giflib: indices, palette and transparency for each
// mode, and the adaptive palette's quality on photographs.
#include <gtest/gtest.h>

#include <unordered_map>

#include "imaging/GifWriter.h"
#include "imaging/ImageWriterSupport.h"
#include "imaging/WriterOracles.h"

namespace panorel::imaging {
namespace {

using test::OracleImage;

int Distance(const std::array<std::uint8_t, 3>& a, const std::array<std::uint8_t, 3>& b) {
    int d = 0;
    for (int k = 0; k < 3; ++k) d += (a[k] - b[k]) * (a[k] - b[k]);
    return d;
}

// Checks every pixel's index: the transparent one exactly for the pixels at
// or below the tolerance, else an entry at the smallest distance from the
// pixel's straight colour, at distance 0 when the picture's colours fit.
// Returns the decoded RGB for PSNR.
std::vector<std::uint8_t> CheckIndices(const PixelImage& p, const OracleImage& g, std::uint8_t tolerance, bool exact = false) {
    std::vector<std::uint8_t> rgb;
    EXPECT_EQ(g.width, p.width);
    EXPECT_EQ(g.height, p.height);
    int wrong = 0;
    std::unordered_map<std::uint32_t, int> nearest;  // smallest distance per colour
    for (std::size_t i = 0; i < g.indices.size(); ++i) {
        const std::uint8_t* s = &p.bgra[i * 4];
        const int index = g.indices[i];
        const bool clear = s[3] <= tolerance;
        if (clear != (index == g.transparent)) ++wrong;
        const std::array<std::uint8_t, 3> c{Unpremultiply(s[2], s[3]), Unpremultiply(s[1], s[3]),
                                            Unpremultiply(s[0], s[3])};
        if (!clear) {
            const std::uint32_t key = c[0] << 16 | c[1] << 8 | c[2];
            const auto [found, added] = nearest.try_emplace(key, 1 << 30);
            for (std::size_t e = 0; added && e < g.palette.size(); ++e)
                if (static_cast<int>(e) != g.transparent) found->second = std::min(found->second, Distance(g.palette[e], c));
            if (Distance(g.palette[index], c) != (exact ? 0 : found->second)) ++wrong;
        }
        rgb.insert(rgb.end(), g.palette[index].begin(), g.palette[index].end());
    }
    EXPECT_EQ(wrong, 0);
    return rgb;
}

// Each mode on a picture of few colours (whose adaptive palette must hold
// them exactly), and on photographs, where the adaptive palette must give a
// higher PSNR than the fixed one.
TEST(GifWriter, DecodesToTheNearestEntriesTransparencyFollowsTheToleranceAndTheAdaptivePaletteWins) {
    // A 40 x 30 picture of 8 colours whose alpha runs 0..255 across.
    std::vector<std::uint8_t> rgba(40 * 30 * 4);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            std::uint8_t* d = &rgba[(y * 40 + x) * 4];
            d[0] = (x / 5) & 1 ? 255 : 0, d[1] = (x / 5) & 2 ? 200 : 10, d[2] = (x / 5) & 4 ? 128 : 64;
            d[3] = static_cast<std::uint8_t>(x * 255 / 39);
        }
    std::vector<std::pair<std::string, PixelImage>> pictures = {{"8 colours", test::FromStraightRgba(40, 30, rgba.data())}};
    for (const char* name : {"astronaut", "chelsea", "coffee", "camera"}) {
        pictures.push_back({name, {}});
        ASSERT_TRUE(test::LoadPngPicture(std::string(PANOREL_TESTDATA "/jpeg-sources/") + name + ".png", pictures.back().second));
    }
    for (const auto& [name, p] : pictures) {
        const bool few = name == "8 colours";
        double psnr[2];
        for (int adaptive = 0; adaptive < 2; ++adaptive)
            for (int t = 0; t < (few ? 2 : 1); ++t) {  // the few colours also with a tolerance
                const std::uint8_t tolerance = t == 0 ? 0 : adaptive ? 128 : 255;
                SCOPED_TRACE(name + (adaptive ? " adaptive" : " fixed") + " tolerance " + std::to_string(tolerance));
                std::vector<std::uint8_t> gif;
                ASSERT_TRUE(SaveAsGIF(p, gif, adaptive == 1, tolerance));
                const std::vector<OracleImage> images = test::DecodeAllImages(gif);
                ASSERT_EQ(images.size(), 1u);
                ASSERT_FALSE(images[0].palette.empty());
                psnr[adaptive] = test::Psnr(test::RgbOf(p), CheckIndices(p, images[0], tolerance, few && adaptive));
            }
        if (!few) EXPECT_GT(psnr[1], psnr[0]) << name;
    }
}

}  // namespace
}  // namespace panorel::imaging
