#pragma once
// The text of a desktop's name tab: name, three blanks, and the hotkey in
// parentheses, and the scan-code rules used to name a key. No window is needed for any of it.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace panorel {

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
