#pragma once
// A second start of the control panel or the help browser hands over to the
// first: its window comes to the front, and when it is on another of
// Panorel 2's desktops the main process is asked to switch there.
#include <string>

namespace panorel {

// The WM_COPYDATA tag of a request handed over (UTF-16 text).
constexpr unsigned long kHandOverTag = 0x50324831;  // "P2H1"

// True when a running instance's window was found (and raised or asked for).
// A `request` reaches a window on this desktop as WM_COPYDATA.
bool HandOverToRunningInstance(const wchar_t* windowClass, const std::wstring& request = {});

// The desktop number Panorel 2 gives a desktop name: "Panorel2Desktop" n for
// 2..4, the user's own desktop (any other name) 1.
int DesktopNumberOfName(const wchar_t* name);

}  // namespace panorel
