// cAlphaImage under Wine: Render on each of its three paths onto real device
// contexts, the loaders' refusals, and no handle left behind.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <string>

#include "imaging/ImageTestSupport.h"
#include "imaging/cPNGparser.h"

namespace panorel::imaging {
namespace {

const std::wstring kData = L"" PANOREL_TESTDATA_W;

enum class Path { AlphaBlend, Gdiplus, Own };
const char* Name(Path p) { return p == Path::AlphaBlend ? "AlphaBlend" : p == Path::Gdiplus ? "GDI+" : "own"; }

void Choose(cAlphaImage& img, Path p) {
    img.isAlphaBlendFriendly(p == Path::AlphaBlend);
    img.isGDIplusEnabled(p != Path::Own);
    img.HighQualityInterpolation(false);
}

// The own blend's formulas for one channel.
int Expected(int d, int s, int alpha, int opacity) {
    const int op = opacity * 255 / 100;
    if (alpha == 0) return d;
    const int a = alpha * op / 255;
    return (d * (255 - a) + s * op) / 255;
}

int AlphaAt(const cAlphaImage& img, int x, int y) {
    std::int32_t a = -1;
    img.GetPixel(x, y, &a);
    return a;
}

class RenderPaths : public ::testing::TestWithParam<Path> {};

TEST_P(RenderPaths, OpacityMirroringLightAndGrey) {
    const Path path = GetParam();
    const int tol = path == Path::Own ? 0 : 2;  // AlphaBlend and GDI+ round their own way
    if (path == Path::Gdiplus) {
        cAlphaImage probe;
        if (!probe.isGDIplusEnabled()) GTEST_SKIP() << "no GDI+";
    }
    cAlphaImage img;
    ASSERT_TRUE(MakeSample(img));
    Choose(img, path);
    const std::uint8_t bg = 80;
    const int sourceBgr[4][4] = {{50, 100, 200, 255}, {20, 40, 60, 128}, {0, 0, 0, 0}, {255, 0, 0, 255}};

    // Opacity 0 draws nothing, mirrored reverses the columns, light 150 counts as 0.
    const struct {
        const char* what;
        int opacity, effective, srcWidth, grey, light;
    } cases[] = {{"opacity 100", 100, 100, 0, -1, 0}, {"opacity 200", 200, 100, 0, -1, 0},
                 {"opacity 50", 50, 50, 0, -1, 0},    {"opacity 0", 0, 0, 0, -1, 0},
                 {"mirrored", 100, 100, -4, -1, 0},   {"light 150", 100, 100, 0, -1, 150},
                 {"grey", 100, 100, 0, 2, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(Name(path)) + " " + c.what);
        Target t(8, 4, bg);
        ASSERT_TRUE(img.Render(t.dc.get(), 2, 1, 0, 0, 0, 0, c.srcWidth, 0, c.opacity, true, true, nullptr, c.grey, c.light));
        for (int x = 0; x < 4; ++x) {
            const int* s = sourceBgr[c.srcWidth < 0 ? 3 - x : x];
            const int grey = (s[2] * 333 + s[1] * 334 + s[0] * 333 + 500) / 1000;
            for (int k = 0; k < 3; ++k)
                EXPECT_NEAR(t.At(2 + x, 1)[k], Expected(bg, c.grey < 0 ? s[k] : grey, s[3], c.effective),
                            c.grey < 0 || path == Path::Own ? tol : 1)
                    << "column " << x << " channel " << k;
        }
        EXPECT_EQ(t.At(1, 1)[0], bg);  // nothing outside the rectangle
        EXPECT_EQ(t.At(6, 1)[0], bg);
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, RenderPaths, ::testing::Values(Path::AlphaBlend, Path::Gdiplus, Path::Own),
                         [](const auto& info) { return std::string(info.param == Path::Gdiplus ? "Gdiplus" : Name(info.param)); });

TEST(cAlphaImage, RendersOntoAHostImage) {
    cAlphaImage img, host;
    ASSERT_TRUE(MakeSample(img));
    ASSERT_TRUE(host.InitializeDIB(8, 4));
    Choose(img, Path::Own);
    ASSERT_TRUE(img.Render(nullptr, 1, 1, 0, 0, 0, 0, 0, 0, 100, true, true, &host));
    EXPECT_EQ(host.GetPixel(1, 1), RGB(200, 100, 50));
    EXPECT_EQ(AlphaAt(host, 1, 1), 255);
    EXPECT_EQ(AlphaAt(host, 2, 1), 128);
    EXPECT_EQ(AlphaAt(host, 3, 1), 0);
}

TEST(cAlphaImage, LoadersRefuseWhatTheyMust) {
    const long bitmaps = BitmapHandle::LiveCount(), dcs = MemoryDcHandle::LiveCount();
    {
        std::vector<std::string> reports;
        cAlphaImage::SetPngErrorReporter([&](const std::wstring& e) { reports.emplace_back(e.begin(), e.end()); });
        cAlphaImage img;
        img.isGDIplusEnabled(false);
        // 56 bytes of a real PNG are refused before any parser sees them: no report.
        const std::wstring file = TempPath(L"panorel-cut.png");
        const std::string png = ReadAll(kData + L"/pngsuite/basn0g01.png");
        ASSERT_GT(png.size(), 56u);
        for (std::size_t n : {std::size_t{56}, png.size()}) {
            ASSERT_TRUE(WriteAll(file, png.data(), n));
            EXPECT_EQ(img.LoadPicture_File(file), n > 56) << n;
        }
        ::DeleteFileW(file.c_str());
        EXPECT_TRUE(reports.empty());
        EXPECT_FALSE(img.LoadPicture_Stream(std::vector<std::uint8_t>(png.begin(), png.begin() + 19)));
        // A broken PNG is reported once, in the reader's own words.
        const std::string broken = ReadAll(kData + L"/pngsuite/xd0n2c08.png");
        PixelImage none;
        std::string why;
        cPNGparser::LoadStream(reinterpret_cast<const std::uint8_t*>(broken.data()), broken.size(), {}, none, why);
        EXPECT_FALSE(img.LoadPicture_File(kData + L"/pngsuite/xd0n2c08.png"));
        EXPECT_EQ(reports, std::vector<std::string>{why});
        EXPECT_EQ(img.ImageType(), kImageTypeNone);
        // The button's call: a custom resource of this program at 32 x 32.
        EXPECT_TRUE(img.LoadPicture_Resource(std::wstring(L"TESTPICTURE"), std::wstring(L"PNG"), nullptr, 32, 32, 0, 0, 32));
        EXPECT_EQ(img.ImageType(), kImageTypePng);
        EXPECT_EQ(img.Width(), 32);
        EXPECT_EQ(img.Height(), 32);
        // A resource that does not exist: false and no image.
        EXPECT_FALSE(img.LoadPicture_Resource(std::wstring(L"NO_SUCH_PICTURE"), std::wstring(L"PNG"), nullptr, 32, 32, 0, 0, 32));
        EXPECT_EQ(img.ImageType(), kImageTypeNone);
        EXPECT_EQ(img.Width(), 0);
        cAlphaImage::SetPngErrorReporter(nullptr);
    }
    EXPECT_EQ(BitmapHandle::LiveCount(), bitmaps);
    EXPECT_EQ(MemoryDcHandle::LiveCount(), dcs);
}

TEST(cAlphaImage, EachFormatLoadsFromFiles) {
    const struct {
        const wchar_t* file;
        std::int32_t type, width, height;
    } cases[] = {
        {L"/pngsuite/basn6a08.png", kImageTypePng, 32, 32},
        {L"/gif-testsuite/gifs/static_transparent.gif", kImageTypeGif, -1, -1},
        {L"/ico/multi-size/wiki.ico", kImageTypeIcon, 32, 32},
        {L"/bmp-testsuite/valid/8bpp-320x240.bmp", kImageTypeBitmap, 320, 240},
        {L"/tga/common/200x32_rgba_tl_rle.tga", kImageTypeTga, 200, 32},
    };
    for (bool gdiplus : {false, true}) {
        cAlphaImage img;
        img.isGDIplusEnabled(gdiplus);
        for (const auto& c : cases) {
            const std::wstring path = kData + c.file;
            ASSERT_TRUE(img.LoadPicture_File(path, 32, 32, true, 32)) << std::string(path.begin(), path.end());
            // GDI+ takes PNG first and reads what the others decline (it knows no TGA).
            const std::int32_t type = img.ImageType();
            EXPECT_TRUE(type == c.type || (gdiplus && type == kImageTypePng)) << type;
            if (c.width > 0) {
                EXPECT_EQ(img.Width(), c.width);
                EXPECT_EQ(img.Height(), c.height);
            }
            EXPECT_FALSE(img.GetOrginalFormat().empty());
        }
    }
}

// With GDI+ enabled a PNG goes to GDI+ before our reader: Wine's GDI+ does
// not check CRCs, so a file whose only fault is its IDAT CRC loads there and
// is refused by our reader (zlib beside the program).
TEST(cAlphaImage, PngGoesToGdiplusFirst) {
    cAlphaImage img;
    if (!img.isGDIplusEnabled()) GTEST_SKIP() << "no GDI+";
    ASSERT_TRUE(img.isZlibEnabled());
    cAlphaImage::SetPngErrorReporter(nullptr);
    EXPECT_TRUE(img.LoadPicture_File(kData + L"/pngsuite/xcsn0g01.png"));
    EXPECT_EQ(img.ImageType(), kImageTypePng);
    img.isGDIplusEnabled(false);
    EXPECT_FALSE(img.LoadPicture_File(kData + L"/pngsuite/xcsn0g01.png"));
}

TEST(cAlphaImage, LoadsIconAndBitmapHandles) {
    // A 2 x 2 icon: one opaque red, one half-transparent green, two clear.
    const std::uint32_t argb[4] = {0xFFFF0000u, 0x8000FF00u, 0, 0};
    BitmapHandle colour(::CreateBitmap(2, 2, 1, 32, argb));
    BitmapHandle mask(::CreateBitmap(2, 2, 1, 1, nullptr));
    ICONINFO ii{TRUE, 0, 0, mask.get(), colour.get()};
    HICON icon = ::CreateIconIndirect(&ii);
    ASSERT_TRUE(icon);
    cAlphaImage img;
    ASSERT_TRUE(img.LoadPicture_ByHandle(icon));
    ::DestroyIcon(icon);
    EXPECT_EQ(img.ImageType(), kImageTypeIconHandle);
    EXPECT_EQ(img.GetPixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(AlphaAt(img, 0, 0), 255);
    EXPECT_NEAR(AlphaAt(img, 1, 0), 128, 1);
    EXPECT_EQ(AlphaAt(img, 0, 1), 0);

    const std::uint32_t opaque[4] = {0x00102030u, 0x00405060u, 0x00708090u, 0x00A0B0C0u};
    BitmapHandle bitmap(::CreateBitmap(2, 2, 1, 32, opaque));
    ASSERT_TRUE(img.LoadPicture_ByHandle(bitmap.get()));
    EXPECT_EQ(img.ImageType(), kImageTypeBitmap);
    EXPECT_EQ(img.Alpha(), kAlphaOpaque);
    EXPECT_EQ(img.GetPixel(1, 1), RGB(0xA0, 0xB0, 0xC0));
}

// The geometry and effects families on the 4 x 2 sample (columns: opaque
// R200 G100 B50, half-transparent, clear, opaque blue).
TEST(cAlphaImage, GeometryAndEffects) {
    cAlphaImage img;
    MakeSample(img);
    ASSERT_TRUE(img.MirrorImage(true, false));
    EXPECT_EQ(img.GetPixel(0, 0), RGB(0, 0, 255));
    EXPECT_EQ(img.GetPixel(3, 1), RGB(200, 100, 50));

    MakeSample(img);
    std::int32_t x = 0, y = 0, w = 0, h = 0;
    img.SetPixel(3, 0, 0, 0);
    img.SetPixel(3, 1, 0, 0);
    ASSERT_TRUE(img.TrimImage(true, 0, &x, &y, &w, &h));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(w, 2);
    EXPECT_EQ(h, 2);
    EXPECT_EQ(img.Width(), 2);

    MakeSample(img);
    ASSERT_TRUE(img.ScaleImage(8, 4));
    EXPECT_EQ(img.GetPixel(1, 3), RGB(200, 100, 50));
    EXPECT_EQ(AlphaAt(img, 5, 2), 0);

    MakeSample(img);
    img.MakeGrayScale(2);
    EXPECT_EQ(img.GetPixel(0, 0), RGB(117, 117, 117));  // 200*.333 + 100*.334 + 50*.333 = 116.65
    img.MakeTransparent(RGB(117, 117, 117));
    EXPECT_EQ(AlphaAt(img, 0, 0), 0);

    MakeSample(img);
    const auto bits = img.GetDIBbits(false, false, true, false, false);  // RGB, 24-bit, padded, top-down, straight
    ASSERT_EQ(bits.size(), 2u * 12u);
    EXPECT_EQ(bits[0], 200);
    EXPECT_EQ(bits[1], 100);
    EXPECT_EQ(bits[2], 50);
    ASSERT_TRUE(img.SetDIBbits(bits, false, false, false, true, false));
    EXPECT_EQ(img.GetPixel(0, 1), RGB(200, 100, 50));
    EXPECT_EQ(img.Alpha(), kAlphaOpaque);

    MakeSample(img);
    RegionHandle region(img.CreateRegion(0, 10, 20));
    ASSERT_TRUE(region);
    EXPECT_TRUE(::PtInRegion(region.get(), 11, 20));
    EXPECT_FALSE(::PtInRegion(region.get(), 12, 20));  // the clear column

    auto shadow = img.CreateDropShadow(3, RGB(0, 0, 0));
    ASSERT_TRUE(shadow);
    EXPECT_EQ(shadow->Width(), 10);
    EXPECT_EQ(shadow->ImageType(), kImageTypeShadow);
}

}  // namespace
}  // namespace panorel::imaging
