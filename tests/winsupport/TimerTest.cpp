// Window-less timers: the interval rules, the 100-slot table and its errors,
// expiries reaching the right timer, and timers that stop themselves.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "WinTestSupport.h"
#include "host/PanorelError.h"
#include "winsupport/MTimer.h"

namespace panorel::test {
namespace {

constexpr std::int32_t kLong = 600000;  // never expires during a test

TEST(Timer, IntervalRules) {
    CTimer t;
    t.Interval(-5);  // stopped: nothing happens
    EXPECT_EQ(t.Interval(), 0);
    t.Interval(kLong);
    const std::uintptr_t id = t.TimerID();
    ASSERT_NE(id, 0u);
    t.Interval(kLong);  // same interval: same system timer
    EXPECT_EQ(t.TimerID(), id);
    EXPECT_EQ(RunningTimerCount(), 1);
    t.Interval(kLong - 1);  // a new interval restarts it
    EXPECT_NE(t.TimerID(), 0u);
    EXPECT_EQ(RunningTimerCount(), 1);
    t.Interval(-1);  // negative stops
    EXPECT_EQ(t.Interval(), 0);
    EXPECT_EQ(t.TimerID(), 0u);
    EXPECT_EQ(RunningTimerCount(), 0);
}

TEST(Timer, HundredSlotsThenError13651AndLowestFreeSlotReused) {
    std::vector<std::unique_ptr<CTimer>> timers;
    for (int i = 0; i < kTimerSlots; ++i) {
        timers.push_back(std::make_unique<CTimer>());
        ASSERT_NO_THROW(timers.back()->Interval(kLong)) << "timer " << i + 1;
    }
    EXPECT_EQ(HighestTimerSlot(), kTimerSlots);
    CTimer extra;
    try {
        extra.Interval(kLong);
        FAIL() << "the 101st timer started";
    } catch (const PanorelError& e) {
        EXPECT_EQ(e.Number(), kObjectErrorBase + 13651);
        EXPECT_EQ(e.Description(), "No more than 10 timers allowed per class");
        EXPECT_EQ(e.Source(), "winsupport_win_tests.WindowProc");
    }
    EXPECT_EQ(RunningTimerCount(), kTimerSlots);
    EXPECT_EQ(extra.TimerID(), 0u);

    timers[41]->Interval(0);
    timers[6].reset();  // a destroyed timer stops itself
    EXPECT_EQ(RunningTimerCount(), kTimerSlots - 2);
    extra.Interval(kLong);
    EXPECT_EQ(TimerSlot(extra), 7);
    timers.clear();
    extra.Interval(0);
    EXPECT_EQ(RunningTimerCount(), 0);
}

UINT_PTR WINAPI RefusingSetTimer(HWND, UINT_PTR, UINT, TIMERPROC) { return 0; }

TEST(Timer, RefusedSystemTimerRaises13652AndReadsZero) {
    CTimer t;
    SetTimerFunctionForTests(&RefusingSetTimer);
    try {
        t.Interval(100);
        ADD_FAILURE() << "no error";
    } catch (const PanorelError& e) {
        EXPECT_EQ(e.Number(), kObjectErrorBase + 13652);
        EXPECT_EQ(e.Description(), "Can't create system timer");
    }
    SetTimerFunctionForTests(nullptr);
    EXPECT_EQ(t.Interval(), 0);
    EXPECT_EQ(RunningTimerCount(), 0);
}

TEST(Timer, ExpiriesReachTheirTimerWhichMayDestroyItself) {
    auto a = std::make_unique<CTimer>();
    CTimer b;
    int aTicks = 0, bTicks = 0;
    a->ThatTime = [&] {
        ++aTicks;
        a.reset();  // destroyed from its own handler
    };
    b.ThatTime = [&] { ++bTicks; };
    a->Interval(10);
    b.Interval(15);
    EXPECT_TRUE(PumpUntil([&] { return bTicks >= 3; }, 5000));
    EXPECT_EQ(aTicks, 1);
    b.Interval(0);
    EXPECT_EQ(RunningTimerCount(), 0);
    TimerProc(nullptr, WM_TIMER, 12345, 0);  // an unknown id is ignored
}

}  // namespace
}  // namespace panorel::test
