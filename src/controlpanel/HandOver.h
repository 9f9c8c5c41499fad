#pragma once
// A second start of the control panel or the help browser hands over to the
// first: its window comes to the front, and when it is on another of
// Panorel 2's desktops the main process is asked to switch there.
namespace panorel {

// True when a running instance's window was found (and raised or asked for).
bool HandOverToRunningInstance(const wchar_t* windowClass);

// The desktop number Panorel 2 gives a desktop name: "Panorel2Desktop" n for
// 2..4, the user's own desktop (any other name) 1.
int DesktopNumberOfName(const wchar_t* name);

}  // namespace panorel
