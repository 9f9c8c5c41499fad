#include "winsupport/VLM_SysTray.h"

#include <shellapi.h>

#include <cstring>

#include "host/AnsiText.h"
#include "host/Screen.h"

namespace panorel {
namespace {

// Window and icon handles are 32-bit values on every Windows (64-bit systems
// sign-extend them), so the record's 4-byte fields carry them losslessly.
std::uint32_t Handle32(const void* h) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(h)); }

template <class H>
H HandleFrom32(std::uint32_t v) {
    return reinterpret_cast<H>(static_cast<std::intptr_t>(static_cast<std::int32_t>(v)));
}

}  // namespace

// In 32-bit builds the 88 bytes are the system's first-version ANSI record
// and go to the shell unchanged. In 64-bit builds that layout does not exist:
// the platform record has 8-byte handles, so the window sits at offset 8, the
// icon at 32 and the tip at 40, and its first-version size is 104. Wine's
// shell32 reads the record through that 64-bit struct and treats a size it
// does not know (88) as the first version, so the raw bytes would be misread
// (and read past their end). The fields are therefore copied over one by one.
bool SendTrayRecord(DWORD message, const TrayRecordBytes& record) {
    if constexpr (sizeof(void*) == 4) {
        alignas(8) std::uint8_t buffer[sizeof(NOTIFYICONDATAA)] = {};
        std::memcpy(buffer, record.data(), record.size());
        return ::Shell_NotifyIconA(message, reinterpret_cast<NOTIFYICONDATAA*>(buffer)) != FALSE;
    } else {
        const TrayRecordFields f = ReadTrayRecord(record);
        NOTIFYICONDATAA nid{};
        nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
        nid.hWnd = HandleFrom32<HWND>(f.window);
        nid.uID = f.id;
        nid.uFlags = f.flags;
        nid.uCallbackMessage = f.callbackMessage;
        nid.hIcon = HandleFrom32<HICON>(f.icon);
        static_assert(sizeof(nid.szTip) >= kTrayTipChars, "tip field");
        std::memcpy(nid.szTip, f.tip.data(), kTrayTipChars);
        return ::Shell_NotifyIconA(message, &nid) != FALSE;
    }
}

VLM_SysTray::~VLM_SysTray() { Remove(); }

void VLM_SysTray::FillRecord() {
    // Wide text padded or cut to 64 characters, then 64 bytes of ANSI: a text
    // of 64 or more characters fills the field with no terminator.
    const std::string tip = ToAnsi(TooltipFieldText(toolTip_));
    record_ = BuildTrayRecord(Handle32(owner_), Handle32(icon_), tip);
}

bool VLM_SysTray::Notify(DWORD message) {
    if (notifyForTesting_) return notifyForTesting_(message, record_);
    return SendTrayRecord(message, record_);
}

void VLM_SysTray::Remove() { Notify(NIM_DELETE); }

void VLM_SysTray::Modify() {
    FillRecord();
    Notify(NIM_MODIFY);
}

bool VLM_SysTray::Add() {
    owner_ = parent_;
    FillRecord();
    return Notify(NIM_ADD);
}

void VLM_SysTray::OwnerMouseMove(int /*button*/, int /*shift*/, double x, double /*y*/) {
    const std::int32_t message =
        TrayMessageFromX(x, ownerInTwips_, ownerInTwips_ ? host::Screen::TwipsPerPixelX() : 1.0);
    // A handler that runs its own message loop (a menu) must not be re-entered.
    if (busy_) return;
    busy_ = -1;
    busyMessage_ = message;
    const TrayMouse m = MapTrayMessage(message);
    try {
        switch (m.event) {
        case TrayMouseEvent::Down:
            if (MouseDown) MouseDown(m.button);
            break;
        case TrayMouseEvent::Up:
            if (MouseUp) MouseUp(m.button);
            break;
        case TrayMouseEvent::DblClick:
            if (MouseDblClick) MouseDblClick(m.button);
            break;
        case TrayMouseEvent::None:
            break;
        }
    } catch (...) {
        busy_ = 0;
        throw;
    }
    busy_ = 0;
}

bool VLM_SysTray::HandleOwnerMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_MOUSEMOVE) return false;
    // The shell puts the mouse message in lParam's low word: the x coordinate.
    const double x = static_cast<short>(LOWORD(lParam));
    const double y = static_cast<short>(HIWORD(lParam));
    const double scale = ownerInTwips_ ? host::Screen::TwipsPerPixelX() : 1.0;
    const double scaleY = ownerInTwips_ ? host::Screen::TwipsPerPixelY() : 1.0;
    int button = 0;
    if (wParam & MK_LBUTTON) button |= 1;
    if (wParam & MK_RBUTTON) button |= 2;
    if (wParam & MK_MBUTTON) button |= 4;
    int shift = 0;
    if (wParam & MK_SHIFT) shift |= 1;
    if (wParam & MK_CONTROL) shift |= 2;
    OwnerMouseMove(button, shift, x * scale, y * scaleY);
    return true;
}

}  // namespace panorel
