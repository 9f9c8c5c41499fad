// The real switcher at each display scaling a user can pick: Wine reads the
// prefix's LogPixels when a process starts, so each row starts Spacehost.exe
// anew. The button bar grows with the text, and both captions stay whole.
#include <gtest/gtest.h>

#include <algorithm>

#include "WinTestSupport.h"

namespace panorel::test {
namespace {

// The prefix's display scaling for one scope; back to the default after it.
struct LogPixels {
    explicit LogPixels(DWORD dpi) {
        ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
    }
    ~LogPixels() { ::RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels"); }
};

RECT WindowRect(HWND w) {
    RECT r{};
    ::GetWindowRect(w, &r);
    return r;
}

// The box around the caption's dark pixels inside a button, in screen pixels.
RECT InkBox(const ScreenShot& shot, const RECT& b) {
    RECT ink{b.right, b.bottom, b.left, b.top};
    for (int y = b.top; y < b.bottom; ++y)
        for (int x = b.left; x < b.right; ++x)
            if (Dark(shot.At(x, y)))
                ink = {std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y), std::max<LONG>(ink.right, x + 1),
                       std::max<LONG>(ink.bottom, y + 1)};
    return ink;
}

TEST(PanelDpi, TheBarGrowsWithTheScalingAndBothCaptionsStayWhole) {
    DeleteSettings();
    SharedEvents events;
    LONG barAt96 = 0, inkAt96[2] = {};
    for (const DWORD dpi : {96, 120, 144, 168, 192, 216}) {
        const LogPixels scaling(dpi);
        KernelHandle process = StartProgram(L"Spacehost.exe", L"1");
        const HWND switcher = WaitForWindow(L"Spacehost1", 20000);
        ASSERT_NE(switcher, nullptr) << dpi << " dpi";
        ForwardName(switcher, "ShowPreviewSwitcher1");
        // Below the buttons, in the middle of the screen: the bar itself.
        const POINT belowButtons{::GetSystemMetrics(SM_CXSCREEN) / 2, ::GetSystemMetrics(SM_CYSCREEN) - 4};
        const auto barShown = [&] {
            const HWND hit = ::WindowFromPoint(belowButtons);
            return hit != switcher && ::GetAncestor(hit, GA_ROOT) == switcher;
        };
        ASSERT_TRUE(PumpUntil(barShown, 10000)) << dpi << " dpi";
        const HWND bar = ::WindowFromPoint(belowButtons);
        const RECT barRect = WindowRect(bar);
        const LONG barWidth = barRect.right - barRect.left;
        if (dpi == 96) barAt96 = barWidth;
        EXPECT_NEAR(static_cast<double>(barWidth) / barAt96, dpi / 96.0, 0.12 * dpi / 96.0) << dpi << " dpi";

        const HWND buttons[2] = {::GetWindow(bar, GW_CHILD), ::GetWindow(::GetWindow(bar, GW_CHILD), GW_HWNDNEXT)};
        ASSERT_TRUE(buttons[0] && buttons[1]) << dpi << " dpi";
        // The captions reach the screen a moment after the bar (a fresh
        // session's first themed drawing at a new scaling takes a while).
        RECT inks[2] = {};
        EXPECT_TRUE(PumpUntil([&] {
            const ScreenShot shot;
            for (int i = 0; i < 2; ++i) inks[i] = InkBox(shot, WindowRect(buttons[i]));
            return inks[0].right > inks[0].left && inks[1].right > inks[1].left;
        }, 5000)) << "both captions drawn at " << dpi << " dpi";
        PumpFor(200);
        const ScreenShot shot;
        for (int i = 0; i < 2; ++i) {
            const RECT b = WindowRect(buttons[i]), ink = InkBox(shot, b);
            // On one line, nowhere near an edge: not wrapped, not cut.
            EXPECT_TRUE(ink.left > b.left + 2 && ink.right < b.right - 2 && ink.top > b.top + 2 &&
                        ink.bottom < b.bottom - 2 && ink.bottom - ink.top < (b.bottom - b.top) / 2)
                << "button " << i << " at " << dpi << " dpi: ink " << ink.left << "," << ink.top << "-" << ink.right
                << "," << ink.bottom << " in " << b.left << "," << b.top << "-" << b.right << "," << b.bottom;
            if (dpi == 96) inkAt96[i] = ink.right - ink.left;
            EXPECT_GT(ink.right - ink.left, 0.8 * inkAt96[i] * dpi / 96.0) << "button " << i << " at " << dpi << " dpi";
        }
        ForwardName(switcher, "ShutdownSwitcher1");
        if (WaitExit(process, 5000) == -1) ::TerminateProcess(process.get(), 9);
    }
}

}  // namespace
}  // namespace panorel::test
