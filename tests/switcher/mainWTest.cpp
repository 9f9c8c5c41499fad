// The switcher window in-process: load sequence results and the release of
// every event handle by the query-unload handler.
#include <gtest/gtest.h>

#include <vector>

#include "WinTestSupport.h"
#include "switcher/mainW.h"

namespace panorel::test {
namespace {

TEST(mainW, LoadsHiddenWithIdentityAndReleasesEveryEventOnUnload) {
    SharedEvents events;
    const long liveBefore = KernelHandle::LiveCount();
    mainW w(L"3");
    HWND hwnd = w.hWnd();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(w.DesktopNumber, 3);
    EXPECT_EQ(w.Caption(), L"Spacehost3");
    EXPECT_EQ(::GetPropA(hwnd, "Panorel2_APP3"), reinterpret_cast<HANDLE>(1));
    EXPECT_FALSE(w.Visible());
    EXPECT_NE(w.PreviewFormat, 0u);
    EXPECT_EQ(w.PreviewFormat, ::RegisterClipboardFormatW(L"velmora_panorel2"));
    EXPECT_EQ(w.TaskbarCreatedMsg, ::RegisterWindowMessageA("TaskbarCreated"));
    ASSERT_EQ(::GetSystemMetrics(SM_CXSCREEN), 1920) << "the test session's screen";
    EXPECT_EQ(w.PreviewWidth, 855);
    EXPECT_EQ(w.PreviewHeight, 435);
    EXPECT_EQ(w.ExplorerPath.substr(w.ExplorerPath.size() - 13), L"\\explorer.exe");
    EXPECT_EQ(w.ExplorerPath.find(L"\\\\"), std::wstring::npos);

    std::vector<HANDLE> opened;
    for (int i = 1; i <= 54; ++i) {
        ASSERT_TRUE(w.EventHandles[i]) << i;
        opened.push_back(w.EventHandles[i].get());
    }
    EXPECT_EQ(KernelHandle::LiveCount(), liveBefore + 54);

    w.Unload();
    EXPECT_FALSE(::IsWindow(hwnd));
    for (HANDLE h : opened) {
        DWORD flags = 0;
        EXPECT_FALSE(::GetHandleInformation(h, &flags)) << "handle still open";
    }
    EXPECT_EQ(KernelHandle::LiveCount(), liveBefore);
}

}  // namespace
}  // namespace panorel::test
