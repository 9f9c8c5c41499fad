#include "mainprocess/SwitcherRestarts.h"

#include <algorithm>

namespace panorel {

SwitcherRestarts::Clock::duration SwitcherRestarts::WaitBefore(Clock::time_point now) const {
    if (count_ < kMaxRestarts) return Clock::duration::zero();
    return std::max(Clock::duration::zero(), recent_[0] + kWindow - now);
}

void SwitcherRestarts::Restarted(Clock::time_point at) {
    if (count_ == kMaxRestarts) {
        std::rotate(recent_.begin(), recent_.begin() + 1, recent_.end());
        recent_[kMaxRestarts - 1] = at;
    } else {
        recent_[count_++] = at;
    }
}

}  // namespace panorel
