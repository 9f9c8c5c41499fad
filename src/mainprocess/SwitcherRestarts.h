#pragma once
// When a switcher that ended without being asked may be started again: at
// once, unless it was already restarted kMaxRestarts times within the last
// kWindow; then only once the oldest of those restarts is that long ago. A
// switcher that dies at start-up is thus tried three times a minute, not in a
// tight loop.
#include <array>
#include <chrono>

namespace panorel {

class SwitcherRestarts {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kMaxRestarts = 3;
    static constexpr std::chrono::seconds kWindow{60};

    // How long a restart wanted at `now` has to wait (zero: none).
    Clock::duration WaitBefore(Clock::time_point now) const;
    void Restarted(Clock::time_point at);

private:
    std::array<Clock::time_point, kMaxRestarts> recent_{};  // oldest first
    int count_ = 0;
};

}  // namespace panorel
