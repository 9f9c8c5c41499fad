#include "mainprocess/SwitcherForwarder.h"

#include <utility>

namespace panorel {

SwitcherForwarder::SwitcherForwarder(Deliver deliver, ForwardTiming timing)
    : deliver_(std::move(deliver)), timing_(timing), thread_([this] { Run(); }) {}

SwitcherForwarder::~SwitcherForwarder() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
    dropped_ += queue_.size();
}

void SwitcherForwarder::Post(int index) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_) return;
        if (queue_.size() >= kCapacity) {
            queue_.pop_front();
            ++dropped_;
        }
        queue_.push_back({index, Clock::now() + timing_.giveUpAfter});
    }
    wake_.notify_one();
}

bool SwitcherForwarder::WaitUntilIdle(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    return idle_.wait_for(lock, timeout, [this] { return queue_.empty() && !delivering_; });
}

std::uint64_t SwitcherForwarder::Dropped() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return dropped_;
}

// The entry under delivery is out of the queue, so an overflow meanwhile can
// only drop entries still waiting: none is delivered twice.
void SwitcherForwarder::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        const Entry entry = queue_.front();
        queue_.pop_front();
        delivering_ = true;
        lock.unlock();
        DeliveryResult result = DeliveryResult::Delivered;
        bool failed = false;
        try {
            result = deliver_(entry.index);
        } catch (...) {
            failed = true;  // dropped like an undeliverable signal; the thread goes on
        }
        lock.lock();
        delivering_ = false;
        if (failed) {
            ++dropped_;
        } else if (result == DeliveryResult::NoWindow) {
            if (Clock::now() >= entry.giveUpAt || queue_.size() >= kCapacity) {
                ++dropped_;
            } else {
                // Back to the head, so the order holds, and look again later.
                queue_.push_front(entry);
                wake_.wait_for(lock, timing_.retryInterval, [this] { return stopping_; });
            }
        }
        if (queue_.empty() && !delivering_) idle_.notify_all();
    }
}

}  // namespace panorel
