#pragma once
// Forwarding of one switcher's signals on a thread of its own, so that the
// main process's event loop never waits for a switcher that is busy, hung,
// gone or not started yet. Signals go out in the order they were posted, each
// exactly once; one whose switcher window is missing is tried again until its
// time runs out and is then dropped. Posting never blocks.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace panorel {

enum class DeliveryResult { Delivered, NoWindow };

struct ForwardTiming {
    std::chrono::milliseconds retryInterval{100};  // how often a missing window is looked for
    std::chrono::milliseconds giveUpAfter{5000};   // from posting; a switcher still starting has this long
};

class SwitcherForwarder {
public:
    using Clock = std::chrono::steady_clock;
    // Sends event `index` to the switcher; runs on the forwarding thread.
    using Deliver = std::function<DeliveryResult(int index)>;
    // Waiting signals beyond this drop the oldest: a switcher that has not
    // taken this many is hung, and memory stays bounded (16 bytes each).
    static constexpr std::size_t kCapacity = 16384;

    explicit SwitcherForwarder(Deliver deliver, ForwardTiming timing = {});
    // Stops: what is still waiting is dropped, a delivery under way is
    // finished (at most its time-out), and the thread is joined.
    ~SwitcherForwarder();
    SwitcherForwarder(const SwitcherForwarder&) = delete;
    SwitcherForwarder& operator=(const SwitcherForwarder&) = delete;

    void Post(int index);
    // Waits until everything posted so far is delivered or dropped; false on time-out.
    bool WaitUntilIdle(std::chrono::milliseconds timeout);
    std::uint64_t Dropped() const;

private:
    struct Entry {
        int index;
        Clock::time_point giveUpAt;
    };
    void Run();

    Deliver deliver_;
    ForwardTiming timing_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;  // something posted, or stopping
    std::condition_variable idle_;  // nothing waiting and nothing under way
    std::deque<Entry> queue_;
    bool delivering_ = false;
    bool stopping_ = false;
    std::uint64_t dropped_ = 0;
    std::thread thread_;  // last: starts once everything above exists
};

}  // namespace panorel
