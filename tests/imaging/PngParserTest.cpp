// PngSuite against libpng, with zlib and with our own inflater.
#include <gtest/gtest.h>

#include <filesystem>

#include "imaging/ZlibRuntime.h"
#include "imaging/cPNGparser.h"
#include "imaging/PngOracle.h"

namespace panorel::imaging {
namespace {

namespace fs = std::filesystem;
using testing::LibpngDecode;
using testing::ReadFileBytes;

std::vector<fs::path> Suite() {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(PANOREL_TESTDATA "/pngsuite"))
        if (e.path().extension() == ".png") files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

ParseOptions WithZlib(bool zlib) {
    ParseOptions o;
    if (zlib) o.zlib = ZlibRuntime::Api();
    return o;
}

TEST(PngParser, SuiteMatchesLibpngWithEitherInflater) {
    ASSERT_TRUE(ZlibRuntime::IsEnabled()) << "the system's zlib should load";
    int checked = 0;
    for (const auto& path : Suite()) {
        const std::string name = path.filename().string();
        if (name[0] == 'x') continue;
        auto bytes = ReadFileBytes(path.string());
        PixelImage expected;
        ASSERT_TRUE(LibpngDecode(bytes, expected)) << name;
        // Colour type and tRNS decide the alpha kind.
        const int colourType = bytes[25];
        bool trns = false;
        for (std::size_t i = 8; i + 8 <= bytes.size();) {
            std::uint32_t len = ReadBe32(&bytes[i]);
            trns |= std::memcmp(&bytes[i + 4], "tRNS", 4) == 0;
            i += 12 + len;
        }
        const int alpha = colourType == 4 || colourType == 6 ? kAlphaFull : trns ? kAlphaSimple : kAlphaOpaque;
        for (bool zlib : {true, false}) {
            PixelImage got;
            std::string error;
            ASSERT_EQ(cPNGparser::LoadStream(bytes.data(), bytes.size(), WithZlib(zlib), got, error), ParseResult::Loaded)
                << name << " zlib=" << zlib << ": " << error;
            EXPECT_EQ(got.width, expected.width) << name;
            EXPECT_EQ(got.height, expected.height) << name;
            EXPECT_TRUE(got.bgra == expected.bgra) << name << " zlib=" << zlib;
            EXPECT_EQ(got.imageType, kImageTypePng) << name;
            EXPECT_EQ(got.alpha, alpha) << name;
        }
        ++checked;
    }
    EXPECT_GT(checked, 150);
}

TEST(PngParser, CorruptSuiteFilesAreRefused) {
    // Without zlib the CRCs are not checked, so the two files whose only
    // fault is a CRC load then.
    for (const auto& path : Suite()) {
        const std::string name = path.filename().string();
        if (name[0] != 'x') continue;
        auto bytes = ReadFileBytes(path.string());
        for (bool zlib : {true, false}) {
            PixelImage got;
            std::string error;
            ParseResult r = cPNGparser::LoadStream(bytes.data(), bytes.size(), WithZlib(zlib), got, error);
            const bool crcOnly = name == "xcsn0g01.png" || name == "xhdn0g08.png";
            if (zlib || !crcOnly) {
                EXPECT_NE(r, ParseResult::Loaded) << name << " zlib=" << zlib;
                EXPECT_TRUE(got.Empty()) << name;
            } else {
                EXPECT_EQ(r, ParseResult::Loaded) << name;
            }
        }
    }
}

TEST(PngParser, WrongIdatCrcFailsOnlyWithZlib) {
    auto bytes = ReadFileBytes(PANOREL_TESTDATA "/pngsuite/basn2c08.png");
    for (std::size_t i = 8; i + 8 <= bytes.size();) {
        std::uint32_t len = ReadBe32(&bytes[i]);
        if (std::memcmp(&bytes[i + 4], "IDAT", 4) == 0) bytes[i + 8 + len] ^= 0x55;
        i += 12 + len;
    }
    PixelImage got;
    std::string error;
    EXPECT_EQ(cPNGparser::LoadStream(bytes.data(), bytes.size(), WithZlib(true), got, error), ParseResult::Failed);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(cPNGparser::LoadStream(bytes.data(), bytes.size(), WithZlib(false), got, error), ParseResult::Loaded);
}

// Headers that would need more memory or more inflated data than the file
// can hold are refused before anything is allocated.
TEST(PngParser, OversizeAndBombHeadersAreRefused) {
    auto base = ReadFileBytes(PANOREL_TESTDATA "/pngsuite/basn0g08.png");
    const struct {
        std::uint32_t w, h;
    } cases[] = {{16385, 1}, {1, 16385}, {16384, 16384}, {10000, 10000}, {0, 5}};
    for (const auto& c : cases) {
        auto bytes = base;
        for (int k = 0; k < 4; ++k) {
            bytes[16 + k] = static_cast<std::uint8_t>(c.w >> (24 - 8 * k));
            bytes[20 + k] = static_cast<std::uint8_t>(c.h >> (24 - 8 * k));
        }
        PixelImage got;
        std::string error;
        EXPECT_EQ(cPNGparser::LoadStream(bytes.data(), bytes.size(), WithZlib(false), got, error), ParseResult::Failed)
            << c.w << "x" << c.h;
    }
}

}  // namespace
}  // namespace panorel::imaging
