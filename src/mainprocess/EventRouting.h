#pragma once
// What the main process does with each signalled event, and the bookkeeping
// of forwards that could not be delivered yet.
#include <cstdint>
#include <vector>

namespace panorel {

enum class MainActionKind { None, Forward, SwitchDesktop, ReadReg, Shutdown };

struct MainAction {
    MainActionKind kind = MainActionKind::None;
    int target = 0;  // Forward: switcher 1..4; SwitchDesktop: desktop 1..4
    bool operator==(const MainAction& o) const { return kind == o.kind && target == o.target; }
};

// The action for event index 1..54; None for anything else.
MainAction ActionForEvent(int index);

// Forwards waiting for their switcher's window (still starting, or gone). Each
// is tried again on the main loop's retry timer a bounded number of times and
// then dropped, so a vanished switcher cannot make the queue grow for ever.
class PendingForwards {
public:
    static constexpr int kMaxAttempts = 50;        // at the retry interval below: about five seconds
    static constexpr unsigned kRetryIntervalMs = 100;
    static constexpr std::size_t kCapacity = 256;  // oldest entries go first when full

    // Queues event `index`; false when the index is not a switcher's event.
    bool Add(int index);
    // One retry round: `deliver(index)` returns true when delivered. Entries
    // that fail lose one attempt; those out of attempts are dropped.
    template <class Deliver>
    void RetryAll(Deliver&& deliver) {
        std::vector<Entry> keep;
        for (Entry e : entries_) {
            if (deliver(e.index)) continue;
            if (--e.attemptsLeft > 0) keep.push_back(e);
            else ++dropped_;
        }
        entries_.swap(keep);
    }
    bool Empty() const noexcept { return entries_.empty(); }
    std::size_t Size() const noexcept { return entries_.size(); }
    std::uint64_t Dropped() const noexcept { return dropped_; }

private:
    struct Entry {
        int index;
        int attemptsLeft;
    };
    std::vector<Entry> entries_;
    std::uint64_t dropped_ = 0;
};

// How long one forward may block the main loop. A switcher that just timed
// out is given only a short wait until it answers again, so a hung switcher
// costs the others little.
class ForwardTimeouts {
public:
    static constexpr unsigned kNormalMs = 1000;
    static constexpr unsigned kSuspectMs = 50;

    unsigned TimeoutFor(int switcher) const;
    void Record(int switcher, bool answered);

private:
    bool suspect_[5] = {};
};

}  // namespace panorel
