// PngSuite against libpng, with zlib and with our own inflater.
#include <gtest/gtest.h>

#include <filesystem>

#include "imaging/ZlibRuntime.h"
#include "imaging/cPNGparser.h"
#include "imaging/WriterOracles.h"

namespace panorel::imaging {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;

ParseOptions WithZlib(bool zlib) {
    ParseOptions o;
    if (zlib) o.zlib = ZlibRuntime::Api();
    return o;
}

// Every file of the suite with either inflater: the good ones as libpng reads
// them, with the alpha kind their colour type and tRNS give; the corrupt ones
// (x...) refused, except that without zlib the CRCs are not checked, so the
// two files whose only fault is a CRC load then.
TEST(PngParser, SuiteMatchesLibpngWithEitherInflater) {
    ASSERT_TRUE(ZlibRuntime::IsEnabled()) << "the system's zlib should load";
    int checked = 0;
    for (const auto& e : fs::directory_iterator(PANOREL_TESTDATA "/pngsuite")) {
        const std::string name = e.path().filename().string();
        if (e.path().extension() != ".png") continue;
        SCOPED_TRACE(name);
        const auto bytes = ReadFile(e.path().string());
        PixelImage expected;
        const bool corrupt = name[0] == 'x', crcOnly = name == "xcsn0g01.png" || name == "xhdn0g08.png";
        ASSERT_TRUE(corrupt || test::LibpngDecode(bytes, expected));
        bool trns = false;
        for (const auto& c : test::PngChunks(bytes)) trns |= c.type == "tRNS";
        const int alpha = bytes[25] == 4 || bytes[25] == 6 ? kAlphaFull : trns ? kAlphaSimple : kAlphaOpaque;
        for (bool zlib : {true, false}) {
            PixelImage got;
            std::string error;
            const ParseResult r = cPNGparser::LoadStream(bytes.data(), bytes.size(), WithZlib(zlib), got, error);
            if (corrupt) {
                EXPECT_EQ(r == ParseResult::Loaded, crcOnly && !zlib) << "zlib=" << zlib;
                if (r != ParseResult::Loaded) EXPECT_TRUE(got.Empty());
                continue;
            }
            ASSERT_EQ(r, ParseResult::Loaded) << "zlib=" << zlib << ": " << error;
            EXPECT_EQ(std::make_pair(got.width, got.height), std::make_pair(expected.width, expected.height));
            EXPECT_TRUE(got.bgra == expected.bgra) << "zlib=" << zlib;
            EXPECT_EQ(got.imageType, kImageTypePng);
            EXPECT_EQ(got.alpha, alpha);
        }
        checked += !corrupt;
    }
    EXPECT_GT(checked, 150);
}

// Headers that would need more memory or more inflated data than the file
// can hold are refused before anything is allocated.
TEST(PngParser, OversizeAndBombHeadersAreRefused) {
    auto base = ReadFile(PANOREL_TESTDATA "/pngsuite/basn0g08.png");
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
