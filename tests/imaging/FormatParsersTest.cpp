// BMP, TGA and ICO against the reference renderings that ship with the suites
// (and Pillow for 5-5-5 TGA), and the detection chain's PNG report. That every
// other file of the suites stays in bounds is the seeded fuzz tests' part.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "imaging/WriterOracles.h"
#include "imaging/cBMPparser.h"
#include "imaging/cICOparser.h"
#include "imaging/cTGAparser.h"
#include "imaging/modParsers.h"

namespace panorel::imaging {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
const std::string kData = PANOREL_TESTDATA;

// A suite file, the reference picture it must match, and the options it is read with.
struct RefCase {
    std::string file, reference;
    ParseOptions options;
};

// The BMP suite's valid files whose renderings Pillow and ImageMagick agree on.
std::vector<RefCase> BmpCases() {
    std::vector<RefCase> cases;
    std::ifstream manifest(kData + "/bmp-testsuite/oracle-manifest.tsv");
    std::string line;
    std::getline(manifest, line);  // the column names
    while (std::getline(manifest, line)) {
        std::istringstream row(line);
        std::vector<std::string> f;  // file, Pillow's, ImageMagick's, agreed, reference
        for (std::string field; std::getline(row, field, '\t');) f.push_back(field);
        if (f.size() >= 5 && f[3] == "yes" && f[0].rfind("valid/", 0) == 0 && !f[4].empty())
            cases.push_back({kData + "/bmp-testsuite/" + f[0], kData + "/bmp-testsuite/" + f[4], {}});
    }
    return cases;
}

// <size>_<mode>_<origin>_<storage>.tga goes with <size>_<mode>.png.
std::vector<RefCase> TgaCases() {
    std::vector<RefCase> cases;
    for (const auto& e : fs::directory_iterator(kData + "/tga/common")) {
        const std::string name = e.path().filename().string();
        if (e.path().extension() == ".tga")
            cases.push_back({e.path().string(),
                             kData + "/tga/common/" + name.substr(0, name.find('_', name.find('_') + 1)) + ".png", {}});
    }
    return cases;
}

// <name><W>x<H>.png is the entry of <name>.ico the score rule picks for W x H
// at 32 bits; wiki.ico (16, 32, 48) also for sizes between and beyond its
// entries, where the next larger entry wins, else the largest.
std::vector<RefCase> IcoCases() {
    std::vector<RefCase> cases;
    const std::string dir = kData + "/ico/multi-size/";
    const auto add = [&](const std::string& icon, int cx, int cy, const std::string& reference) {
        RefCase c{dir + icon + ".ico", dir + reference + ".png", {}};
        c.options.iconCx = cx, c.options.iconCy = cy, c.options.iconBitDepth = 32;
        cases.push_back(c);
    };
    for (const auto& e : fs::directory_iterator(dir)) {
        if (e.path().extension() != ".png") continue;
        const std::string name = e.path().stem().string();
        const std::size_t x = name.rfind('x'), digits = name.find_first_of("0123456789");
        add(name.substr(0, digits), std::stoi(name.substr(digits, x - digits)), std::stoi(name.substr(x + 1)), name);
    }
    const std::pair<int, const char*> between[] = {{20, "wiki32x32"}, {40, "wiki48x48"}, {100, "wiki48x48"}};
    for (const auto& [asked, reference] : between) add("wiki", asked, asked, reference);
    return cases;
}

TEST(FormatParsers, SuiteFilesMatchTheirReferencePictures) {
    const struct {
        std::vector<RefCase> (*cases)();
        ParseResult (*load)(const std::uint8_t*, std::size_t, const ParseOptions&, PixelImage&);
        std::int32_t type;
        std::size_t least;
    } suites[] = {{BmpCases, cBMPparser::LoadStream, kImageTypeBitmap, 51},
                  {TgaCases, cTGAparser::LoadStream, kImageTypeTga, 24},
                  {IcoCases, [](const std::uint8_t* d, std::size_t n, const ParseOptions& o, PixelImage& p) {
                       return cICOparser::LoadStream(d, n, o, p);
                   }, kImageTypeIcon, 14}};
    for (const auto& suite : suites) {
        const std::vector<RefCase> cases = suite.cases();
        EXPECT_GE(cases.size(), suite.least);
        for (const RefCase& c : cases) {
            SCOPED_TRACE(c.file);
            const auto bytes = ReadFile(c.file);
            PixelImage got, want;
            ASSERT_EQ(suite.load(bytes.data(), bytes.size(), c.options, got), ParseResult::Loaded);
            ASSERT_TRUE(test::LibpngDecode(ReadFile(c.reference), want)) << c.reference;
            ASSERT_EQ(std::make_pair(got.width, got.height), std::make_pair(want.width, want.height));
            const auto first = std::mismatch(got.bgra.begin(), got.bgra.end(), want.bgra.begin()).first - got.bgra.begin();
            EXPECT_EQ(first, want.bgra.end() - want.bgra.begin()) << "first difference at pixel " << first / 4;
            EXPECT_EQ(got.imageType, suite.type);
        }
    }
}

TEST(TgaParser, FooterOffsetsNearTheTopOfTheRangeAreIgnored) {
    auto bytes = ReadFile(kData + "/tga/common/200x32_rgba_bl_raw.tga");
    ASSERT_EQ(std::memcmp(&bytes[bytes.size() - 18], "TRUEVISION-XFILE.", 17), 0);
    for (std::uint32_t ext : {0xFFFFFFF0u, 0xFFFFFE10u, static_cast<std::uint32_t>(bytes.size())}) {
        for (int k = 0; k < 4; ++k) bytes[bytes.size() - 26 + k] = static_cast<std::uint8_t>(ext >> (8 * k));
        PixelImage got;
        EXPECT_EQ(cTGAparser::LoadStream(bytes.data(), bytes.size(), ParseOptions{}, got), ParseResult::Loaded);
    }
}

// 5-5-5 pixels and colour-map entries in each storage, against Pillow, which
// knows no 15-bit depth (so it reads the same bytes marked 16-bit) and ignores
// the attribute bit, alpha here where the descriptor gives one alpha bit.
TEST(TgaParser, FiveBitColoursReadLikePillow) {
    constexpr std::uint8_t w = 42, h = 3;
    const struct {
        const char* name;
        std::uint8_t type, bits, desc, mapBits;
    } cases[] = {
        {"15-bit raw", 2, 15, 0x20, 0},            {"16-bit raw bottom-up", 2, 16, 0x00, 0},
        {"16-bit rle alpha bit", 10, 16, 0x21, 0}, {"16-bit rle right to left", 10, 16, 0x30, 0},
        {"15-bit map", 1, 8, 0x20, 15},            {"16-bit map rle", 9, 8, 0x20, 16},
    };
    // Pixels in file order, in groups of three: one value repeated, then three values.
    auto hash = [](std::uint32_t i) { return static_cast<std::uint16_t>((i * 2654435761u) >> 13); };
    auto pixel = [&](std::uint32_t i) { return hash(i / 3 % 2 == 0 ? i / 3 : i + 1000); };
    const std::string dir = test::TempDir("tga555");
    std::vector<std::string> paths;
    std::vector<PixelImage> ours;
    for (const auto& c : cases) {
        const bool mapped = c.mapBits != 0, rle = c.type & 8;
        std::vector<std::uint8_t> tga = {0, mapped, c.type, 0, 0, 0, mapped, c.mapBits, 0, 0, 0, 0, w, 0, h, 0,
                                         c.bits, c.desc};
        auto put = [&](std::uint16_t v, bool index) {
            tga.push_back(static_cast<std::uint8_t>(v));
            if (!index) tga.push_back(static_cast<std::uint8_t>(v >> 8));
        };
        for (std::uint32_t i = 0; mapped && i < 256; ++i) put(hash(i), false);
        for (std::uint32_t i = 0; i < w * h; ++i) {
            const bool runStart = i % 6 == 0, rawStart = i % 6 == 3;
            if (rle && (runStart || rawStart)) tga.push_back(runStart ? 0x82 : 0x02);
            if (!rle || !(i % 6 == 1 || i % 6 == 2)) put(pixel(i), mapped);
        }
        PixelImage got;
        ASSERT_EQ(cTGAparser::LoadStream(tga.data(), tga.size(), ParseOptions{}, got), ParseResult::Loaded) << c.name;
        ours.push_back(got);
        if (tga[16] == 15) tga[16] = 16;
        if (tga[7] == 15) tga[7] = 16;
        paths.push_back(dir + "/" + std::to_string(paths.size()) + ".tga");
        test::WriteFile(paths.back(), tga);
    }
    const auto pillow = test::DecodeWithPillow(paths);
    for (std::size_t n = 0; n < paths.size(); ++n) {
        const auto& c = cases[n];
        ASSERT_EQ(pillow[n].rgba.size(), ours[n].bgra.size()) << c.name;
        for (std::size_t i = 0; i < ours[n].bgra.size(); i += 4) {
            const std::uint8_t* p = &pillow[n].rgba[i];
            const std::uint8_t* q = &ours[n].bgra[i];
            // The alpha-bit case is stored top row first: file order is picture order.
            const std::uint8_t a = (c.desc & 15) && !(pixel(static_cast<std::uint32_t>(i / 4)) & 0x8000) ? 0 : 255;
            EXPECT_TRUE(q[3] == a && q[2] == Premultiply(p[0], a) && q[1] == Premultiply(p[1], a) &&
                        q[0] == Premultiply(p[2], a))
                << c.name << " pixel " << i / 4;
        }
    }
    std::system(("rm -rf " + dir).c_str());
}

TEST(IcoParser, AssortedIconsAndCursorsLoadOrAreRefused) {
    int loaded = 0;
    for (const auto& e : fs::directory_iterator(kData + "/ico/assorted")) {
        auto ext = e.path().extension();
        if (ext != ".ico" && ext != ".cur") continue;
        auto bytes = ReadFile(e.path().string());
        ParseOptions options;
        options.iconCx = options.iconCy = 32;
        PixelImage got;
        const bool ok = cICOparser::LoadStream(bytes.data(), bytes.size(), options, got) == ParseResult::Loaded;
        if (e.path().filename() == "decompression_bomb.ico") EXPECT_FALSE(ok);
        if (ok) {
            ++loaded;
            EXPECT_EQ(got.imageType, ext == ".cur" ? kImageTypeCursor : kImageTypeIcon);
        }
    }
    EXPECT_GE(loaded, 9);
}

// As a file or as an icon's one entry.
TEST(Detection, BrokenPngIsReportedOnceAndTheOtherParsersStillTry) {
    const std::vector<std::uint8_t> png = ReadFile(kData + "/pngsuite/xd0n2c08.png");
    std::vector<std::uint8_t> ico = {0, 0, 1, 0, 1, 0, 32, 32, 0, 0, 1, 0, 32, 0};
    for (std::uint32_t v : {static_cast<std::uint32_t>(png.size()), 22u})
        for (int k = 0; k < 4; ++k) ico.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
    ico.insert(ico.end(), png.begin(), png.end());
    const std::vector<std::uint8_t>* sources[] = {&png, &ico};
    for (const auto* bytes : sources) {
        std::vector<std::string> reports;
        DetectHooks hooks;
        hooks.pngError = [&](const std::string& e) { reports.push_back(e); };
        int platformCalls = 0;
        hooks.platformAny = [&](const std::uint8_t*, std::size_t, PixelImage&) { return ++platformCalls, false; };
        PixelImage got;
        EXPECT_FALSE(DetectAndParse(bytes->data(), bytes->size(), ParseOptions{}, hooks, got));
        EXPECT_EQ(reports.size(), 1u) << (bytes == &ico ? "icon" : "file");
        EXPECT_EQ(platformCalls, 1);
        EXPECT_TRUE(got.Empty());
    }
}

}  // namespace
}  // namespace panorel::imaging
