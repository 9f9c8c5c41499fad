#pragma once
// One switcher's signals on their way to it: sent in the order they were
// posted, each exactly once. The thread that serves the switcher's desktop
// takes them one at a time; one whose switcher window is missing (still
// starting, or being restarted) goes back to the head and is tried again
// until its time runs out. Posting never blocks. The main loop posts and the
// desktop thread takes, so every member locks.
#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

namespace panorel {

enum class DeliveryResult { Delivered, NoWindow };

struct ForwardTiming {
    std::chrono::milliseconds retryInterval{100};  // how often a missing window is looked for
    std::chrono::milliseconds giveUpAfter{5000};   // from posting; a switcher still starting has this long
};

class SignalQueue {
public:
    using Clock = std::chrono::steady_clock;
    // Waiting signals beyond this drop the oldest: a switcher that has not
    // taken this many is hung, and memory stays bounded (16 bytes each).
    static constexpr std::size_t kCapacity = 16384;

    explicit SignalQueue(ForwardTiming timing = {}) : timing_(timing) {}
    SignalQueue(const SignalQueue&) = delete;
    SignalQueue& operator=(const SignalQueue&) = delete;

    // False when the queue was full and its oldest waiting signal made room.
    bool Post(int index, Clock::time_point now = Clock::now());

    struct Next {
        int index = 0;  // the signal to send now, taken off the queue; 0: none
        // With none: when the head, waiting for its window, is due again
        // (empty: nothing is due until the next post).
        std::optional<Clock::time_point> dueAt;
    };
    Next Take(Clock::time_point now = Clock::now());
    // How the signal taken last went. The one under way is out of the queue,
    // so an overflow meanwhile drops only waiting ones: none goes twice.
    void Finish(DeliveryResult result, Clock::time_point now = Clock::now());
    // Drops whatever waits.
    void Clear();
    std::uint64_t Dropped() const;
    std::size_t Waiting() const;

private:
    struct Entry {
        int index;
        Clock::time_point giveUpAt;
    };
    ForwardTiming timing_;
    mutable std::mutex mutex_;
    std::deque<Entry> queue_;
    std::optional<Entry> underWay_;
    Clock::time_point headDueAt_{};
    std::uint64_t dropped_ = 0;
};

}  // namespace panorel
