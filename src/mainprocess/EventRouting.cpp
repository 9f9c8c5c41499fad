#include "mainprocess/EventRouting.h"

#include "switcher/EventNames.h"

namespace panorel {

MainAction ActionForEvent(int index) {
    if (const int owner = OwnerOfEvent(index); owner != 0) return {MainActionKind::Forward, owner};
    if (index >= SwitchToDesktopIndex(1) && index <= SwitchToDesktopIndex(4))
        return {MainActionKind::SwitchDesktop, index - SwitchToDesktopIndex(0)};
    if (index == ReadRegIndex) return {MainActionKind::ReadReg, 0};
    if (index == ShutdownIndex) return {MainActionKind::Shutdown, 0};
    return {};
}

bool ReadsClipboard(int index) {
    if (OwnerOfEvent(index) == 0) return false;
    const int slot = (index - 1) % kEventsPerSwitcher + 1;
    return slot >= UpdateIndex(1, 1) && slot <= UpdateIndex(1, 4);
}

}  // namespace panorel
