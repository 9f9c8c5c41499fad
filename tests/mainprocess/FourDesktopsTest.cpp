// The real Panorel2.exe in its default mode under Wine: four desktops, a thread of the main process on each,
// hotkeys from any desktop, every panel, a killed switcher back, a desktop's programs, a shutdown that strands
// no window, a clean start after a crash. (Wine lets messages cross desktops, which Windows does not: only
// which desktop each thread is on shows that the rule is kept.)
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <set>
#include <string>

#include "host/AnsiText.h"
#include "mainprocess/MainCommandLine.h"
#include "mainprocess/MainRun.h"

namespace panorel::test {
namespace {

// GetThreadDesktop answers for another process's thread with that process's handle; a copy tells the name.
std::set<std::wstring> ThreadDesktops(HANDLE process) {
    const DWORD pid = ::GetProcessId(process);
    KernelHandle source(::OpenProcess(PROCESS_DUP_HANDLE, FALSE, pid));
    KernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    std::set<std::wstring> desktops;
    THREADENTRY32 t{};
    t.dwSize = sizeof t;
    for (BOOL ok = ::Thread32First(snapshot.get(), &t); ok; ok = ::Thread32Next(snapshot.get(), &t)) {
        HANDLE copy = nullptr;
        wchar_t name[256] = {};
        if (t.th32OwnerProcessID == pid &&
            ::DuplicateHandle(source.get(), ::GetThreadDesktop(t.th32ThreadID), ::GetCurrentProcess(), &copy, 0,
                              FALSE, DUPLICATE_SAME_ACCESS)) {
            ::GetUserObjectInformationW(copy, UOI_NAME, name, sizeof name - 2, nullptr);
            desktops.insert(name);
            ::CloseDesktop(static_cast<HDESK>(copy));
        }
    }
    return desktops;
}

int ProcessesNamed(const wchar_t* file) {
    KernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    int count = 0;
    PROCESSENTRY32W p{};
    p.dwSize = sizeof p;
    for (BOOL ok = ::Process32FirstW(snapshot.get(), &p); ok; ok = ::Process32NextW(snapshot.get(), &p))
        count += _wcsicmp(p.szExeFile, file) == 0;
    return count;
}

bool DesktopExists(int n) {
    DesktopHandle d(::OpenDesktopW((L"Panorel2Desktop" + std::to_wstring(n)).c_str(), 0, FALSE, DESKTOP_READOBJECTS));
    return static_cast<bool>(d);
}

// The style says whether a window on a desktop not shown is up.
bool Shown(HWND w) { return (::GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE) != 0; }

DWORD HotkeyStatus(const wchar_t* name) {
    DWORD value = 0xFFFFFFFF, size = sizeof value;
    ::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Panorel\\HotkeyStatus", name, RRF_RT_REG_DWORD, nullptr, &value,
                   &size);
    return value;
}

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = 0; (at = text.find(part, at)) != std::string::npos; ++at) ++n;
    return n;
}

void PutDword(const wchar_t* name, DWORD value) { ASSERT_TRUE(PutSetting(name, REG_DWORD, &value, sizeof value)); }

void ExpectPanelToggles(HWND switcher, int n) {
    for (const bool shown : {true, false}) {
        EXPECT_EQ(RunMainToEnd(L"--signal ShowPreviewSwitcher" + std::to_wstring(n)), kExitOk);
        EXPECT_TRUE(PumpUntil([&] { return Shown(switcher) == shown; }, 10000)) << "panel " << n;
    }
}

TEST(FourDesktops, EachIsServedFromItsThreadByHotkeysAndPanelsAndShutdownStrandsNoWindow) {
    DeleteSettings();
    DeleteErrorLog();
    const WORD keys[] = {'P', 'A', 'B', 'C', 'D'};  // the panel's, then desktop n's
    for (int n = 0; n <= 4; ++n) {
        const std::wstring name = n ? L"Desktop" + std::to_wstring(n) + L"Key" : L"PanelKey";
        PutDword(name.c_str(), keys[n]);
        PutDword((name + L"Mod").c_str(), MOD_CONTROL | MOD_ALT);
    }
    const std::wstring programs =
        DistPath(L"..\\tests\\ran_on_desktop.exe") + L'\0' + L"Z:\\no\\such\\program.exe" + L'\0';
    ASSERT_TRUE(PutSetting(L"Desktop2Programs", REG_MULTI_SZ, programs.c_str(), DWORD(programs.size() * 2 + 2)));
    KernelHandle ran(::CreateEventW(nullptr, TRUE, FALSE, L"Local\\panorel_test_ran_on_Panorel2Desktop2"));
    // Another program holds desktop 4's combination.
    ASSERT_TRUE(::RegisterHotKey(nullptr, 77, MOD_CONTROL | MOD_ALT, 'D'));
    const int shells = ProcessesNamed(L"explorer.exe");

    RunningMain run(L"");
    ASSERT_TRUE(run.Ready());
    const std::set<std::wstring> desktops = ThreadDesktops(run.Main().get());
    for (int n = 2; n <= 4; ++n)
        EXPECT_EQ(desktops.count(L"Panorel2Desktop" + std::to_wstring(n)), 1u) << "no thread on desktop " << n;

    EXPECT_TRUE(PumpUntil([&] { return ::WaitForSingleObject(ran.get(), 0) == WAIT_OBJECT_0; }, 10000))
        << "desktop 2's program ran there";
    EXPECT_TRUE(PumpUntil([] { return ReadErrorLog().find("no\\such\\program.exe\" on desktop 2") != std::string::npos; },
                          5000))
        << ReadErrorLog();
    // 1409: ERROR_HOTKEY_ALREADY_REGISTERED, desktop 4's only.
    for (const std::wstring name : {L"Desktop1Key", L"Desktop2Key", L"Desktop3Key", L"Desktop4Key", L"PanelKey"})
        EXPECT_EQ(HotkeyStatus(name.c_str()), name == L"Desktop4Key" ? 1409u : 0u) << ToAnsi(name);
    DWORD round = HotkeyStatus(L"Round");
    EXPECT_EQ(Occurrences(ReadErrorLog(), "another program holds it"), 1u) << ReadErrorLog();

    for (int n = 1; n <= 4; ++n) ExpectPanelToggles(run.SwitcherWindow(n), n);

    // Real key presses, from whichever desktop is active.
    for (const int to : {2, 3, 1}) {
        PressKeys({VK_CONTROL, VK_MENU, keys[to]});
        EXPECT_TRUE(PumpUntil([&] { return run.ActiveDesktop() == to; }, 10000)) << "to desktop " << to;
    }
    for (const bool shown : {true, false}) {
        PressKeys({VK_CONTROL, VK_MENU, keys[0]});
        EXPECT_TRUE(PumpUntil([&] { return Shown(run.SwitcherWindow(1)) == shown; }, 10000)) << "the panel hotkey";
    }
    // Read again: the held key stays held (and is not logged again); a new key for desktop 4 works.
    for (const WORD key : {'D', 'E'}) {
        PutDword(L"Desktop4Key", key);
        EXPECT_EQ(RunMainToEnd(L"--signal ReadReg"), kExitOk);
        ++round;
        EXPECT_TRUE(PumpUntil([&] { return HotkeyStatus(L"Round") == round; }, 5000));
        EXPECT_EQ(HotkeyStatus(L"Desktop4Key"), key == 'D' ? 1409u : 0u);
    }
    EXPECT_EQ(Occurrences(ReadErrorLog(), "another program holds it"), 1u) << "logged once";
    ::UnregisterHotKey(nullptr, 77);

    // A switcher that ends unasked (as in a crash) is back on its desktop, and its panel opens.
    const HWND killed = run.SwitcherWindow(3);
    ::TerminateProcess(run.Switcher(3).get(), 9);
    WaitExit(run.Switcher(3), 5000);
    HWND back = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (back = FindWindowOnAnyDesktop(L"Spacehost3")) && back != killed; }, 20000))
        << "switcher 3 was not started again";
    ExpectPanelToggles(back, 3);
    EXPECT_NE(ReadErrorLog().find("Spacehost3 ended without being asked to"), std::string::npos);

    {
        // Other programs' windows: one closes when asked, one asks "save changes?".
        WindowThread closes(L"Unsaved work", L"Panorel2Desktop2", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        WindowThread stays(L"Unsaved work", L"Panorel2Desktop3", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        stays.staysOpen = true;
        ASSERT_TRUE(closes.Open() && stays.Open());
        EXPECT_EQ(RunMainToEnd(L"--shutdown", 90000), kExitWindowsStillOpen);
        EXPECT_FALSE(closes.Open()) << "asked to close, it closed";
        EXPECT_TRUE(stays.Open());
        EXPECT_EQ(run.ActiveDesktop(), 3) << "the user is brought to the window that stayed";
        EXPECT_EQ(WaitExit(run.Main(), 0), -1) << "nothing ends";
        EXPECT_EQ(ProcessesNamed(L"Spacehost.exe"), 4);
        stays.staysOpen = false;
        EXPECT_EQ(RunMainToEnd(L"--shutdown", 90000), kExitOk);
        EXPECT_FALSE(stays.Open());
    }
    EXPECT_EQ(WaitExit(run.Main(), 0), 0);
    EXPECT_EQ(ProcessesNamed(L"Spacehost.exe"), 0);
    EXPECT_EQ(ProcessesNamed(L"explorer.exe"), shells) << "a shell of ours is left";
    for (int n = 2; n <= 4; ++n) EXPECT_FALSE(DesktopExists(n)) << "desktop " << n << " is left";
    DeleteSettings();
}

TEST(FourDesktops, AfterACrashANewStartTakesTheSwitchersOverAndShutdownLeavesNothing) {
    DeleteSettings();
    RunningMain crashed(L"");
    ASSERT_TRUE(crashed.Ready());
    DWORD pids[5] = {};
    for (int n = 1; n <= 4; ++n) pids[n] = ::GetProcessId(crashed.Switcher(n).get());
    ::TerminateProcess(crashed.Main().get(), 9);
    WaitExit(crashed.Main(), 5000);
    EXPECT_EQ(RunMainToEnd(L"--signal ShowPreviewSwitcher1"), kExitNotRunning) << "the events live on; no main does";

    RunningMain again(L"", RunningMain::kTakeOver);
    ASSERT_TRUE(again.Ready());
    for (int n = 1; n <= 4; ++n) EXPECT_EQ(::GetProcessId(again.Switcher(n).get()), pids[n]) << "switcher " << n;
    EXPECT_EQ(ProcessesNamed(L"Spacehost.exe"), 4);
    ExpectPanelToggles(again.SwitcherWindow(2), 2);

    // Crashed again: --shutdown alone ends what it left.
    ::TerminateProcess(again.Main().get(), 9);
    WaitExit(again.Main(), 5000);
    EXPECT_EQ(RunMainToEnd(L"--shutdown", 90000), kExitEndedLeftovers);
    EXPECT_EQ(ProcessesNamed(L"Spacehost.exe"), 0);
    for (int n = 2; n <= 4; ++n) EXPECT_FALSE(DesktopExists(n)) << "desktop " << n << " is left";
    EXPECT_EQ(RunMainToEnd(L"--shutdown"), kExitNotRunning);
}

}  // namespace
}  // namespace panorel::test
