#include "gifviewer/GifStructure.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "gifviewer/GifBuilder.h"
#include "imaging/WriterOracles.h"

namespace panorel {
namespace {

using test::GifBuilder;
using test::ReadFile;

GifStructure Parse(const std::vector<std::uint8_t>& b) { return ParseGif(b.data(), b.size()); }

const std::vector<std::uint32_t> kColours = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};

TEST(GifParse, SignaturesAndShortFiles) {
    const struct { const char* sig; std::size_t frames; } cases[] = {
        {"GIF89a", 1}, {"GIF87a", 1}, {"gif89A", 1}, {"GIF88a", 0}, {"PNG89a", 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(Parse(GifBuilder(4, 4, kColours, c.sig).Solid(0, 0, 4, 4, 1).Finish()).frames.size(), c.frames)
            << c.sig;
    }
    EXPECT_TRUE(Parse(GifBuilder(1, 1).Finish()).frames.empty()) << "a header and nothing else";
    // An image with neither a local nor a global table fails the whole file.
    EXPECT_TRUE(Parse(GifBuilder(4, 4).Solid(0, 0, 4, 4, 0, kColours).Solid(0, 0, 4, 4, 0).Finish()).frames.empty());
}

TEST(GifParse, LoopCountControlFieldsPaletteNumbersAndExtents) {
    const auto file = GifBuilder(10, 1, kColours)
                          .Loop(2, "netscape2.0")
                          .Control(7, 3, 5)
                          .Solid(0, 0, 10, 10, 1)
                          .Solid(2, 3, 4, 8, 2, {0x112233, 0x445566})
                          .Control(0, 2)
                          .Solid(12, 1, 2, 2, 3, {0x778899})
                          .Finish();
    const GifStructure g = Parse(file);
    ASSERT_EQ(g.frames.size(), 3u);
    EXPECT_EQ(g.loopCount, 2);
    EXPECT_TRUE(g.restorePrevious);
    EXPECT_FALSE(g.endOfFile);
    EXPECT_EQ(g.width, 14) << "the union of the frames, not the logical screen";
    EXPECT_EQ(g.height, 11);
    // A frame without its own control extension takes nothing from the one before.
    using Fields = std::tuple<int, int, int, int, int, bool>;  // delay, disposal, transparent (index), palette, control
    const Fields frames[] = {{70, 3, 1, 5, 0, true}, {0, 0, 0, 0, 1, false}, {0, 2, 0, 0, 2, true}};
    for (int i = 0; i < 3; ++i) {
        const GifFrame& f = g.frames[i];
        EXPECT_EQ(Fields(f.delay, f.disposal, f.transparent, f.transparentIndex, f.palette, f.HasControl()), frames[i])
            << "frame " << i;
    }
    ASSERT_EQ(g.palettes.size(), 3u);
    EXPECT_EQ(g.palettes[0][1], 0xFF0000u);  // blue, green, red, 0 from the low byte: red is 0x00FF0000
    EXPECT_EQ(g.palettes[1][1], 0x445566u);
    EXPECT_EQ(g.palettes[2][0], 0x778899u);
    EXPECT_EQ(Parse(GifBuilder(10, 10, kColours).Solid(0, 0, 10, 10, 1).Finish()).loopCount, 0);
}

TEST(GifParse, CutFilesKeepTheirCompleteFrames) {
    GifBuilder b(8, 8, kColours);
    b.Control(10, 0).Solid(0, 0, 8, 8, 1);
    const std::size_t firstEnd = b.Size();
    b.Control(10, 0).Solid(0, 0, 8, 8, 2);
    const auto whole = b.Finish();
    const struct { std::size_t cut, frames; } cases[] = {
        {firstEnd - 2, 0}, {firstEnd, 1}, {whole.size() - 3, 1}, {whole.size() - 1, 2}};
    for (const auto& c : cases) {
        const std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(c.cut));
        EXPECT_EQ(Parse(cut).frames.size(), c.frames) << "cut at " << c.cut;
    }
}

TEST(GifParse, FramesBeyondTheCapEndTheParse) {
    const GifStructure g = Parse(GifBuilder(1, 1).TinyFrames(kMaxGifFrames + 100).Finish());
    EXPECT_EQ(g.frames.size(), kMaxGifFrames);
    EXPECT_EQ(g.palettes.size(), kMaxGifFrames + 1);
    EXPECT_EQ(test::DecodeAllImages(GifBuilder(1, 1).TinyFrames(2).Finish()).size(), 2u) << "tiny frames are valid";
}

// (The suite frame by frame: imagetool_frames_conformance and Viewer.FrameImagesOfTheSuite.)
// The shipped busy animation: drawn by tools/make_spinner, looping forever.
TEST(GifParse, ShippedSpinnerLoopsForever) {
    const auto file = ReadFile(PANOREL_RESOURCES "/ajax-loader.gif");
    const GifStructure g = Parse(file);
    EXPECT_GE(g.frames.size(), 4u);
    EXPECT_EQ(g.loopCount, 0);
    const std::string text(file.begin(), file.end());
    EXPECT_NE(text.find("NETSCAPE2.0"), std::string::npos) << "without the loop extension it would play once";
    EXPECT_EQ(test::DecodeAllImages(file).size(), g.frames.size());
}

}  // namespace
}  // namespace panorel
