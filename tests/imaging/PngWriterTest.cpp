// The PNG writer's chunks: text properties, the property table, and what it
// does without zlib. Pixels over many pictures are the round trips' part.
#include <gtest/gtest.h>

#include "imaging/WriterOracles.h"
#include "imaging/cPNGwriter.h"

namespace panorel::imaging {
namespace {

// The chunks after the signature as (type, data), each CRC checked with zlib directly.
std::vector<std::pair<std::string, std::string>> Chunks(const std::vector<std::uint8_t>& png) {
    std::vector<std::pair<std::string, std::string>> chunks;
    for (const auto& c : test::PngChunks(png)) {
        const std::uint8_t* crc = &png[c.at + 8 + c.size];
        EXPECT_EQ(std::uint32_t{crc[0]} << 24 | crc[1] << 16 | crc[2] << 8 | crc[3], ::crc32(0, &png[c.at + 4], c.size + 4));
        chunks.emplace_back(c.type, std::string(png.begin() + c.at + 8, png.begin() + c.at + 8 + c.size));
    }
    return chunks;
}

// Premultiplied BGRA, one pixel half transparent.
PixelImage Small() {
    return {3, 2, {10, 20, 30, 255, 40, 50, 60, 255, 20, 40, 60, 128, 0, 0, 0, 255, 255, 255, 255, 255, 1, 2, 3, 255}};
}

TEST(PngWriter, WritesOneTextChunkPerPropertyAndTheOptionalChunks) {
    PngExtras extras;
    extras.texts.push_back({std::string(PngTextKeyword(1)), "Caf\xE9"});  // ANSI bytes as given
    extras.background = 0x00FF8000;
    extras.dotsPerInch = 96;
    extras.time = 951782400;  // 2000-02-29 00:00:00
    std::vector<std::uint8_t> png;
    ASSERT_TRUE(cPNGwriter(test::SystemZlib()).Write(Small(), png, extras));
    std::vector<std::string> types;
    int texts = 0;
    for (const auto& [type, data] : Chunks(png)) {
        types.push_back(type);
        texts += type == "tEXt";
        if (type == "tEXt") EXPECT_EQ(data, std::string("Title\0Caf\xE9", 10));
        if (type == "tIME") EXPECT_EQ(data, std::string("\x07\xD0\x02\x1D\0\0\0", 7));
        if (type == "bKGD") EXPECT_EQ(data, std::string("\0\0\0\x80\0\xFF", 6));
        if (type == "pHYs") EXPECT_EQ(data.substr(0, 4), std::string("\0\0\x0E\xC4", 4));  // 3780 per metre
    }
    EXPECT_EQ(texts, 1);
    EXPECT_EQ(types.front(), "IHDR");
    EXPECT_EQ(types.back(), "IEND");
    PixelImage back;
    ASSERT_TRUE(test::LibpngDecode(png, back));
    EXPECT_EQ(back.bgra, Small().bgra);
}

TEST(PngWriter, PropertyNamesMatchIgnoringCase) {
    const std::pair<const char*, std::int32_t> names[] = {
        {"title", 1}, {"creation time", 16}, {"Comment", 512}, {"gamma", kPngPropertyGamma}, {"Titles", 0}, {"", 0}};
    for (const auto& [name, id] : names) EXPECT_EQ(PngPropertyIdFromName(name), id) << name;
    EXPECT_EQ(PngTextKeyword(16), "Creation Time");
    EXPECT_EQ(PngTextKeyword(kPngPropertyGamma), "");
}

TEST(PngWriter, NeedsCrcAndOneOfTheCompressors) {
    std::vector<std::uint8_t> png{1, 2, 3};
    ZlibApi z = test::SystemZlib();
    z.compress2 = nullptr;  // compress alone will do
    EXPECT_TRUE(cPNGwriter(z).Write(Small(), png));
    z.compress = nullptr;
    png = {1, 2, 3};
    EXPECT_FALSE(cPNGwriter(z).Write(Small(), png));
    EXPECT_FALSE(cPNGwriter(ZlibApi{}).Write(Small(), png));
    EXPECT_FALSE(cPNGwriter(test::SystemZlib()).Write(PixelImage{}, png));
    EXPECT_EQ(png, (std::vector<std::uint8_t>{1, 2, 3}));
}

}  // namespace
}  // namespace panorel::imaging
