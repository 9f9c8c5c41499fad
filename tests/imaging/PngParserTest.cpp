// PngSuite against libpng, with zlib and with our own inflater; the inflater
// against zlib: the same bytes for every stream zlib makes or reads, and a
// clean failure for anything damaged.
#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <random>

#include "imaging/Inflate.h"
#include "imaging/WriterOracles.h"
#include "imaging/ZlibRuntime.h"
#include "imaging/cPNGparser.h"

namespace panorel::imaging {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;

ParseOptions WithZlib(bool zlib) {
    ParseOptions o;
    if (zlib) o.zlib = ZlibRuntime::Api();
    return o;
}

// The good files as libpng reads them, with the alpha kind their colour type
// and tRNS give; the corrupt ones (x...) refused, except that without zlib the
// CRCs go unchecked, so the two files whose only fault is a CRC load then.
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
    const std::pair<std::uint32_t, std::uint32_t> sizes[] = {{16385, 1}, {1, 16385}, {16384, 16384}, {10000, 10000}, {0, 5}};
    for (const auto& [w, h] : sizes) {
        auto bytes = base;
        for (int k = 0; k < 4; ++k) {
            bytes[16 + k] = static_cast<std::uint8_t>(w >> (24 - 8 * k));
            bytes[20 + k] = static_cast<std::uint8_t>(h >> (24 - 8 * k));
        }
        PixelImage got;
        std::string error;
        EXPECT_EQ(cPNGparser::LoadStream(bytes.data(), bytes.size(), WithZlib(false), got, error), ParseResult::Failed)
            << w << "x" << h;
    }
}

// Every suite stream through our inflater is the suite test's part above.
TEST(Inflate, BuffersFromEveryLevelAndStrategy) {
    std::mt19937 rng(7);
    std::vector<std::uint8_t> text(300000);
    // Mixed content: runs, repeats at long distances, noise.
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = i % 5000 < 2000 ? static_cast<std::uint8_t>(i / 97) : i % 5000 < 4000 ? text[i > 40000 ? i - 32768 : i / 2] : static_cast<std::uint8_t>(rng());
    for (int strategy : {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED}) {
        for (int level = 0; level <= 9; ++level) {
            z_stream z{};
            deflateInit2(&z, level, Z_DEFLATED, 15, 8, strategy);
            std::vector<std::uint8_t> packed(deflateBound(&z, text.size()));
            z.next_in = text.data();
            z.avail_in = static_cast<uInt>(text.size());
            z.next_out = packed.data();
            z.avail_out = static_cast<uInt>(packed.size());
            ASSERT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
            packed.resize(z.total_out);
            deflateEnd(&z);
            std::vector<std::uint8_t> got(text.size() + 64);
            std::size_t written = 0;
            ASSERT_EQ(InflateZlib(packed.data(), packed.size(), got.data(), got.size(), &written), InflateStatus::Ok)
                << "level " << level << " strategy " << strategy;
            got.resize(written);
            EXPECT_TRUE(got == text) << "level " << level << " strategy " << strategy;
        }
    }
}

// Flipped bits are the fuzzer's part (fuzz_inflate agrees with zlib byte for byte).
TEST(Inflate, CutStreamsAndShortBuffersFailCleanly) {
    int checked = 0;
    for (const auto& e : fs::directory_iterator(PANOREL_TESTDATA "/pngsuite")) {
        if (e.path().extension() != ".png" || checked++ % 7 != 0) continue;
        const auto bytes = test::ReadFile(e.path().string());
        std::vector<std::uint8_t> s;  // the concatenated IDAT data
        for (const auto& c : test::PngChunks(bytes))
            if (c.type == "IDAT") s.insert(s.end(), c.data.begin(), c.data.end());
        std::vector<std::uint8_t> out(1 << 20);
        uLongf size = out.size();
        if (s.empty() || uncompress(out.data(), &size, s.data(), s.size()) != Z_OK) continue;
        std::size_t written;
        // Every cut short of the whole stream fails.
        for (std::size_t cut = 0; cut < s.size(); cut += 1 + s.size() / 64)
            EXPECT_NE(InflateZlib(s.data(), cut, out.data(), size, &written), InflateStatus::Ok);
        // Too small an output buffer fails instead of writing past it.
        if (size > 0) EXPECT_EQ(InflateZlib(s.data(), s.size(), out.data(), size - 1, &written), InflateStatus::OutputFull);
    }
}

}  // namespace
}  // namespace panorel::imaging
