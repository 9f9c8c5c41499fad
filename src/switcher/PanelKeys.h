#pragma once
// What a key pressed on the open panel means: Escape closes it as a click on
// the background does; 1 to 4 pick that desktop as a click on its tile does;
// the arrow keys move a highlight over the two-by-two tiles and Enter picks
// the highlighted one.
#include <cstdint>

namespace panorel {

enum class PanelKeyKind { None, Hide, Pick, Highlight };

struct PanelKeyAction {
    PanelKeyKind Kind = PanelKeyKind::None;
    int Desktop = 0;  // the tile picked or highlighted, 1..4
    bool operator==(const PanelKeyAction& o) const { return Kind == o.Kind && Desktop == o.Desktop; }
};

// `virtualKey` as the keyboard reports it; `highlighted` is the highlighted
// tile, 0 for none yet (the first arrow then moves from `ownDesktop`'s tile).
PanelKeyAction PanelKey(std::uint32_t virtualKey, int highlighted, int ownDesktop);

}  // namespace panorel
