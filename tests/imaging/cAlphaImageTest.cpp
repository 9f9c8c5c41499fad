// cAlphaImage under Wine: Render on its three paths onto real device contexts,
// the loaders, the effects, the size limits of images made in memory, where the
// run-time libraries come from, and running out of address space.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <climits>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "WinTestSupport.h"
#include "host/AnsiText.h"
#include "imaging/ImageTestSupport.h"
#include "imaging/ZlibRuntime.h"
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

TEST_P(RenderPaths, OpacityMirroringLightAndGreyAndRefusesWhatNoCoordinateHolds) {
    const Path path = GetParam();
    const int tol = path == Path::Own ? 0 : 2;  // AlphaBlend and GDI+ round their own way
    if (path == Path::Gdiplus && !cAlphaImage().isGDIplusEnabled()) GTEST_SKIP() << "no GDI+";
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
    // What no coordinate holds is refused.
    Target t(8, 4, bg);
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const struct {
        const char* what;
        std::int32_t x, width, srcWidth;
        float angle;
        bool centre;
    } refused[] = {
        {"NaN angle", 0, 0, 0, nan, false},          {"infinite angle", 0, 0, 0, inf, false},
        {"-infinite angle", 0, 0, 0, -inf, false},   {"INT_MAX wide", 0, INT_MAX, 0, 0, false},
        {"INT_MIN wide, mirrored", 0, INT_MIN, -4, 0, false}, {"INT_MAX wide, turned", 0, INT_MAX, 0, 30, false},
        {"at INT_MAX", INT_MAX - 2, 4, 0, 0, false}, {"centred near INT_MIN, turned", INT_MIN + 1, 4, 0, 45, true},
    };
    for (const auto& c : refused)
        EXPECT_FALSE(img.Render(t.dc.get(), c.x, 0, c.width, 0, 0, 0, c.srcWidth, 0, 100, true, true, nullptr, -1, 0,
                                c.angle, c.centre))
            << c.what;
    EXPECT_TRUE(img.Render(t.dc.get(), 0, 0, 0, 0, 0, 0, 0, 0, 100, true, true, nullptr, -1, 0, 30.0f));
}

INSTANTIATE_TEST_SUITE_P(Paths, RenderPaths, ::testing::Values(Path::AlphaBlend, Path::Gdiplus, Path::Own),
                         [](const auto& info) { return std::string(info.param == Path::Gdiplus ? "Gdiplus" : Name(info.param)); });

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
        EXPECT_EQ(std::make_pair(img.Width(), img.Height()), std::make_pair(32, 32));
        // A resource that does not exist: false and no image.
        EXPECT_FALSE(img.LoadPicture_Resource(std::wstring(L"NO_SUCH_PICTURE"), std::wstring(L"PNG"), nullptr, 32, 32, 0, 0, 32));
        EXPECT_EQ(img.ImageType(), kImageTypeNone);
        EXPECT_EQ(img.Width(), 0);
        cAlphaImage::SetPngErrorReporter(nullptr);
    }
    EXPECT_EQ(BitmapHandle::LiveCount(), bitmaps);
    EXPECT_EQ(MemoryDcHandle::LiveCount(), dcs);
}

// GDI+, when enabled, takes PNG first and reads what the others decline (it
// knows no TGA). Wine's GDI+ does not check CRCs, so a file whose only fault is
// its IDAT CRC loads there and is refused by our reader (zlib beside the program).
TEST(cAlphaImage, EachFormatLoadsFromFilesWithGdiplusOrWithoutAndIconsFromHandles) {
    const struct {
        const wchar_t* file;
        std::int32_t type, width, height;
        bool ownReaderTakesIt;
    } cases[] = {
        {L"/pngsuite/basn6a08.png", kImageTypePng, 32, 32, true},
        {L"/gif-testsuite/gifs/static_transparent.gif", kImageTypeGif, -1, -1, true},
        {L"/ico/multi-size/wiki.ico", kImageTypeIcon, 32, 32, true},
        {L"/bmp-testsuite/valid/8bpp-320x240.bmp", kImageTypeBitmap, 320, 240, true},
        {L"/tga/common/200x32_rgba_tl_rle.tga", kImageTypeTga, 200, 32, true},
        {L"/pngsuite/xcsn0g01.png", kImageTypePng, -1, -1, false},
    };
    cAlphaImage::SetPngErrorReporter(nullptr);
    for (bool gdiplus : {false, true}) {
        cAlphaImage img;
        ASSERT_TRUE(img.isZlibEnabled());
        if (gdiplus && !img.isGDIplusEnabled()) continue;  // no GDI+ here: the own half alone
        img.isGDIplusEnabled(gdiplus);
        for (const auto& c : cases) {
            SCOPED_TRACE(ToAnsi(c.file) + (gdiplus ? " GDI+" : " own"));
            ASSERT_EQ(img.LoadPicture_File(kData + c.file, 32, 32, true, 32), gdiplus || c.ownReaderTakesIt);
            if (!gdiplus && !c.ownReaderTakesIt) continue;
            const std::int32_t type = img.ImageType();
            EXPECT_TRUE(type == c.type || (gdiplus && type == kImageTypePng)) << type;
            if (c.width > 0) {
                EXPECT_EQ(std::make_pair(img.Width(), img.Height()), std::make_pair(c.width, c.height));
            }
        }
    }
    // And from a handle: a 2 x 2 icon of one opaque red, one half-transparent green, two clear.
    const std::uint32_t argb[4] = {0xFFFF0000u, 0x8000FF00u, 0, 0};
    BitmapHandle colour(::CreateBitmap(2, 2, 1, 32, argb));
    BitmapHandle mask(::CreateBitmap(2, 2, 1, 1, nullptr));
    ICONINFO ii{TRUE, 0, 0, mask.get(), colour.get()};
    const UniqueHandle<ClosedBy<HICON, &::DestroyIcon>> icon(::CreateIconIndirect(&ii));
    ASSERT_TRUE(icon);
    cAlphaImage img;
    ASSERT_TRUE(img.LoadPicture_ByHandle(icon.get()));
    EXPECT_EQ(img.ImageType(), kImageTypeIconHandle);
    EXPECT_EQ(img.GetPixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(AlphaAt(img, 0, 0), 255);
    EXPECT_NEAR(AlphaAt(img, 1, 0), 128, 1);
    EXPECT_EQ(AlphaAt(img, 0, 1), 0);
}

// The readers' limits (16384 per side) are for data from outside; an image
// made in memory may be as large as its DIB section can be.
TEST(cAlphaImageGuards, ImagesMadeInMemoryTakeTheDibLimits) {
    const auto scale = [](cAlphaImage& i, std::int32_t w, std::int32_t h) { return i.ScaleImage(w, h); };
    const struct {
        const char* op;
        std::function<bool(cAlphaImage&, std::int32_t, std::int32_t)> call;
        std::int32_t width, height;
        bool made;
    } cases[] = {
        {"InitializeDIB", &cAlphaImage::InitializeDIB, 20000, 3, true},
        {"ScaleImage", scale, 3, 20000, true},
        {"Resize", &cAlphaImage::Resize, 20000, 3, true},
        {"TileImage", &cAlphaImage::TileImage, 3, 20000, true},
        {"ScaleImage", scale, 40000, 40000, false},  // 6.4 GB: beyond the DIB header's 32-bit image size
        {"TileImage", &cAlphaImage::TileImage, 0x20000000, 1, false},  // a scan line beyond 32 bits
    };
    for (const auto& c : cases) {
        cAlphaImage img;
        ASSERT_TRUE(MakeSample(img));
        EXPECT_EQ(c.call(img, c.width, c.height), c.made) << c.op << " " << c.width << " x " << c.height;
        EXPECT_EQ(img.Width(), c.made ? c.width : 4) << c.op << ": a refusal leaves the picture";
    }
}

// The effects the button's looks are made of, on the 4 x 2 sample (columns:
// opaque R200 G100 B50, half-transparent, clear, opaque blue).
TEST(cAlphaImage, TextHostImageRegionShadowGreyAndTransparent) {
    cAlphaImage img, host;
    ASSERT_TRUE(MakeSample(img));
    Target t(64, 24, 0);  // text goes through an image of its own, not through the picture
    ASSERT_TRUE(img.DrawText_hFont(t.dc.get(), L"Hi", static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)),
                                   RECT{0, 0, 64, 24}, DT_LEFT, RGB(255, 0, 0)));
    int red = 0;
    for (int y = 0; y < t.h; ++y)
        for (int x = 0; x < t.w; ++x) red += t.At(x, y)[2] > 0;
    EXPECT_GT(red, 0) << "the text is drawn";
    EXPECT_EQ(img.Width(), 4);
    EXPECT_EQ(img.GetPixel(0, 1), RGB(200, 100, 50)) << "and the picture is still there";

    ASSERT_TRUE(host.InitializeDIB(8, 4));
    Choose(img, Path::Own);
    ASSERT_TRUE(img.Render(nullptr, 1, 1, 0, 0, 0, 0, 0, 0, 100, true, true, &host));
    EXPECT_EQ(host.GetPixel(1, 1), RGB(200, 100, 50));
    EXPECT_EQ(std::make_tuple(AlphaAt(host, 1, 1), AlphaAt(host, 2, 1), AlphaAt(host, 3, 1)), std::make_tuple(255, 128, 0));

    RegionHandle region(img.CreateRegion(0, 10, 20));
    ASSERT_TRUE(region);
    EXPECT_TRUE(::PtInRegion(region.get(), 11, 20));
    EXPECT_FALSE(::PtInRegion(region.get(), 12, 20));  // the clear column
    auto shadow = img.CreateDropShadow(3, RGB(0, 0, 0));
    ASSERT_TRUE(shadow);
    EXPECT_EQ(std::make_pair(shadow->Width(), shadow->ImageType()), std::make_pair(10, kImageTypeShadow));

    img.MakeGrayScale(2);
    EXPECT_EQ(img.GetPixel(0, 0), RGB(117, 117, 117));  // 200*.333 + 100*.334 + 50*.333 = 116.65
    img.MakeTransparent(RGB(117, 117, 117));
    EXPECT_EQ(AlphaAt(img, 0, 0), 0);
}

// The same file loaded and pasted: both pick the 32-bit entry of an icon
// whose two 32 x 32 entries are 8-bit grey and 32-bit colour with alpha.
TEST(cAlphaImageGuards, PastedFilesAskForThirtyTwoBitIconsLikeTheOtherLoaders) {
    const std::string pngs[] = {ReadAll(kData + L"/pngsuite/basn0g08.png"), ReadAll(kData + L"/pngsuite/basn6a08.png")};
    std::string ico("\0\0\1\0\2\0", 6), data;
    for (const std::string& png : pngs) {
        ico.append("\x20\x20\0\0\1\0\x20\0", 8);
        for (std::size_t v : {png.size(), 6 + 2 * 16 + data.size()})
            for (int k = 0; k < 4; ++k) ico.push_back(static_cast<char>(v >> (8 * k)));
        data += png;
    }
    const std::wstring file = TempPath(L"panorel-two-depths.ico");
    ASSERT_TRUE(WriteAll(file, ico + data));

    // The file on the clipboard as Explorer's Copy puts it there.
    const DROPFILES header{sizeof(DROPFILES), {}, FALSE, TRUE};
    const std::wstring names = file + L'\0' + L'\0';
    ASSERT_TRUE(test::PutClipboardBlock(CF_HDROP, std::string(reinterpret_cast<const char*>(&header), sizeof header) +
                                                      std::string(reinterpret_cast<const char*>(names.data()), names.size() * 2),
                                        true));

    cAlphaImage loaded, pasted;
    std::int32_t count = 0;
    ASSERT_TRUE(loaded.LoadPicture_File(file, 32, 32));
    ASSERT_TRUE(pasted.LoadPicture_PastedFiles(1, 32, 32, false));
    EXPECT_EQ(pasted.Alpha(), kAlphaFull);
    EXPECT_EQ(pasted.Alpha(), loaded.Alpha());
    EXPECT_TRUE(pasted.LoadPicture_PastedFiles(1, 32, 32, false, 32, &count));
    EXPECT_EQ(count, 1);
    ::DeleteFileW(file.c_str());
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L"\\/")); }

std::wstring ModuleFolder(HMODULE module) {
    wchar_t path[MAX_PATH];
    return FolderOf(std::wstring(path, module ? ::GetModuleFileNameW(module, path, MAX_PATH) : 0));
}

// The child's half of the test below: the folders GDI+ and zlib came from,
// into the file PANOREL_DLL_REPORT names.
TEST(DllSearchChild, DISABLED_ReportWhereTheLibrariesCameFrom) {
    cAlphaImage img;
    ASSERT_TRUE(img.isZlibEnabled());
    HMODULE zlib = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(ZlibRuntime::Api().crc32), &zlib);
    const std::string report = ToAnsi(ModuleFolder(::GetModuleHandleW(L"gdiplus.dll")) + L"\n" + ModuleFolder(zlib));
    wchar_t file[MAX_PATH];
    ASSERT_TRUE(::GetEnvironmentVariableW(L"PANOREL_DLL_REPORT", file, MAX_PATH));
    ASSERT_TRUE(WriteAll(file, report));
}

// A copy of this program runs from a folder of its own that holds zlib1.dll
// and a planted gdiplus.dll: GDI+ must come from the system folder, zlib from
// the program's. (Wine searches its system folder, which holds a zlib1.dll,
// before the current directory and PATH, so a plant there proves nothing.)
TEST(cAlphaImageGuards, LibrariesComeFromTheProgramsFolderOrTheSystem) {
    wchar_t buffer[MAX_PATH];
    const std::wstring self(buffer, ::GetModuleFileNameW(nullptr, buffer, MAX_PATH));
    const std::wstring folder = TempPath(L"panorel-dll-program"), report = TempPath(L"panorel-dll-report.txt");
    const std::wstring zlib = FolderOf(self) + L"\\zlib1.dll";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring copies[][2] = {
        {self, folder + L"\\child.exe"}, {zlib, folder + L"\\zlib1.dll"}, {zlib, folder + L"\\gdiplus.dll"}};
    for (const auto& c : copies) ASSERT_TRUE(::CopyFileW(c[0].c_str(), c[1].c_str(), FALSE));
    ::DeleteFileW(report.c_str());
    ::SetEnvironmentVariableW(L"PANOREL_DLL_REPORT", report.c_str());
    const KernelHandle child = test::StartProgram(L"child.exe", L"--gtest_also_run_disabled_tests --gtest_filter=DllSearchChild.*", folder);
    ASSERT_TRUE(child);
    test::WaitExit(child, 60000);

    const std::string text = ReadAll(report);
    const std::size_t line = text.find('\n');
    ASSERT_NE(line, std::string::npos) << "no report from the child";
    const std::wstring system(buffer, ::GetSystemDirectoryW(buffer, MAX_PATH));
    EXPECT_EQ(_stricmp(text.substr(0, line).c_str(), ToAnsi(system).c_str()), 0) << "GDI+ from " << text.substr(0, line);
    EXPECT_EQ(_stricmp(text.substr(line + 1).c_str(), ToAnsi(folder).c_str()), 0) << "zlib from " << text.substr(line + 1);
    for (const auto& c : copies) ::DeleteFileW(c[1].c_str());
    ::RemoveDirectoryW(folder.c_str());
    ::DeleteFileW(report.c_str());
}

struct VirtualRelease {
    void operator()(void* p) const { ::VirtualFree(p, 0, MEM_RELEASE); }
};
struct Reservation {
    std::unique_ptr<void, VirtualRelease> p;
    std::size_t size;
};

// Fills the address space with reservations of 16 MiB down to 1 MiB, then gives
// back about `room` bytes, leaving free only that and holes under 1 MiB. (The
// list's room is reserved first: it must not grow once the space is full.)
std::vector<Reservation> SqueezeAddressSpace(std::size_t room) {
    std::vector<Reservation> blocks;
    blocks.reserve(1 << 16);
    for (std::size_t size = std::size_t{16} << 20; size >= std::size_t{1} << 20; size /= 2)
        while (blocks.size() < blocks.capacity())
            if (void* p = ::VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS)) blocks.push_back({{p, {}}, size});
            else break;
    for (auto& b : blocks)
        if (room >= b.size) room -= b.size, b.p.reset();
    return blocks;
}

// With a 32-bit address space nearly full, every loader, saver and geometry
// operation that needs more than is left answers false. (A 64-bit one cannot be
// filled: OutOfMemory's native child limits the address space instead.)
TEST(cAlphaImageGuards, RunningOutOfAddressSpaceIsAFailureNotACrash) {
    if (sizeof(void*) != 4) GTEST_SKIP() << "only a 32-bit address space can be filled";
    // Made while there is room: a 128 MiB picture, a 150 MB stream holding a
    // 2 x 2 TGA, a 150 MB GIF and a 200 MB file.
    cAlphaImage big, small;
    ASSERT_TRUE(big.InitializeDIB(8192, 4096));
    for (std::size_t i = 0; i < std::size_t{8192} * 4096 * 4; ++i) big.BitsPointer()[i] = static_cast<std::uint8_t>(i * 7);
    ASSERT_TRUE(MakeSample(small));
    std::vector<std::uint8_t> tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0};
    tga.resize(150u << 20, 7);
    std::vector<std::uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0};
    gif.resize(150u << 20, 1);
    ASSERT_TRUE(small.LoadPicture_Stream(tga, 0, 0, 0, 0, true)) << "the stream is a picture";
    ASSERT_TRUE(MakeSample(small));
    const std::wstring file = TempPath(L"panorel-200mb.bin");
    {
        KernelHandle f(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        LARGE_INTEGER at{};
        at.QuadPart = 200 << 20;
        ASSERT_TRUE(::SetFilePointerEx(f.get(), at, nullptr, FILE_BEGIN) && ::SetEndOfFile(f.get()));
    }
    std::vector<std::uint8_t> out;
    cAlphaImage target;
    const struct {
        const char* what;
        std::function<bool()> call;
    } cases[] = {
        {"LoadPicture_File, 200 MB", [&] { return target.LoadPicture_File(file); }},
        {"LoadPicture_Stream keeping 150 MB", [&] { return target.LoadPicture_Stream(tga, 0, 0, 0, 0, true); }},
        {"LoadPicture_Stream, 150 MB GIF", [&] { return target.LoadPicture_Stream(gif); }},
        {"SaveToStream_Bitmap", [&] { return big.SaveToStream_Bitmap(out); }},
        {"SaveToStream_PNG", [&] { return big.SaveToStream_PNG(out); }},
        {"SaveToStream_JPG", [&] { return big.SaveToStream_JPG(out); }},
        {"SaveToStream_GIF", [&] { return big.SaveToStream_GIF(out); }},
        {"SaveToStream_TGA", [&] { return big.SaveToStream_TGA(out); }},
        {"ScaleImage", [&] { return small.ScaleImage(8192, 4096); }},
        {"CopyImageTo", [&] { return big.CopyImageTo(target); }},
        {"GetDIBbits", [&] { return !big.GetDIBbits().empty(); }},
        {"CreateDropShadow", [&] { return big.CreateDropShadow(3, 0) != nullptr; }},
    };
    {
        const auto squeeze = SqueezeAddressSpace(std::size_t{96} << 20);
        for (const auto& c : cases) EXPECT_FALSE(c.call()) << c.what;
    }
    EXPECT_EQ(small.Width(), 4) << "a failed operation leaves the picture";
    EXPECT_EQ(target.Width(), 0);
    ::DeleteFileW(file.c_str());
}

}  // namespace
}  // namespace panorel::imaging
