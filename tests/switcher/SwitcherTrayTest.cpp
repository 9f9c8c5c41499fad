// The switcher's tray icon and its shell start, with the taskbar look-up and
// the program start replaced where the test session has a taskbar anyway.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "WinTestSupport.h"
#include "switcher/mainW.h"

namespace panorel::test {
namespace {

TEST(SwitcherShell, OnlyDesktopsTwoToFourStartAShellWhenThereIsNoTaskbar) {
    SharedEvents events;
    for (const wchar_t* desktop : {L"1", L"3"}) {
        std::wstring started;
        mainW w(desktop);
        w.FindTaskbar = [] { return HWND{}; };
        w.StartProgram = [&](const std::wstring& path, int show) { started += path + L" " + std::to_wstring(show); };
        w.hWnd();
        EXPECT_FALSE(w.TrayIconAdded);
        // Minimised with focus (2), from the Windows directory.
        EXPECT_EQ(started, w.DesktopNumber == 1 ? L"" : WindowsDirectory() + L"\\explorer.exe 2");
    }
}

// A double click showing the panel: SequenceStateTest.
TEST(SwitcherTray, IconComesBackWithTheTaskbar) {
    SharedEvents events;
    mainW w(L"2");
    bool noShell = true;
    w.StartProgram = [&](const std::wstring&, int) { noShell = false; };
    const HWND hwnd = w.hWnd();
    ASSERT_NE(::FindWindowA("Shell_TrayWnd", ""), nullptr) << "the session's shell has a taskbar";
    EXPECT_TRUE(noShell);
    EXPECT_TRUE(w.TrayIconAdded);
    EXPECT_EQ(w.VLM_SysTray1->ToolTip(), L"Panoerl2");
    EXPECT_EQ(w.VLM_SysTray1->Icon(), w.Image1[1].Picture);

    std::vector<DWORD> sent;
    w.VLM_SysTray1->SetNotifyForTesting([&](DWORD message, const TrayRecordBytes&) {
        sent.push_back(message);
        return true;
    });
    ::SendMessageW(hwnd, ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_EQ(sent, std::vector<DWORD>{static_cast<DWORD>(NIM_ADD)});
    w.Unload();
    EXPECT_EQ(sent.back(), static_cast<DWORD>(NIM_DELETE)) << "the icon leaves with the window";
}

}  // namespace
}  // namespace panorel::test
