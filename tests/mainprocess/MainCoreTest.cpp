// The main process's decisions: its command line, what each event leads to,
// the hotkeys, and the forwarding that never holds up the event loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "mainprocess/EventRouting.h"
#include "mainprocess/HotkeyModel.h"
#include "mainprocess/MainCommandLine.h"
#include "mainprocess/SwitcherForwarder.h"
#include "switcher/EventNames.h"

namespace panorel {
namespace {

TEST(MainCommandLine, AcceptsTheFourFormsAndRejectsTheRest) {
    BuildEventNames();
    const struct {
        std::vector<std::wstring> args;
        MainCommand command;
        bool single;
        std::string shortName;
    } cases[] = {{{}, MainCommand::Run, false, ""},
                 {{L"--single-desktop"}, MainCommand::Run, true, ""},
                 {{L"--signal", L"Switcher1SwitchTo3"}, MainCommand::Signal, false, "Switcher1SwitchTo3"},
                 {{L"--shutdown"}, MainCommand::Shutdown, false, ""},
                 {{L"--signal"}, MainCommand::Invalid, false, ""},
                 {{L"--SHUTDOWN"}, MainCommand::Invalid, false, ""},
                 {{L"1"}, MainCommand::Invalid, false, ""},
                 {{L"--shutdown", L"--signal", L"ReadReg"}, MainCommand::Invalid, false, ""},
                 {{L"--signal", L"ReadReg", L"extra"}, MainCommand::Invalid, false, ""},
                 {{L""}, MainCommand::Invalid, false, ""},
                 {{std::wstring(100000, L'-')}, MainCommand::Invalid, false, ""}};
    for (const auto& c : cases) {
        const MainOptions o = ParseMainCommandLine(c.args);
        EXPECT_EQ(o.command, c.command) << c.args.size();
        EXPECT_EQ(o.singleDesktop, c.single);
        if (c.command != MainCommand::Invalid) {
            EXPECT_EQ(o.shortName, c.shortName);
        }
        EXPECT_EQ(o.problem.empty(), c.command != MainCommand::Invalid);
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
    for (int j = 1; j <= 4; ++j) {
        EXPECT_EQ(ActionForEvent(EventIndexOfShortName("SwitchToDesktop" + std::to_string(j))),
                  (MainAction{MainActionKind::SwitchDesktop, j}));
    }
    EXPECT_EQ(ActionForEvent(EventIndexOfShortName("ReadReg")).kind, MainActionKind::ReadReg);
    EXPECT_EQ(ActionForEvent(EventIndexOfShortName("Shutdown")).kind, MainActionKind::Shutdown);
    for (int i : {0, -1, 55, 1000, -32768}) {
        EXPECT_EQ(ActionForEvent(i).kind, MainActionKind::None) << i;
        EXPECT_FALSE(ReadsClipboard(i)) << i;
    }
    for (int i = 1; i <= kEventCount; ++i)
        EXPECT_EQ(ReadsClipboard(i), ShortEventName(i).find("Update") != std::string::npos) << i;
}

TEST(Hotkeys, AHotkeyAsksTheActiveSwitcherToMove) {
    BuildEventNames();
    EXPECT_EQ(ShortEventName(HotkeyEventIndex(1, 3)), "Switcher1SwitchTo3");
    EXPECT_EQ(ShortEventName(HotkeyEventIndex(4, 2)), "Switcher4SwitchTo2");
    EXPECT_EQ(ShortEventName(HotkeyEventIndex(2, 2)), "Switcher2SwitchTo2");  // the switcher beeps
    for (int j = 1; j <= 4; ++j) EXPECT_EQ(DesktopOfHotkeyId(HotkeyId(j)), j);
    for (long long id : {0LL, 5LL, 0x7FFFFFFFLL}) EXPECT_EQ(DesktopOfHotkeyId(id), 0) << id;
    EXPECT_EQ(HotkeyEventIndex(0, 1) + HotkeyEventIndex(1, 5), 0);
}

// A switcher that takes its time: each delivery waits until the test lets it
// go, so signals pile up behind it as they would behind a busy switcher.
class SlowSwitcher {
public:
    DeliveryResult Take(int index) {
        std::unique_lock<std::mutex> lock(mutex_);
        entered_ = true;
        open_.notify_all();
        open_.wait(lock, [this] { return released_; });
        received_.push_back(index);
        return DeliveryResult::Delivered;
    }
    void WaitEntered() {
        std::unique_lock<std::mutex> lock(mutex_);
        open_.wait(lock, [this] { return entered_; });
    }
    void Release() {
        std::lock_guard<std::mutex> lock(mutex_);
        released_ = true;
        open_.notify_all();
    }
    std::vector<int> Received() {
        std::lock_guard<std::mutex> lock(mutex_);
        return received_;
    }

private:
    std::mutex mutex_;
    std::condition_variable open_;
    bool entered_ = false;
    bool released_ = false;
    std::vector<int> received_;
};

TEST(SwitcherForwarder, PostingNeverWaitsAndEverySignalArrivesOnceInOrder) {
    SlowSwitcher busy;
    std::vector<int> posted;
    {
        SwitcherForwarder forwarder([&](int index) { return busy.Take(index); });
        // All 10,000 are posted while the switcher has not taken the first
        // one: a post that waited for it would never return.
        for (int k = 0; k < 10000; ++k) {
            posted.push_back(1 + k % 12);
            forwarder.Post(posted.back());
        }
        busy.Release();
        EXPECT_TRUE(forwarder.WaitUntilIdle(std::chrono::seconds(20)));
        EXPECT_EQ(forwarder.Dropped(), 0u);
    }
    EXPECT_EQ(busy.Received(), posted);
}

TEST(SwitcherForwarder, AFullQueueDropsTheOldestWaitingAndNeverTheOneUnderWay) {
    SlowSwitcher hung;
    const int extra = 100;
    SwitcherForwarder forwarder([&](int index) { return hung.Take(index); });
    forwarder.Post(0);
    hung.WaitEntered();  // signal 0 is under way, held by the hung switcher
    const int last = static_cast<int>(SwitcherForwarder::kCapacity) + extra;
    for (int k = 1; k <= last; ++k) forwarder.Post(k);
    EXPECT_EQ(forwarder.Dropped(), static_cast<std::uint64_t>(extra));
    hung.Release();
    EXPECT_TRUE(forwarder.WaitUntilIdle(std::chrono::seconds(20)));
    const std::vector<int> got = hung.Received();
    ASSERT_EQ(got.size(), SwitcherForwarder::kCapacity + 1);
    EXPECT_EQ(got[0], 0);
    EXPECT_EQ(got[1], extra + 1);
    EXPECT_EQ(got.back(), last);
    EXPECT_TRUE(std::is_sorted(got.begin(), got.end()));
    EXPECT_EQ(std::adjacent_find(got.begin(), got.end()), got.end()) << "a signal arrived twice";
}

TEST(SwitcherForwarder, AWindowThatComesLateGetsEverythingOneThatNeverComesNothingAndStopIsQuick) {
    const ForwardTiming quick{std::chrono::milliseconds(1), std::chrono::milliseconds(1000)};
    struct Case {
        int missingTries;  // deliveries that find no window before it appears
        std::vector<int> expected;
        std::uint64_t dropped;
    };
    const Case cases[] = {{0, {1, 2, 3}, 0}, {20, {1, 2, 3}, 0}, {1000000, {}, 3}};
    for (const Case& c : cases) {
        std::mutex mutex;
        std::vector<int> got;
        int tries = 0;
        SwitcherForwarder forwarder(
            [&](int index) {
                std::lock_guard<std::mutex> lock(mutex);
                if (++tries <= c.missingTries) return DeliveryResult::NoWindow;
                got.push_back(index);
                return DeliveryResult::Delivered;
            },
            quick);
        for (int index : {1, 2, 3}) forwarder.Post(index);
        EXPECT_TRUE(forwarder.WaitUntilIdle(std::chrono::seconds(10))) << c.missingTries;
        EXPECT_EQ(forwarder.Dropped(), c.dropped) << c.missingTries;
        std::lock_guard<std::mutex> lock(mutex);
        EXPECT_EQ(got, c.expected) << c.missingTries;
    }
    // Stopping while a switcher is missing returns at once.
    const auto start = std::chrono::steady_clock::now();
    {
        SwitcherForwarder forwarder([](int) { return DeliveryResult::NoWindow; });
        for (int k = 0; k < 100; ++k) forwarder.Post(k);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

}  // namespace
}  // namespace panorel
