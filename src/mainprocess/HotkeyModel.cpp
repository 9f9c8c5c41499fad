#include "mainprocess/HotkeyModel.h"

#include "switcher/EventNames.h"

namespace panorel {

int HotkeyEventIndex(int active, int target) {
    if (active < 1 || active > 4 || target < 1 || target > 4) return 0;
    return SwitchToIndex(active, target);
}

}  // namespace panorel
