#pragma once
// The main process's Win32 side: holds the instance mutex, owns the shared
// events and the desktops, serves each desktop from a thread that joined it
// (DesktopThread), registers the hotkeys and makes the requested desktop
// active. Decisions come from the core (EventRouting, HotkeyModel,
// SignalQueue, SwitcherRestarts, ClipboardTurns); this class only talks to
// the system.
#include <windows.h>

#include <array>
#include <memory>
#include <set>
#include <string>
#include <tuple>

#include "host/Handles.h"
#include "mainprocess/ClipboardTurns.h"
#include "mainprocess/DesktopThread.h"

namespace panorel {

// The main process's hidden window, on desktop 1: class and caption used to
// find it, and the property holding the active desktop (1..4) as its value.
constexpr wchar_t kMainWindowClass[] = L"Panorel2Main";
constexpr wchar_t kMainWindowCaption[] = L"Panorel2";
constexpr char kActiveDesktopProperty[] = "Panorel2_ActiveDesktop";
// Set by the main process when it refuses a shutdown because a window stayed
// open; --shutdown waits for it or for the main process's end.
constexpr wchar_t kShutdownRefusedEvent[] = L"Local\\velmora_Panorel2ShutdownRefused";

class MainProcess {
public:
    explicit MainProcess(bool singleDesktop) : singleDesktop_(singleDesktop) {}
    MainProcess(const MainProcess&) = delete;
    MainProcess& operator=(const MainProcess&) = delete;
    ~MainProcess();

    // Sets everything up and serves until shut down; returns the exit code.
    int Run();
    // --shutdown when no main process runs: ends the switchers an ended one
    // left, as its own shutdown would have.
    int EndLeftovers();

private:
    int TakeInstance();
    int CreateEvents();
    bool PrepareDesktops(bool createMissing);
    bool CreateMainWindow();
    void RegisterHotkeys();
    void UnregisterHotkeys();
    void WriteHotkeyStatus(const std::array<DWORD, kHotkeyCount + 1>& status);
    bool StartDesktopThreads(bool startSwitchers);
    void Serve();
    void Handle(int index);
    void OnHotkey(int id);
    void SwitchToDesktop(int desktop);
    int EndEverything();
    bool OtherWindowsClosed();
    void EndSwitchers();
    void EndShells();
    void StopThreads();
    HDESK DesktopOf(int n) const;
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    bool singleDesktop_;
    bool shutdownRequested_ = false;
    bool waitFailed_ = false;
    int active_ = 1;
    KernelHandle instance_;  // the mutex, owned from TakeInstance on
    bool ownsInstance_ = false;
    KernelHandle refused_;
    std::array<KernelHandle, 55> events_;    // index 1..54
    std::array<DesktopHandle, 5> desktops_;  // four-desktop mode, index 1..4
    std::array<std::wstring, 5> desktopNames_;
    HDESK startDesktop_ = nullptr;  // the one this process started on (not to be closed)
    WindowHandle window_;
    std::array<bool, kHotkeyCount + 1> hotkeyRegistered_{};
    std::set<std::tuple<int, int, int, DWORD>> loggedHotkeyFailures_;  // id, key, modifiers, error
    Inbox inbox_;
    ClipboardTurns turns_;
    // Last: stopped (threads joined) before anything they use goes.
    std::array<std::unique_ptr<DesktopThread>, 5> threads_;  // index 1..4
};

// Whether a main process runs now (it holds the instance mutex).
bool MainProcessRuns();
// Panorel2.exe --signal: sets one event by its short name.
int SignalEventByShortName(const std::string& shortName);
// Panorel2.exe --shutdown: asks the running main process to end everything
// and waits until it has, or ends what an ended one left.
int RequestShutdown();

}  // namespace panorel
