#pragma once
// The process-wide table of running CTimers: 100 slots mapping system timer
// ids to timers, and the callback the system calls on expiry. Slots do not
// own their timers; a timer leaves its slot when it stops or is destroyed.
#include <windows.h>

#include <cstdint>

#include "winsupport/CTimer.h"

namespace panorel {

constexpr int kTimerSlots = 100;

// Starts the system timer at the timer's interval and enters the timer in the
// lowest free slot. False (timer cleared) when the system refuses; raises
// kTooManyTimers through the timer when all slots are taken.
bool TimerCreate(CTimer& timer);
// Kills the timer's system timer and empties its slot; false when not found.
bool TimerDestroy(CTimer& timer);
// The system's callback: pulses the timer that owns `idEvent`.
void CALLBACK TimerProc(HWND hwnd, UINT uMsg, UINT_PTR idEvent, DWORD dwTime);

// Timers in the table right now (their system timers are running).
int RunningTimerCount() noexcept;
// The slot holding the timer, 0 when it is in none.
int TimerSlot(const CTimer& timer) noexcept;
// The highest slot number ever used (1-based; 0 before the first timer).
int HighestTimerSlot() noexcept;

// Tests replace the system's SetTimer to see a refusal; null restores it.
using SetTimerFunction = UINT_PTR(WINAPI*)(HWND, UINT_PTR, UINT, TIMERPROC);
void SetTimerFunctionForTests(SetTimerFunction fn) noexcept;

}  // namespace panorel
