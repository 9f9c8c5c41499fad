// The main process's decisions: its command line, what each event leads to, the signal queues, the restarts'
// back-off and the clipboard turns. (The hotkeys' events: FourDesktopsTest, with real key presses.)
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <numeric>
#include <set>
#include <thread>
#include <vector>

#include "mainprocess/ClipboardTurns.h"
#include "mainprocess/EventRouting.h"
#include "mainprocess/MainCommandLine.h"
#include "mainprocess/SignalQueue.h"
#include "mainprocess/SwitcherRestarts.h"
#include "switcher/EventNames.h"

namespace panorel {
namespace {

TEST(MainCommandLine, AcceptsTheFiveFormsAndNamesWhatItRejects) {
    const struct {
        std::vector<std::wstring> args;
        MainCommand command;
        bool single;
        std::string shortName;
        std::wstring named;  // for Invalid: what the problem text quotes
    } cases[] = {{{}, MainCommand::Run, false, "", L""},
                 {{L"--single-desktop"}, MainCommand::Run, true, "", L""},
                 {{L"--signal", L"Switcher1SwitchTo3"}, MainCommand::Signal, false, "Switcher1SwitchTo3", L""},
                 {{L"--shutdown"}, MainCommand::Shutdown, false, "", L""},
                 {{L"--help"}, MainCommand::Help, false, "", L""},
                 {{L"--bogus", L"--help"}, MainCommand::Invalid, false, "", L"\"--bogus\""},
                 {{L"--signal"}, MainCommand::Invalid, false, "", L"--signal"},
                 {{L"--SHUTDOWN"}, MainCommand::Invalid, false, "", L"\"--SHUTDOWN\""},
                 {{L"--shutdown", L"--signal", L"ReadReg"}, MainCommand::Invalid, false, "", L"\"--signal\""},
                 {{L"--signal", L"ReadReg", L"extra"}, MainCommand::Invalid, false, "", L"\"extra\""},
                 {{std::wstring(100000, L'-')}, MainCommand::Invalid, false, "", std::wstring(80, L'-') + L"...\""}};
    for (const auto& c : cases) {
        const MainOptions o = ParseMainCommandLine(c.args);
        EXPECT_EQ(o.command, c.command) << c.args.size();
        EXPECT_EQ(o.singleDesktop, c.single);
        if (c.command == MainCommand::Invalid) {
            EXPECT_NE(o.problem.find(c.named), std::wstring::npos) << std::string(o.problem.begin(), o.problem.end());
            EXPECT_LT(o.problem.size(), 200u);
        } else {
            EXPECT_EQ(o.shortName, c.shortName);
            EXPECT_TRUE(o.problem.empty());
        }
    }
    // U+0153 truncated to a byte would be 'S' (0x53); it must not become "Shutdown".
    EXPECT_EQ(EventIndexOfShortName(ParseMainCommandLine({L"--signal", L"\u0153hutdown"}).shortName), 0);
}

TEST(EventRouting, EverySwitcherEventIsForwardedToItsOwnerAndTheSharedOnesAct) {
    BuildEventNames();
    std::set<int> seenOwners;
    for (int i = 1; i <= 48; ++i) {
        const MainAction a = ActionForEvent(i);
        ASSERT_EQ(a.kind, MainActionKind::Forward) << i;
        // The owner's name is part of the event's short name ("Switcher2..." or "...Switcher2").
        EXPECT_NE(ShortEventName(i).find("Switcher" + std::to_string(a.target)), std::string::npos) << i;
        seenOwners.insert(a.target);
    }
    EXPECT_EQ(seenOwners, (std::set<int>{1, 2, 3, 4}));
    for (int j = 1; j <= 4; ++j)
        EXPECT_EQ(ActionForEvent(EventIndexOfShortName("SwitchToDesktop" + std::to_string(j))),
                  (MainAction{MainActionKind::SwitchDesktop, j}));
    EXPECT_EQ(ActionForEvent(EventIndexOfShortName("ReadReg")).kind, MainActionKind::ReadReg);
    EXPECT_EQ(ActionForEvent(EventIndexOfShortName("Shutdown")).kind, MainActionKind::Shutdown);
    for (int i : {0, -1, 55, 1000, -32768}) {
        EXPECT_EQ(ActionForEvent(i).kind, MainActionKind::None) << i;
        EXPECT_FALSE(ReadsClipboard(i)) << i;
    }
    for (int i = 1; i <= kEventCount; ++i)
        EXPECT_EQ(ReadsClipboard(i), ShortEventName(i).find("Update") != std::string::npos) << i;
}

using Clock = SignalQueue::Clock;

// 10,000 signals behind one under way (its switcher stalls) all arrive once it recovers; beyond the bound
// the oldest waiting ones make room, so memory stays bounded.
TEST(SignalQueue, EverySignalIsTakenOnceInOrderAndAFullQueueDropsTheOldestWaiting) {
    constexpr int kBound = static_cast<int>(SignalQueue::kCapacity);
    for (const int posted : {10000, kBound + 100}) {
        SignalQueue queue;
        const Clock::time_point t0{};
        ASSERT_TRUE(queue.Post(1, t0));
        ASSERT_EQ(queue.Take(t0).index, 1);
        int refused = 0;
        for (int k = 2; k <= posted + 1; ++k) refused += queue.Post(k, t0) ? 0 : 1;
        const int dropped = std::max(0, posted - kBound);
        EXPECT_EQ(refused, dropped);
        EXPECT_EQ(queue.Dropped(), static_cast<std::uint64_t>(dropped));
        EXPECT_EQ(queue.Take(t0).index, 0) << "nothing more while one is under way";
        queue.Finish(DeliveryResult::Delivered, t0);
        std::vector<int> got;
        for (SignalQueue::Next next; (next = queue.Take(t0)).index != 0;) {
            got.push_back(next.index);
            queue.Finish(DeliveryResult::Delivered, t0);
        }
        std::vector<int> expected(static_cast<std::size_t>(posted - dropped));
        std::iota(expected.begin(), expected.end(), 2 + dropped);  // the newest, each once, in order
        EXPECT_TRUE(got == expected) << got.size() << " taken, the first " << (got.empty() ? 0 : got[0]);
    }
}

// Tried every 100 ms for 5 s from posting, the order kept.
TEST(SignalQueue, ASignalWithoutItsWindowWaitsAtTheHeadUntilItsTimeRunsOut) {
    const struct {
        int missing;  // attempts that find no window
        std::vector<int> delivered;
    } cases[] = {{0, {1, 2}}, {49, {1, 2}}, {1000, {}}};
    for (const auto& c : cases) {
        SignalQueue queue;
        Clock::time_point now{};
        queue.Post(1, now);
        queue.Post(2, now);
        std::vector<int> delivered;
        for (int attempts = 0;;) {
            const SignalQueue::Next next = queue.Take(now);
            if (next.index == 0) {
                if (!next.dueAt) break;
                now = *next.dueAt;
                continue;
            }
            const bool found = ++attempts > c.missing;
            if (found) delivered.push_back(next.index);
            queue.Finish(found ? DeliveryResult::Delivered : DeliveryResult::NoWindow, now);
        }
        EXPECT_EQ(delivered, c.delivered) << c.missing;
        EXPECT_EQ(queue.Dropped(), 2 - c.delivered.size()) << c.missing;
        EXPECT_LE(now, Clock::time_point{} + std::chrono::milliseconds(5100)) << c.missing;
    }
}

// Three restarts a minute; a fourth waits until the oldest is a minute old.
TEST(SwitcherRestarts, AtMostThreeAMinute) {
    using std::chrono::seconds;
    const struct {
        std::vector<int> restartedAt;  // seconds
        int askAt;
        int wait;
    } cases[] = {{{}, 0, 0}, {{0, 1}, 2, 0}, {{0, 1, 2}, 3, 57}, {{0, 1, 2}, 60, 0}, {{0, 1, 2, 60}, 61, 0},
                 {{0, 1, 2, 60}, 60, 1}, {{10, 20, 30}, 45, 25}};
    for (const auto& c : cases) {
        SwitcherRestarts restarts;
        for (int at : c.restartedAt) restarts.Restarted(Clock::time_point{} + seconds(at));
        EXPECT_EQ(restarts.WaitBefore(Clock::time_point{} + seconds(c.askAt)), seconds(c.wait)) << c.askAt;
    }
}

// A turn ends when its holder ends it, or when its lease runs out.
TEST(ClipboardTurns, TurnsFollowEachOtherAndAStuckOneHoldsUpTheNextOnlyForItsLease) {
    using std::chrono::milliseconds;
    ClipboardTurns turns(milliseconds(300));
    std::uint64_t first = turns.Begin();
    std::atomic<bool> secondBegan{false};
    std::thread second([&] {
        turns.End(turns.Begin());
        secondBegan = true;
    });
    std::this_thread::sleep_for(milliseconds(50));
    EXPECT_FALSE(secondBegan) << "a running turn holds up the next";
    turns.End(first);
    second.join();
    const auto start = Clock::now();
    first = turns.Begin();  // never ended: its receiver stalls
    turns.End(turns.Begin());
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, milliseconds(290));
    EXPECT_LT(waited, milliseconds(2000));
    turns.End(first);  // late: changes nothing
}

}  // namespace
}  // namespace panorel
