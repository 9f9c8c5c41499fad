#pragma once
// One desktop served from a thread that joined it. The platform documents
// that window messages pass only between threads on the same desktop, and
// that window lookup sees only the calling thread's desktop. So everything
// that touches the windows of switcher n's desktop runs on this thread:
// finding switcher n, forwarding its signals as WM_COPYDATA, the WM_CLOSE at
// shutdown, asking other programs' windows there to close, ending our shell
// there. It joins the desktop before it owns any window, hook or hotkey. The
// main thread reaches it only through the signal queue, a list of jobs and a
// kernel event; it answers through the Inbox. In single-desktop mode the four
// threads all join the one desktop, so a slow switcher still holds up only
// its own thread.
#include <windows.h>

#include <array>
#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "host/Handles.h"
#include "mainprocess/ClipboardTurns.h"
#include "mainprocess/HotkeyModel.h"
#include "mainprocess/SignalQueue.h"
#include "mainprocess/SwitcherRestarts.h"
#include "settings/DesktopDefaults.h"

namespace panorel {

using HotkeySet = std::array<Hotkey, kHotkeyCount + 1>;  // index 1..5

// What the desktop threads tell the main thread, which waits on Event().
class Inbox {
public:
    struct Note {
        enum Kind { HotkeyPressed, WindowsLeft } kind;
        int desktop;
        int value;  // HotkeyPressed: the hotkey id; WindowsLeft: how many stayed open
    };
    Inbox() : event_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
    HANDLE Event() const { return event_.get(); }
    void Put(Note note);
    std::vector<Note> TakeAll();

private:
    std::mutex mutex_;
    std::vector<Note> notes_;
    KernelHandle event_;
};

struct DesktopPlan {
    int number = 0;            // the desktop and its switcher, 1..4
    HDESK desktop = nullptr;   // borrowed for the thread's whole life
    std::wstring desktopName;  // where processes started for it go
    // Starts the switcher (and the desktop's programs) when none runs there,
    // and again when it ends unasked. Without: only a running one is taken over.
    bool startSwitcher = true;
    // Registers the hotkeys for this desktop too (desktops 2 to 4 of four).
    bool servesHotkeys = false;
    HotkeySet hotkeys{};
    HWND mainWindow = nullptr;  // the forwards' wParam
};

class DesktopThread {
public:
    DesktopThread(DesktopPlan plan, Inbox& inbox, ClipboardTurns& turns);
    // Stops: what still waits is dropped, a send under way is finished.
    ~DesktopThread();
    DesktopThread(const DesktopThread&) = delete;
    DesktopThread& operator=(const DesktopThread&) = delete;

    void Post(int index);
    // Jobs run on the thread before the next signal is sent.
    void RegisterHotkeys(const HotkeySet& hotkeys);
    void CloseSwitcherWindow();
    // Asks the windows of other programs on this desktop to close, then
    // tells the Inbox how many stayed open.
    void CloseOtherWindows();
    // Ends the shells (explorer.exe) running on this desktop; sets `done`.
    void EndShells(HANDLE done);

    // No more starts from now on, not even one already wanted.
    void StopRestarting();
    // Set once the thread has found, started or given up on its switcher.
    HANDLE Ready() const { return ready_.get(); }
    // The switcher's process (a handle of the caller's own), empty when none runs.
    KernelHandle SwitcherProcess() const;
    DWORD SwitcherProcessId() const { return switcherPid_.load(); }

private:
    void Run();
    void AddJob(std::function<void()> job);
    void Serve();
    void WaitForWork(std::optional<SignalQueue::Clock::time_point> due);
    DeliveryResult Deliver(int index);
    HWND FindSwitcherWindow();
    bool TakeOverSwitcher();
    bool StartSwitcher();
    void WatchSwitcher();
    void StartPrograms();
    void RegisterOwnHotkeys(const HotkeySet& hotkeys);
    void UnregisterOwnHotkeys();
    std::set<DWORD> ShellProcesses();
    std::vector<HWND> OtherProgramsWindows();

    const DesktopPlan plan_;
    Inbox& inbox_;
    ClipboardTurns& turns_;
    SignalQueue queue_;
    KernelHandle wake_;   // auto-reset: a post, a job or a stop
    KernelHandle ready_;  // manual-reset
    mutable std::mutex mutex_;  // jobs_, process_, stopRestarting_
    std::deque<std::function<void()>> jobs_;
    KernelHandle process_;
    bool stopRestarting_ = false;
    std::atomic<DWORD> switcherPid_{0};
    std::atomic<bool> stopping_{false};
    std::atomic<bool> overflowLogged_{false};
    // Touched by the thread only.
    HWND known_ = nullptr;
    bool askedToEnd_ = false;
    SwitcherRestarts restarts_;
    std::optional<SignalQueue::Clock::time_point> restartAt_;
    std::array<bool, kHotkeyCount + 1> ownHotkeys_{};
    std::thread thread_;  // last: starts once everything above exists
};

}  // namespace panorel
