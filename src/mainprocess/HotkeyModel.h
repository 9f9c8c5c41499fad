#pragma once
// The desktops' hotkeys as the main process registers them: one per desktop
// (the settings themselves are read by ReadDesktopHotkey).
#include <cstdint>

namespace panorel {

// Registration ids are the desktop numbers; anything else is not ours (0).
constexpr int HotkeyId(int desktop) { return desktop; }
constexpr int DesktopOfHotkeyId(long long id) { return (id >= 1 && id <= 4) ? static_cast<int>(id) : 0; }

// The event a hotkey for desktop `target` sets while `active` is the active
// desktop: the active switcher's SwitchTo entry. 0 when either is out of range.
int HotkeyEventIndex(int active, int target);

}  // namespace panorel
