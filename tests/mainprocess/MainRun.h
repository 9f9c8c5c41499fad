#pragma once
// Panorel2.exe for the tests that need the real main process: its four switchers, stand-ins for them, and
// its events fired one at a time.
#include "WinTestSupport.h"

namespace panorel::test {

// Switcher n stood in for: its caption and, unless a decoy, a switcher's property.
struct StandInSwitcher : WindowThread {
    enum Kind { kAnswers, kStalled, kDecoy };
    explicit StandInSwitcher(int n, Kind kind = kAnswers);
    bool Got(const std::string& shortName) const;  // "Local\\velmora_" + shortName, as forwarded
};

// Shared event `index` opened to be set and watched.
KernelHandle OpenEventToFire(int index);
// Sets it and waits until the main process has taken it (no two signals merge); false if not within 5 s.
bool FireAndWaitTaken(HANDLE event);

// Panorel2.exe (from the dist folder or `folder`) and its four switchers for one test: --single-desktop unless
// told otherwise (no arguments: four desktops). What an earlier program left running is ended first, unless
// to be taken over; whatever is left at the end is shut down, or else ended.
class RunningMain {
public:
    enum Leftovers { kEndLeftovers, kTakeOver };
    explicit RunningMain(const std::wstring& arguments = L"--single-desktop", Leftovers leftovers = kEndLeftovers,
                         const std::wstring& folder = {});
    RunningMain(const RunningMain&) = delete;  // it owns the processes
    RunningMain& operator=(const RunningMain&) = delete;
    ~RunningMain();
    bool Ready() const;  // says what is missing when not
    int ActiveDesktop() const;
    // By asking it, so that the main process leaves it ended (a stand-in may take its place).
    void EndSwitcher(int n);
    const KernelHandle& Main() const { return main_; }
    const KernelHandle& Switcher(int n) const { return switchers_[n]; }
    HWND SwitcherWindow(int n) const { return switcherWindows_[n]; }

private:
    KernelHandle main_;
    HWND mainWindow_ = nullptr;
    HWND switcherWindows_[5] = {};
    KernelHandle switchers_[5];
};

// A top-level window with this caption on any desktop of the session; null when there is none.
HWND FindWindowOnAnyDesktop(const wchar_t* caption);

// Runs Panorel2.exe to its end: its exit code, -1 on time-out, -2 when it could not start.
long RunMainToEnd(const std::wstring& arguments, DWORD milliseconds = 20000);

}  // namespace panorel::test
