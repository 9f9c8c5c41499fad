// ControlPanel-Panorel2.exe driven with real input on the session's virtual desktop: what Apply writes and whom
// it tells, what it refuses, stored values of every wrong kind, one instance.
#include <gtest/gtest.h>

#include <vector>

#include "ControlPanelIds.h"
#include "controlpanel/ControlPanel.h"
#include "mainprocess/MainRun.h"
#include "settings/DesktopSettings.h"
#include "settings/Registry.h"
#include "settings/SharedNames.h"

namespace panorel::test {
namespace {

// Whether `control` has the keyboard focus of the foreground window's thread.
bool HasFocus(HWND control) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(control, nullptr), &info) && info.hwndFocus == control &&
           ::GetForegroundWindow() == ::GetAncestor(control, GA_ROOT);
}

// Clicks a control and waits until keys reach it: keys typed before would go to the window that had the focus.
bool ClickControl(HWND control) {
    RECT r{};
    ::GetWindowRect(control, &r);
    return ClickUntil((r.left + r.right) / 2, (r.top + r.bottom) / 2, [&] { return HasFocus(control); });
}

// Picks desktop n's hotkey key by its first letter: the name box, then Tab past Ctrl and Alt to the key list.
void ChooseKey(HWND dialog, int n, WORD letter) {
    ASSERT_TRUE(ClickControl(::GetDlgItem(dialog, IDC_NAME1 + n - 1)));
    for (int i = 0; i < 3; ++i) Press(VK_TAB);
    const HWND list = ::GetDlgItem(dialog, IDC_KEY0 + n);
    ASSERT_TRUE(PumpUntil([&] { return HasFocus(list); }, 5000));
    Press(letter);
    EXPECT_TRUE(PumpUntil([&] { return WindowText(list) == std::wstring(1, static_cast<wchar_t>(letter)); }, 5000));
}

std::vector<int> ChildWidths(HWND window) {
    std::vector<int> widths;
    for (HWND c = ::GetWindow(window, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        RECT r{};
        ::GetWindowRect(c, &r);
        widths.push_back(r.right - r.left);
    }
    return widths;
}

// The texts of the message box the panel shows over `owner`; empty when there is none.
std::wstring MessageBoxText(HWND owner) {
    std::wstring all;
    for (HWND w = nullptr; (w = ::FindWindowExW(nullptr, w, L"#32770", nullptr)) != nullptr;)
        if (::GetWindow(w, GW_OWNER) == owner && ::IsWindowVisible(w))
            all += ChildTexts(w);
    return all;
}

class ControlPanelRun : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteSettings();
        DeleteErrorLog();
    }
    void TearDown() override {
        if (dialog_ && ::IsWindow(dialog_)) ::PostMessageW(dialog_, WM_COMMAND, IDCANCEL, 0);
        if (panel_ && WaitExit(panel_, 5000) == -1) ::TerminateProcess(panel_.get(), 9);
        DeleteSettings();
    }
    void Open() {
        panel_ = StartProgram(L"ControlPanel-Panorel2.exe", L"1");
        dialog_ = WaitForWindow(L"Panorel 2 Control Panel", 20000, kControlPanelClass);
        ASSERT_TRUE(dialog_);
        ::SetForegroundWindow(dialog_);
        PumpFor(500);
    }
    HWND Item(int id) const { return ::GetDlgItem(dialog_, id); }
    std::wstring Setting(const wchar_t* name) {
        RegistryValue v;
        if (!Registry::ReadValue(HKEY_CURRENT_USER, kSettingsKey, name, kRegSz, v)) return L"(none)";
        return std::get<std::wstring>(v);
    }

    KernelHandle panel_;
    HWND dialog_ = nullptr;
};

TEST_F(ControlPanelRun, ApplyWritesTellsTheSwitchersAndRefusesADuplicate) {
    RunningMain main;
    ASSERT_TRUE(main.Ready());
    const std::vector<int> tabsBefore = ChildWidths(main.SwitcherWindow(1));
    // A registration round as the main process publishes it: another program holds desktop 2's hotkey.
    for (const wchar_t* name : {L"Desktop1Key", L"Desktop2Key", L"Desktop3Key", L"Desktop4Key", L"PanelKey", L"Round"}) {
        const DWORD value = std::wstring(name) == L"Desktop2Key" ? 1409 : std::wstring(name) == L"Round" ? 7 : 0;
        ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kHotkeyStatusKey, name, REG_DWORD, &value, 4), ERROR_SUCCESS);
    }
    Open();
    EXPECT_EQ(WindowText(Item(IDC_STATUS0 + 1)), L"Active");
    EXPECT_EQ(WindowText(Item(IDC_STATUS0 + 2)), L"Held by another program");

    // The four name boxes are the first four Edit controls in tab order.
    std::vector<HWND> edits;
    HWND h = ::GetNextDlgTabItem(dialog_, nullptr, FALSE);
    for (int steps = 0; h && edits.size() < 4 && steps < 100; ++steps, h = ::GetNextDlgTabItem(dialog_, h, FALSE)) {
        wchar_t name[32] = {};
        ::GetClassNameW(h, name, 32);
        if (::lstrcmpiW(name, L"Edit") == 0) edits.push_back(h);
    }
    EXPECT_EQ(edits, (std::vector<HWND>{Item(IDC_NAME1), Item(IDC_NAME1 + 1), Item(IDC_NAME1 + 2), Item(IDC_NAME1 + 3)}));
    EXPECT_EQ(WindowText(Item(IDC_QUITSTART)), L"&Quit Panorel 2");

    // A new name for desktop 1 and the key Q for desktop 2.
    ASSERT_TRUE(ClickControl(Item(IDC_NAME1)));
    Press(VK_END);
    PressKeys({VK_SHIFT, VK_HOME});
    TypeText(L"mail and news");
    ChooseKey(dialog_, 2, 'Q');
    PressKeys({VK_MENU, 'A'});  // Alt and the access key of "&Apply"
    EXPECT_TRUE(PumpUntil([&] { return Setting(L"Desktop1Name") == std::wstring(L"mail and news\0", 14); }, 5000))
        << "the name is stored with its terminator";
    EXPECT_EQ(ReadDesktopHotkey(2).Key, 'Q');
    EXPECT_EQ(ReadDesktopHotkey(2).Modifiers, 3);
    EXPECT_EQ(ReadDesktopHotkey(3).Key, 99) << "defaults are written on Apply";
    EXPECT_TRUE(PumpUntil([&] { return ChildWidths(main.SwitcherWindow(1)) != tabsBefore; }, 10000))
        << "ReadReg reached switcher 1, which sized its tab to the new name";

    // Desktop 3 on Q too: refused, naming both, and nothing is written.
    ChooseKey(dialog_, 3, 'Q');
    ASSERT_TRUE(::IsWindowEnabled(Item(IDC_APPLY)));
    PressKeys({VK_MENU, 'A'});
    EXPECT_TRUE(PumpUntil([&] {
        return MessageBoxText(dialog_).find(L"\"Desktop 2\" and \"Desktop 3\" have the same hotkey, Ctrl+Alt+Q.") !=
               std::wstring::npos;
    }, 5000));
    Press(VK_RETURN);
    EXPECT_TRUE(PumpUntil([&] { return MessageBoxText(dialog_).empty(); }, 5000));
    EXPECT_EQ(ReadDesktopHotkey(3).Key, 99);

    // A second start shows the same one window.
    KernelHandle second = StartProgram(L"ControlPanel-Panorel2.exe", L"1");
    EXPECT_EQ(WaitExit(second, 15000), 0);
    EXPECT_EQ(::FindWindowW(kControlPanelClass, nullptr), dialog_);
    EXPECT_EQ(::FindWindowExW(nullptr, dialog_, kControlPanelClass, nullptr), nullptr) << "a second panel window";
    EXPECT_EQ(::GetForegroundWindow(), dialog_);

    // Quit ends the running Panorel 2 (through Panorel2.exe --shutdown).
    ASSERT_TRUE(ClickControl(Item(IDC_NAME1)));
    PressKeys({VK_MENU, 'Q'});
    EXPECT_EQ(WaitExit(main.Main(), 20000), 0);

    // Escape is Cancel: the window closes and the process ends. (The shell may take the first click's
    // activation, which ClickControl's second click makes good.)
    ASSERT_TRUE(ClickControl(Item(IDC_NAME1 + 3)));
    Press(VK_ESCAPE);
    EXPECT_EQ(WaitExit(panel_, 10000), 0);
}

TEST_F(ControlPanelRun, StoredValuesOfEveryWrongKindShowSomethingSensibleAndAreWrittenValid) {
    const std::wstring huge(5000, L'x'), manyPrograms(kMaxProgramListBytes, L'p');
    const DWORD dword = 7;
    ASSERT_TRUE(PutSetting(L"Desktop1Name", REG_SZ, huge.c_str(), static_cast<DWORD>((huge.size() + 1) * 2)));
    ASSERT_TRUE(PutSetting(L"Desktop4Name", REG_DWORD, &dword, 4));
    ASSERT_TRUE(PutSetting(L"Desktop1Key", REG_SZ, L"A", 4));
    ASSERT_TRUE(PutSetting(L"PanelKey", REG_DWORD, &dword, 2));
    ASSERT_TRUE(PutSetting(L"Desktop1Programs", REG_SZ, L"x.exe", 12));
    ASSERT_TRUE(PutSetting(L"Desktop2Programs", REG_MULTI_SZ, manyPrograms.c_str(), DWORD(manyPrograms.size() * 2)));
    Open();
    EXPECT_EQ(WindowText(Item(IDC_NAME1)), std::wstring(64, L'x'));
    EXPECT_EQ(WindowText(Item(IDC_NAME1 + 3)), L"Desktop 4");
    for (int row = 0; row <= 4; ++row) EXPECT_EQ(WindowText(Item(IDC_KEY0 + row)), L"Num " + std::to_wstring(row));
    EXPECT_EQ(::SendMessageW(Item(IDC_PROGLIST), LB_GETCOUNT, 0, 0), 0);
    // Without Panorel 2 the panel saves and offers to start it.
    EXPECT_NE(WindowText(Item(IDC_RUNSTATE)).find(L"not running"), std::wstring::npos);
    EXPECT_EQ(WindowText(Item(IDC_QUITSTART)), L"&Start Panorel 2");

    ASSERT_TRUE(ClickControl(Item(IDC_NAME1 + 3)));
    Press(VK_END);
    TypeText(L" x");
    PressKeys({VK_MENU, 'A'});
    EXPECT_TRUE(PumpUntil([&] { return Setting(L"Desktop4Name") == std::wstring(L"Desktop 4 x\0", 12); }, 5000));
    EXPECT_EQ(Setting(L"Desktop1Name"), std::wstring(64, L'x') + L'\0');
    EXPECT_EQ(ReadDesktopHotkey(1).Key, 97);
    EXPECT_EQ(ReadPanelHotkey().Key, 96);
    EXPECT_TRUE(ReadDesktopPrograms(2).empty());
    EXPECT_EQ(Setting(L"Desktop1Programs"), L"(none)") << "an empty list is deleted";
    EXPECT_TRUE(PumpUntil([&] { return WindowText(Item(IDC_RUNSTATE)).find(L"apply when it starts") != std::wstring::npos; },
                          5000));
}

}  // namespace
}  // namespace panorel::test
