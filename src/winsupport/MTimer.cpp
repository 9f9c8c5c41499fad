#include "winsupport/MTimer.h"

#include <array>

#include "host/PanorelError.h"

namespace panorel {
namespace {

std::array<CTimer*, kTimerSlots + 1> g_slots{};  // 1-based; slot 0 unused
int g_highest = 0;
SetTimerFunction g_setTimer = nullptr;

}  // namespace

bool TimerCreate(CTimer& timer) {
    const UINT_PTR id = (g_setTimer ? g_setTimer : &::SetTimer)(nullptr, 0, static_cast<UINT>(timer.Interval()),
                                                                 &TimerProc);
    timer.TimerID(id);
    if (id == 0) {
        timer.ClearInterval();
        return false;
    }
    for (int slot = 1; slot <= kTimerSlots; ++slot) {
        if (g_slots[slot] == nullptr) {
            g_slots[slot] = &timer;
            if (slot > g_highest) g_highest = slot;
            return true;
        }
    }
    // A timer in no slot would run unseen: kill it, the table stays as it is.
    ::KillTimer(nullptr, id);
    timer.TimerID(0);
    timer.ClearInterval();
    timer.ErrRaise(kTooManyTimers);
}

bool TimerDestroy(CTimer& timer) {
    for (int slot = 1; slot <= g_highest; ++slot) {
        CTimer* t = g_slots[slot];
        if (t != nullptr && t->TimerID() == timer.TimerID()) {
            ::KillTimer(nullptr, t->TimerID());
            g_slots[slot] = nullptr;
            timer.TimerID(0);
            return true;
        }
    }
    return false;
}

void CALLBACK TimerProc(HWND, UINT, UINT_PTR idEvent, DWORD) {
    for (int slot = 1; slot <= g_highest; ++slot) {
        CTimer* t = g_slots[slot];
        if (t != nullptr && t->TimerID() == idEvent) {
            // Called from DispatchMessage: a handler's error must not unwind
            // through the system's frames. The handler may destroy t, so
            // nothing touches it afterwards.
            SkipOnError([t] { t->PulseTimer(); });
            return;
        }
    }
}

int RunningTimerCount() noexcept {
    int n = 0;
    for (int slot = 1; slot <= kTimerSlots; ++slot) n += g_slots[slot] != nullptr;
    return n;
}

int TimerSlot(const CTimer& timer) noexcept {
    for (int slot = 1; slot <= g_highest; ++slot) {
        if (g_slots[slot] == &timer) return slot;
    }
    return 0;
}

int HighestTimerSlot() noexcept { return g_highest; }

void SetTimerFunctionForTests(SetTimerFunction fn) noexcept { g_setTimer = fn; }

}  // namespace panorel
