#include "switcher/PanelKeys.h"

#include <initializer_list>

namespace panorel {
namespace {

// The platform's virtual-key codes (this file includes no Windows header).
constexpr std::uint32_t kReturn = 0x0D, kEscape = 0x1B, kLeft = 0x25, kUp = 0x26, kRight = 0x27, kDown = 0x28;
constexpr std::uint32_t kDigit1 = 0x31, kNumpad1 = 0x61;

}  // namespace

PanelKeyAction PanelKey(std::uint32_t virtualKey, int highlighted, int ownDesktop) {
    if (virtualKey == kEscape) return {PanelKeyKind::Hide, 0};
    for (const std::uint32_t first : {kDigit1, kNumpad1})
        if (virtualKey >= first && virtualKey < first + 4)
            return {PanelKeyKind::Pick, static_cast<int>(virtualKey - first) + 1};
    const bool valid = highlighted >= 1 && highlighted <= 4;
    if (virtualKey == kReturn) return valid ? PanelKeyAction{PanelKeyKind::Pick, highlighted} : PanelKeyAction{};
    if (virtualKey < kLeft || virtualKey > kDown) return {};
    const int from = valid ? highlighted : (ownDesktop >= 1 && ownDesktop <= 4 ? ownDesktop : 1);
    int row = (from - 1) / 2, column = (from - 1) % 2;
    if (virtualKey == kLeft) column = 0;
    if (virtualKey == kRight) column = 1;
    if (virtualKey == kUp) row = 0;
    if (virtualKey == kDown) row = 1;
    return {PanelKeyKind::Highlight, 2 * row + column + 1};
}

}  // namespace panorel
