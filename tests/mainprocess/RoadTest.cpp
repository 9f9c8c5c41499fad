// The whole road with the real Panorel2.exe and four Spacehost.exe: each
// switcher's tray icon, then a switch away from desktop 1 that hands its fresh
// preview to the other three through the clipboard, proven on the screen; and
// a switch recorded at once while the switcher is still scaling its preview.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "WinTestSupport.h"
#include "switcher/EventNames.h"

namespace panorel::test {
namespace {

constexpr int kTileX = 70, kTileY = 70, kTileW = 855, kTileH = 435;
constexpr std::size_t kStride = 2568;  // 3 x 855 rounded up to a multiple of 4

// Four quarters of known colours: what the user left on desktop 1.
constexpr COLORREF kQuarters[4] = {RGB(200, 30, 30), RGB(30, 160, 40), RGB(20, 40, 190), RGB(230, 200, 20)};
void PaintQuarters(HDC dc, int w, int h) {
    FillRectangle(dc, 0, 0, w / 2, h / 2, kQuarters[0]);
    FillRectangle(dc, w / 2, 0, w, h / 2, kQuarters[1]);
    FillRectangle(dc, 0, h / 2, w / 2, h, kQuarters[2]);
    FillRectangle(dc, w / 2, h / 2, w, h, kQuarters[3]);
}

// Pixel (x, y) of the preview block (24-bit, rows bottom-up) as 0x00RRGGBB.
std::uint32_t BlockPixel(const std::string& block, int x, int y) {
    const std::size_t at = static_cast<std::size_t>(kTileH - 1 - y) * kStride + 3 * static_cast<std::size_t>(x);
    const auto* p = reinterpret_cast<const std::uint8_t*>(block.data() + at);
    return (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
}

std::uint32_t Rgb(COLORREF c) { return (std::uint32_t{GetRValue(c)} << 16) | (GetGValue(c) << 8) | GetBValue(c); }

// Pixels inside tile 1's frame on the screen that differ from the block.
long TileMismatches(const std::string& block) {
    const ScreenShot shot;
    long wrong = 0;
    for (int y = 2; y < kTileH - 2; ++y)
        for (int x = 2; x < kTileW - 2; ++x)
            if (shot.At(kTileX + x, kTileY + y) != BlockPixel(block, x, y)) ++wrong;
    return wrong;
}

TEST(Road, ASwitchHandsDesktopOnesPreviewToTheOtherThreeAndKeepsTheClipboard) {
    StandInTaskbar taskbar;
    ASSERT_NE(taskbar.Window(), nullptr);
    ASSERT_EQ(::FindWindowA("Shell_TrayWnd", ""), taskbar.Window()) << "the stand-in must be the taskbar found";
    RunningMain run;
    ASSERT_TRUE(run.Ready());

    // Every switcher found the taskbar and added its icon.
    ASSERT_TRUE(PumpUntil([&] { return taskbar.Calls().size() >= 4; }, 10000));
    for (int n = 1; n <= 4; ++n) {
        const auto window = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(run.SwitcherWindow(n)));
        int adds = 0;
        for (const TrayCall& c : taskbar.Calls()) {
            if (c.window != window) continue;
            ++adds;
            EXPECT_EQ(c.message, static_cast<DWORD>(NIM_ADD));
            EXPECT_EQ(c.id, 1u);
            EXPECT_EQ(c.flags, 7u);
            EXPECT_EQ(c.callback, 512u);
            EXPECT_EQ(c.tip, L"Panoerl2");
        }
        EXPECT_EQ(adds, 1) << "switcher " << n;
    }

    const std::wstring text = L"The user's text, copied before the switch";
    ASSERT_TRUE(SetClipboardText(text));
    const UINT format = ::RegisterClipboardFormatW(L"velmora_panorel2");
    std::string block;
    {
        ScreenCover desktop1(PaintQuarters);
        ASSERT_TRUE(desktop1.Created());
        const DWORD sent = ::GetTickCount();
        ASSERT_EQ(RunMainToEnd(L"--signal Switcher1SwitchTo3"), 0);
        // Looking without opening the clipboard: a switcher that finds it open
        // by someone else publishes nothing.
        bool found = false;
        const bool arrived = PumpUntil(
            [&] { return run.ActiveDesktop() == 3 && (found = ::IsClipboardFormatAvailable(format) != FALSE); },
            5000);
        const DWORD took = ::GetTickCount() - sent;
        PumpFor(300);  // the three receivers read the clipboard now
        block = ClipboardBlock(format);
        ASSERT_TRUE(arrived) << "active desktop " << run.ActiveDesktop() << ", preview found " << found;
        EXPECT_LT(took, 2000u);
        std::printf("[ figures  ] --signal Switcher1SwitchTo3 to desktop 3 active and the preview published: %lu ms\n",
                    static_cast<unsigned long>(took));
    }
    ASSERT_EQ(block.size(), 1117080u);
    EXPECT_EQ(ClipboardText(), text) << "the user's clipboard is kept";
    // The block is a fresh photograph of desktop 1: each quarter's colour.
    EXPECT_EQ(BlockPixel(block, 200, 100), Rgb(kQuarters[0]));
    EXPECT_EQ(BlockPixel(block, 650, 100), Rgb(kQuarters[1]));
    EXPECT_EQ(BlockPixel(block, 200, 330), Rgb(kQuarters[2]));
    EXPECT_EQ(BlockPixel(block, 650, 330), Rgb(kQuarters[3]));

    // Each receiver's panel shows that preview in tile 1, pixel for pixel.
    for (int n = 2; n <= 4; ++n) {
        const std::wstring show = L"--signal ShowPreviewSwitcher" + std::to_wstring(n);
        ASSERT_EQ(RunMainToEnd(show), 0);
        ASSERT_TRUE(PumpUntil([&] { return ::IsWindowVisible(run.SwitcherWindow(n)) != FALSE; }, 5000));
        long wrong = -1;
        // The panel reaches the X screen a moment after it is shown.
        EXPECT_TRUE(PumpUntil([&] { return (wrong = TileMismatches(block)) == 0; }, 3000))
            << "switcher " << n << ": " << wrong << " pixels differ in tile 1";
        ASSERT_EQ(RunMainToEnd(show), 0);
        EXPECT_TRUE(PumpUntil([&] { return !::IsWindowVisible(run.SwitcherWindow(n)); }, 5000));
    }
}

TEST(Road, TheSwitchIsRecordedAtOnceWhileTheSwitcherStillScales) {
    // Every switcher started from here scales 600 ms slower (the switcher's
    // test seam): less than a forward's time-out, so a main process that
    // waited for the switcher would record the switch only after the preview.
    constexpr int kSlowMs = 600;
    ::SetEnvironmentVariableW(L"PANOREL2_SLOW_SCALING_MS", std::to_wstring(kSlowMs).c_str());
    RunningMain run;
    ::SetEnvironmentVariableW(L"PANOREL2_SLOW_SCALING_MS", nullptr);
    ASSERT_TRUE(run.Ready());
    BuildEventNames();
    KernelHandle request(::OpenEventA(EVENT_MODIFY_STATE, FALSE, EventName(SwitchToIndex(1, 3)).c_str()));
    ASSERT_TRUE(request);
    const UINT format = ::RegisterClipboardFormatW(L"velmora_panorel2");
    ASSERT_TRUE(SetClipboardText(L"no preview yet"));

    // Switcher 1 answers the probe right after it sets SwitchToDesktop3: that
    // answer tells when the event was set.
    BusyProbe probe(run.SwitcherWindow(1));
    probe.Arm();
    const double asked = NowMs();
    ::SetEvent(request.get());
    double recorded = -1;
    bool publishedFirst = true;
    while (NowMs() - asked < 5000) {
        if (run.ActiveDesktop() == 3) {
            recorded = NowMs();
            publishedFirst = ::IsClipboardFormatAvailable(format) != FALSE;
            break;
        }
        ::Sleep(1);  // leaves the processor to the programs measured
    }
    const double set = probe.Answered(5000);
    ASSERT_GT(recorded, 0) << "desktop 3 was never recorded";
    ASSERT_GT(set, 0) << "switcher 1 never got busy";
    EXPECT_FALSE(publishedFirst) << "recorded only after switcher 1 published its preview";

    // The preview follows once the slowed scaling is done, and only once:
    // a second forward of the request would publish again.
    EXPECT_TRUE(PumpUntil([&] { return ::IsClipboardFormatAvailable(format) != FALSE; }, 5000));
    const double published = NowMs();
    const DWORD sequence = ::GetClipboardSequenceNumber();
    PumpFor(kSlowMs + 400);
    EXPECT_EQ(::GetClipboardSequenceNumber(), sequence) << "the preview was published twice";
    EXPECT_GE(published - asked, kSlowMs);
    EXPECT_EQ(run.ActiveDesktop(), 3);

    // The answer comes about one round trip after the event was set.
    const double latency = recorded - set + probe.RoundTripMs();
    std::printf("[ figures  ] desktop 3 recorded %.2f ms after SwitchToDesktop3 was set (%.2f ms after switcher 1's "
                "answer, round trip %.2f ms); after the request: set %.1f ms, recorded %.1f ms, preview published "
                "%.1f ms\n",
                latency, recorded - set, probe.RoundTripMs(), set - asked, recorded - asked, published - asked);
    // The answer comes before the slowed scaling, or the probe missed it.
    EXPECT_LT(set, published);
    // The target is 5 ms (road_bench measures it); a loaded machine may take
    // longer, and a main process that waited would take the slowed scaling.
    EXPECT_LT(latency, kSlowMs / 2.0);
}

}  // namespace
}  // namespace panorel::test
