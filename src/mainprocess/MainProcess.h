#pragma once
// The main process's Win32 side: owns the shared events, starts the four
// switchers, forwards signals to them (one forwarding thread per switcher),
// registers the desktops' hotkeys and makes the requested desktop active. Decisions come from the core
// (EventRouting, HotkeyModel); this class only talks to the system.
#include <windows.h>

#include <array>
#include <memory>
#include <mutex>
#include <string>

#include "host/Handles.h"
#include "mainprocess/EventRouting.h"
#include "mainprocess/HotkeyModel.h"
#include "mainprocess/SwitcherForwarder.h"

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
    bool StartForwarders();
    void StartSwitchers();
    void Serve();
    void Handle(int index);
    void SwitchToDesktop(int desktop);
    // Sends one event name to its switcher; runs on that switcher's forwarding thread.
    DeliveryResult Deliver(int index);
    // `known`, when it is still switcher n's window; otherwise a search.
    HWND FindSwitcherWindow(int n, HWND known = nullptr) const;
    void EndSwitchers();
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    bool singleDesktop_;
    bool shutdownRequested_ = false;
    int active_ = 1;
    std::array<KernelHandle, 55> events_;  // index 1..54
    std::array<KernelHandle, 5> switchers_;  // processes, index 1..4
    std::array<DesktopHandle, 5> desktops_;  // real-desktop mode, index 1..4
    std::array<std::wstring, 5> desktopNames_;
    std::array<bool, 5> hotkeyRegistered_{};
    WindowHandle window_;
    // Each switcher's entry of these two is touched only by its own forwarder.
    ForwardTimeouts timeouts_;
    std::array<HWND, 5> knownWindows_{};
    // The clipboard opens for one process at a time: receivers of an Update
    // read it in turn, as when one thread forwarded everything.
    std::mutex clipboardTurn_;
    // Last: destroyed (threads joined) before anything their deliveries use.
    std::array<std::unique_ptr<SwitcherForwarder>, 5> forwarders_;  // index 1..4
};

// Panorel2.exe --signal: sets one event by its short name.
int SignalEventByShortName(const std::string& shortName);
// Panorel2.exe --shutdown: asks the running main process to end everything
// and waits until it has.
int RequestShutdown();

}  // namespace panorel
