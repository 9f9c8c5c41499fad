#pragma once
// What the main process does with each signalled event, and how long one
// forward may wait for its switcher.

namespace panorel {

enum class MainActionKind { None, Forward, SwitchDesktop, ReadReg, Shutdown };

struct MainAction {
    MainActionKind kind = MainActionKind::None;
    int target = 0;  // Forward: switcher 1..4; SwitchDesktop: desktop 1..4
    bool operator==(const MainAction& o) const { return kind == o.kind && target == o.target; }
};

// The action for event index 1..54; None for anything else.
MainAction ActionForEvent(int index);

// Whether forwarding event `index` makes its switcher read the clipboard
// (`Switcher`i`Update`j).
bool ReadsClipboard(int index);

// How long one forward may wait for its switcher. A switcher that just timed
// out is given only a short wait until it answers again, so a hung switcher's
// backlog drains quickly instead of at one second per signal.
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
