#pragma once
// The main process's Win32 side: owns the shared events, starts the four
// switchers, forwards signals to them, registers the desktops' hotkeys and
// makes the requested desktop active. Decisions come from the core
// (EventRouting, HotkeyModel); this class only talks to the system.
#include <windows.h>

#include <array>
#include <string>

#include "host/Handles.h"
#include "mainprocess/EventRouting.h"
#include "mainprocess/HotkeyModel.h"

namespace panorel {

// The main process's hidden window: class and caption used to find it, and
// the property holding the active desktop (1..4) as its value.
constexpr wchar_t kMainWindowClass[] = L"Panorel2Main";
constexpr wchar_t kMainWindowCaption[] = L"Panorel2";
constexpr char kActiveDesktopProperty[] = "Panorel2_ActiveDesktop";

class MainProcess {
public:
    explicit MainProcess(bool singleDesktop) : singleDesktop_(singleDesktop) {}
    MainProcess(const MainProcess&) = delete;
    MainProcess& operator=(const MainProcess&) = delete;
    ~MainProcess();

    // Sets everything up and serves until shut down; returns the exit code.
    int Run();

private:
    int CreateEvents();
    bool CreateMainWindow();
    bool PrepareDesktops();
    void RegisterHotkeys(bool logFailures);
    void UnregisterHotkeys();
    void StartSwitchers();
    void Serve();
    void Handle(int index);
    void SwitchToDesktop(int desktop);
    // Sends one event name to its switcher; false when its window was not found.
    bool Forward(int index);
    void QueueForward(int index);
    void OnRetryTimer();
    HWND FindSwitcherWindow(int n) const;
    void EndSwitchers();
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    bool singleDesktop_;
    bool shutdownRequested_ = false;
    bool retryTimerOn_ = false;
    int active_ = 1;
    std::array<KernelHandle, 55> events_;  // index 1..54
    std::array<KernelHandle, 5> switchers_;  // processes, index 1..4
    std::array<DesktopHandle, 5> desktops_;  // real-desktop mode, index 1..4
    std::array<std::wstring, 5> desktopNames_;
    std::array<bool, 5> hotkeyRegistered_{};
    WindowHandle window_;
    PendingForwards pending_;
    ForwardTimeouts timeouts_;
};

// Panorel2.exe --signal: sets one event by its short name.
int SignalEventByShortName(const std::string& shortName);
// Panorel2.exe --shutdown: asks the running main process to end everything
// and waits until it has.
int RequestShutdown();

}  // namespace panorel
