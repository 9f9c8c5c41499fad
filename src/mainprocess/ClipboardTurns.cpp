#include "mainprocess/ClipboardTurns.h"

namespace panorel {

std::uint64_t ClipboardTurns::Begin() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (holder_ != 0 && Clock::now() < since_ + lease_) ended_.wait_until(lock, since_ + lease_);
    holder_ = ++last_;
    since_ = Clock::now();
    return holder_;
}

void ClipboardTurns::End(std::uint64_t ticket) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (holder_ != ticket) return;
        holder_ = 0;
    }
    ended_.notify_one();
}

}  // namespace panorel
