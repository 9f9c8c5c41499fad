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

TEST(MainCommandLine, AcceptsTheFourForms) {
    EXPECT_EQ(ParseMainCommandLine({}).command, MainCommand::Run);
    EXPECT_FALSE(ParseMainCommandLine({}).singleDesktop);
    const auto single = ParseMainCommandLine({L"--single-desktop"});
    EXPECT_EQ(single.command, MainCommand::Run);
    EXPECT_TRUE(single.singleDesktop);
    const auto signal = ParseMainCommandLine({L"--signal", L"Switcher1SwitchTo3"});
    EXPECT_EQ(signal.command, MainCommand::Signal);
    EXPECT_EQ(signal.shortName, "Switcher1SwitchTo3");
    EXPECT_EQ(ParseMainCommandLine({L"--shutdown"}).command, MainCommand::Shutdown);
}

TEST(MainCommandLine, RejectsWhatItDoesNotKnow) {
    const std::vector<std::vector<std::wstring>> bad = {
        {L"--signal"}, {L"--SHUTDOWN"}, {L"1"}, {L"--shutdown", L"--signal", L"ReadReg"},
        {L"--signal", L"ReadReg", L"extra"}, {L""}, {std::wstring(100000, L'-')}};
    for (const auto& args : bad) {
        const auto o = ParseMainCommandLine(args);
        EXPECT_EQ(o.command, MainCommand::Invalid) << args.size();
        EXPECT_FALSE(o.problem.empty());
    }
}

TEST(MainCommandLine, NonAsciiNamesCannotMatchAnEvent) {
    BuildEventNames();
    // U+0153 truncated to a byte would be 'S' (0x53); it must not become "Shutdown".
    const auto o = ParseMainCommandLine({L"--signal", L"\u0153hutdown"});
    EXPECT_EQ(o.command, MainCommand::Signal);
    EXPECT_EQ(EventIndexOfShortName(o.shortName), 0);
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
    EXPECT_EQ(DesktopOfHotkeyId(0), 0);
    EXPECT_EQ(DesktopOfHotkeyId(5), 0);
    EXPECT_EQ(DesktopOfHotkeyId(0x7FFFFFFFLL), 0);
    EXPECT_EQ(HotkeyEventIndex(0, 1), 0);
    EXPECT_EQ(HotkeyEventIndex(1, 5), 0);
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
        {
            std::lock_guard<std::mutex> lock(mutex_);
            released_ = true;
        }
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

TEST(SwitcherForwarder, AWindowThatComesLateGetsEverythingInOrderOneThatNeverComesNothing) {
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
}

TEST(SwitcherForwarder, StoppingWhileASwitcherIsMissingReturnsAtOnce) {
    const auto start = std::chrono::steady_clock::now();
    {
        SwitcherForwarder forwarder([](int) { return DeliveryResult::NoWindow; });
        for (int k = 0; k < 100; ++k) forwarder.Post(k);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

}  // namespace
}  // namespace panorel
