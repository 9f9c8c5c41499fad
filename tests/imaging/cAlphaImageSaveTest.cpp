// cAlphaImage's saving under Wine: the overwrite question and the file
// checks, the PNG properties, and every format read back by the library,
// with GDI+ and without.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "imaging/ImageTestSupport.h"

namespace panorel::imaging {
namespace {

TEST(cAlphaImageSave, AsksBeforeOverwritingAndRefusesWithoutNameImageOrWritablePlace) {
    cAlphaImage image, empty;
    ASSERT_TRUE(MakeSample(image));
    const std::wstring path = TempPath(L"panorel-overwrite.bmp");
    int calls = 0, answer = IDNO;
    std::wstring question;
    cAlphaImage::SetOverwritePrompt([&](const std::wstring& text, const std::wstring& caption, UINT flags) {
        question = text + L"|" + caption + L"|" + std::to_wstring(flags);
        return ++calls, answer;
    });
    WriteAll(path, std::string("old contents"));
    EXPECT_FALSE(image.SaveToFile_Bitmap(path, false, -1, true));
    EXPECT_EQ(ReadAll(path), "old contents");
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(question, L"Overwrite existing file?|Overwrite Confirmation|" + std::to_wstring(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
    answer = IDYES;
    EXPECT_TRUE(image.SaveToFile_Bitmap(path, false, -1, true));
    EXPECT_EQ(ReadAll(path).substr(0, 2), "BM");
    WriteAll(path, std::string("old contents"));
    EXPECT_TRUE(image.SaveToFile_TGA(path, true, false, false, false));  // no question without PromptOverwrite
    EXPECT_EQ(calls, 2);
    EXPECT_NE(ReadAll(path), "old contents");
    ::DeleteFileW(path.c_str());
    cAlphaImage::SetOverwritePrompt([](const std::wstring&, const std::wstring&, UINT) { return IDNO; });
    // No name, no picture or no such folder: refused, and no file is made.
    std::vector<std::uint8_t> bytes;
    EXPECT_FALSE(image.SaveToFile_PNG(L"", false));
    EXPECT_FALSE(empty.SaveToFile_PNG(TempPath(L"panorel-none.png"), false));
    EXPECT_FALSE(empty.SaveToStream_GIF(bytes));
    const std::wstring nowhere = TempPath(L"panorel-no-such-folder\\x.tga");
    EXPECT_FALSE(image.SaveToFile_TGA(nowhere, false, false, false, false));
    EXPECT_EQ(::GetFileAttributesW(nowhere.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(::GetFileAttributesW(TempPath(L"panorel-none.png").c_str()), INVALID_FILE_ATTRIBUTES);
}

// The "tEXt" chunks of a PNG: keyword and text.
using Texts = std::vector<std::pair<std::string, std::string>>;
Texts TextChunks(const std::vector<std::uint8_t>& png) {
    Texts texts;
    for (const auto& c : test::PngChunks(png))
        if (c.type == "tEXt") texts.emplace_back(c.data.substr(0, c.data.find('\0')), c.data.substr(c.data.find('\0') + 1));
    return texts;
}

// Largest difference per channel between two pictures' premultiplied bytes.
int MaxDifference(const PixelImage& a, const PixelImage& b) {
    if (a.bgra.size() != b.bgra.size()) return 999;
    int d = 0;
    for (std::size_t i = 0; i < a.bgra.size(); ++i) d = std::max(d, std::abs(a.bgra[i] - b.bgra[i]));
    return d;
}

TEST(cAlphaImageSave, PngPropertiesBecomeTextChunksAndEveryFormatReadsBack) {
    for (bool gdiplus : {true, false}) {
        SCOPED_TRACE(gdiplus ? "GDI+" : "own");
        cAlphaImage image;
        image.isGDIplusEnabled(gdiplus);
        ASSERT_TRUE(MakeSample(image));
        EXPECT_TRUE(image.PngPropertySet(1, std::wstring(L"A title")));
        EXPECT_TRUE(image.PngPropertySet(L"comment", std::wstring(L"caf\u00e9")));
        EXPECT_FALSE(image.PngPropertySet(L"no such keyword", std::wstring(L"x")));
        EXPECT_EQ(std::get<std::wstring>(image.PngPropertyGet(1)), L"A title");
        std::vector<std::uint8_t> png;
        ASSERT_TRUE(image.SaveToStream_PNG(png));
        EXPECT_EQ(TextChunks(png), (Texts{{"Title", "A title"}, {"Comment", "caf\xE9"}}));  // ANSI code page
        EXPECT_TRUE(image.PngPropertySet(-1));
        EXPECT_TRUE(std::holds_alternative<std::monostate>(image.PngPropertyGet(1)));
        ASSERT_TRUE(image.SaveToStream_PNG(png));
        EXPECT_TRUE(TextChunks(png).empty());

        const PixelImage original = image.ToPixelImage();
        struct Case {
            const char* name;
            std::function<bool(std::vector<std::uint8_t>&)> save;
            int tolerance;  // GDI+'s PNG encoder may differ; -1: not compared (GIF has no translucency, JPEG is lossy)
        } const cases[] = {
            {"BMP", [&](auto& b) { return image.SaveToStream_Bitmap(b); }, 0},
            {"TGA rle", [&](auto& b) { return image.SaveToStream_TGA(b, true); }, 0},
            {"PNG", [&](auto& b) { return image.SaveToStream_PNG(b); }, gdiplus ? 1 : 0},
            {"GIF", [&](auto& b) { return image.SaveToStream_GIF(b, true, 127); }, -1},
            {"JPEG", [&](auto& b) { return image.SaveToStream_JPG(b, 95, 0xFFFFFF); }, -1},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            std::vector<std::uint8_t> bytes;
            ASSERT_TRUE(c.save(bytes));
            cAlphaImage back;
            ASSERT_TRUE(back.LoadPicture_Stream(bytes));
            ASSERT_EQ(std::make_pair(back.Width(), back.Height()), std::make_pair(4, 2));
            if (c.tolerance >= 0) {
                EXPECT_LE(MaxDifference(original, back.ToPixelImage()), c.tolerance);
            }
        }
    }
}

}  // namespace
}  // namespace panorel::imaging
