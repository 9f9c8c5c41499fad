#include "settings/DesktopSettings.h"

#include <windows.h>

#include <optional>

#include "settings/Registry.h"
#include "settings/SharedNames.h"

namespace panorel {

namespace {

std::optional<std::int32_t> ReadDword(const std::wstring& valueName) {
    RegistryValue value;
    if (!Registry::ReadValue(HKEY_CURRENT_USER, kSettingsKey, valueName, kRegDword, value)) return std::nullopt;
    if (const auto* number = std::get_if<std::int32_t>(&value)) return *number;
    return std::nullopt;
}

Hotkey ReadHotkey(const std::wstring& prefix, Hotkey fallback) {
    const std::optional<std::int32_t> key = ReadDword(prefix + L"Key");
    std::optional<std::int32_t> modifiers;
    if (key) modifiers = ReadDword(prefix + L"KeyMod");
    return ResolveHotkey(fallback, key, modifiers);
}

}  // namespace

std::wstring ReadDesktopName(int desktop) {
    RegistryValue value;
    const std::wstring valueName = L"Desktop" + std::to_wstring(desktop) + L"Name";
    if (Registry::ReadValue(HKEY_CURRENT_USER, kSettingsKey, valueName, kRegSz, value))
        if (const auto* text = std::get_if<std::wstring>(&value)) return *text;
    return DefaultDesktopName(desktop);
}

Hotkey ReadDesktopHotkey(int desktop) {
    return ReadHotkey(L"Desktop" + std::to_wstring(desktop), {DefaultHotkeyKey(desktop), kDefaultHotkeyModifiers});
}

Hotkey ReadPanelHotkey() { return ReadHotkey(L"Panel", kDefaultPanelHotkey); }

std::vector<std::wstring> ReadDesktopPrograms(int desktop) {
    RegistryValue value;
    const std::wstring valueName = L"Desktop" + std::to_wstring(desktop) + L"Programs";
    if (Registry::ReadValue(HKEY_CURRENT_USER, kSettingsKey, valueName, kRegMultiSz, value, kMaxProgramListBytes))
        if (const auto* text = std::get_if<std::wstring>(&value)) return SplitMultiString(*text);
    return {};
}

}  // namespace panorel
