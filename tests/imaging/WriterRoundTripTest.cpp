// Every reference picture written as PNG, BMP and TGA in each writer mode and
// read back by independent decoders: libpng for PNG, Pillow for BMP and TGA.
// Pixels are compared in premultiplied form: straight values that the writers
// derive with rounding premultiply back to exactly the source's bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>

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

TEST(WriterRoundTrip, PngThroughLibpng) {
    const cPNGwriter writer(test::SystemZlib());
    int checked = 0;
    for (const Source& s : Sources()) {
        std::vector<std::uint8_t> png;
        ASSERT_TRUE(writer.Write(s.image, png)) << s.name;
        PixelImage back;
        ASSERT_TRUE(test::LibpngDecode(png, back)) << s.name;
        EXPECT_TRUE(Same(back, s.image)) << s.name;
        if (WithinReaderLimits(s.image)) EXPECT_TRUE(Same(ReadBackOurselves(png), s.image)) << "our reader: " << s.name;
        ++checked;
    }
    EXPECT_GE(checked, 240);
}

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

// A writer mode: its file name ending, whether the file holds premultiplied
// colours, whether Pillow reports its alpha, and what is expected back.
struct Mode {
    std::string name, extension;
    bool premultipliedFile;
    bool alphaReported;
    std::function<bool(const PixelImage&, std::vector<std::uint8_t>&)> write;
    std::function<PixelImage(const PixelImage&)> expected = [](const PixelImage& p) { return p; };
    // What our reader makes of the file: the picture itself, unless noted.
    std::function<PixelImage(const PixelImage&)> ourReaderSees = [](const PixelImage& p) { return p; };
};

// Every BMP and TGA mode's files for all sources, decoded by Pillow in one go.
TEST(WriterRoundTrip, BmpAndTgaThroughPillow) {
    std::vector<Mode> modes = {
        {"BMP straight", ".bmp", false, false, [](const PixelImage& p, auto& o) { return SaveAsBMP(p, o); }},
        {"BMP premultiplied", ".bmp", true, false, [](const PixelImage& p, auto& o) { return SaveAsBMP(p, o, true); },
         [](const PixelImage& p) { return p; }, PremultipliedTwice},
        {"BMP filled", ".bmp", false, true, [](const PixelImage& p, auto& o) { return SaveAsBMP(p, o, false, 0x336699); },
         [](const PixelImage& p) { return Flattened(p, 0x336699); }}};
    for (int m = 0; m < 8; ++m) {
        const bool rle = m & 1, reduce = m & 2, premultiplied = m & 4;
        modes.push_back({std::string("TGA ") + (rle ? "rle" : "raw") + (reduce ? " reduced" : "") +
                             (premultiplied ? " premultiplied" : ""),
                         ".tga", premultiplied, true,
                         [=](const PixelImage& p, auto& o) { return SaveAsTGA(p, o, rle, reduce, premultiplied); }});
    }
    const std::string dir = test::TempDir("bmp-tga");
    std::vector<std::string> paths;
    std::vector<std::pair<const Mode*, const Source*>> what;
    for (const Mode& m : modes)
        for (const Source& s : Sources()) {
            std::vector<std::uint8_t> bytes;
            ASSERT_TRUE(m.write(s.image, bytes)) << m.name << " " << s.name;
            paths.push_back(dir + "/" + std::to_string(paths.size()) + m.extension);
            test::WriteFile(paths.back(), bytes);
            what.emplace_back(&m, &s);
        }
    const std::vector<Decoded> decoded = test::DecodeWithPillow(paths);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const auto [m, s] = what[i];
        SCOPED_TRACE(m->name + " " + s->name + " (" + paths[i] + ")");
        const PixelImage want = m->expected(s->image);
        EXPECT_TRUE(SamePixels(want, decoded[i], m->premultipliedFile && !IsOpaque(want), m->alphaReported || IsOpaque(want)));
        if (WithinReaderLimits(want))
            EXPECT_TRUE(Same(ReadBackOurselves(test::ReadFile(paths[i])), AllZeroAlphaMeansOpaque(m->ourReaderSees(want))))
                << "our reader";
    }
    std::system(("rm -rf " + dir).c_str());
}

}  // namespace
}  // namespace panorel::imaging
