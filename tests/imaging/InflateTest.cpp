// Our inflater against zlib: the same bytes for every stream zlib makes or
// reads, and a clean failure for anything damaged.
#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <random>

#include "imaging/Inflate.h"
#include "imaging/WriterOracles.h"
#include "imaging/modParsers.h"

namespace panorel::imaging {
namespace {

namespace fs = std::filesystem;

// Every suite stream through our inflater is PngParser.SuiteMatchesLibpngWithEitherInflater's part.
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
            if (c.type == "IDAT") s.insert(s.end(), &bytes[c.at + 8], &bytes[c.at + 8 + c.size]);
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
