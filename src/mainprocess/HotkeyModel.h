#pragma once
// The hotkeys the main process registers: one per desktop and the panel's.
// (The settings themselves are read by ReadDesktopHotkey and ReadPanelHotkey.)
#include <cstdint>

namespace panorel {

// Registration ids: 1..4 the desktops' hotkeys, 5 the panel's.
constexpr int kPanelHotkeyId = 5;
constexpr int kHotkeyCount = 5;
constexpr int HotkeyId(int desktop) { return desktop; }
// The id of a WM_HOTKEY, or 0 when it is not one of ours.
constexpr int OurHotkeyId(long long id) { return (id >= 1 && id <= kHotkeyCount) ? static_cast<int>(id) : 0; }

// The event a hotkey sets while desktop `active` is the active one: the
// active switcher's SwitchTo entry for a desktop's hotkey, its
// ShowPreviewSwitcher for the panel's. 0 when either is out of range.
int HotkeyEventIndex(int active, int id);

// The setting a hotkey comes from ("Desktop1Key".."Desktop4Key", "PanelKey"),
// which also names its value in the status key.
const wchar_t* HotkeyValueName(int id);

// The modifier bits RegisterHotKey takes from a stored modifier value (Alt,
// Ctrl, Shift, Win); other bits, such as the no-repeat flag, are not settings.
constexpr std::uint32_t HotkeyModifierBits(std::int32_t stored) { return static_cast<std::uint32_t>(stored) & 0xFu; }

// The system's code for a combination that someone already registered.
constexpr std::uint32_t kHotkeyAlreadyRegistered = 1409;

}  // namespace panorel
