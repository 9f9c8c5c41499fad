#pragma once
// A switcher that receives an Update holds the clipboard open while it draws
// the preview, and the clipboard opens for one at a time: a receiver that
// finds it open keeps its old picture. So Update forwards to different
// switchers take turns, each begun only once its receiver is known to answer
// messages. A turn is a lease, not a lock: it ends when its send returns or
// after `lease`, whichever comes first, so a receiver that stalls in the
// middle holds up the others' Updates by at most the lease, and their other
// signals not at all.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace panorel {

class ClipboardTurns {
public:
    using Clock = std::chrono::steady_clock;
    explicit ClipboardTurns(std::chrono::milliseconds lease = std::chrono::milliseconds(1000)) : lease_(lease) {}

    // Waits until no turn runs, or the running one's lease is over; the new
    // turn's ticket.
    std::uint64_t Begin();
    // Ends the turn, unless its lease already ran out and another began.
    void End(std::uint64_t ticket);

private:
    const Clock::duration lease_;
    std::mutex mutex_;
    std::condition_variable ended_;
    std::uint64_t holder_ = 0;  // 0: no turn runs
    std::uint64_t last_ = 0;
    Clock::time_point since_{};
};

}  // namespace panorel
