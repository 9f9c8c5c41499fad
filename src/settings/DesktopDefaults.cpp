#include "settings/DesktopDefaults.h"

namespace panorel {

std::wstring DefaultDesktopName(int desktop) { return L"Desktop " + std::to_wstring(desktop); }

Hotkey ResolveHotkey(Hotkey fallback, std::optional<std::int32_t> key, std::optional<std::int32_t> modifiers) {
    if (key && modifiers) return {*key, *modifiers};
    return fallback;
}

Hotkey ResolveHotkey(int desktop, std::optional<std::int32_t> key, std::optional<std::int32_t> modifiers) {
    return ResolveHotkey(Hotkey{DefaultHotkeyKey(desktop), kDefaultHotkeyModifiers}, key, modifiers);
}

}  // namespace panorel
