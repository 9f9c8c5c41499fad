#include "switcher/TabLabel.h"

namespace panorel {

std::wstring ModifierText(std::int32_t modifier) {
    std::wstring text;
    if (modifier == 2 || modifier == 3) text += L"CTRL + ";
    if (modifier == 1 || modifier == 3) text += L"ALT + ";
    return text;
}

std::wstring BuildTabLabel(std::wstring_view name, std::int32_t modifier, std::wstring_view keyText) {
    std::wstring label;
    label.reserve(name.size() + keyText.size() + 24);
    label.append(name);
    label += L"   (";
    label += ModifierText(modifier);
    label.append(keyText);
    label += L')';
    return label;
}

std::optional<std::uint32_t> FixedScanCode(std::int32_t vk) {
    switch (vk) {
        case 19: return 0x45u;    // Pause
        case 144: return 0x145u;  // Num Lock
        case 44: return 0x101u;   // Print Screen
        case 111: return 0x135u;  // keypad divide
        default: return std::nullopt;
    }
}

std::optional<std::int32_t> KeyNameArgument(std::uint32_t scanCode) {
    // Built as hexadecimal text plus "0000" and read as a 32-bit number: a code
    // of more than four hex digits cannot be read back.
    if (scanCode > 0xFFFFu) return std::nullopt;
    return static_cast<std::int32_t>(scanCode << 16);
}

std::size_t KeyNameLength(int returned, std::size_t bufferChars) {
    if (returned <= 0) return 0;
    const auto n = static_cast<std::size_t>(returned);
    return n < bufferChars ? n : bufferChars;
}

}  // namespace panorel
