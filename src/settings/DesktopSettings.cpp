#include "settings/DesktopSettings.h"

#include <windows.h>

#include <optional>

#include "settings/Registry.h"

namespace panorel {

namespace {

const wchar_t kSettingsKey[] = L"Software\\Panorel";

std::optional<std::int32_t> ReadDword(const std::wstring& valueName) {
    RegistryValue value;
    if (!Registry::ReadValue(HKEY_CURRENT_USER, kSettingsKey, valueName, kRegDword, value)) return std::nullopt;
    if (const auto* number = std::get_if<std::int32_t>(&value)) return *number;
    return std::nullopt;
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
    const std::wstring prefix = L"Desktop" + std::to_wstring(desktop);
    const std::optional<std::int32_t> key = ReadDword(prefix + L"Key");
    std::optional<std::int32_t> modifiers;
    if (key) modifiers = ReadDword(prefix + L"KeyMod");
    return ResolveHotkey(desktop, key, modifiers);
}

}  // namespace panorel
