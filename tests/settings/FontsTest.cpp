// The user's system fonts as font objects and as shared font handles.
#include <gtest/gtest.h>

#include <cstring>

#include "host/PanorelError.h"
#include "settings/CompDefaultPrefs.h"
#include "settings/DefPrefsHandles.h"
#include "settings/UserSettings.h"

namespace panorel::test {
namespace {

TEST(Fonts, FontObjectsTakeSizeAndStyleFromTheLogFont) {
    const struct {
        LONG height, weight;
        BYTE italic;
        LONGLONG size;  // points x 10,000
        BOOL bold;
    } cases[] = {{-12, 400, 0, 90000, FALSE}, {12, 401, 0, 120000, TRUE}, {-16, 700, 1, 120000, TRUE}};
    const long objectsBefore = FontObject::LiveCount();
    for (const auto& c : cases) {
        LOGFONTA lf{};
        lf.lfHeight = c.height;
        lf.lfWeight = c.weight;
        lf.lfItalic = c.italic;
        std::memset(lf.lfFaceName, 'A', sizeof lf.lfFaceName);  // no terminator
        const FontObject font = FontObjectFromLogFont(lf, 96);
        ASSERT_TRUE(font);
        CY size{};
        BOOL bold = !c.bold, italic = !c.italic;
        font->get_Size(&size);
        font->get_Bold(&bold);
        font->get_Italic(&italic);
        EXPECT_EQ(size.int64, c.size) << c.height;
        EXPECT_EQ(bold != FALSE, c.bold != FALSE) << c.weight;
        EXPECT_EQ(italic != FALSE, c.italic != 0);
    }
    EXPECT_EQ(FontObject::LiveCount(), objectsBefore);
}

TEST(Fonts, DefaultFontsAndSharedHandlesOfTheSixKinds) {
    const HDC screen = ::GetDC(nullptr);
    for (int kind = 1; kind <= 6; ++kind) EXPECT_TRUE(DefaultFont(screen, kind)) << kind;
    EXPECT_FALSE(DefaultFont(screen, 0));
    EXPECT_FALSE(DefaultFont(screen, 7));
    EXPECT_EQ(DefaultFontHandle(4), DefaultFontHandle(4));

    const long fontsBefore = FontHandle::LiveCount();
    {
        DefPrefsHandles prefs;
        const HFONT menu = prefs.GetHandle(4);
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(prefs.GetHandle(4), menu);
        EXPECT_NE(prefs.GetHandle(6), nullptr);
        EXPECT_EQ(FontHandle::LiveCount(), fontsBefore + 2);
        prefs.ReleaseHandle(4);
        prefs.ReleaseHandle(4);  // nothing left to release
        EXPECT_EQ(FontHandle::LiveCount(), fontsBefore + 1);
        // Wine's menu font is 11 pixels high at 96 dpi: 8.25 points, 14.67 pixels.
        ASSERT_EQ(prefs.Records().Metrics.lfMenuFont.lfHeight, -11);
        ASSERT_EQ(::GetDeviceCaps(screen, LOGPIXELSY), 96);
        EXPECT_EQ(prefs.GetHeightInPixel(4, screen), -15);
        EXPECT_EQ(prefs.GetHeightInPixel(7, screen), 0);
        for (std::int32_t bad : {0, 7, -1}) {
            try {
                prefs.GetHandle(bad);
                ADD_FAILURE() << bad;
            } catch (const PanorelError& e) {
                EXPECT_EQ(e.Number(), 9);
            }
            EXPECT_THROW(prefs.ReleaseHandle(bad), PanorelError);
        }
    }
    EXPECT_EQ(FontHandle::LiveCount(), fontsBefore);
    ::ReleaseDC(nullptr, screen);
}

}  // namespace
}  // namespace panorel::test
