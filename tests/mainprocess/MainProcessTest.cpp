// The real Panorel2.exe with its four Spacehost.exe under Wine: refusing a
// second instance, the --signal and --shutdown commands, forwarding that
// survives switchers that are missing, killed, hung or flooded, and hotkeys.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <initializer_list>
#include <mutex>
#include <thread>
#include <vector>

#include "WinTestSupport.h"
#include "mainprocess/MainCommandLine.h"
#include "switcher/EventNames.h"

namespace panorel::test {
namespace {

// A window standing in for switcher n: same caption and property, and it
// records every WM_COPYDATA payload it receives.
LRESULT CALLBACK StandInProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COPYDATA) {
        const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        auto* list = reinterpret_cast<std::vector<std::string>*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (list && cds && cds->lpData) list->emplace_back(static_cast<const char*>(cds->lpData), cds->cbData);
        return TRUE;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

WindowHandle MakeStandIn(int n, std::vector<std::string>* received) {
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = StandInProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"Panorel2TestSwitcher";
        return ::RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    WindowHandle w(::CreateWindowExW(0, L"Panorel2TestSwitcher", (L"Spacehost" + std::to_wstring(n)).c_str(),
                                     WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr));
    ::SetWindowLongPtrW(w.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(received));
    ::SetPropA(w.get(), ("Panorel2_APP" + std::to_string(n)).c_str(), reinterpret_cast<HANDLE>(1));
    return w;
}

bool Contains(const std::vector<std::string>& v, const std::string& s) {
    for (const auto& x : v)
        if (x == s) return true;
    return false;
}

// Switcher n stood in for on a thread of its own, so that it answers at once
// while the test thread is busy; keeps every payload it receives.
class ThreadedStandIn {
public:
    explicit ThreadedStandIn(int n) : ready_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        thread_ = std::thread([this, n] {
            WindowHandle w = MakeStandIn(n, nullptr);
            ::SetWindowLongPtrW(w.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc));
            ::SetPropA(w.get(), "Panorel2TestStandIn", reinterpret_cast<HANDLE>(this));
            threadId_ = ::GetCurrentThreadId();
            ::SetEvent(ready_.get());
            MSG msg;
            while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
            ::RemovePropA(w.get(), "Panorel2TestStandIn");
        });
        ::WaitForSingleObject(ready_.get(), 10000);
    }
    ~ThreadedStandIn() {
        ::PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }
    std::vector<std::string> Received() {
        std::lock_guard<std::mutex> lock(mutex_);
        return received_;
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<ThreadedStandIn*>(::GetPropA(hwnd, "Panorel2TestStandIn"));
        if (msg == WM_COPYDATA && self) {
            const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            std::lock_guard<std::mutex> lock(self->mutex_);
            if (cds && cds->lpData) self->received_.emplace_back(static_cast<const char*>(cds->lpData), cds->cbData);
            return TRUE;
        }
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    KernelHandle ready_;
    DWORD threadId_ = 0;
    std::mutex mutex_;
    std::vector<std::string> received_;
    std::thread thread_;
};

// Whether an event is set, without taking it as a wait would.
bool EventIsSet(HANDLE event) {
    using Query = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    static const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryEvent")));
    struct {
        int type;
        LONG state;
    } info{};
    return query && query(event, 0 /* EventBasicInformation */, &info, sizeof info, nullptr) == 0 && info.state != 0;
}

double PrivateMiB(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (!::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) return 0;
    return memory.PagefileUsage / 1048576.0;  // Wine reports the private commit here
}

TEST(MainProcess, TenThousandSignalsAtOneSwitcherArriveOnceEachInOrder) {
    RunningMain run;
    ASSERT_TRUE(run.Ready());
    run.KillSwitcher(4);
    ThreadedStandIn standIn(4);
    BuildEventNames();
    // Switcher 4's block except its shutdown, round and round.
    std::vector<int> block;
    for (int j = 1; j <= 4; ++j) block.push_back(SwitchToIndex(4, j));
    for (int j = 1; j <= 4; ++j) block.push_back(UpdateIndex(4, j));
    for (int index : {ReadRegSwitcherIndex(4), ShowPreviewSwitcherIndex(4), ShowPopupSwitcherIndex(4)})
        block.push_back(index);
    std::array<KernelHandle, kEventCount + 1> events;
    for (int index : block)
        events[index].reset(::OpenEventA(EVENT_MODIFY_STATE | 0x0001 /* EVENT_QUERY_STATE */, FALSE,
                                         EventName(static_cast<std::int16_t>(index)).c_str()));

    const double memoryBefore = PrivateMiB(run.Main().get());
    constexpr int kSignals = 10000;
    std::vector<std::string> fired;
    const double start = NowMs();
    // As fast as the main process takes them: each is set again only once
    // taken, so that none merges with the one before and every one counts.
    for (int k = 0; k < kSignals; ++k) {
        const int index = block[k % block.size()];
        ::SetEvent(events[index].get());
        fired.push_back(EventName(static_cast<std::int16_t>(index)));
        const double setAt = NowMs();
        while (EventIsSet(events[index].get())) {
            ASSERT_LT(NowMs() - setAt, 5000.0) << "signal " << k << " was never taken";
            ::SwitchToThread();
        }
    }
    const double firedIn = NowMs() - start;
    EXPECT_TRUE(PumpUntil([&] { return standIn.Received().size() >= fired.size(); }, 60000));
    const double arrivedIn = NowMs() - start;
    PumpFor(200);  // nothing more may follow
    const std::vector<std::string> got = standIn.Received();
    ASSERT_EQ(got.size(), fired.size());
    std::size_t firstWrong = 0;
    while (firstWrong < got.size() && got[firstWrong] == fired[firstWrong]) ++firstWrong;
    EXPECT_EQ(firstWrong, got.size()) << "signal " << firstWrong << " out of order or wrong";
    const double memoryAfter = PrivateMiB(run.Main().get());
    EXPECT_LT(memoryAfter - memoryBefore, 16.0) << "the main process grew by " << memoryAfter - memoryBefore << " MiB";
    std::printf("[ figures  ] %d signals taken in %.0f ms, all forwarded in %.0f ms; main process private memory "
                "%.1f -> %.1f MiB\n",
                kSignals, firedIn, arrivedIn, memoryBefore, memoryAfter);
}

TEST(MainProcess, CommandsWithoutARunningInstanceFailWithTheirOwnCodes) {
    EXPECT_EQ(RunMainToEnd(L"--signal NoSuchEvent"), kExitUnknownEvent);
    EXPECT_EQ(RunMainToEnd(L"--signal"), kExitBadArguments);
    EXPECT_EQ(RunMainToEnd(L"--bogus"), kExitBadArguments);
    EXPECT_EQ(RunMainToEnd(L"--signal ReadReg"), kExitNotRunning);
    EXPECT_EQ(RunMainToEnd(L"--shutdown"), kExitNotRunning);
}

TEST(MainProcess, ASecondInstanceRefusesAndShutdownLeavesNoProcessBehind) {
    RunningMain run;
    ASSERT_TRUE(run.Ready());
    EXPECT_EQ(run.ActiveDesktop(), 1);
    DeleteErrorLog();
    EXPECT_EQ(RunMainToEnd(L"--single-desktop", 10000), kExitAlreadyRunning);
    EXPECT_NE(ReadErrorLog().find("another instance is running"), std::string::npos) << ReadErrorLog();
    EXPECT_EQ(WaitExit(run.Main(), 0), -1) << "the first instance keeps running";
    EXPECT_EQ(RunMainToEnd(L"--signal NoSuchEvent"), kExitUnknownEvent);

    const DWORD start = ::GetTickCount();
    EXPECT_EQ(RunMainToEnd(L"--shutdown"), kExitOk);
    const DWORD took = ::GetTickCount() - start;
    EXPECT_EQ(WaitExit(run.Main(), 0), 0);
    for (int n = 1; n <= 4; ++n) EXPECT_NE(WaitExit(run.Switcher(n), 0), -1) << "switcher " << n << " left behind";
    EXPECT_EQ(::FindWindowW(L"Panorel2Main", nullptr), nullptr);
    std::printf("[ figures  ] --shutdown took %lu ms\n", static_cast<unsigned long>(took));
}

TEST(MainProcess, RecordsTheDesktopASwitcherAsksForAndIdlesWithoutWork) {
    RunningMain run;
    ASSERT_TRUE(run.Ready());
    // Waiting without polling: an idle main process uses (almost) no CPU.
    const std::uint64_t before = CpuTime100ns(run.Main().get());
    ::Sleep(3000);
    const std::uint64_t used = CpuTime100ns(run.Main().get()) - before;
    EXPECT_LT(used, 1000000u) << "more than 100 ms of CPU in 3 s of idling";
    std::printf("[ figures  ] idle main process: %.1f ms CPU in 3 s (%.1f ms since its start)\n", used / 10000.0,
                CpuTime100ns(run.Main().get()) / 10000.0);
    EXPECT_EQ(RunMainToEnd(L"--signal SwitchToDesktop3"), kExitOk);
    EXPECT_TRUE(PumpUntil([&] { return run.ActiveDesktop() == 3; }, 2000));
    EXPECT_EQ(RunMainToEnd(L"--signal SwitchToDesktop4"), kExitOk);
    EXPECT_TRUE(PumpUntil([&] { return run.ActiveDesktop() == 4; }, 2000));
}

TEST(MainProcess, KilledHungAndLateSwitchersDoNotStopTheOthers) {
    RunningMain run;
    ASSERT_TRUE(run.Ready());
    run.KillSwitcher(2);
    run.KillSwitcher(3);
    run.KillSwitcher(4);

    // Switcher 3 is "still starting": its signal comes before its window.
    EXPECT_EQ(RunMainToEnd(L"--signal ShowPreviewSwitcher3"), kExitOk);
    ::Sleep(300);
    std::vector<std::string> got3;
    WindowHandle standIn3 = MakeStandIn(3, &got3);
    EXPECT_TRUE(PumpUntil([&] { return !got3.empty(); }, 3000));
    ASSERT_EQ(got3.size(), 1u);
    EXPECT_EQ(got3[0], "Local\\velmora_ShowPreviewSwitcher3");  // exact bytes, no terminator
    // A window of another program with the same caption but without the property is not a switcher.
    std::vector<std::string> gotDecoy;
    WindowHandle decoy = MakeStandIn(3, &gotDecoy);
    ::RemovePropA(decoy.get(), "Panorel2_APP3");

    // Switcher 4 hangs: its window exists but its thread does not answer.
    KernelHandle ready(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread hung([&ready] {
        std::vector<std::string> ignored;
        WindowHandle w = MakeStandIn(4, &ignored);
        ::SetEvent(ready.get());
        ::Sleep(6000);
    });
    ::WaitForSingleObject(ready.get(), 5000);
    // Switcher 2 is gone for good: its signals wait a while, then are dropped.
    EXPECT_EQ(RunMainToEnd(L"--signal Switcher2Update1"), kExitOk);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(RunMainToEnd(L"--signal Switcher4Update1"), kExitOk);
    // Nor does the event loop wait for it: a desktop switch is recorded at once.
    BuildEventNames();
    KernelHandle update4(::OpenEventA(EVENT_MODIFY_STATE, FALSE, EventName(UpdateIndex(4, 2)).c_str()));
    KernelHandle switchTo2(::OpenEventA(EVENT_MODIFY_STATE, FALSE, EventName(SwitchToDesktopIndex(2)).c_str()));
    ::SetEvent(update4.get());
    const double asked = NowMs();
    ::SetEvent(switchTo2.get());
    EXPECT_TRUE(PumpUntil([&] { return run.ActiveDesktop() == 2; }, 500));
    std::printf("[ figures  ] desktop 2 recorded %.1f ms after it was asked for, behind a hung switcher 4\n",
                NowMs() - asked);
    const DWORD sent = ::GetTickCount();
    EXPECT_EQ(RunMainToEnd(L"--signal Switcher3Update1"), kExitOk);
    EXPECT_TRUE(PumpUntil([&] { return Contains(got3, "Local\\velmora_Switcher3Update1"); }, 5000));
    const DWORD took = ::GetTickCount() - sent;
    EXPECT_LT(took, 3000u) << "a hung switcher held up the others";
    EXPECT_TRUE(gotDecoy.empty());
    std::printf("[ figures  ] forward to switcher 3 behind a hung switcher 4: %lu ms\n",
                static_cast<unsigned long>(took));
    EXPECT_EQ(WaitExit(run.Main(), 0), -1) << "the main process keeps serving";
    hung.join();
}

void PressKeys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> in;
    for (WORD k : keys) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = k;
        in.push_back(i);
    }
    for (auto it = keys.end(); it != keys.begin();) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = *--it;
        i.ki.dwFlags = KEYEVENTF_KEYUP;
        in.push_back(i);
    }
    ::SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

void SetHotkeyValues(int desktop, DWORD key, DWORD modifiers) {
    HKEY raw = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Panorel", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw,
                                nullptr),
              ERROR_SUCCESS);
    RegKeyHandle k(raw);
    const std::wstring name = L"Desktop" + std::to_wstring(desktop) + L"Key";
    ::RegSetValueExW(k.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&key), sizeof key);
    ::RegSetValueExW(k.get(), (name + L"Mod").c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&modifiers),
                     sizeof modifiers);
}

void DeleteHotkeyValues(int desktop) {
    const std::wstring name = L"Desktop" + std::to_wstring(desktop) + L"Key";
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Panorel", name.c_str());
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Panorel", (name + L"Mod").c_str());
}

TEST(MainProcess, AHotkeyAsksTheActiveSwitcherAndReadRegRebindsIt) {
    DeleteHotkeyValues(2);
    RunningMain run;
    ASSERT_TRUE(run.Ready());
    run.KillSwitcher(1);
    std::vector<std::string> got1;
    WindowHandle standIn1 = MakeStandIn(1, &got1);

    PressKeys({VK_CONTROL, VK_MENU, VK_NUMPAD3});  // the default hotkey of desktop 3
    EXPECT_TRUE(PumpUntil([&] { return Contains(got1, "Local\\velmora_Switcher1SwitchTo3"); }, 3000));

    SetHotkeyValues(2, 'B', 2);  // Ctrl+B
    EXPECT_EQ(RunMainToEnd(L"--signal ReadReg"), kExitOk);
    EXPECT_TRUE(PumpUntil([&] { return Contains(got1, "Local\\velmora_ReadRegSwitcher1"); }, 3000));
    PressKeys({VK_CONTROL, 'B'});
    EXPECT_TRUE(PumpUntil([&] { return Contains(got1, "Local\\velmora_Switcher1SwitchTo2"); }, 3000));
    DeleteHotkeyValues(2);

    // After a switch the hotkey goes to the new active desktop's switcher.
    EXPECT_EQ(RunMainToEnd(L"--signal SwitchToDesktop3"), kExitOk);
    EXPECT_TRUE(PumpUntil([&] { return run.ActiveDesktop() == 3; }, 2000));
    run.KillSwitcher(3);
    std::vector<std::string> got3;
    WindowHandle standIn3 = MakeStandIn(3, &got3);
    PressKeys({VK_CONTROL, VK_MENU, VK_NUMPAD4});
    EXPECT_TRUE(PumpUntil([&] { return Contains(got3, "Local\\velmora_Switcher3SwitchTo4"); }, 3000));
}

}  // namespace
}  // namespace panorel::test
