#pragma once
// What a desktop's name and hotkey are when the registry cannot give them.
#include <cstdint>
#include <optional>
#include <string>

namespace panorel {

// "Desktop " n.
std::wstring DefaultDesktopName(int desktop);
// VK_NUMPAD1..VK_NUMPAD4 for desktops 1..4.
constexpr std::int32_t DefaultHotkeyKey(int desktop) { return 96 + desktop; }
// Ctrl and Alt.
constexpr std::int32_t kDefaultHotkeyModifiers = 3;

struct Hotkey {
    std::int32_t Key = 0;
    std::int32_t Modifiers = 0;
};

// The panel's own hotkey ("PanelKey"/"PanelKeyMod"): Ctrl+Alt+VK_NUMPAD0.
constexpr Hotkey kDefaultPanelHotkey{96, kDefaultHotkeyModifiers};

// Key and modifiers are one setting: unless both were read, both take their
// defaults (`fallback`, or desktop n's default).
Hotkey ResolveHotkey(Hotkey fallback, std::optional<std::int32_t> key, std::optional<std::int32_t> modifiers);
Hotkey ResolveHotkey(int desktop, std::optional<std::int32_t> key, std::optional<std::int32_t> modifiers);

// Program lists ("Desktop" n "Programs", REG_MULTI_SZ) longer than this are
// refused whole.
constexpr std::uint32_t kMaxProgramListBytes = 32 * 1024;

}  // namespace panorel
