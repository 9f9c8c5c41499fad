#pragma once
// A timer that needs no window: a positive Interval runs a system timer whose
// expiries raise ThatTime. The process-wide table of running timers is MTimer.
#include <cstdint>
#include <functional>

namespace panorel {

// Error numbers raised by timers (added to kObjectErrorBase).
constexpr std::int32_t kTooManyTimers = 13651;
constexpr std::int32_t kCantCreateTimer = 13652;

class CTimer {
public:
    CTimer() = default;
    CTimer(const CTimer&) = delete;
    CTimer& operator=(const CTimer&) = delete;
    // A destroyed timer stops itself, so the table never refers to a dead one.
    ~CTimer();

    std::int32_t Interval() const noexcept { return interval_; }
    // 1 or more (re)starts the timer unless it already runs at that interval;
    // 0 or less stops it. Raises kCantCreateTimer or kTooManyTimers.
    void Interval(std::int32_t iIntervalA);
    // Raises ThatTime now; the expiry callback uses it too.
    void PulseTimer();

    // The handler of the timer's expiries; it may change or destroy the timer.
    // What it raises on an expiry is ignored (the timer goes on).
    std::function<void()> ThatTime;

    // For MTimer.
    std::uintptr_t TimerID() const noexcept { return timerId_; }
    void TimerID(std::uintptr_t id) noexcept { timerId_ = id; }
    void ClearInterval() noexcept { interval_ = 0; }
    [[noreturn]] void ErrRaise(std::int32_t number);

private:
    std::int32_t interval_ = 0;
    std::uintptr_t timerId_ = 0;
};

}  // namespace panorel
