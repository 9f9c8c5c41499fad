// The whole road with the real Panorel2.exe and four Spacehost.exe: a switch away from desktop 1, recorded at
// once while the switcher still scales, hands its fresh preview to the other three, proven on the screen.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "mainprocess/MainRun.h"
#include "switcher/EventNames.h"
#include "test_paths.h"

namespace panorel::test {
namespace {

constexpr int kTileX = 70, kTileY = 70, kTileW = 855, kTileH = 435;

// Four quarters of known colours (0x00RRGGBB): what the user left on desktop 1.
constexpr std::uint32_t kQuarters[4] = {0xC81E1E, 0x1EA028, 0x1428BE, 0xE6C814};
void PaintQuarters(HDC dc, int w, int h) {
    for (int q = 0; q < 4; ++q)
        FillRectangle(dc, q % 2 * w / 2, q / 2 * h / 2, (q % 2 + 1) * w / 2, (q / 2 + 1) * h / 2,
                      RGB(kQuarters[q] >> 16, (kQuarters[q] >> 8) & 0xFF, kQuarters[q] & 0xFF));
}

std::uint32_t BlockPixel(const std::string& block, int x, int y) { return DibPixel(block, kTileW, kTileH, x, y); }

// Pixels inside tile 1's frame on the screen that differ from the block.
long TileMismatches(const std::string& block) {
    const ScreenShot shot;
    long wrong = 0;
    for (int y = 2; y < kTileH - 2; ++y)
        for (int x = 2; x < kTileW - 2; ++x)
            if (shot.At(kTileX + x, kTileY + y) != BlockPixel(block, x, y)) ++wrong;
    return wrong;
}

// Every switcher started here scales 600 ms slower (the probed switcher's seam): less than a forward's time-out,
// so a main process that waited for the switcher would record the switch only after the preview. (How soon:
// road_bench.)
TEST(Road, ASwitchIsRecordedAtOnceAndHandsDesktopOnesPreviewToTheOtherThree) {
    constexpr int kSlowMs = 600;
    ::SetEnvironmentVariableW(L"PANOREL2_SLOW_SCALING_MS", std::to_wstring(kSlowMs).c_str());
    RunningMain run(L"--single-desktop", RunningMain::kEndLeftovers, PANOREL_PROBED_DIR);
    ::SetEnvironmentVariableW(L"PANOREL2_SLOW_SCALING_MS", nullptr);
    ASSERT_TRUE(run.Ready());

    KernelHandle request(::OpenEventA(EVENT_MODIFY_STATE, FALSE, EventName(SwitchToIndex(1, 3)).c_str()));
    ASSERT_TRUE(request);
    const UINT format = ::RegisterClipboardFormatW(L"velmora_panorel2");
    const std::wstring text = L"The user's text, copied before the switch";
    ASSERT_TRUE(SetClipboardText(text));
    std::string block;
    {
        ScreenCover desktop1(PaintQuarters);
        ASSERT_TRUE(desktop1.Created());
        const double asked = NowMs();
        ::SetEvent(request.get());
        // Looking without opening the clipboard: a switcher that finds it open by someone else publishes nothing.
        bool publishedFirst = true;
        ASSERT_TRUE(PumpUntil(
            [&] {
                if (run.ActiveDesktop() != 3) return false;
                publishedFirst = ::IsClipboardFormatAvailable(format) != FALSE;
                return true;
            },
            5000))
            << "desktop 3 was never recorded";
        EXPECT_FALSE(publishedFirst) << "recorded only after switcher 1 published its preview";

        // The preview follows within 2 s of the slowed scaling, and once: a second forward would publish again.
        EXPECT_TRUE(PumpUntil([&] { return ::IsClipboardFormatAvailable(format) != FALSE; }, kSlowMs + 2000));
        EXPECT_GE(NowMs() - asked, kSlowMs) << "the scaling was not slowed";
        const DWORD sequence = ::GetClipboardSequenceNumber();
        PumpFor(kSlowMs + 400);  // the three receivers read the clipboard now
        EXPECT_EQ(::GetClipboardSequenceNumber(), sequence) << "the preview was published twice";
        EXPECT_EQ(run.ActiveDesktop(), 3);
        block = ClipboardBlock(format);
    }
    ASSERT_EQ(block.size(), 1117080u);
    EXPECT_EQ(ClipboardText(), text) << "the user's clipboard is kept";
    // The block is a fresh photograph of desktop 1: each quarter's colour.
    for (int q = 0; q < 4; ++q)
        EXPECT_EQ(BlockPixel(block, q % 2 ? 650 : 200, q / 2 ? 330 : 100), kQuarters[q]) << "quarter " << q;

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

}  // namespace
}  // namespace panorel::test
