// The GIF writer decoded by giflib: indices, palette and transparency for each
// mode, and the adaptive palette's quality on photographs.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <unordered_map>

#include "imaging/GifWriter.h"
#include "imaging/ImageWriterSupport.h"
#include "imaging/WriterOracles.h"

namespace panorel::imaging {
namespace {

struct GifRead {
    int width = 0, height = 0, transparent = -1;
    std::vector<std::array<std::uint8_t, 3>> palette;
    std::vector<std::uint8_t> indices;
};

bool ReadGif(const std::vector<std::uint8_t>& bytes, GifRead& g) {
    test::MemoryReader reader{bytes.data(), bytes.size()};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, test::ReadMemory, &error);
    if (!gif) return false;
    bool ok = DGifSlurp(gif) == GIF_OK && gif->ImageCount == 1 && gif->SColorMap;
    if (ok) {
        g.width = gif->SWidth;
        g.height = gif->SHeight;
        for (int i = 0; i < gif->SColorMap->ColorCount; ++i) {
            const GifColorType& c = gif->SColorMap->Colors[i];
            g.palette.push_back({c.Red, c.Green, c.Blue});
        }
        GraphicsControlBlock gcb;
        if (DGifSavedExtensionToGCB(gif, 0, &gcb) == GIF_OK) g.transparent = gcb.TransparentColor;
        const SavedImage& im = gif->SavedImages[0];
        g.indices.assign(im.RasterBits, im.RasterBits + im.ImageDesc.Width * im.ImageDesc.Height);
    }
    DGifCloseFile(gif, &error);
    return ok;
}

int Distance(const std::array<std::uint8_t, 3>& a, const std::array<std::uint8_t, 3>& b) {
    int d = 0;
    for (int k = 0; k < 3; ++k) d += (a[k] - b[k]) * (a[k] - b[k]);
    return d;
}

// Checks every pixel's index: the transparent one exactly for the pixels at
// or below the tolerance, else an entry at the smallest distance from the
// pixel's straight colour, at distance 0 when the picture's colours fit.
// Returns the decoded RGB for PSNR.
std::vector<std::uint8_t> CheckIndices(const PixelImage& p, const GifRead& g, std::uint8_t tolerance, bool exact = false) {
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
            auto found = nearest.find(key);
            if (found == nearest.end()) {
                int best = 1 << 30;
                for (std::size_t e = 0; e < g.palette.size(); ++e)
                    if (static_cast<int>(e) != g.transparent) best = std::min(best, Distance(g.palette[e], c));
                found = nearest.emplace(key, best).first;
            }
            if (Distance(g.palette[index], c) != (exact ? 0 : found->second)) ++wrong;
        }
        rgb.insert(rgb.end(), g.palette[index].begin(), g.palette[index].end());
    }
    EXPECT_EQ(wrong, 0);
    return rgb;
}

TEST(GifWriter, EachModeDecodesToTheNearestEntriesAndTransparencyFollowsTheTolerance) {
    // A 40 x 30 picture of 8 colours whose alpha runs 0..255 across, and a
    // many-coloured photograph.
    std::vector<std::uint8_t> rgba(40 * 30 * 4);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            std::uint8_t* d = &rgba[(y * 40 + x) * 4];
            d[0] = (x / 5) & 1 ? 255 : 0, d[1] = (x / 5) & 2 ? 200 : 10, d[2] = (x / 5) & 4 ? 128 : 64;
            d[3] = static_cast<std::uint8_t>(x * 255 / 39);
        }
    const PixelImage few = test::FromStraightRgba(40, 30, rgba.data());
    PixelImage photo;
    ASSERT_TRUE(test::LoadPngPicture(PANOREL_TESTDATA "/jpeg-sources/chelsea.png", photo));
    struct Case {
        const char* name;
        const PixelImage& image;
        bool adaptive;
        std::uint8_t tolerance;
        bool exactColours;
    } const cases[] = {
        {"few adaptive", few, true, 0, true},       {"few adaptive tolerance 128", few, true, 128, true},
        {"few fixed", few, false, 0, false},        {"few fixed tolerance 255", few, false, 255, false},
        {"photo adaptive", photo, true, 0, false},  {"photo fixed", photo, false, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> gif;
        ASSERT_TRUE(SaveAsGIF(c.image, gif, c.adaptive, c.tolerance));
        GifRead g;
        ASSERT_TRUE(ReadGif(gif, g));
        CheckIndices(c.image, g, c.tolerance, c.exactColours);
    }
}

TEST(GifWriter, AdaptivePaletteBeatsTheFixedOneOnPhotographs) {
    for (const char* name : {"astronaut", "chelsea", "coffee", "camera"}) {
        PixelImage p;
        ASSERT_TRUE(test::LoadPngPicture(std::string(PANOREL_TESTDATA "/jpeg-sources/") + name + ".png", p));
        double psnr[2];
        for (int adaptive = 0; adaptive < 2; ++adaptive) {
            std::vector<std::uint8_t> gif;
            ASSERT_TRUE(SaveAsGIF(p, gif, adaptive == 1));
            GifRead g;
            ASSERT_TRUE(ReadGif(gif, g));
            psnr[adaptive] = test::Psnr(test::RgbOf(p), CheckIndices(p, g, 0));
        }
        EXPECT_GT(psnr[1], psnr[0]) << name;
    }
}

}  // namespace
}  // namespace panorel::imaging
