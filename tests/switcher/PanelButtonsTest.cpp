// The panel's two styled buttons: placed on the button bar, set up by the
// load, and drawn on the real (Xvfb) screen when the panel shows.
#include <gtest/gtest.h>

#include "WinTestSupport.h"
#include "switcher/mainW.h"

namespace panorel::test {
namespace {

TEST(PanelButtons, SetUpByTheLoadAndDrawnOnTheShownPanel) {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Panorel");
    ASSERT_EQ(::GetSystemMetrics(SM_CXSCREEN), 1920);
    ASSERT_EQ(::GetSystemMetrics(SM_CYSCREEN), 1080);
    SharedEvents events;
    mainW w(L"1");
    w.hWnd();
    w.formBg.Load();
    VLM_StyleButton* buttons[] = {w.cmdStartCP.get(), w.cmdHelp.get()};
    const wchar_t* captions[] = {L"Start Panorel Control Panel", L"Help Browser"};
    const int lefts[] = {16, 232};
    for (int i = 0; i < 2; ++i) {
        const VLM_StyleButton& b = *buttons[i];
        EXPECT_EQ(b.Props().Caption, captions[i]);
        EXPECT_EQ(b.Props().ButtonStyle, 13) << "Wine's themes are on";
        EXPECT_EQ(b.Props().BackColor, 0xFFD0ADu);
        EXPECT_EQ(b.Props().Font.Size, 8.25);
        EXPECT_EQ(b.Props().PictureEffectOnOver, 0);
        EXPECT_EQ(b.Left(), lefts[i]);
        EXPECT_EQ(b.Top(), 8);
        EXPECT_EQ(b.Width(), 201);
        EXPECT_EQ(b.Height(), 41);
        EXPECT_EQ(::GetParent(b.hWnd()), w.picBottom->hWnd());
    }

    w.IncomingName(L"Local\\velmora_ShowPreviewSwitcher1");
    for (int i = 0; i < 5; ++i) {
        host::DoEvents();
        ::Sleep(60);
    }
    ASSERT_TRUE(w.Visible());
    const int barLeft = w.picBottom->Left(), barTop = w.picBottom->Top();
    const ScreenShot shot;
    EXPECT_EQ(shot.At(barLeft + 5, barTop + 4), 0xFFFFFFu) << "the bar's background around the buttons";
    EXPECT_EQ(shot.At(barLeft + 224, barTop + 30), 0xFFFFFFu) << "between the buttons";
    for (int i = 0; i < 2; ++i) {
        const VLM_StyleButton& b = *buttons[i];
        const int left = barLeft + b.Left(), top = barTop + b.Top();
        EXPECT_NE(shot.At(left, top + 20), 0xFFFFFFu) << "the theme's edge of button " << i;
        // Caption ink: dark pixels inside the caption's rectangle.
        const stylebutton::Rect& c = b.LastLayout().caption;
        int ink = 0;
        for (int x = c.left; x < c.right; ++x)
            for (int y = c.top; y < c.bottom; ++y) {
                const std::uint32_t p = shot.At(left + x, top + y);
                ink += ((p >> 16) & 0xFF) < 0x60 && ((p >> 8) & 0xFF) < 0x60 && (p & 0xFF) < 0x60;
            }
        EXPECT_GT(ink, 30) << "caption of button " << i;
        EXPECT_GT(c.right - c.left, i == 0 ? 100 : 50) << "caption width of button " << i;
    }
    w.Unload();
}

}  // namespace
}  // namespace panorel::test
