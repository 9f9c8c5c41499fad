#pragma once
// The text of a desktop's name tab: name, three blanks, and the hotkey in
// parentheses; the registry value names and their defaults; and the scan-code
// rules used to name a key. No window is needed for any of it.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace panorel {

constexpr std::int32_t kDefaultKeyModifier = 3;  // Ctrl and Alt

struct Hotkey {
    std::int32_t key = 0;
    std::int32_t modifier = 0;
    bool operator==(const Hotkey& o) const { return key == o.key && modifier == o.modifier; }
};

// Registry value names of desktop j: "Desktop1Name", "Desktop1Key", "Desktop1KeyMod".
std::wstring DesktopNameValue(int j);
std::wstring DesktopKeyValue(int j);
std::wstring DesktopKeyModValue(int j);

// "Desktop j", the name when none can be read.
std::wstring DefaultDesktopName(int j);
// The name exactly as read (NULs and all), or the default.
std::wstring DesktopNameOrDefault(int j, const std::optional<std::wstring>& read);
// Key and modifier are read as a pair: the modifier is read only when the key
// was, and if either read fails both are the defaults (key 96 + j, the keypad
// digit, and modifier 3).
Hotkey ReadHotkey(int j, const std::function<std::optional<std::int32_t>()>& readKey,
                  const std::function<std::optional<std::int32_t>()>& readModifier);

// "CTRL + " for modifiers 2 and 3, then "ALT + " for 1 and 3; other values add nothing.
std::wstring ModifierText(std::int32_t modifier);
// name + "   (" + modifiers + key text + ")".
std::wstring BuildTabLabel(std::wstring_view name, std::int32_t modifier, std::wstring_view keyText);

// Keys whose scan code comes from a fixed table rather than the keyboard
// layout (Pause, Num Lock, Print Screen, keypad divide); empty for the rest.
std::optional<std::uint32_t> FixedScanCode(std::int32_t vk);
// The key-name argument: the scan code shifted left by 16 bits, so a code
// above 0xFF sets the extended-key bit. Empty for codes that do not fit.
std::optional<std::int32_t> KeyNameArgument(std::uint32_t scanCode);
// The returned length of a key-name call clamped to the buffer it was given.
std::size_t KeyNameLength(int returned, std::size_t bufferChars);

}  // namespace panorel
