// The GIF LZW encoder against giflib: sub-block framing, table-full resets, masking and clamping.
#include "imaging/LzwEncoder.h"

#include <gtest/gtest.h>

#include <random>

#include "imaging/WriterOracles.h"

namespace panorel::imaging {
namespace {

struct Case {
    const char* name;
    int width, height, minCodeSize;
    std::size_t subBlock;
    int pattern;  // 0 noise, 1 one value, 2 gradient, 3 short runs
};

std::vector<std::uint8_t> Make(const Case& c) {
    std::mt19937 rng(static_cast<std::uint32_t>(c.width * 31 + c.height));
    std::vector<std::uint8_t> v(static_cast<std::size_t>(c.width) * c.height);
    const std::size_t values = std::size_t{1} << c.minCodeSize;
    for (std::size_t i = 0; i < v.size(); ++i)
        v[i] = static_cast<std::uint8_t>(c.pattern == 0   ? rng() % values
                                         : c.pattern == 1 ? values - 1
                                         : c.pattern == 2 ? (i % c.width + i / c.width) % values
                                                          : i / (1 + rng() % 7) % values);
    return v;
}

// Noise fills the 4096-code table many times over, so those cases cross
// table-full resets; a single value grows one long string instead.
TEST(LzwEncoder, RoundTripsThroughGiflib) {
    const Case cases[] = {
        {"one pixel", 1, 1, 8, 254, 0},       {"noise 8 bit", 300, 200, 8, 254, 0},
        {"noise 2 bit", 257, 61, 2, 254, 0},  {"noise 5 bit", 97, 103, 5, 255, 0},
        {"one value", 640, 480, 8, 254, 1},   {"gradient", 123, 77, 8, 1, 2},
        {"short runs", 512, 512, 4, 100, 3},  {"one value 2 bit", 1000, 3, 2, 254, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::uint8_t> indices = Make(c);
        const std::vector<std::uint8_t> lzw = LzwEncodeGif(indices.data(), indices.size(), c.minCodeSize, c.subBlock);
        ASSERT_EQ(lzw.front(), c.minCodeSize);
        ASSERT_EQ(lzw.back(), 0);
        // Every sub-block is within the size asked for and the chain ends exactly at the terminator.
        std::size_t p = 1;
        while (lzw[p] != 0) {
            ASSERT_LE(lzw[p], c.subBlock);
            p += lzw[p] + 1u;
            ASSERT_LT(p, lzw.size());
        }
        EXPECT_EQ(p, lzw.size() - 1);
        std::vector<std::uint8_t> decoded;
        ASSERT_TRUE(test::DecodeFirstImage(test::WrapGif(lzw, c.width, c.height, c.minCodeSize), decoded));
        EXPECT_EQ(decoded, indices);
    }
}

TEST(LzwEncoder, MasksLargeIndicesAndClampsArguments) {
    const std::vector<std::uint8_t> indices = {0, 1, 7, 255, 4, 3};
    const std::vector<std::uint8_t> lzw = LzwEncodeGif(indices.data(), indices.size(), 1, 0);
    EXPECT_EQ(lzw.front(), 2);
    EXPECT_EQ(lzw[1], 1);  // one-byte sub-blocks
    std::vector<std::uint8_t> decoded;
    ASSERT_TRUE(test::DecodeFirstImage(test::WrapGif(lzw, 6, 1, 2), decoded));
    EXPECT_EQ(decoded, (std::vector<std::uint8_t>{0, 1, 3, 3, 0, 3}));
    EXPECT_EQ(LzwEncodeGif(nullptr, 0).size(), 6u);  // size byte, one 3-byte block (clear, end), terminator
}

}  // namespace
}  // namespace panorel::imaging
