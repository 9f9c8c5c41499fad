#include <gtest/gtest.h>

#include <string>

#include "switcher/FormBg.h"

namespace panorel {
namespace {

TEST(FormBg, CoversTheScreenLayeredAndDismissesOnRelease) {
    FormBg bg;
    std::string order;
    bg.HideSwitcher = [&] { order += bg.Visible() ? "switcher " : "late "; };
    HWND hwnd = bg.hWnd();
    RECT rc;
    ::GetWindowRect(hwnd, &rc);
    EXPECT_EQ(rc.left, 0);
    EXPECT_EQ(rc.right, ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(rc.bottom, ::GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(bg.Picture1->Width(), ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_TRUE(::GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(::GetLayeredWindowAttributes(hwnd, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 80);
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));

    bg.Show();
    ASSERT_TRUE(bg.Visible());
    ::SendMessageW(bg.Picture1->hWnd(), WM_RBUTTONUP, 0, MAKELPARAM(500, 500));
    EXPECT_EQ(order, "switcher ");
    EXPECT_FALSE(bg.Visible());
}

}  // namespace
}  // namespace panorel
