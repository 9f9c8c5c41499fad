// The balloon tooltip under Wine: its shape and colours for a measured text,
// where ShowTip puts it, how its owner's moves and activation hide it, and a
// real click on it that must not activate it.
#include <gtest/gtest.h>

#include <array>

#include "WinTestSupport.h"
#include "winsupport/frmFakeToolTip.h"

namespace panorel::test {
namespace {

// A visible top-level window with an edit box in it.
struct Owner {
    WindowHandle window{::CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE | SS_NOTIFY, 100, 600, 300,
                                          100, nullptr, nullptr, nullptr, nullptr)};
    HWND hwnd = window.get();
    HWND child = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, hwnd, nullptr, nullptr,
                                   nullptr);
};

void Activate(HWND hwnd) {
    ::SetForegroundWindow(hwnd);
    ::SetActiveWindow(hwnd);
    PumpFor(100);
}

TEST(frmFakeToolTip, ShapeColoursAndPlaceThenOwnerMovesAndActivationHideItAndAClickDoesNotActivateIt) {
    const long regionsBefore = RegionHandle::LiveCount(), brushesBefore = BrushHandle::LiveCount();
    {
        Owner owner;
        Activate(owner.hwnd);
        frmFakeToolTip tip;
        tip.TextSet(L"Start Panorel Control Panel");
        const RECT t = tip.TextRect();
        RegionHandle rgn(::CreateRectRgn(0, 0, 0, 0));
        ASSERT_NE(::GetWindowRgn(tip.hWnd(), rgn.get()), ERROR);
        struct { int x, y; bool in; } const points[] = {{30, 4, true},  {20, 4, false},          {5, 20, true},
                            {t.right + 12, 20, true}, {t.right + 18, 20, false}, {5, t.bottom + 26, false}};
        for (const auto& p : points) EXPECT_EQ(::PtInRegion(rgn.get(), p.x, p.y) != 0, p.in) << p.x << "," << p.y;

        std::int32_t left = 500, top = 300;
        tip.ShowTip(left, top);
        EXPECT_EQ(left, 470);
        PumpFor(150);
        RECT wr{};
        ::GetWindowRect(tip.hWnd(), &wr);
        EXPECT_EQ((std::array{wr.left, wr.top, wr.right, wr.bottom}), (std::array{470L, 300L, 496 + t.right, 350L}))
            << "at the tail's tip, the text's width plus 26 wide, 50 high";
        EXPECT_TRUE(tip.Visible());
        EXPECT_NE(::GetForegroundWindow(), tip.hWnd());
        const ScreenShot shot;
        EXPECT_EQ(shot.At(470 + 4, 300 + 20), 0xFFC0C0u);  // the balloon's pink
        EXPECT_EQ(shot.At(470, 300 + 20), 0xFF8080u);      // its outline

        tip.SubClsOwner(owner.hwnd);
        auto show = [&] {
            std::int32_t x = 400, y = 400;
            tip.ShowTip(x, y);
            PumpFor(50);
            return tip.Visible();
        };
        ASSERT_TRUE(show());
        ::SetWindowPos(owner.hwnd, nullptr, 120, 600, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        PumpFor(50);
        EXPECT_FALSE(tip.Visible()) << "the owner moved";

        ASSERT_TRUE(show());
        EXPECT_TRUE(tip.OwnerWindowActive());
        Owner other;
        Activate(other.hwnd);
        EXPECT_FALSE(tip.Visible()) << "the owner was deactivated";
        EXPECT_FALSE(tip.OwnerWindowActive());
        Activate(owner.hwnd);
        EXPECT_TRUE(tip.OwnerWindowActive());
        EXPECT_FALSE(tip.Visible());

        // A real click on the balloon: the owner stays active and gets the focus.
        ::SetFocus(owner.child);
        ASSERT_TRUE(show());
        ClickAt(370 + 10, 400 + 20);
        PumpFor(200);
        EXPECT_EQ(::GetForegroundWindow(), owner.hwnd);
        EXPECT_EQ(::GetFocus(), owner.hwnd);
        EXPECT_TRUE(tip.Visible());
        tip.TextSet(L"two\nlines");  // replacing the text replaces the regions
    }
    EXPECT_EQ(RegionHandle::LiveCount(), regionsBefore);
    EXPECT_EQ(BrushHandle::LiveCount(), brushesBefore);
}

}  // namespace
}  // namespace panorel::test
