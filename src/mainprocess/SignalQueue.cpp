#include "mainprocess/SignalQueue.h"

namespace panorel {

bool SignalQueue::Post(int index, Clock::time_point now) {
    std::lock_guard<std::mutex> lock(mutex_);
    bool kept = true;
    if (queue_.size() >= kCapacity) {
        queue_.pop_front();
        ++dropped_;
        kept = false;
    }
    queue_.push_back({index, now + timing_.giveUpAfter});
    return kept;
}

SignalQueue::Next SignalQueue::Take(Clock::time_point now) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (underWay_ || queue_.empty()) return {};
    if (now < headDueAt_) return {0, headDueAt_};
    underWay_ = queue_.front();
    queue_.pop_front();
    return {underWay_->index, std::nullopt};
}

void SignalQueue::Finish(DeliveryResult result, Clock::time_point now) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!underWay_) return;
    const Entry entry = *underWay_;
    underWay_.reset();
    if (result == DeliveryResult::Delivered) return;
    if (now >= entry.giveUpAt || queue_.size() >= kCapacity) {
        ++dropped_;
        return;
    }
    // Back to the head, so the order holds, and looked at again later.
    queue_.push_front(entry);
    headDueAt_ = now + timing_.retryInterval;
}

void SignalQueue::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    dropped_ += queue_.size();
    queue_.clear();
}

std::uint64_t SignalQueue::Dropped() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return dropped_;
}

std::size_t SignalQueue::Waiting() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return queue_.size();
}

}  // namespace panorel
