// The JPEG writer: quantisation scaling, the four raised errors, decoding by
// two unrelated decoders, and quality against libjpeg-turbo's cjpeg.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>

#include "host/PanorelError.h"
#include "imaging/WriterOracles.h"
#include "imaging/cJPGWriter.h"

namespace panorel::imaging {
namespace {

const std::string kSources = PANOREL_TESTDATA "/jpeg-sources/";
const char* const kPhotos[] = {"astronaut", "brick", "camera", "chelsea", "coffee", "grass", "gravel", "text"};

TEST(JpegQuantisation, ScalesBaseEntriesWithTiesToEvenAndClamps) {
    struct Case {
        std::int32_t base, quality, want;
    } const cases[] = {
        {11, 50, 12},  {16, 50, 16},   // 11.5 to even 12, 16.5 to even 16
        {99, 100, 1},  {16, 100, 1},   // scale 0: 0.5 rounds to 0, clamped to 1
        {99, 150, 1},  {99, 1, 255},   // above 100 as 100; below 50 clamps at 255
        {10, 90, 2},   {11, 0, 255},   // scale 20: 2.5 to even 2; quality 0 counts as 1
        {17, 49, 18},                  // 5000/49 rounds to 102: 17.84 gives 18
    };
    for (const Case& c : cases) {
        QuantTable base{};
        base.fill(c.base);
        EXPECT_EQ(ScaleQuantTable(base, c.quality)[63], c.want) << c.base << " at quality " << c.quality;
    }
    const QuantTable q100 = ScaleQuantTable(BaseQuantTable(1), 100);
    EXPECT_EQ(std::count(q100.begin(), q100.end(), 1), 64);
}

TEST(JpegWriter, RaisesItsFourErrors) {
    QuantTable zero{}, big{};
    big.fill(300);
    const std::array<std::uint8_t, 16> tooMany{3};  // three codes of length 1 do not fit
    const std::array<std::uint8_t, 16> two{0, 2};   // two of length 2
    struct Case {
        std::function<void(cJPGWriter&)> act;
        const char* text;
    } const cases[] = {
        {[&](cJPGWriter& w) { w.SetQuantTable(0, zero); }, kBadQuantizationTable},
        {[&](cJPGWriter& w) { w.SetQuantTable(1, big); }, kBadQuantizationTable},
        {[&](cJPGWriter& w) { w.SetQuantTable(0, big, 2); }, kIllegalQuantPrecision},
        {[&](cJPGWriter& w) { w.SetHuffmanTable(1, 0, tooMany, {1, 2, 3}); }, kBadHuffmanTable},
        {[&](cJPGWriter& w) { w.SetHuffmanTable(0, 0, two, {3, 3}); }, kBadHuffmanTable},    // repeated
        {[&](cJPGWriter& w) { w.SetHuffmanTable(0, 1, two, {0, 16}); }, kBadHuffmanTable},   // DC above 15
        {[&](cJPGWriter& w) { w.SetSampling(0, 1); }, kInvalidSampling},
        {[&](cJPGWriter& w) { w.SetSampling(4, 4); }, kInvalidSampling},
        {[&](cJPGWriter& w) {  // a table lacking what the picture needs
             w.SetHuffmanTable(0, 0, two, {0, 1});
             PixelImage p{8, 8, std::vector<std::uint8_t>(256, 255)};
             std::vector<std::uint8_t> out;
             w.Write(p, out);
         },
         kBadHuffmanTable},
    };
    for (const Case& c : cases) {
        cJPGWriter w;
        try {
            c.act(w);
            ADD_FAILURE() << "no error for " << c.text;
        } catch (const PanorelError& e) {
            EXPECT_EQ(e.Description(), c.text);
            EXPECT_EQ(e.Source(), "cJPGWriter");
        }
    }
    EXPECT_NO_THROW(cJPGWriter().SetQuantTable(0, big, 1));  // 16-bit precision takes it
}

// Runs a shell command, true when it exits 0.
bool Shell(const std::string& cmd) { return std::system((cmd + " 2>/dev/null").c_str()) == 0; }

// Every case decoded by djpeg -strict and by the ISO reference codec, which
// must agree. The photographs, at quality 90, also against cjpeg as it scales
// its tables, and against cjpeg given our tables (whose rounding adds half a
// step), which isolates the encoder itself. The figures are writer_bench's.
TEST(JpegWriter, DecodesStrictlyAndAtQuality90IsWithinOneDecibelOfCjpegAndAtMostFifteenPercentLarger) {
    const std::string dir = test::TempDir("jpg");
    {
        std::ofstream tables(dir + "/tables.txt");
        for (int t = 0; t < 2; ++t)
            for (std::int32_t v : ScaleQuantTable(BaseQuantTable(t), 90)) tables << v << ' ';
    }
    struct Case {
        std::string name;
        int quality, h, v;
        PixelImage image;
    };
    std::vector<Case> cases;
    for (const char* name : kPhotos) {
        cases.push_back({name, 90, 2, 2, {}});
        ASSERT_TRUE(test::LoadPngPicture(kSources + name + ".png", cases.back().image));
    }
    const std::size_t photos = cases.size();
    const PixelImage coffee = cases[4].image;
    for (int q : {1, 50, 75, 100}) cases.push_back({"coffee", q, 2, 2, coffee});
    const std::pair<int, int> samplings[] = {{1, 1}, {2, 1}, {4, 2}};
    for (const auto& [h, v] : samplings) cases.push_back({"coffee sampled", 90, h, v, coffee});
    // Odd sizes with translucency, down to one pixel.
    for (int side : {1, 7, 17}) {
        std::vector<std::uint8_t> rgba(side * side * 4);
        for (std::size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<std::uint8_t>(i * 37);
        cases.push_back({"odd", 90, 2, 2, test::FromStraightRgba(side, side, rgba.data())});
    }
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name + " q" + std::to_string(c.quality) + " " + std::to_string(c.h) + "x" + std::to_string(c.v));
        cJPGWriter writer;
        writer.SetQuality(c.quality);
        writer.SetSampling(c.h, c.v);
        std::vector<std::uint8_t> jpg, ours, reference;
        ASSERT_TRUE(writer.Write(c.image, jpg));
        const std::string base = dir + "/" + std::to_string(i);
        test::WriteFile(base + ".jpg", jpg);
        int w = 0, h = 0, wRef = 0, hRef = 0;
        ASSERT_TRUE(Shell("djpeg -strict -outfile " + base + ".ppm " + base + ".jpg") &&
                    test::ReadPpm(base + ".ppm", w, h, ours));
        ASSERT_TRUE(Shell("jpeg " + base + ".jpg " + base + ".ref.ppm >/dev/null") &&
                    test::ReadPpm(base + ".ref.ppm", wRef, hRef, reference));
        EXPECT_EQ(std::make_pair(w, h), std::make_pair(c.image.width, c.image.height));
        EXPECT_GT(test::Psnr(ours, reference), 38.0) << "the two decoders agree";
        if (i >= photos) continue;
        const std::vector<std::uint8_t> rgb = test::RgbOf(c.image);
        test::WritePpm(base + ".src.ppm", w, h, rgb);
        const std::string theirs[2] = {"-quality 90", "-qtables " + dir + "/tables.txt -qslots 0,1,1"};
        double psnr[2], size[2];
        for (int k = 0; k < 2; ++k) {
            std::vector<std::uint8_t> decoded;
            ASSERT_TRUE(Shell("cjpeg -baseline " + theirs[k] + " -outfile " + base + ".c.jpg " + base + ".src.ppm") &&
                        Shell("djpeg -strict -outfile " + base + ".c.ppm " + base + ".c.jpg") &&
                        test::ReadPpm(base + ".c.ppm", w, h, decoded));
            psnr[k] = test::Psnr(rgb, decoded);
            size[k] = static_cast<double>(test::ReadFile(base + ".c.jpg").size());
        }
        EXPECT_GT(test::Psnr(rgb, ours), psnr[1] - 1.0);
        EXPECT_LE(jpg.size() / size[1], 1.15);
        EXPECT_LE(jpg.size() / size[0], 1.15);
    }
    std::system(("rm -rf " + dir).c_str());
}

}  // namespace
}  // namespace panorel::imaging
