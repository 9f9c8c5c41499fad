// The switcher's panel in-process, checked on the real (Xvfb) screen: layout,
// shape, frames, tabs, buttons, the background window, showing and hiding,
// tile clicks, the busy animation, and what the switch and the show do when a
// message handled in their own message pump changes the state under them.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <optional>
#include <tuple>
#include <utility>

#include "WinTestSupport.h"
#include "gifviewer/GifBuilder.h"
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
    // Where the layout table puts tiles and bar: the pixels below show the real window follows it.
    const int tileLeft[] = {0, 70, 995, 70, 995}, tileTop[] = {0, 70, 70, 575, 575}, barLeft = 736, barTop = 1025;
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
        // The tab sits on its tile: its outline is drawn just above the tile's top.
        const int l = tileLeft[j], t = tileTop[j], tabW = w.DeskName[j]->Width(), tabH = w.DeskName[j]->Height();
        const int tabTop = t - tabH;
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
    EXPECT_EQ(shot.At(barLeft + 5, barTop + 4), 0xFFFFFFu) << "the bar's background around the buttons";
    EXPECT_EQ(shot.At(barLeft + 224, barTop + 30), 0xFFFFFFu) << "between the buttons";
    // (Their captions, whole at every scaling: PanelDpiTest.)
    const struct {
        const VLM_StyleButton& b;
        const wchar_t* caption;
        int left;
    } buttons[] = {{*w.cmdStartCP, L"Start Panorel Control Panel", 16}, {*w.cmdHelp, L"Help Browser", 232}};
    for (const auto& [b, caption, left] : buttons) {
        const auto& p = b.Props();
        EXPECT_EQ(p.Caption, caption);
        EXPECT_EQ(std::make_tuple(p.ButtonStyle, p.BackColor, p.Font.Size, p.PictureEffectOnOver),
                  std::make_tuple(13, 0xFFD0ADu, 8.25, 0))
            << "style 13: Wine's themes are on";
        EXPECT_EQ(std::make_tuple(b.Left(), b.Top(), b.Width(), b.Height()), std::make_tuple(left, 8, 201, 41));
        EXPECT_EQ(::GetParent(b.hWnd()), w.picBottom->hWnd());
        EXPECT_NE(shot.At(barLeft + left, barTop + 8 + 20), 0xFFFFFFu) << "the theme's edge of " << p.Caption.size();
    }
    // A mouse button released on the background hides both windows.
    ::SendMessageW(w.formBg.Picture1->hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(960, 300));
    EXPECT_FALSE(w.Visible());
    EXPECT_FALSE(w.formBg.Visible());

    // A tile click hides the panel and asks for that desktop. (The preview it
    // publishes: SequenceState and, beside the user's text, RoadTest.)
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
    }
}

TEST_F(Panel, TabsFollowTheSettingsFitAnyNameAndDrawCjkGlyphs) {
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
    // Wine may add a terminator of its own to the stored value.
    EXPECT_EQ(w.TabLabel[1].compare(0, 10000, hostile), 0);
    EXPECT_EQ(w.TabLabel[1].back(), L')');
    EXPECT_GT(w.DeskName[1]->Width(), 1000);
    // The prefix has a CJK font: such a name draws its own glyphs, not the
    // boxes of characters that no font has.
    std::vector<std::string> tabs;
    for (const wchar_t* cjk : {L"\u6771\u4EAC", L"\uE000\uE001"}) {  // Tokyo; two private-use characters
        ASSERT_TRUE(PutSetting(L"Desktop3Name", REG_SZ, cjk, 4));
        w.IncomingName(L"Local\\velmora_ReadRegSwitcher3");
        tabs.push_back(DcBits(w.NameDC[3].hDC(), w.DeskName[3]->Width(), w.DeskName[3]->Height()));
    }
    EXPECT_TRUE(tabs[0] != tabs[1]) << "the CJK name draws as boxes";

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

// The busy animation in the own tile: centred and unscaled while the capture
// is scaled, gone once the preview is drawn; a missing, corrupt or hostile
// file leaves a working switcher.
struct Spinner : Panel {};

constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr int kTileLeft = 70, kTileTop = 70, kTileW = 855, kTileH = 435, kSpin = 32;
// The animation's box, centred in tile 1 at its own size.
constexpr int kBoxLeft = kTileLeft + (kTileW - kSpin) / 2, kBoxTop = kTileTop + (kTileH - kSpin) / 2;

constexpr wchar_t kShow[] = L"Local\\velmora_ShowPreviewSwitcher1";
// The desktop as the user left it: all of it 0x0000C8.
void PaintBlue(HDC dc, int w, int h) { FillRectangle(dc, 0, 0, w, h, RGB(0, 0, 200)); }

// Pixels not of `colour` in the animation's box grown by `margin` on each side.
int OtherPixels(const ScreenShot& shot, std::uint32_t colour, int margin = 0) {
    int other = 0;
    for (int y = -margin; y < kSpin + margin; ++y)
        for (int x = -margin; x < kSpin + margin; ++x) other += shot.At(kBoxLeft + x, kBoxTop + y) != colour;
    return other;
}

TEST_F(Spinner, RunsCentredInTheOwnTileWhileScalingThenLeavesThePreview) {
    const ScreenCover desktop(PaintBlue);
    const long bitmaps = BitmapHandle::LiveCount(), dcs = MemoryDcHandle::LiveCount();
    {
        mainW w(L"1");
        w.SpinnerPath = DistPath(L"ajax-loader.gif");
        w.hWnd();
        w.formBg.Load();
        EXPECT_FALSE(w.SpinnerLoaded) << "the start does not wait for the animation";

        int inkWhileScaling = 0, framesSeen = 0;
        bool whiteAround = false;
        std::string steps;
        mainW::Stage last = mainW::Stage::Tabs;
        w.StageProbe = [&](mainW::Stage stage, bool begin) {
            static const char* const kNames[] = {"Show",   "Capture", "FormBg",  "Frames", "ShowAndPaint",
                                                 "Tabs",   "Region",  "Spinner", "Scaling"};
            // Each step as it begins, once; tabs and the shape are redrawn whenever painted.
            if (begin && stage != last && stage != mainW::Stage::Tabs && stage != mainW::Stage::Region)
                steps += kNames[static_cast<int>(stage)] + std::string(" ");
            if (begin) last = stage;
            if (stage != mainW::Stage::Scaling || !begin) return;
            // Hold the scaling until the animation has moved on a few frames.
            const int start = w.Spinner->AnimationIndex();
            PumpUntil([&] { return w.Spinner->AnimationIndex() >= start + 2; }, 3000);
            framesSeen = w.Spinner->AnimationIndex();
            const ScreenShot shot;
            inkWhileScaling = OtherPixels(shot, kWhite);
            whiteAround = OtherPixels(shot, kWhite, 4) == inkWhileScaling;
        };
        w.IncomingName(kShow);  // shown before the switcher was idle: loads first
        // The desktop is captured before anything is shown, the scaling waits
        // until the panel is painted and the animation runs.
        EXPECT_EQ(steps, "Show Capture FormBg Frames ShowAndPaint Spinner Scaling Frames ");
        ASSERT_TRUE(w.SpinnerLoaded);
        EXPECT_GE(w.Spinner->FrameCount(), 4);
        EXPECT_GE(framesSeen, 3) << "the animation ran while the scaling was held";
        EXPECT_GT(inkWhileScaling, 100) << "the spinner's dots in the middle of the own tile";
        EXPECT_TRUE(whiteAround) << "a white tile around the unscaled spinner";
        EXPECT_EQ(w.Spinner->AnimationState(), 0);

        PumpFor(300);
        EXPECT_EQ(OtherPixels(ScreenShot(), 0x0000C8, 4), 0) << "nothing of the spinner is left on the preview";
        w.IncomingName(kShow);
        PumpFor(300);
        w.Unload();
    }
    EXPECT_EQ(BitmapHandle::LiveCount(), bitmaps);
    EXPECT_EQ(MemoryDcHandle::LiveCount(), dcs);
}

// A missing file, a corrupt one, and 1.5 million 1 x 1 frames each with a
// colour table of its own (31 MB): the switcher shows its panel in good time,
// with the preview in its own tile, and hides it again.
TEST_F(Spinner, AMissingCorruptOrHostileFileLeavesAWorkingSwitcher) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"hostile-spinner.gif";
    const std::vector<std::uint8_t> hostile = GifBuilder(1, 1).TinyFrames(1500000).Finish();
    const ScreenCover desktop(PaintBlue);
    for (const std::string& gif : {std::string(), std::string("GIF89a but nothing of a picture follows here"),
                                   std::string(hostile.begin(), hostile.end())}) {
        ::DeleteFileW(path.c_str());
        if (!gif.empty()) std::ofstream(path.c_str(), std::ios::binary) << gif;
        const double start = NowMs();
        mainW w(L"1");
        w.SpinnerPath = path;
        w.hWnd();
        w.formBg.Load();
        w.IncomingName(kShow);
        PumpFor(300);
        ASSERT_TRUE(w.Visible()) << gif.size() << " bytes";
        // The hostile file's frames up to the frame cap may load within the
        // load's time limit, depending on the machine; the other two never do.
        if (gif.size() != hostile.size()) {
            EXPECT_FALSE(w.SpinnerLoaded) << "no animation from " << gif.size() << " bytes";
        }
        EXPECT_LT(NowMs() - start, 15000) << "the panel within 15 s of the start";
        EXPECT_EQ(ScreenShot().At(kBoxLeft + 16, kBoxTop + 16), 0x0000C8u) << "the own tile, " << gif.size() << " bytes";
        w.IncomingName(kShow);
        PumpFor(300);
        EXPECT_FALSE(w.Visible());
        w.Unload();
    }
    ::DeleteFileW(path.c_str());
}

// What the switch and the show do when a message handled in their own pump
// changes the state under them: another show, a tile click, a shutdown. Each
// message is posted so that it arrives in that pump.
struct SequenceState : Panel {};

// The action that DuringRequest's window runs; one at a time, on this thread.
std::function<void()>* pendingAction = nullptr;

LRESULT CALLBACK RunPendingAction(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_APP || !pendingAction) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    (*std::exchange(pendingAction, nullptr))();
    return 0;
}

// Asks `w` for `request` with `action` posted, so that it runs when the
// request's own message pump gets to it; whether it ran.
bool DuringRequest(mainW& w, const std::wstring& request, std::function<void()> action) {
    const WindowHandle window(::CreateWindowExW(0, RegisterTestClass(L"Panorel2TestInThePump", &RunPendingAction), L"",
                                                0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ::GetModuleHandleW(nullptr),
                                                nullptr));
    pendingAction = &action;
    ::PostMessageW(window.get(), WM_APP, 0, 0);
    w.IncomingName(request);
    return !std::exchange(pendingAction, nullptr);
}

std::uint32_t PreviewPixel(int x, int y) {
    return DibPixel(std::string(PreviewBits.begin(), PreviewBits.end()), 855, 435, x, y);
}

TEST_F(SequenceState, AShowAskedForDuringTheSwitchIsDropped) {
    mainW w(L"1");
    const HWND hwnd = w.hWnd();
    w.formBg.Load();
    std::optional<ScreenCover> desktop(std::in_place, PaintHalves);
    events.TakeSignalled();
    ASSERT_TRUE(DuringRequest(w, L"Local\\velmora_Switcher1SwitchTo3", [&] {
        desktop.reset();  // the switch is under way: the desktop goes
        ForwardName(hwnd, "ShowPreviewSwitcher1");
    }));
    EXPECT_FALSE(w.Visible());
    EXPECT_FALSE(w.formBg.Visible());
    // The published preview is the capture from before the switch.
    ASSERT_EQ(PreviewBits.size(), DibStride(855) * 435);
    EXPECT_EQ(PreviewPixel(200, 200), kHalvesBlue);
    EXPECT_EQ(PreviewPixel(650, 200), kHalvesGreen);
    EXPECT_EQ(events.TakeSignalled(), "17 29 41 51");
}

// One switcher in turn: a tray double click, more toggles, a tile click, each
// arriving in the show's own pump.
TEST_F(SequenceState, TrayClicksTogglesAndTileClicksDuringTheShow) {
    mainW w(L"3");
    const HWND hwnd = w.hWnd();
    w.formBg.Load();
    {
        SCOPED_TRACE("a tray double click is dropped and the own tile shows the capture");
        std::optional<ScreenCover> desktop(std::in_place, PaintHalves);
        ASSERT_TRUE(DuringRequest(w, L"Local\\velmora_ShowPreviewSwitcher3", [&] {
            desktop.reset();
            PumpFor(300);  // the screen now shows the panel and no more halves
            ::PostMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(WM_LBUTTONDBLCLK, 0));  // as the shell does
        }));
        ASSERT_TRUE(w.Visible());
        PumpFor(300);
        const ScreenShot shot;
        EXPECT_EQ(shot.At(70 + 200, 575 + 200), kHalvesBlue);  // tile 3 at (70, 575)
        EXPECT_EQ(shot.At(70 + 650, 575 + 200), kHalvesGreen);
        w.IncomingName(L"Local\\velmora_ShowPreviewSwitcher3");
    }
    // Toggles leave the panel as the last one asks.
    for (const int more : {1, 2, 3}) {
        ASSERT_TRUE(DuringRequest(w, L"Local\\velmora_ShowPreviewSwitcher3", [&] {
            for (int i = 0; i < more; ++i) ForwardName(hwnd, "ShowPreviewSwitcher3");
        }));
        const bool shown = more % 2 == 0;
        EXPECT_EQ(w.Visible(), shown) << 1 + more << " toggles";
        EXPECT_EQ(w.formBg.Visible(), shown) << 1 + more << " toggles";
        if (shown) w.IncomingName(L"Local\\velmora_ShowPreviewSwitcher3");
        ASSERT_FALSE(w.formBg.Visible());
    }
    // A tile clicked switches and publishes the preview scaled in this show.
    PreviewBits.assign(9, 0x42);
    events.TakeSignalled();
    ASSERT_TRUE(DuringRequest(w, L"Local\\velmora_ShowPreviewSwitcher3", [&] {
        const HWND tile = w.Picture1[1]->hWnd();
        ::SendMessageW(tile, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        ::SendMessageW(tile, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    }));
    EXPECT_FALSE(w.Visible());
    EXPECT_FALSE(w.formBg.Visible());
    // SwitchToDesktop1, then Update3 for switchers 1, 2 and 4, once.
    EXPECT_EQ(events.TakeSignalled(), "7 19 43 49");
    const std::string block = ClipboardBlock(w.PreviewFormat);
    EXPECT_EQ(block.size(), DibStride(855) * 435) << "the preview scaled in this show, not the one before";
    EXPECT_TRUE(block == std::string(PreviewBits.begin(), PreviewBits.end()));
}

TEST_F(SequenceState, AShutdownInThePumpEndsTheSequenceAtOnce) {
    for (const wchar_t* request : {L"Local\\velmora_ShowPreviewSwitcher1", L"Local\\velmora_Switcher1SwitchTo2"}) {
        const long dcs = MemoryDcHandle::LiveCount(), bitmaps = BitmapHandle::LiveCount();
        {
            mainW w(L"1");
            const HWND hwnd = w.hWnd();
            w.formBg.Load();
            ASSERT_TRUE(SetClipboardText(L"the user's"));
            PreviewBits.assign(9, 0x42);
            ASSERT_TRUE(DuringRequest(w, request, [&] { ForwardName(hwnd, "ShutdownSwitcher1"); })) << request;
            EXPECT_FALSE(w.IsLoaded()) << request;
            EXPECT_FALSE(CaptureHeld()) << request;
            EXPECT_EQ(PreviewBits, PixelBuffer(9, 0x42)) << request << ": nothing drawn after the shutdown";
            bool published = false;
            ClipboardBlock(w.PreviewFormat, &published);
            EXPECT_FALSE(published) << request;
            EXPECT_EQ(w.Picture1[1]->hDC(), nullptr) << request << ": no freed DC is kept";
        }
        EXPECT_EQ(MemoryDcHandle::LiveCount(), dcs) << request;
        EXPECT_EQ(BitmapHandle::LiveCount(), bitmaps) << request;
    }
}

}  // namespace
}  // namespace panorel::test
