// The real Panorel2.exe with its four Spacehost.exe under Wine, all on one desktop: refusing a second instance,
// the commands and their message boxes, and forwarding that survives switchers missing, late or stalled.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "mainprocess/MainCommandLine.h"
#include "mainprocess/MainRun.h"
#include "switcher/EventNames.h"

namespace panorel::test {
namespace {

// Panorel2.exe with a command line that makes it show a message box: its exit code once answered, the text.
long RunMainAnsweringItsBox(const std::wstring& arguments, std::wstring& text) {
    KernelHandle main = StartProgram(L"Panorel2.exe", arguments);
    HWND box = nullptr;
    const auto shown = [&] {  // the box is found before its text is in
        text = ChildTexts(box = ::FindWindowW(L"#32770", L"Panorel 2"));
        return text.find(L"Usage") != std::wstring::npos;
    };
    PumpUntil(shown, 20000);
    if (box) ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    return WaitExit(main, 10000);
}

TEST(MainProcess, RefusesASecondInstanceExplainsBadArgumentsAndShutsDownWhole) {
    RunningMain run;
    ASSERT_TRUE(run.Ready());
    EXPECT_EQ(run.ActiveDesktop(), 1);  // (switches recorded: the next test)
    DeleteErrorLog();
    EXPECT_EQ(RunMainToEnd(L"--single-desktop", 10000), kExitAlreadyRunning);
    EXPECT_NE(ReadErrorLog().find("another instance is running"), std::string::npos) << ReadErrorLog();
    EXPECT_EQ(WaitExit(run.Main(), 0), -1) << "the first instance keeps running";
    EXPECT_EQ(RunMainToEnd(L"--signal NoSuchEvent"), kExitUnknownEvent);

    EXPECT_EQ(RunMainToEnd(L"--shutdown"), kExitOk);
    EXPECT_EQ(WaitExit(run.Main(), 0), 0);
    for (int n = 1; n <= 4; ++n) EXPECT_NE(WaitExit(run.Switcher(n), 0), -1) << "switcher " << n << " left behind";
    EXPECT_EQ(::FindWindowW(L"Panorel2Main", nullptr), nullptr);
    // (Commands without a running instance: FourDesktopsTest, after a crash.)
    // A person reads what went wrong, and the usage.
    const struct {
        const wchar_t* arguments;
        long exitCode;
        const wchar_t* named;
        const char* logged;  // null: nothing is
    } boxes[] = {{L"--help", kExitOk, L"", nullptr}, {L"--bogus", kExitBadArguments, L"\"--bogus\"", "\"--bogus\""}};
    for (const auto& b : boxes) {
        DeleteErrorLog();
        std::wstring text;
        EXPECT_EQ(RunMainAnsweringItsBox(b.arguments, text), b.exitCode) << b.arguments;
        EXPECT_NE(text.find(b.named), std::wstring::npos) << b.arguments;
        EXPECT_NE(text.find(L"--single-desktop"), std::wstring::npos) << "the usage: " << b.arguments;
        const std::string log = ReadErrorLog();
        EXPECT_TRUE(b.logged ? log.find(b.logged) != std::string::npos : log.empty()) << log;
    }
}

// A switcher that reads no message for 6 s gets every signal sent meanwhile, once each and in order, and
// holds up nobody else. (How many may wait, and that memory stays bounded: the queue's own test.)
TEST(MainProcess, AStalledSwitcherLosesNothingAndMissingOnesHoldUpNobody) {
    RunningMain run;
    ASSERT_TRUE(run.Ready());
    for (int n : {2, 3, 4}) run.EndSwitcher(n);

    // Switcher 3 is "still starting": its signal comes before its window.
    EXPECT_EQ(RunMainToEnd(L"--signal ShowPreviewSwitcher3"), kExitOk);
    ::Sleep(300);
    StandInSwitcher standIn3(3);
    EXPECT_TRUE(PumpUntil([&] { return !standIn3.Received().empty(); }, 3000));
    // Exact bytes, no terminator.
    EXPECT_EQ(standIn3.Received(), std::vector<std::string>{"Local\\velmora_ShowPreviewSwitcher3"});
    // A window of another program with the same caption but without the property is not a switcher.
    StandInSwitcher decoy(3, StandInSwitcher::kDecoy);
    StandInSwitcher hung(4, StandInSwitcher::kStalled);  // its window exists but its thread reads nothing
    // Switcher 2 is gone for good: its signals wait a while, then are dropped.
    EXPECT_EQ(RunMainToEnd(L"--signal Switcher2Update1"), kExitOk);
    // Switcher 4's signals but its shutdown, round and round.
    std::vector<int> block;
    for (int j = 1; j <= 4; ++j) block.insert(block.end(), {SwitchToIndex(4, j), UpdateIndex(4, j)});
    block.insert(block.end(), {ReadRegSwitcherIndex(4), ShowPreviewSwitcherIndex(4), ShowPopupSwitcherIndex(4)});
    std::vector<KernelHandle> events;
    for (int index : block) events.push_back(OpenEventToFire(index));
    constexpr int kSignals = 200;
    const double stallStart = NowMs();
    std::vector<std::string> fired;
    for (int k = 0; k < kSignals; ++k) {
        fired.push_back(EventName(static_cast<std::int16_t>(block[k % block.size()])));
        ASSERT_TRUE(FireAndWaitTaken(events[k % block.size()].get())) << "signal " << k << " was never taken";
        if (k == kSignals / 2) {
            // Meanwhile a desktop switch is recorded at once, and switcher 3 gets its Update.
            EXPECT_EQ(RunMainToEnd(L"--signal SwitchToDesktop2"), kExitOk);
            EXPECT_TRUE(PumpUntil([&] { return run.ActiveDesktop() == 2; }, 1000));
            EXPECT_EQ(RunMainToEnd(L"--signal Switcher3Update1"), kExitOk);
            EXPECT_TRUE(PumpUntil([&] { return standIn3.Got("Switcher3Update1"); }, 3000))
                << "the stalled switcher held up the others";
        }
        // Spread over the stall, past the 5 s after which the system calls a window hung.
        while (NowMs() - stallStart < 5800.0 * (k + 1) / kSignals) PumpFor(5);
    }
    while (NowMs() - stallStart < 6000.0) PumpFor(10);
    EXPECT_TRUE(hung.Received().empty()) << "it read nothing while it stalled";
    hung.Release();
    EXPECT_TRUE(PumpUntil([&] { return hung.Received().size() >= fired.size(); }, 10000));
    PumpFor(200);  // nothing more may follow
    EXPECT_TRUE(hung.Received() == fired)
        << hung.Received().size() << " of " << fired.size() << " arrived, or out of order";
    EXPECT_TRUE(decoy.Received().empty());
    EXPECT_EQ(WaitExit(run.Main(), 0), -1) << "the main process keeps serving";
}

}  // namespace
}  // namespace panorel::test
