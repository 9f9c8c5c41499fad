#pragma once
// One instance per sign-in session. The first start holds a named mutex; a
// later start finds the first one's window, which may be on another of the
// window station's desktops (window lookup sees only the caller's desktop).
#include <windows.h>

#include <string>

#include "host/Handles.h"

namespace panorel::host {

// The claim of one program's instance: the first start holds the mutex
// `name` for its life and sets the event `name` + "Ready" once its window is
// up, so that a later start waits for that rather than looking in vain.
class InstanceClaim {
public:
    explicit InstanceClaim(const std::wstring& name);
    bool First() const noexcept { return first_; }
    void MarkReady() const;
    // For a later start: waits until the first one's window is up.
    bool WaitReady(DWORD milliseconds) const;

private:
    KernelHandle mutex_;
    KernelHandle ready_;
    bool first_ = true;
};

struct InstanceWindow {
    HWND window = nullptr;
    std::wstring desktop;  // the desktop's name; empty when it is the caller's own
};
// The top-level window of this class, looked for on the caller's desktop
// first, then on the others it may read.
InstanceWindow FindInstanceWindow(const wchar_t* windowClass);
// Restores a minimised window and brings it to the front (it must be on the
// caller's desktop).
void BringToFront(HWND window);
// The name of the calling thread's desktop.
std::wstring ThreadDesktopName();

}  // namespace panorel::host
