#include "switcher/KeyNameText.h"

#include <windows.h>

#include "host/AnsiText.h"
#include "switcher/TabLabel.h"

namespace panorel {

std::wstring KeyNameText(std::int32_t vk) {
    std::uint32_t scanCode = 0;
    if (const auto fixed = FixedScanCode(vk)) {
        scanCode = *fixed;
    } else {
        scanCode = ::MapVirtualKeyExA(static_cast<UINT>(vk), MAPVK_VK_TO_VSC, ::GetKeyboardLayout(0));
    }
    const auto argument = KeyNameArgument(scanCode);
    if (!argument) return {};
    char buffer[256] = {};
    const int returned = ::GetKeyNameTextA(static_cast<LONG>(*argument), buffer, 255);
    return FromAnsi(std::string_view(buffer, KeyNameLength(returned, 255)));
}

}  // namespace panorel
