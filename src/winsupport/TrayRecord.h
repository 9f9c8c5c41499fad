#pragma once
// The notification-area icon's record as bytes, its tooltip field and the
// mapping of the shell's mouse notifications. No window needed.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace panorel {

constexpr std::size_t kTrayRecordSize = 88;
constexpr std::size_t kTrayTipChars = 64;
constexpr std::size_t kTrayTipOffset = 24;
constexpr std::uint32_t kTrayIconId = 1;
constexpr std::uint32_t kTrayFlags = 7;             // message, icon and tip are valid
constexpr std::uint32_t kTrayCallbackMessage = 512;  // the owner's own mouse-move message

using TrayRecordBytes = std::array<std::uint8_t, kTrayRecordSize>;

// The fields as read back from a record.
struct TrayRecordFields {
    std::uint32_t size = 0;
    std::uint32_t window = 0;
    std::uint32_t id = 0;
    std::uint32_t flags = 0;
    std::uint32_t callbackMessage = 0;
    std::uint32_t icon = 0;
    std::string tip;  // all 64 bytes of the field
};

// Little-endian 32-bit values at offsets 0..20, then the 64-byte tooltip
// field: `ansiTip`'s first 64 bytes, zero-filled if it is shorter.
TrayRecordBytes BuildTrayRecord(std::uint32_t window, std::uint32_t icon, std::string_view ansiTip);
TrayRecordFields ReadTrayRecord(const TrayRecordBytes& record);

// The stored tooltip (text plus its appended NUL) left-aligned in 64
// characters: padded with spaces, or cut.
std::wstring TooltipFieldText(const std::wstring& stored);
// What the ToolTip property stores for a new text, and what it reads back.
inline std::wstring StoreToolTip(const std::wstring& text) { return text + L'\0'; }
inline std::wstring ReadToolTip(const std::wstring& stored) {
    return stored.empty() ? stored : stored.substr(0, stored.size() - 1);
}

enum class TrayMouseEvent { None, Down, Up, DblClick };
struct TrayMouse {
    TrayMouseEvent event = TrayMouseEvent::None;
    std::int16_t button = 0;  // 1 left, 2 right
    bool operator==(const TrayMouse& o) const { return event == o.event && button == o.button; }
};
// Maps the mouse message the shell reports (513..518) to an event.
TrayMouse MapTrayMessage(std::int32_t message);
// Recovers the message number from the owner's mouse-move x: twips are
// divided by the twips per pixel, then rounded (halves to even).
std::int32_t TrayMessageFromX(double x, bool ownerInTwips, double twipsPerPixelX);

}  // namespace panorel
