// Window-less timers: the interval rules, the 100-slot table and its errors,
// expiries reaching the right timer, and timers that stop themselves.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "host/PanorelError.h"
#include "winsupport/MTimer.h"

namespace panorel::test {
namespace {

constexpr std::int32_t kLong = 600000;  // never expires during a test

std::vector<UINT> g_started;  // the interval of every system timer asked for
UINT_PTR WINAPI RecordingSetTimer(HWND hwnd, UINT_PTR id, UINT interval, TIMERPROC proc) {
    g_started.push_back(interval);
    return ::SetTimer(hwnd, id, interval, proc);
}
UINT_PTR WINAPI RefusingSetTimer(HWND, UINT_PTR, UINT, TIMERPROC) { return 0; }

TEST(Timer, IntervalRulesAndARefusedSystemTimer) {
    g_started.clear();
    SetTimerFunctionForTests(&RecordingSetTimer);
    CTimer t;
    t.Interval(-5);  // stopped: nothing happens
    t.Interval(kLong);
    ASSERT_NE(t.TimerID(), 0u);
    t.Interval(kLong);  // same interval: same system timer
    int ticks = 0;
    t.ThatTime = [&] { ++ticks; };
    t.Interval(15);  // a new interval restarts the system timer at it
    EXPECT_EQ(g_started, (std::vector<UINT>{kLong, 15}));
    EXPECT_TRUE(PumpUntil([&] { return ticks >= 4; }, 3000)) << "the system timer runs at 15 ms";
    EXPECT_EQ(RunningTimerCount(), 1);
    t.Interval(-1);  // negative stops
    EXPECT_EQ(t.Interval(), 0);
    EXPECT_EQ(RunningTimerCount(), 0);

    SetTimerFunctionForTests(&RefusingSetTimer);
    EXPECT_EQ(Raised([&] { t.Interval(100); }), "13652 Can't create system timer (winsupport_win_tests.WindowProc)");
    SetTimerFunctionForTests(nullptr);
    EXPECT_EQ(t.Interval(), 0);
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
    EXPECT_EQ(Raised([&] { extra.Interval(kLong); }), "13651 No more than 10 timers allowed per class (winsupport_win_tests.WindowProc)");
    EXPECT_EQ(RunningTimerCount(), kTimerSlots);

    timers[41]->Interval(0);
    timers[6].reset();  // a destroyed timer stops itself
    EXPECT_EQ(RunningTimerCount(), kTimerSlots - 2);
    extra.Interval(kLong);
    EXPECT_EQ(TimerSlot(extra), 7);
    timers.clear();
    extra.Interval(0);
    EXPECT_EQ(RunningTimerCount(), 0);
}

TEST(Timer, ExpiriesReachTheirTimerWhichMayDestroyItselfOrRaise) {
    // The timer's storage is poisoned once it is destroyed, and its handler's state is a pointer kept
    // inside it: anything that uses the timer, or that state, after it is gone crashes.
    alignas(CTimer) unsigned char storage[sizeof(CTimer)];
    struct State { CTimer* timer; unsigned char* storage; int ticks = 0, after = 0; } a{new (storage) CTimer, storage};
    a.timer->ThatTime = [s = &a] {
        ++s->ticks;
        s->timer->~CTimer();  // destroyed from its own handler
        std::memset(s->storage, 0xCC, sizeof(CTimer));
        ++s->after;  // the handler goes on with its own state
    };
    CTimer b;  // raises an error on every expiry, which stops at the callback
    int bTicks = 0;
    b.ThatTime = [&] {
        ++bTicks;
        throw PanorelError(kObjectErrorBase + 1, "test", "raised in a handler");
    };
    a.timer->Interval(10);
    b.Interval(15);
    EXPECT_NO_THROW(PumpUntil([&] { return bTicks >= 3; }, 5000));  // DispatchMessage calls the callback
    EXPECT_GE(bTicks, 3) << "b goes on";
    EXPECT_EQ(a.ticks, 1) << "no tick after a destroyed itself";
    EXPECT_EQ(a.after, 1);
    EXPECT_EQ(RunningTimerCount(), 1);

    // The callback pulses only the timer whose id it is given.
    const int before = bTicks;
    TimerProc(nullptr, WM_TIMER, b.TimerID() + 12345, 0);
    EXPECT_EQ(bTicks, before) << "an unknown id pulses nothing";
    TimerProc(nullptr, WM_TIMER, b.TimerID(), 0);
    EXPECT_EQ(bTicks, before + 1);
    b.Interval(0);
    EXPECT_EQ(RunningTimerCount(), 0);
}

}  // namespace
}  // namespace panorel::test
