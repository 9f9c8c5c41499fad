#include "switcher/EventNames.h"

#include <array>

namespace panorel {
namespace {

std::array<std::string, kEventCount + 1> MakeShortNames() {
    std::array<std::string, kEventCount + 1> names;
    for (int i = 1; i <= 4; ++i) {
        const std::string si = std::to_string(i);
        for (int j = 1; j <= 4; ++j) {
            const std::string sj = std::to_string(j);
            names[SwitchToIndex(i, j)] = "Switcher" + si + "SwitchTo" + sj;
            names[UpdateIndex(i, j)] = "Switcher" + si + "Update" + sj;
        }
        names[ReadRegSwitcherIndex(i)] = "ReadRegSwitcher" + si;
        names[ShutdownSwitcherIndex(i)] = "ShutdownSwitcher" + si;
        names[ShowPreviewSwitcherIndex(i)] = "ShowPreviewSwitcher" + si;
        names[ShowPopupSwitcherIndex(i)] = "ShowPopupSwitcher" + si;
    }
    for (int j = 1; j <= 4; ++j) names[SwitchToDesktopIndex(j)] = "SwitchToDesktop" + std::to_string(j);
    names[ReadRegIndex] = "ReadReg";
    names[ShutdownIndex] = "Shutdown";
    return names;
}

const std::array<std::string, kEventCount + 1>& ShortNames() {
    static const auto names = MakeShortNames();
    return names;
}

// Built once, on first use, and never written again: the main process reads
// it from several threads at once, and a function-local constant is
// initialised exactly once even when they race to it.
const std::array<std::string, kEventCount + 1>& EventNameTable() {
    static const auto table = [] {
        std::array<std::string, kEventCount + 1> full;
        for (int i = 1; i <= kEventCount; ++i) full[i] = std::string(EventPrefix) + ShortNames()[i];
        return full;
    }();
    return table;
}

}  // namespace

void BuildEventNames() { EventNameTable(); }

std::string EventName(std::int16_t index) {
    if (index < 1 || index > kEventCount) return {};
    return EventNameTable()[index];
}

std::string ShortEventName(int index) {
    if (index < 1 || index > kEventCount) return {};
    return ShortNames()[index];
}

int EventIndexOfShortName(std::string_view shortName) {
    for (int i = 1; i <= kEventCount; ++i)
        if (ShortNames()[i] == shortName) return i;
    return 0;
}

}  // namespace panorel
