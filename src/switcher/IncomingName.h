#pragma once
// What a switcher does with an incoming event name: only the twelve names of
// its own block mean anything, compared exactly and case-sensitively.
#include <array>
#include <string_view>

namespace panorel {

enum class IncomingKind { None, SwitchTo, Update, ReadReg, Shutdown, ShowPreview, ShowPopup };

struct IncomingAction {
    IncomingKind Kind = IncomingKind::None;
    int Desktop = 0;  // j of SwitchTo j and Update j
};

// The action for `text` at switcher `ownDesktop` (1..4); None for anything
// that is not exactly one of the own block's full names.
IncomingAction ClassifyIncomingName(std::wstring_view text, int ownDesktop);

// The events that tell the other three switchers, in order 1..4, that a new
// preview of `ownDesktop` is on the clipboard (Switcher i Update n).
std::array<int, 3> PreviewUpdatedIndices(int ownDesktop);

}  // namespace panorel
