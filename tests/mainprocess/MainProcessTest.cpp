// The real Panorel2.exe with its four Spacehost.exe under Wine: refusing a
// second instance, the --signal and --shutdown commands, forwarding that
// survives switchers that are missing, killed, hung or flooded, and hotkeys.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <initializer_list>
#include <mutex>
#include <thread>
#include <vector>

#include "WinTestSupport.h"
#include "mainprocess/MainCommandLine.h"
#include "switcher/EventNames.h"

namespace panorel::test {
namespace {

// Switcher n stood in for on a thread of its own, so that it answers while
// the test thread waits: same caption and property (a decoy lacks the
// property); keeps every payload. A hung one answers nothing for 6 s.
class StandIn {
public:
    enum Kind { kAnswers, kHung, kDecoy };
    explicit StandIn(int n, Kind kind = kAnswers) {
        KernelHandle ready(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        thread_ = std::thread([this, n, kind, &ready] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = &Proc;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.lpszClassName = L"Panorel2TestSwitcher";
            ::RegisterClassW(&wc);
            WindowHandle w(::CreateWindowExW(0, wc.lpszClassName, (L"Spacehost" + std::to_wstring(n)).c_str(),
                                             WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, this));
            if (kind != kDecoy) ::SetPropA(w.get(), ("Panorel2_APP" + std::to_string(n)).c_str(), HANDLE(1));
            threadId_ = ::GetCurrentThreadId();
            ::SetEvent(ready.get());
            if (kind == kHung) ::Sleep(6000);
            MSG msg;
            while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
        });
        ::WaitForSingleObject(ready.get(), 10000);
    }
    ~StandIn() {
        ::PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }
    std::vector<std::string> Received() {
        std::lock_guard<std::mutex> lock(mutex_);
        return received_;
    }
    bool Got(const std::string& shortName) {
        const auto got = Received();
        return std::find(got.begin(), got.end(), "Local\\velmora_" + shortName) != got.end();
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = WindowObject<StandIn>(hwnd, msg, lParam);
        const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (msg != WM_COPYDATA || !self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
        std::lock_guard<std::mutex> lock(self->mutex_);
        if (cds && cds->lpData) self->received_.emplace_back(static_cast<const char*>(cds->lpData), cds->cbData);
        return TRUE;
    }
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

double PrivateMiB(HANDLE process) { return PrivateBytes(process) / 1048576.0; }

TEST(MainProcess, TenThousandSignalsAtOneSwitcherArriveOnceEachInOrder) {
    RunningMain run;
    ASSERT_TRUE(run.Ready());
    run.KillSwitcher(4);
    StandIn standIn(4);
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

TEST(MainProcess, RecordsSwitchesIdlesRefusesASecondInstanceAndShutsDownWhole) {
    RunningMain run;
    ASSERT_TRUE(run.Ready());
    EXPECT_EQ(run.ActiveDesktop(), 1);
    // Waiting without polling: an idle main process uses (almost) no CPU.
    const std::uint64_t before = CpuTime100ns(run.Main().get());
    ::Sleep(3000);
    const std::uint64_t used = CpuTime100ns(run.Main().get()) - before;
    EXPECT_LT(used, 1000000u) << "more than 100 ms of CPU in 3 s of idling";
    std::printf("[ figures  ] idle main process: %.1f ms CPU in 3 s\n", used / 10000.0);
    for (int j : {3, 4}) {
        EXPECT_EQ(RunMainToEnd(L"--signal SwitchToDesktop" + std::to_wstring(j)), kExitOk);
        EXPECT_TRUE(PumpUntil([&] { return run.ActiveDesktop() == j; }, 2000));
    }
    DeleteErrorLog();
    EXPECT_EQ(RunMainToEnd(L"--single-desktop", 10000), kExitAlreadyRunning);
    EXPECT_NE(ReadErrorLog().find("another instance is running"), std::string::npos) << ReadErrorLog();
    EXPECT_EQ(WaitExit(run.Main(), 0), -1) << "the first instance keeps running";
    EXPECT_EQ(RunMainToEnd(L"--signal NoSuchEvent"), kExitUnknownEvent);

    EXPECT_EQ(RunMainToEnd(L"--shutdown"), kExitOk);
    EXPECT_EQ(WaitExit(run.Main(), 0), 0);
    for (int n = 1; n <= 4; ++n) EXPECT_NE(WaitExit(run.Switcher(n), 0), -1) << "switcher " << n << " left behind";
    EXPECT_EQ(::FindWindowW(L"Panorel2Main", nullptr), nullptr);
    // Without a running instance each command fails with its own code.
    EXPECT_EQ(RunMainToEnd(L"--signal NoSuchEvent"), kExitUnknownEvent);
    EXPECT_EQ(RunMainToEnd(L"--signal"), kExitBadArguments);
    EXPECT_EQ(RunMainToEnd(L"--bogus"), kExitBadArguments);
    EXPECT_EQ(RunMainToEnd(L"--signal ReadReg"), kExitNotRunning);
    EXPECT_EQ(RunMainToEnd(L"--shutdown"), kExitNotRunning);
}

TEST(MainProcess, KilledHungAndLateSwitchersDoNotStopTheOthers) {
    RunningMain run;
    ASSERT_TRUE(run.Ready());
    for (int n : {2, 3, 4}) run.KillSwitcher(n);

    // Switcher 3 is "still starting": its signal comes before its window.
    EXPECT_EQ(RunMainToEnd(L"--signal ShowPreviewSwitcher3"), kExitOk);
    ::Sleep(300);
    StandIn standIn3(3);
    EXPECT_TRUE(PumpUntil([&] { return !standIn3.Received().empty(); }, 3000));
    // Exact bytes, no terminator.
    EXPECT_EQ(standIn3.Received(), std::vector<std::string>{"Local\\velmora_ShowPreviewSwitcher3"});
    // A window of another program with the same caption but without the property is not a switcher.
    StandIn decoy(3, StandIn::kDecoy);
    StandIn hung(4, StandIn::kHung);  // its window exists but its thread does not answer
    // Switcher 2 is gone for good: its signals wait a while, then are dropped.
    EXPECT_EQ(RunMainToEnd(L"--signal Switcher2Update1"), kExitOk);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(RunMainToEnd(L"--signal Switcher4Update1"), kExitOk);
    // Nor does the event loop wait for it: a desktop switch is recorded at once.
    BuildEventNames();
    KernelHandle update4(::OpenEventA(EVENT_MODIFY_STATE, FALSE, EventName(UpdateIndex(4, 2)).c_str()));
    KernelHandle switchTo2(::OpenEventA(EVENT_MODIFY_STATE, FALSE, EventName(SwitchToDesktopIndex(2)).c_str()));
    ::SetEvent(update4.get());
    ::SetEvent(switchTo2.get());
    EXPECT_TRUE(PumpUntil([&] { return run.ActiveDesktop() == 2; }, 500));
    const DWORD sent = ::GetTickCount();
    EXPECT_EQ(RunMainToEnd(L"--signal Switcher3Update1"), kExitOk);
    EXPECT_TRUE(PumpUntil([&] { return standIn3.Got("Switcher3Update1"); }, 5000));
    const DWORD took = ::GetTickCount() - sent;
    EXPECT_LT(took, 3000u) << "a hung switcher held up the others";
    EXPECT_TRUE(decoy.Received().empty());
    std::printf("[ figures  ] forward to switcher 3 behind a hung switcher 4: %lu ms\n",
                static_cast<unsigned long>(took));
    EXPECT_EQ(WaitExit(run.Main(), 0), -1) << "the main process keeps serving";
}

void PressKeys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> in;
    for (int up = 0; up < 2; ++up)
        for (std::size_t i = 0; i < keys.size(); ++i) {
            INPUT k{};
            k.type = INPUT_KEYBOARD;
            k.ki.wVk = up ? keys.begin()[keys.size() - 1 - i] : keys.begin()[i];
            k.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
            in.push_back(k);
        }
    ::SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

TEST(MainProcess, AHotkeyAsksTheActiveSwitcherAndReadRegRebindsIt) {
    const auto dropDesktop2Keys = [] {
        for (const wchar_t* name : {L"Desktop2Key", L"Desktop2KeyMod"})
            ::RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Panorel", name);
    };
    dropDesktop2Keys();
    RunningMain run;
    ASSERT_TRUE(run.Ready());
    run.KillSwitcher(1);
    StandIn standIn1(1);

    PressKeys({VK_CONTROL, VK_MENU, VK_NUMPAD3});  // the default hotkey of desktop 3
    EXPECT_TRUE(PumpUntil([&] { return standIn1.Got("Switcher1SwitchTo3"); }, 3000));

    const DWORD key = 'B', ctrl = 2;
    ASSERT_TRUE(PutSetting(L"Desktop2Key", REG_DWORD, &key, sizeof key));
    ASSERT_TRUE(PutSetting(L"Desktop2KeyMod", REG_DWORD, &ctrl, sizeof ctrl));
    EXPECT_EQ(RunMainToEnd(L"--signal ReadReg"), kExitOk);
    EXPECT_TRUE(PumpUntil([&] { return standIn1.Got("ReadRegSwitcher1"); }, 3000));
    PressKeys({VK_CONTROL, 'B'});
    EXPECT_TRUE(PumpUntil([&] { return standIn1.Got("Switcher1SwitchTo2"); }, 3000));
    dropDesktop2Keys();

    // After a switch the hotkey goes to the new active desktop's switcher.
    EXPECT_EQ(RunMainToEnd(L"--signal SwitchToDesktop3"), kExitOk);
    EXPECT_TRUE(PumpUntil([&] { return run.ActiveDesktop() == 3; }, 2000));
    run.KillSwitcher(3);
    StandIn standIn3(3);
    PressKeys({VK_CONTROL, VK_MENU, VK_NUMPAD4});
    EXPECT_TRUE(PumpUntil([&] { return standIn3.Got("Switcher3SwitchTo4"); }, 3000));
}

}  // namespace
}  // namespace panorel::test
