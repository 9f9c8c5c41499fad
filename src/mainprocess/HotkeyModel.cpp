#include "mainprocess/HotkeyModel.h"

#include "switcher/EventNames.h"

namespace panorel {

Hotkey HotkeyFromValues(int desktop, std::optional<std::uint32_t> key, std::optional<std::uint32_t> modifiers) {
    if (!key || !modifiers) return DefaultHotkey(desktop);
    return Hotkey{*key, *modifiers};
}

int HotkeyEventIndex(int active, int target) {
    if (active < 1 || active > 4 || target < 1 || target > 4) return 0;
    return SwitchToIndex(active, target);
}

}  // namespace panorel
