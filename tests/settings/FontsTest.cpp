// The user's system fonts as font objects and as shared font handles.
#include <gtest/gtest.h>

#include <cstring>

#include "host/PanorelError.h"
#include "settings/CompDefaultPrefs.h"
#include "settings/DefPrefsHandles.h"
#include "settings/FontMetrics.h"
#include "settings/UserSettings.h"

namespace panorel::test {
namespace {

// The menu font with another height and weight.
LOGFONTA Font(LONG height, LONG weight) {
    SystemFontRecords records;
    FetchSystemFonts(records);
    LOGFONTA f = records.Metrics.lfMenuFont;
    f.lfHeight = height;
    f.lfWeight = weight;
    return f;
}

LONGLONG SizeOf(const FontObject& font) {
    CY size{};
    font->get_Size(&size);
    return size.int64;
}

bool BoldOf(const FontObject& font) {
    BOOL bold = FALSE;
    font->get_Bold(&bold);
    return bold != FALSE;
}

TEST(Fonts, FontObjectsTakeSizeNameAndStyleFromTheLogFont) {
    const long objectsBefore = FontObject::LiveCount();
    {
        const FontObject negative = FontObjectFromLogFont(Font(-12, 400), 96);
        ASSERT_TRUE(negative);
        EXPECT_EQ(SizeOf(negative), 90000);  // 9 points
        EXPECT_FALSE(BoldOf(negative));
        BSTR name = nullptr;
        negative->get_Name(&name);
        // Wine reports the face a name maps to, not the name given.
        EXPECT_GT(::SysStringLen(name), 0u);
        ::SysFreeString(name);

        const FontObject positive = FontObjectFromLogFont(Font(12, 401), 96);
        ASSERT_TRUE(positive);
        EXPECT_EQ(SizeOf(positive), 120000);
        EXPECT_TRUE(BoldOf(positive));

        LOGFONTA styled = Font(-16, 700);
        styled.lfItalic = 1;
        std::memset(styled.lfFaceName, 'A', sizeof styled.lfFaceName);  // no terminator
        const FontObject third = FontObjectFromLogFont(styled, 96);
        ASSERT_TRUE(third);
        BOOL italic = FALSE, underline = TRUE;
        third->get_Italic(&italic);
        third->get_Underline(&underline);
        EXPECT_TRUE(italic);
        EXPECT_FALSE(underline);
        EXPECT_EQ(FontObject::LiveCount(), objectsBefore + 3);
    }
    EXPECT_EQ(FontObject::LiveCount(), objectsBefore);
}

TEST(Fonts, DefaultFontDescribesTheSystemFontKinds) {
    const HDC screen = ::GetDC(nullptr);
    const FontObject menu = DefaultFont(screen, 4);
    ASSERT_TRUE(menu);
    EXPECT_TRUE(SystemFonts().Loaded);
    const LOGFONTA& lf = SystemFonts().Metrics.lfMenuFont;
    EXPECT_EQ(SizeOf(menu), static_cast<LONGLONG>(FontPointSize(lf.lfHeight, ::GetDeviceCaps(screen, LOGPIXELSY)) *
                                                     10000.0 + 0.5));
    for (int kind = 1; kind <= 6; ++kind) EXPECT_TRUE(DefaultFont(screen, kind)) << kind;
    EXPECT_FALSE(DefaultFont(screen, 0));
    EXPECT_FALSE(DefaultFont(screen, 7));
    ::ReleaseDC(nullptr, screen);
}

TEST(Fonts, HandlesAreMadeOnceOwnedAndReleased) {
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
        const HDC screen = ::GetDC(nullptr);
        EXPECT_EQ(prefs.GetHeightInPixel(4, screen),
                  FontHeightInPixel(prefs.Records().Metrics.lfMenuFont.lfHeight, ::GetDeviceCaps(screen, LOGPIXELSY)));
        EXPECT_EQ(prefs.GetHeightInPixel(7, screen), 0);
        ::ReleaseDC(nullptr, screen);
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
}

}  // namespace
}  // namespace panorel::test
