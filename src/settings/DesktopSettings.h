#pragma once
// The desktops' names and hotkeys under HKEY_CURRENT_USER "Software\Panorel",
// written by the utility's other programs; anything unreadable falls back to
// its default without a report.
#include <string>
#include <vector>

#include "settings/DesktopDefaults.h"

namespace panorel {

// "Desktop" n "Name" (REG_SZ), with any stored terminating NUL still attached.
std::wstring ReadDesktopName(int desktop);
// "Desktop" n "Key" and, only when that was read, "Desktop" n "KeyMod" (both
// REG_DWORD); unless both are read both take their defaults.
Hotkey ReadDesktopHotkey(int desktop);
// "PanelKey" and "PanelKeyMod", by the same rule, with the panel's default.
Hotkey ReadPanelHotkey();
// The command lines of "Desktop" n "Programs" (REG_MULTI_SZ). Any other type,
// or more than kMaxProgramListBytes, gives no programs.
std::vector<std::wstring> ReadDesktopPrograms(int desktop);

}  // namespace panorel
