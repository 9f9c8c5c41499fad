#pragma once
// What the main process does with each signalled event.

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

}  // namespace panorel
