// The switcher's panel in-process, checked on the real (Xvfb) screen: layout,
// shape, frames, tabs, buttons, the background window, showing and hiding,
// and tile clicks.
#include <gtest/gtest.h>

#include <tuple>

#include "WinTestSupport.h"
#include "settings/Registry.h"
#include "settings/WinAPIError.h"
#include "switcher/KeyNameText.h"
#include "switcher/mainW.h"
#include "winsupport/GraphicsHelpers.h"
#include "winsupport/modResize.h"

namespace panorel::test {
namespace {

constexpr std::uint32_t kRed = 0xFF0000, kGrey = 0x808080;  // as 0x00RRGGBB

class Panel : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteSettings();
        ASSERT_EQ(::GetSystemMetrics(SM_CXSCREEN), 1920);
        ASSERT_EQ(::GetSystemMetrics(SM_CYSCREEN), 1080);
    }
    void TearDown() override { DeleteSettings(); }
    // Sends ShowPreviewSwitcher n and lets the windows reach the screen.
    static void TogglePanel(mainW& w) {
        w.IncomingName(L"Local\\velmora_ShowPreviewSwitcher" + std::to_wstring(w.DesktopNumber));
        PumpFor(300);
    }
    SharedEvents events;
};

TEST_F(Panel, LayoutShapeFramesButtonsOwnTileAndClicksOnA1080pScreen) {
    mainW w(L"1");
    w.hWnd();
    w.formBg.Load();
    const int tileLeft[] = {0, 70, 995, 70, 995}, tileTop[] = {0, 70, 70, 575, 575};
    EXPECT_EQ(w.picBottom->Left(), 736);  // 735.5, halves to even
    EXPECT_EQ(w.picBottom->Top(), 1080 - 57 + 2);
    {
        ScreenCover pattern(PaintHalves);
        TogglePanel(w);
    }
    ASSERT_TRUE(w.Visible());
    ASSERT_TRUE(w.formBg.Visible());
    // A gutter belongs to the background window, a tile and the bar to the switcher.
    EXPECT_EQ(::WindowFromPoint(POINT{960, 300}), w.formBg.Picture1->hWnd());
    EXPECT_EQ(::GetAncestor(::WindowFromPoint(POINT{500, 300}), GA_ROOT), w.hWnd());
    EXPECT_EQ(::GetAncestor(::WindowFromPoint(POINT{960, 1060}), GA_ROOT), w.hWnd());

    const ScreenShot shot;
    // The own tile shows the desktop as the user left it, resampled.
    EXPECT_EQ(shot.At(70 + 200, 70 + 200), kHalvesBlue);
    EXPECT_EQ(shot.At(70 + 650, 70 + 200), kHalvesGreen);
    for (int j = 1; j <= 4; ++j) {
        const std::uint32_t colour = j == 1 ? kRed : kGrey;
        const int l = tileLeft[j], t = tileTop[j], tabW = w.DeskName[j]->Width();
        const int tabTop = w.DeskName[j]->Top(), tabH = w.DeskName[j]->Height();
        EXPECT_EQ(w.DeskName[j]->Left(), l);
        EXPECT_EQ(tabTop + tabH, t) << "tab " << j << " sits on its tile";
        EXPECT_EQ(shot.At(l, t + 200), colour) << "left edge of " << j;
        EXPECT_EQ(shot.At(l + 854, t + 200), colour) << "right edge of " << j;
        EXPECT_EQ(shot.At(l + 400, t + 434), colour) << "bottom edge of " << j;
        EXPECT_EQ(shot.At(l + tabW - 1, t), colour) << "top edge starts at tabW - 1";
        EXPECT_EQ(shot.At(l + 700, t), colour);
        for (int x = 1; x <= tabW - 2; x += 7) EXPECT_NE(shot.At(l + x, t), colour) << "open under the tab at " << x;
        // The tab outline: left, right and top edges in the same colour.
        EXPECT_EQ(shot.At(l, tabTop + tabH / 2), colour);
        EXPECT_EQ(shot.At(l + tabW - 1, tabTop + tabH / 2), colour);
        EXPECT_EQ(shot.At(l + tabW / 2, tabTop), colour);
    }
    // The two styled buttons, as the load sets them up, on the bar's white.
    const int barLeft = w.picBottom->Left(), barTop = w.picBottom->Top();
    EXPECT_EQ(shot.At(barLeft + 5, barTop + 4), 0xFFFFFFu) << "the bar's background around the buttons";
    EXPECT_EQ(shot.At(barLeft + 224, barTop + 30), 0xFFFFFFu) << "between the buttons";
    const struct {
        const VLM_StyleButton& b;
        const wchar_t* caption;
        int left, minCaptionWidth;
    } buttons[] = {{*w.cmdStartCP, L"Start Panorel Control Panel", 16, 100}, {*w.cmdHelp, L"Help Browser", 232, 50}};
    for (const auto& [b, caption, left, minCaptionWidth] : buttons) {
        const auto& p = b.Props();
        EXPECT_EQ(p.Caption, caption);
        EXPECT_EQ(std::make_tuple(p.ButtonStyle, p.BackColor, p.Font.Size, p.PictureEffectOnOver),
                  std::make_tuple(13, 0xFFD0ADu, 8.25, 0))
            << "style 13: Wine's themes are on";
        EXPECT_EQ(std::make_tuple(b.Left(), b.Top(), b.Width(), b.Height()), std::make_tuple(left, 8, 201, 41));
        EXPECT_EQ(::GetParent(b.hWnd()), w.picBottom->hWnd());
        const int bl = barLeft + left, bt = barTop + 8;
        EXPECT_NE(shot.At(bl, bt + 20), 0xFFFFFFu) << "the theme's edge of " << p.Caption.size();
        // Caption ink: dark pixels inside the caption's rectangle.
        const stylebutton::Rect& c = b.LastLayout().caption;
        int ink = 0;
        for (int x = c.left; x < c.right; ++x)
            for (int y = c.top; y < c.bottom; ++y) ink += Dark(shot.At(bl + x, bt + y));
        EXPECT_GT(ink, 30) << "caption of " << p.Caption.size();
        EXPECT_GT(c.right - c.left, minCaptionWidth);
    }
    // A mouse button released on the background hides both windows.
    ::SendMessageW(w.formBg.Picture1->hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(960, 300));
    EXPECT_FALSE(w.Visible());
    EXPECT_FALSE(w.formBg.Visible());

    // A tile click hides the panel and asks for that desktop.
    ASSERT_TRUE(SetClipboardText(L"copied earlier"));
    for (int j : {1, 3}) {
        TogglePanel(w);
        events.TakeSignalled();
        ASSERT_TRUE(w.Visible());
        const HWND tile = w.Picture1[j]->hWnd();
        ::SendMessageW(tile, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        ::SendMessageW(tile, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
        EXPECT_FALSE(w.Visible());
        EXPECT_FALSE(w.formBg.Visible());
        // Switcher2Update1, Switcher3Update1, Switcher4Update1, then SwitchToDesktop j.
        EXPECT_EQ(events.TakeSignalled(), "17 29 41 " + std::to_string(48 + j)) << "tile " << j;
        // The own preview went on the clipboard beside the user's text.
        const std::string block = ClipboardBlock(w.PreviewFormat), own(PreviewBits.begin(), PreviewBits.end());
        EXPECT_EQ(block.size(), 1117080u);
        EXPECT_TRUE(block == own) << FirstDifference(block, own);
        EXPECT_EQ(ClipboardText(), L"copied earlier");
    }
}

TEST_F(Panel, TabsFollowTheSettingsAndFitAnyName) {
    const DWORD number = 7;  // desktop 4's name has the wrong type; its hotkey is missing
    ASSERT_TRUE(PutSetting(L"Desktop4Name", REG_DWORD, &number, sizeof number));
    mainW w(L"3");
    w.hWnd();
    EXPECT_EQ(Registry::LastErrorText(), SystemErrorText(ERROR_FILE_NOT_FOUND)) << "each name is read before its hotkey";
    // The key names are the layout's (under Wine's X11 driver, X's own).
    for (int j = 1; j <= 4; ++j)
        EXPECT_EQ(w.TabLabel[j], L"Desktop " + std::to_wstring(j) + L"   (CTRL + ALT + " + KeyNameText(96 + j) + L")");
    const int before = w.DeskName[3]->Width();
    const std::wstring oldLabel = w.TabLabel[3];

    // Stored as usual, with its terminator, which stays part of the name.
    const wchar_t name[] = L"Desktop 3 with a much longer name";
    ASSERT_TRUE(PutSetting(L"Desktop3Name", REG_SZ, name, sizeof name));
    std::wstring hostile(10000, L'W');
    hostile[5000] = L'\0';
    ASSERT_TRUE(PutSetting(L"Desktop1Name", REG_SZ, hostile.data(), static_cast<DWORD>(hostile.size() * 2)));
    w.IncomingName(L"Local\\velmora_ReadRegSwitcher3");
    EXPECT_EQ(w.TabLabel[3], std::wstring(name, std::size(name)) + L"   (CTRL + ALT + " + KeyNameText(99) + L")");
    const HDC dc = w.NameDC[3].hDC();
    const int extra = TextExtent(dc, w.TabLabel[3]).right - TextExtent(dc, oldLabel).right;
    EXPECT_GT(extra, 100);
    EXPECT_EQ(w.DeskName[3]->Width(), before + extra);
    EXPECT_EQ(w.DeskName[3]->Top() + w.DeskName[3]->Height(), 575);
    // Wine may add a terminator of its own to the stored value.
    EXPECT_EQ(w.TabLabel[1].compare(0, 10000, hostile), 0);
    EXPECT_EQ(w.TabLabel[1].back(), L')');
    EXPECT_GT(w.DeskName[1]->Width(), 1000);

    w.Move(0, 0, 0, 0);  // a window of no size is not laid out
    w.Move(0, 0, -5, -5);
    EXPECT_EQ(std::make_tuple(w.Picture1[4]->Left(), w.Picture1[4]->Top()), std::make_tuple(995, 575));
}

// Everything drawn for the old names goes: after ReadReg the tile and tab
// images are those of a switcher that started with the new names.
TEST_F(Panel, RenamedTabsLeaveNothingOfTheirOldFrames) {
    const auto put = [](const std::wstring& name) {
        ASSERT_TRUE(PutSetting(L"Desktop3Name", REG_SZ, name.c_str(), static_cast<DWORD>(name.size() * 2)));
    };
    const auto images = [](mainW& w) {
        return DcBits(w.PreviewDC[3].hDC(), 855, 435) +
               DcBits(w.NameDC[3].hDC(), w.DeskName[3]->Width(), w.DeskName[3]->Height());
    };
    const std::wstring longName = L"A much longer name of desktop three", shortName = L"Three";
    for (const auto& [before, after] : {std::pair{longName, shortName}, std::pair{shortName, longName}}) {
        put(before);
        mainW renamed(L"1");
        renamed.hWnd();
        put(after);
        renamed.IncomingName(L"Local\\velmora_ReadRegSwitcher1");
        mainW fresh(L"1");
        fresh.hWnd();
        ASSERT_EQ(renamed.DeskName[3]->Width(), fresh.DeskName[3]->Width());
        const std::string got = images(renamed), want = images(fresh);
        EXPECT_TRUE(got == want) << before.size() << " characters before: " << FirstDifference(got, want);
    }
}

// The prefix has a CJK font, so such a name draws its own glyphs, not the
// boxes of characters that no font has.
TEST_F(Panel, CjkNamesDrawTheirGlyphs) {
    mainW w(L"2");
    w.hWnd();
    std::string tabs[2];
    const wchar_t* const names[2] = {L"\u6771\u4EAC", L"\uE000\uE001"};  // Tokyo; two private-use characters
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(PutSetting(L"Desktop2Name", REG_SZ, names[i], 4));
        w.IncomingName(L"Local\\velmora_ReadRegSwitcher2");
        tabs[i] = DcBits(w.NameDC[2].hDC(), w.DeskName[2]->Width(), w.DeskName[2]->Height());
    }
    EXPECT_TRUE(tabs[0] != tabs[1]) << "the CJK name draws as boxes";
}

// Alone: it covers the screen, dims it, and a release on it hides the switcher first.
TEST(FormBg, CoversTheScreenLayeredAndDismissesOnRelease) {
    FormBg bg;
    std::string order;
    bg.HideSwitcher = [&] { order += bg.Visible() ? "switcher " : "late "; };
    const HWND hwnd = bg.hWnd();
    RECT rc;
    ::GetWindowRect(hwnd, &rc);
    EXPECT_EQ(std::make_tuple(rc.left, rc.top, rc.right, rc.bottom), std::make_tuple(0L, 0L, 1920L, 1080L));
    EXPECT_EQ(bg.Picture1->Width(), 1920);
    EXPECT_TRUE(::GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(::GetLayeredWindowAttributes(hwnd, nullptr, &alpha, &flags));
    EXPECT_EQ(std::make_pair(alpha, flags), std::make_pair(BYTE{80}, DWORD{LWA_ALPHA}));
    bg.Show();
    ASSERT_TRUE(bg.Visible());
    ::SendMessageW(bg.Picture1->hWnd(), WM_RBUTTONUP, 0, MAKELPARAM(500, 500));
    EXPECT_EQ(order, "switcher ");
    EXPECT_FALSE(bg.Visible());
}

}  // namespace
}  // namespace panorel::test
