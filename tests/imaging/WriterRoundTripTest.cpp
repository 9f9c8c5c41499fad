// Every reference picture written as PNG, BMP and TGA in each writer mode and
// read back by independent decoders: libpng for PNG, Pillow for BMP and TGA.
// Pixels are compared in premultiplied form: straight values that the writers
// derive with rounding premultiply back to exactly the source's bytes. Then the
// PNG writer's own chunks, its property table, and what it does without zlib.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

#include "imaging/BmpWriter.h"
#include "imaging/ImageWriterSupport.h"
#include "imaging/TgaWriter.h"
#include "imaging/WriterOracles.h"
#include "imaging/cPNGwriter.h"
#include "imaging/modParsers.h"

namespace panorel::imaging {
namespace {

using test::Decoded;

struct Source {
    std::string name;
    PixelImage image;
};

// PngSuite, the TGA references and the BMP suite's agreed renderings, plus a
// translucent 1 x 1 and a 16384 x 1 alpha ramp.
const std::vector<Source>& Sources() {
    static const std::vector<Source> sources = [] {
        std::vector<Source> s;
        for (const char* dir : {"/pngsuite", "/tga/common", "/bmp-testsuite/ref-oracle/valid"})
            for (const auto& e : std::filesystem::directory_iterator(PANOREL_TESTDATA + std::string(dir))) {
                Source src{e.path().filename().string(), {}};
                if (e.path().extension() == ".png" && src.name[0] != 'x' &&  // PngSuite's corrupt files
                    test::LoadPngPicture(e.path().string(), src.image))
                    s.push_back(std::move(src));
            }
        const std::uint8_t one[4] = {200, 100, 50, 128};
        s.push_back({"1x1", test::FromStraightRgba(1, 1, one)});
        std::vector<std::uint8_t> ramp(16384 * 4);
        for (int x = 0; x < 16384; ++x)
            for (int c = 0; c < 4; ++c) ramp[x * 4 + c] = static_cast<std::uint8_t>((x >> (2 * c)) * (c + 1));
        s.push_back({"16384x1", test::FromStraightRgba(16384, 1, ramp.data())});
        return s;
    }();
    return sources;
}

// Compares a decoder's straight RGBA (or stored values, when the file keeps
// them premultiplied) with the source; `alpha` false when the decoder does not
// report alpha (Pillow on a 32-bit BI_RGB BMP), which then counts as the source's.
bool SamePixels(const PixelImage& src, const Decoded& d, bool premultipliedFile, bool alpha) {
    if (d.width != src.width || d.height != src.height || d.rgba.size() != src.bgra.size()) return false;
    for (std::size_t i = 0; i < d.rgba.size(); i += 4) {
        const std::uint8_t a = alpha ? d.rgba[i + 3] : src.bgra[i + 3];
        for (int c = 0; c < 3; ++c) {
            const std::uint8_t v = premultipliedFile ? d.rgba[i + c] : test::Premultiply(d.rgba[i + c], a);
            if (v != src.bgra[i + 2 - c]) return false;
        }
        if (a != src.bgra[i + 3]) return false;
    }
    return true;
}

// Our own detection chain and parsers (system zlib); empty when nothing loads.
PixelImage ReadBackOurselves(const std::vector<std::uint8_t>& bytes) {
    ParseOptions options;
    options.zlib = test::SystemZlib();
    PixelImage p;
    DetectAndParse(bytes.data(), bytes.size(), options, {}, p);
    return p;
}

bool Same(const PixelImage& a, const PixelImage& b) {
    return a.width == b.width && a.height == b.height && a.bgra == b.bgra;
}

bool WithinReaderLimits(const PixelImage& p) { return ImageLimits{}.Allows(p.width, p.height); }

// A BMP holding premultiplied colours says nothing about it, so our reader
// takes them for straight ones and premultiplies them again. (A TGA says so
// in its extension area, and comes back exactly.)
PixelImage PremultipliedTwice(const PixelImage& p) {
    PixelImage q = p;
    for (std::size_t i = 0; i < q.bgra.size(); i += 4)
        for (int c = 0; c < 3; ++c) q.bgra[i + c] = test::Premultiply(p.bgra[i + c], p.bgra[i + 3]);
    return q;
}

// Our BMP and TGA readers take a file whose alpha is zero everywhere for one
// without alpha (as many writers leave it), so a wholly transparent picture
// comes back opaque black.
PixelImage AllZeroAlphaMeansOpaque(PixelImage p) {
    for (std::size_t i = 3; i < p.bgra.size(); i += 4)
        if (p.bgra[i] != 0) return p;
    for (std::size_t i = 3; i < p.bgra.size(); i += 4) p.bgra[i] = 255;
    return p;
}

// A picture laid over a colour, as a 24-bit file stores it.
PixelImage Flattened(const PixelImage& p, ColorRef fill) {
    PixelImage f = p;
    const std::uint8_t bg[3] = {FillBlue(fill), FillGreen(fill), FillRed(fill)};
    for (std::size_t i = 0; i < f.bgra.size(); i += 4) {
        for (int c = 0; c < 3; ++c) f.bgra[i + c] = OverBackground(p.bgra[i + c], p.bgra[i + 3], bg[c]);
        f.bgra[i + 3] = 255;
    }
    return f;
}

PixelImage AsItIs(const PixelImage& p) { return p; }

// A writer mode: its file name ending, whether the file holds premultiplied
// colours, whether Pillow reports its alpha, and what is expected back.
struct Mode {
    std::string name, extension;
    bool premultipliedFile;
    bool alphaReported;
    std::function<bool(const PixelImage&, std::vector<std::uint8_t>&)> write;
    std::function<PixelImage(const PixelImage&)> expected = AsItIs;
    std::function<PixelImage(const PixelImage&)> ourReaderSees = AllZeroAlphaMeansOpaque;
};

// Every mode's files for all sources: PNG read by libpng here, BMP and TGA by
// Pillow in one go, and all of them by our own readers.
TEST(WriterRoundTrip, EveryModeThroughLibpngOrPillowAndOurReaders) {
    const cPNGwriter png(test::SystemZlib());
    std::vector<Mode> modes = {
        {"PNG", ".png", false, true, [&](const PixelImage& p, auto& o) { return png.Write(p, o); }, AsItIs, AsItIs},
        {"BMP straight", ".bmp", false, false, [](const PixelImage& p, auto& o) { return SaveAsBMP(p, o); }},
        {"BMP premultiplied", ".bmp", true, false, [](const PixelImage& p, auto& o) { return SaveAsBMP(p, o, true); },
         AsItIs, [](const PixelImage& p) { return AllZeroAlphaMeansOpaque(PremultipliedTwice(p)); }},
        {"BMP filled", ".bmp", false, true, [](const PixelImage& p, auto& o) { return SaveAsBMP(p, o, false, 0x336699); },
         [](const PixelImage& p) { return Flattened(p, 0x336699); }}};
    for (int m = 0; m < 8; ++m) {
        const bool rle = m & 1, reduce = m & 2, premultiplied = m & 4;
        modes.push_back({std::string("TGA ") + (rle ? "rle" : "raw") + (reduce ? " reduced" : "") +
                             (premultiplied ? " premultiplied" : ""),
                         ".tga", premultiplied, true,
                         [=](const PixelImage& p, auto& o) { return SaveAsTGA(p, o, rle, reduce, premultiplied); }});
    }
    ASSERT_GE(Sources().size(), 240u);
    const std::string dir = test::TempDir("round-trip");
    std::vector<std::string> paths;  // Pillow's files; none for PNG
    std::vector<std::vector<std::uint8_t>> files;
    std::vector<std::pair<const Mode*, const Source*>> what;
    for (const Mode& m : modes)
        for (const Source& s : Sources()) {
            files.emplace_back();
            ASSERT_TRUE(m.write(s.image, files.back())) << m.name << " " << s.name;
            paths.push_back(m.extension == ".png" ? "" : dir + "/" + std::to_string(paths.size()) + m.extension);
            if (!paths.back().empty()) test::WriteFile(paths.back(), files.back());
            what.emplace_back(&m, &s);
        }
    const std::vector<Decoded> decoded = test::DecodeWithPillow(paths);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const auto [m, s] = what[i];
        SCOPED_TRACE(m->name + " " + s->name + " (" + paths[i] + ")");
        const PixelImage want = m->expected(s->image);
        PixelImage back;
        const bool same = paths[i].empty() ? test::LibpngDecode(files[i], back) && Same(back, want)
                                           : SamePixels(want, decoded[i], m->premultipliedFile && !IsOpaque(want),
                                                        m->alphaReported || IsOpaque(want));
        EXPECT_TRUE(same) << (paths[i].empty() ? "libpng" : "Pillow");
        if (WithinReaderLimits(want)) EXPECT_TRUE(Same(ReadBackOurselves(files[i]), m->ourReaderSees(want))) << "our reader";
    }
    std::system(("rm -rf " + dir).c_str());
}

// Premultiplied BGRA, one pixel half transparent.
PixelImage Small() {
    return {3, 2, {10, 20, 30, 255, 40, 50, 60, 255, 20, 40, 60, 128, 0, 0, 0, 255, 255, 255, 255, 255, 1, 2, 3, 255}};
}

TEST(PngWriter, WritesOneTextChunkPerPropertyAndTheOptionalChunksAndNeedsCrcAndACompressor) {
    PngExtras extras;
    extras.texts.push_back({std::string(PngTextKeyword(1)), "Caf\xE9"});  // ANSI bytes as given
    extras.background = 0x00FF8000;
    extras.dotsPerInch = 96;
    extras.time = 951782400;  // 2000-02-29 00:00:00
    std::vector<std::uint8_t> png;
    ASSERT_TRUE(cPNGwriter(test::SystemZlib()).Write(Small(), png, extras));
    const auto chunks = test::PngChunks(png);
    std::map<std::string, std::vector<std::string>> data;  // by type
    for (const auto& c : chunks) {
        const std::uint8_t* crc = &png[c.at + 8 + c.data.size()];
        EXPECT_EQ(std::uint32_t{crc[0]} << 24 | crc[1] << 16 | crc[2] << 8 | crc[3],
                  ::crc32(0, &png[c.at + 4], static_cast<uInt>(c.data.size() + 4))) << c.type;
        data[c.type].push_back(c.data);
    }
    EXPECT_EQ(data["tEXt"], std::vector<std::string>{std::string("Title\0Caf\xE9", 10)});
    EXPECT_EQ(data["tIME"], std::vector<std::string>{std::string("\x07\xD0\x02\x1D\0\0\0", 7)});
    EXPECT_EQ(data["bKGD"], std::vector<std::string>{std::string("\0\0\0\x80\0\xFF", 6)});
    EXPECT_EQ(data["pHYs"], std::vector<std::string>{std::string("\0\0\x0E\xC4\0\0\x0E\xC4\x01", 9)});  // 3780 per metre
    EXPECT_EQ(chunks.front().type, "IHDR");
    EXPECT_EQ(chunks.back().type, "IEND");
    PixelImage back;
    ASSERT_TRUE(test::LibpngDecode(png, back));
    EXPECT_EQ(back.bgra, Small().bgra);

    // Without a compressor or CRC, or with no picture, nothing is written.
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

TEST(PngWriter, PropertyNamesMatchIgnoringCase) {
    const std::pair<const char*, std::int32_t> names[] = {
        {"title", 1}, {"creation time", 16}, {"Comment", 512}, {"gamma", kPngPropertyGamma}, {"Titles", 0}, {"", 0}};
    for (const auto& [name, id] : names) EXPECT_EQ(PngPropertyIdFromName(name), id) << name;
    EXPECT_EQ(PngTextKeyword(16), "Creation Time");
    EXPECT_EQ(PngTextKeyword(kPngPropertyGamma), "");
}

}  // namespace
}  // namespace panorel::imaging
