#pragma once
// The desktops' hotkeys as the main process registers them: one per desktop,
// read from the user's settings as a key/modifier pair.
#include <array>
#include <cstdint>
#include <optional>

namespace panorel {

struct Hotkey {
    std::uint32_t key = 0;        // virtual-key code
    std::uint32_t modifiers = 0;  // MOD_ALT 1, MOD_CONTROL 2 (bits as stored)
    bool operator==(const Hotkey& o) const { return key == o.key && modifiers == o.modifiers; }
};

constexpr std::uint32_t kDefaultHotkeyModifiers = 3;  // Ctrl+Alt
// Ctrl+Alt+Num n (VK_NUMPAD1 is 97).
constexpr Hotkey DefaultHotkey(int desktop) { return Hotkey{static_cast<std::uint32_t>(96 + desktop), 3}; }

// Key and modifier are one pair: the modifier counts only when the key was
// read, and if either is missing both fall back to the desktop's default.
Hotkey HotkeyFromValues(int desktop, std::optional<std::uint32_t> key, std::optional<std::uint32_t> modifiers);

// Registration ids are the desktop numbers; anything else is not ours (0).
constexpr int HotkeyId(int desktop) { return desktop; }
constexpr int DesktopOfHotkeyId(long long id) { return (id >= 1 && id <= 4) ? static_cast<int>(id) : 0; }

// The event a hotkey for desktop `target` sets while `active` is the active
// desktop: the active switcher's SwitchTo entry. 0 when either is out of range.
int HotkeyEventIndex(int active, int target);

}  // namespace panorel
