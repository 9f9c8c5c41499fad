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
        {16, 25, 32},  {10, 90, 2},    // scale 200; scale 20: 2.5 to even 2
        {16, 3, 255},  {11, 0, 255},   // quality 0 counts as 1
        {17, 49, 18},  {61, 75, 31},   // 5000/49 rounds to 102: 17.84 gives 18; scale 50
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
    std::array<std::uint8_t, 16> tooMany{};
    tooMany[0] = 3;  // three codes of length 1 do not fit
    const std::vector<std::uint8_t> distinct{1, 2, 3};
    std::array<std::uint8_t, 16> two{};
    two[1] = 2;
    struct Case {
        std::function<void(cJPGWriter&)> act;
        const char* text;
    } const cases[] = {
        {[&](cJPGWriter& w) { w.SetQuantTable(0, zero); }, kBadQuantizationTable},
        {[&](cJPGWriter& w) { w.SetQuantTable(1, big); }, kBadQuantizationTable},
        {[&](cJPGWriter& w) { w.SetQuantTable(0, big, 2); }, kIllegalQuantPrecision},
        {[&](cJPGWriter& w) { w.SetHuffmanTable(1, 0, tooMany, distinct); }, kBadHuffmanTable},
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
    cJPGWriter w;
    QuantTable wide{};
    wide.fill(1000);
    EXPECT_NO_THROW(w.SetQuantTable(0, wide, 1));  // 16-bit precision takes it
}

// Runs a shell command, true when it exits 0.
bool Shell(const std::string& cmd) { return std::system((cmd + " 2>/dev/null").c_str()) == 0; }

TEST(JpegWriter, DecodesStrictlyAndWithTheReferenceCodec) {
    const std::string dir = test::TempDir("jpg");
    struct Case {
        const char* name;
        int quality, h, v;
        PixelImage image;
    };
    std::vector<Case> cases;
    PixelImage photo;
    ASSERT_TRUE(test::LoadPngPicture(kSources + "coffee.png", photo));
    for (int q : {1, 50, 75, 90, 100})
        cases.push_back({"coffee", q, 2, 2, photo});
    cases.push_back({"coffee 1x1 sampling", 90, 1, 1, photo});
    cases.push_back({"coffee 2x1 sampling", 90, 2, 1, photo});
    cases.push_back({"coffee 4x2 sampling", 90, 4, 2, photo});
    // Odd sizes with translucency, down to one pixel.
    for (int side : {1, 7, 17}) {
        std::vector<std::uint8_t> rgba(side * side * 4);
        for (std::size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<std::uint8_t>(i * 37);
        cases.push_back({"odd", 90, 2, 2, test::FromStraightRgba(side, side, rgba.data())});
    }
    for (std::size_t i = 0; i < cases.size(); ++i) {
        cJPGWriter w;
        w.SetQuality(cases[i].quality);
        w.SetSampling(cases[i].h, cases[i].v);
        std::vector<std::uint8_t> jpg;
        ASSERT_TRUE(w.Write(cases[i].image, jpg));
        const std::string base = dir + "/" + std::to_string(i);
        test::WriteFile(base + ".jpg", jpg);
        EXPECT_TRUE(Shell("djpeg -strict -outfile " + base + ".ppm " + base + ".jpg")) << cases[i].name;
        EXPECT_TRUE(Shell("jpeg " + base + ".jpg " + base + ".ref.ppm >/dev/null")) << cases[i].name;
        int w1 = 0, h1 = 0, w2 = 0, h2 = 0;
        std::vector<std::uint8_t> a, b;
        ASSERT_TRUE(test::ReadPpm(base + ".ppm", w1, h1, a) && test::ReadPpm(base + ".ref.ppm", w2, h2, b));
        EXPECT_EQ(w1, cases[i].image.width);
        EXPECT_EQ(h1, cases[i].image.height);
        EXPECT_GT(test::Psnr(a, b), 38.0) << cases[i].name << " q" << cases[i].quality;  // the two decoders agree
    }
    std::system(("rm -rf " + dir).c_str());
}

// Against cjpeg at quality 90 as it scales its tables, and against cjpeg
// given our tables (whose rounding adds half a step), which isolates the
// encoder itself. The figures themselves are writer_bench's.
TEST(JpegWriter, Quality90IsWithinOneDecibelOfCjpegWithOurTablesAndAtMostFifteenPercentLarger) {
    const std::string dir = test::TempDir("jpgq");
    {
        std::ofstream tables(dir + "/tables.txt");
        for (int t = 0; t < 2; ++t)
            for (std::int32_t v : ScaleQuantTable(BaseQuantTable(t), 90)) tables << v << ' ';
    }
    for (const char* name : kPhotos) {
        PixelImage src;
        ASSERT_TRUE(test::LoadPngPicture(kSources + name + ".png", src));
        const std::vector<std::uint8_t> rgb = test::RgbOf(src);
        const std::string base = dir + "/" + name;
        test::WritePpm(base + ".ppm", src.width, src.height, rgb);
        std::vector<std::uint8_t> ours;
        ASSERT_TRUE(cJPGWriter().Write(src, ours));
        test::WriteFile(base + ".jpg", ours);
        ASSERT_TRUE(Shell("cjpeg -baseline -quality 90 -outfile " + base + ".q.jpg " + base + ".ppm"));
        ASSERT_TRUE(Shell("cjpeg -baseline -qtables " + dir + "/tables.txt -qslots 0,1,1 -outfile " + base +
                          ".t.jpg " + base + ".ppm"));
        double psnr[3], size[3];
        const char* suffix[3] = {".jpg", ".q.jpg", ".t.jpg"};
        for (int k = 0; k < 3; ++k) {
            ASSERT_TRUE(Shell("djpeg -strict -outfile " + base + ".out.ppm " + base + suffix[k]));
            int w = 0, h = 0;
            std::vector<std::uint8_t> decoded;
            ASSERT_TRUE(test::ReadPpm(base + ".out.ppm", w, h, decoded));
            psnr[k] = test::Psnr(rgb, decoded);
            size[k] = static_cast<double>(test::ReadFile(base + suffix[k]).size());
        }
        EXPECT_GT(psnr[0], psnr[2] - 1.0) << name;
        EXPECT_LE(size[0] / size[2], 1.15) << name;
        EXPECT_LE(size[0] / size[1], 1.15) << name;
    }
    std::system(("rm -rf " + dir).c_str());
}

}  // namespace
}  // namespace panorel::imaging
