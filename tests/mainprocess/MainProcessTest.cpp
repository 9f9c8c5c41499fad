// The real Panorel2.exe with its four Spacehost.exe under Wine, all on one
// desktop: refusing a second instance, the commands and their message boxes,
// and forwarding that survives switchers that are missing, stalled or flooded.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cwchar>
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
// property); keeps every payload. A stalled one reads no message until
// Release.
class StandIn {
public:
    enum Kind { kAnswers, kStalled, kDecoy };
    explicit StandIn(int n, Kind kind = kAnswers) : release_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
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
            if (kind == kStalled) ::WaitForSingleObject(release_.get(), INFINITE);
            MSG msg;
            while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
        });
        ::WaitForSingleObject(ready.get(), 10000);
    }
    ~StandIn() {
        Release();
        ::PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }
    void Release() { ::SetEvent(release_.get()); }
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
    KernelHandle release_;
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

// Sets an event and waits until the main process has taken it, so that no
// two signals merge into one; false when it was not taken in 5 s.
bool FireAndWaitTaken(HANDLE event) {
    ::SetEvent(event);
    const double setAt = NowMs();
    while (EventIsSet(event)) {
        if (NowMs() - setAt > 5000.0) return false;
        ::SwitchToThread();
    }
    return true;
}

KernelHandle OpenForFiring(int index) {
    return KernelHandle(::OpenEventA(EVENT_MODIFY_STATE | 0x0001 /* EVENT_QUERY_STATE */, FALSE,
                                     EventName(static_cast<std::int16_t>(index)).c_str()));
}

BOOL CALLBACK AppendText(HWND w, LPARAM text) {
    wchar_t buffer[2048] = {};
    ::GetWindowTextW(w, buffer, 2048);
    *reinterpret_cast<std::wstring*>(text) += buffer;
    return TRUE;
}

// Panorel2.exe with a command line that makes it show a message box: its
// exit code once the box is answered, and the box's text.
long RunMainAnsweringItsBox(const std::wstring& arguments, std::wstring& text) {
    KernelHandle main = StartProgram(L"Panorel2.exe", arguments);
    HWND box = nullptr;
    // The box is found before its text is in.
    PumpUntil(
        [&] {
            text.clear();
            if ((box = ::FindWindowW(L"#32770", L"Panorel 2")) != nullptr)
                ::EnumChildWindows(box, &AppendText, reinterpret_cast<LPARAM>(&text));
            return text.find(L"Usage") != std::wstring::npos;
        },
        20000);
    if (box) ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    return WaitExit(main, 10000);
}

// Well below the queue's bound of 16,384 waiting signals per switcher.
TEST(MainProcess, TenThousandSignalsAtAStalledSwitcherArriveOnceEachInOrderInBoundedMemory) {
    RunningMain run;
    ASSERT_TRUE(run.Ready());
    run.EndSwitcher(4);
    StandIn standIn(4, StandIn::kStalled);
    // Switcher 4's block except its shutdown, round and round.
    std::vector<int> block;
    for (int j = 1; j <= 4; ++j) block.push_back(SwitchToIndex(4, j));
    for (int j = 1; j <= 4; ++j) block.push_back(UpdateIndex(4, j));
    for (int index : {ReadRegSwitcherIndex(4), ShowPreviewSwitcherIndex(4), ShowPopupSwitcherIndex(4)})
        block.push_back(index);
    std::array<KernelHandle, kEventCount + 1> events;
    for (int index : block) events[index] = OpenForFiring(index);

    const double memoryBefore = PrivateMiB(run.Main().get());
    constexpr int kSignals = 10000;
    std::vector<std::string> fired;
    const double start = NowMs();
    for (int k = 0; k < kSignals; ++k) {
        const int index = block[k % block.size()];
        fired.push_back(EventName(static_cast<std::int16_t>(index)));
        ASSERT_TRUE(FireAndWaitTaken(events[index].get())) << "signal " << k << " was never taken";
    }
    const double firedIn = NowMs() - start;
    const double memoryStalled = PrivateMiB(run.Main().get());
    EXPECT_LE(standIn.Received().size(), 1u) << "the stand-in reads nothing while it stalls";
    standIn.Release();
    EXPECT_TRUE(PumpUntil([&] { return standIn.Received().size() >= fired.size(); }, 60000));
    const double arrivedIn = NowMs() - start;
    PumpFor(200);  // nothing more may follow
    const std::vector<std::string> got = standIn.Received();
    ASSERT_EQ(got.size(), fired.size());
    std::size_t firstWrong = 0;
    while (firstWrong < got.size() && got[firstWrong] == fired[firstWrong]) ++firstWrong;
    EXPECT_EQ(firstWrong, got.size()) << "signal " << firstWrong << " out of order or wrong";
    EXPECT_LT(memoryStalled - memoryBefore, 16.0) << "the main process grew by " << memoryStalled - memoryBefore << " MiB";
    std::printf("[ figures  ] %d signals taken in %.0f ms while the switcher stalled, all forwarded %.0f ms after "
                "the first; main process private memory %.1f -> %.1f MiB\n",
                kSignals, firedIn, arrivedIn, memoryBefore, memoryStalled);
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
    EXPECT_EQ(RunMainToEnd(L"--signal ReadReg"), kExitNotRunning);
    EXPECT_EQ(RunMainToEnd(L"--shutdown"), kExitNotRunning);
    // A person reads what went wrong, and the usage.
    const struct {
        const wchar_t* arguments;
        long exitCode;
        const wchar_t* named;
    } boxes[] = {{L"--help", kExitOk, L""}, {L"--bogus", kExitBadArguments, L"\"--bogus\""},
                 {L"--signal", kExitBadArguments, L"--signal needs"}};
    for (const auto& b : boxes) {
        DeleteErrorLog();
        std::wstring text;
        EXPECT_EQ(RunMainAnsweringItsBox(b.arguments, text), b.exitCode) << b.arguments;
        EXPECT_NE(text.find(b.named), std::wstring::npos) << b.arguments;
        EXPECT_NE(text.find(L"--single-desktop"), std::wstring::npos) << "the usage: " << b.arguments;
        const std::string named(b.named, b.named + std::wcslen(b.named));
        if (b.exitCode == kExitOk) {
            EXPECT_EQ(ReadErrorLog(), "");
        } else {
            EXPECT_NE(ReadErrorLog().find(named), std::string::npos) << ReadErrorLog();
        }
    }
}

// A switcher that reads no message for 6 s gets every signal sent meanwhile,
// once each and in order, and holds up nobody else meanwhile.
TEST(MainProcess, AStalledSwitcherLosesNothingAndMissingOnesHoldUpNobody) {
    RunningMain run;
    ASSERT_TRUE(run.Ready());
    for (int n : {2, 3, 4}) run.EndSwitcher(n);

    // Switcher 3 is "still starting": its signal comes before its window.
    EXPECT_EQ(RunMainToEnd(L"--signal ShowPreviewSwitcher3"), kExitOk);
    ::Sleep(300);
    StandIn standIn3(3);
    EXPECT_TRUE(PumpUntil([&] { return !standIn3.Received().empty(); }, 3000));
    // Exact bytes, no terminator.
    EXPECT_EQ(standIn3.Received(), std::vector<std::string>{"Local\\velmora_ShowPreviewSwitcher3"});
    // A window of another program with the same caption but without the property is not a switcher.
    StandIn decoy(3, StandIn::kDecoy);
    StandIn hung(4, StandIn::kStalled);  // its window exists but its thread reads nothing
    // Switcher 2 is gone for good: its signals wait a while, then are dropped.
    EXPECT_EQ(RunMainToEnd(L"--signal Switcher2Update1"), kExitOk);
    const int sequence[] = {UpdateIndex(4, 1), ShowPopupSwitcherIndex(4), ReadRegSwitcherIndex(4), UpdateIndex(4, 2),
                            SwitchToIndex(4, 1)};
    std::array<KernelHandle, kEventCount + 1> events;
    for (int index : sequence) events[index] = OpenForFiring(index);
    const double stallStart = NowMs();
    std::vector<std::string> fired;
    double forwardTook = -1;
    for (int k = 0; k < 20; ++k) {
        const int index = sequence[k % 5];
        fired.push_back(EventName(static_cast<std::int16_t>(index)));
        ASSERT_TRUE(FireAndWaitTaken(events[index].get()));
        if (k == 10) {
            // Meanwhile a desktop switch is recorded at once, and switcher 3 gets its Update.
            EXPECT_EQ(RunMainToEnd(L"--signal SwitchToDesktop2"), kExitOk);
            EXPECT_TRUE(PumpUntil([&] { return run.ActiveDesktop() == 2; }, 1000));
            const double sent = NowMs();
            EXPECT_EQ(RunMainToEnd(L"--signal Switcher3Update1"), kExitOk);
            EXPECT_TRUE(PumpUntil([&] { return standIn3.Got("Switcher3Update1"); }, 5000));
            forwardTook = NowMs() - sent;
            EXPECT_LT(forwardTook, 3000.0) << "a stalled switcher held up the others";
        }
        // Spread over the stall, past the 5 s after which the system calls a window hung.
        while (NowMs() - stallStart < 290.0 * (k + 1)) PumpFor(10);
    }
    while (NowMs() - stallStart < 6000.0) PumpFor(10);
    hung.Release();
    EXPECT_TRUE(PumpUntil([&] { return hung.Received().size() >= fired.size(); }, 10000));
    PumpFor(200);
    EXPECT_EQ(hung.Received(), fired);
    EXPECT_TRUE(decoy.Received().empty());
    std::printf("[ figures  ] forward to switcher 3 beside a stalled switcher 4: %.0f ms\n", forwardTook);
    EXPECT_EQ(WaitExit(run.Main(), 0), -1) << "the main process keeps serving";
}

}  // namespace
}  // namespace panorel::test
