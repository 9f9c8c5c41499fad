#include "mainprocess/MainProcess.h"

#include <exception>
#include <vector>

#include "mainprocess/EventRouting.h"
#include "mainprocess/MainCommandLine.h"
#include "mainprocess/MainLog.h"
#include "settings/DesktopSettings.h"
#include "settings/SharedNames.h"
#include "switcher/EventNames.h"

namespace panorel {
namespace {

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::wstring DesktopName(HDESK desktop) {
    wchar_t name[256] = {};
    DWORD needed = 0;
    if (!desktop || !::GetUserObjectInformationW(desktop, UOI_NAME, name, sizeof name - sizeof(wchar_t), &needed))
        return {};
    return name;
}

std::wstring OwnDesktopName(int n) { return L"Panorel2Desktop" + std::to_wstring(n); }

// What the threads do on a desktop: join it, own windows and hotkeys there,
// list its windows, make it the active one. Not the rights to change its
// security, which an ordinary user may lack on the default desktop.
constexpr ACCESS_MASK kDesktopAccess = DESKTOP_READOBJECTS | DESKTOP_CREATEWINDOW | DESKTOP_CREATEMENU |
                                       DESKTOP_HOOKCONTROL | DESKTOP_ENUMERATE | DESKTOP_WRITEOBJECTS |
                                       DESKTOP_SWITCHDESKTOP;

// How long the switchers get for each step of their end, and other programs
// on desktops 2 to 4 to answer "close".
constexpr DWORD kStepMs = 2000;
constexpr DWORD kWindowsAnswerMs = 10000;

void WaitForAll(const std::vector<HANDLE>& processes, DWORD ms) {
    if (!processes.empty())
        ::WaitForMultipleObjects(static_cast<DWORD>(processes.size()), processes.data(), TRUE, ms);
}

struct MainWindowSearch {
    HWND found = nullptr;
};

BOOL CALLBACK FindMainOnDesktop(HWND w, LPARAM context) {
    wchar_t cls[32] = {};
    if (::GetClassNameW(w, cls, 32) && std::wstring(cls) == kMainWindowClass) {
        reinterpret_cast<MainWindowSearch*>(context)->found = w;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK SearchDesktop(LPWSTR name, LPARAM context) {
    DesktopHandle desktop(::OpenDesktopW(name, 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE));
    if (desktop) ::EnumDesktopWindows(desktop.get(), &FindMainOnDesktop, context);
    return reinterpret_cast<MainWindowSearch*>(context)->found == nullptr;
}

// The main process, from whichever desktop this runs on: its window lies on
// desktop 1, which window lookup sees only from there.
KernelHandle OpenMainProcess() {
    MainWindowSearch search;
    search.found = ::FindWindowW(kMainWindowClass, kMainWindowCaption);
    if (!search.found) ::EnumDesktopsW(::GetProcessWindowStation(), &SearchDesktop, reinterpret_cast<LPARAM>(&search));
    DWORD pid = 0;
    if (search.found) ::GetWindowThreadProcessId(search.found, &pid);
    return KernelHandle(pid ? ::OpenProcess(SYNCHRONIZE, FALSE, pid) : nullptr);
}

}  // namespace

MainProcess::~MainProcess() {
    StopThreads();
    UnregisterHotkeys();
    if (ownsInstance_) ::ReleaseMutex(instance_.get());
}

int MainProcess::Run() {
    if (const int rc = TakeInstance(); rc != kExitOk) return rc;
    if (const int rc = CreateEvents(); rc != kExitOk) return rc;
    if (!PrepareDesktops(true) || !CreateMainWindow()) return kExitStartupFailed;
    // First here, on desktop 1, so that a key someone else holds is told
    // apart from the desktop threads' registrations of the same keys.
    RegisterHotkeys();
    if (!StartDesktopThreads(true)) return kExitStartupFailed;
    for (;;) {
        Serve();
        const int rc = EndEverything();
        if (rc == kExitOk || waitFailed_) return rc;
        shutdownRequested_ = false;  // refused: a window stayed open, so everything serves on
    }
}

int MainProcess::EndLeftovers() {
    if (TakeInstance() != kExitOk) return kExitAlreadyRunning;
    // Four desktops were served if ours are still there; otherwise all four
    // switchers ran on this one.
    singleDesktop_ = false;
    if (!PrepareDesktops(false)) {
        singleDesktop_ = true;
        for (auto& d : desktops_) d.reset();
        PrepareDesktops(false);
    }
    if (!StartDesktopThreads(false)) return kExitStartupFailed;
    bool found = false;
    for (int n = 1; n <= 4; ++n) {
        ::WaitForSingleObject(threads_[n]->Ready(), 10000);
        found = found || threads_[n]->SwitcherProcessId() != 0;
    }
    if (!found) return kExitNotRunning;
    const int rc = EndEverything();
    return rc == kExitOk ? kExitEndedLeftovers : rc;
}

// The mutex dies with its owner however it ends, so a crashed main process
// leaves nothing that refuses the next start (unlike the events, which its
// switchers keep open).
int MainProcess::TakeInstance() {
    instance_.reset(::CreateMutexW(nullptr, TRUE, kMainInstanceMutex));
    const DWORD error = ::GetLastError();
    if (!instance_) {
        LogMain(L"Failed to create the instance mutex" + Reason(error));
        return kExitStartupFailed;
    }
    // Someone may hold a handle to a mutex whose owner is gone: free or
    // abandoned, it is ours now. (One who only looks holds it for a moment.)
    if (error == ERROR_ALREADY_EXISTS && ::WaitForSingleObject(instance_.get(), 500) == WAIT_TIMEOUT) {
        LogMain(L"Not started: another instance is running.");
        return kExitAlreadyRunning;
    }
    ownsInstance_ = true;
    refused_.reset(::CreateEventW(nullptr, FALSE, FALSE, kShutdownRefusedEvent));
    return kExitOk;
}

// Auto-reset events: each signal is forwarded exactly once, the wait itself
// resets it, and a signal set while the main process is busy is kept until it
// looks. Manual-reset events would need a reset after the wait, and a signal
// arriving between the wake-up and the reset would be lost. Events that
// switchers of an ended main process kept open are taken over, without the
// signals set while nobody served them.
int MainProcess::CreateEvents() {
    bool leftOver = false;
    for (std::int16_t i = 1; i <= kEventCount; ++i) {
        const std::string name = EventName(i);
        events_[i].reset(::CreateEventA(nullptr, FALSE, FALSE, name.c_str()));
        if (!events_[i]) {
            LogMain(L"Failed to create event " + Wide(name) + Reason(::GetLastError()));
            return kExitStartupFailed;
        }
        if (::GetLastError() == ERROR_ALREADY_EXISTS) {
            ::ResetEvent(events_[i].get());
            leftOver = true;
        }
    }
    if (leftOver) LogMain(L"The events of an earlier instance were still open; they are served again.");
    return kExitOk;
}

// Desktop 1 is the one this process was started on, or the default desktop
// when that is one of ours (a start from desktop 3 after a crash); 2 to 4
// are desktop objects of our own, reused with their windows when they are
// still there. In single-desktop mode all four switchers share the start
// desktop. The main thread joins desktop 1 before it owns any window.
bool MainProcess::PrepareDesktops(bool createMissing) {
    startDesktop_ = ::GetThreadDesktop(::GetCurrentThreadId());
    const std::wstring start = DesktopName(startDesktop_);
    if (singleDesktop_) {
        for (int n = 1; n <= 4; ++n) desktopNames_[n] = start;
        return true;
    }
    desktopNames_[1] = start;
    for (int n = 2; n <= 4; ++n)
        if (start == OwnDesktopName(n)) desktopNames_[1] = L"Default";
    for (int n = 1; n <= 4; ++n) {
        if (n > 1) desktopNames_[n] = OwnDesktopName(n);
        desktops_[n].reset(::OpenDesktopW(desktopNames_[n].c_str(), 0, FALSE, kDesktopAccess));
        if (!desktops_[n] && n > 1 && createMissing)
            desktops_[n].reset(::CreateDesktopW(desktopNames_[n].c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr));
        if (!desktops_[n]) {
            if (createMissing) LogMain(L"Failed to open desktop " + desktopNames_[n] + Reason(::GetLastError()));
            return false;
        }
    }
    if (desktopNames_[1] != start && !::SetThreadDesktop(desktops_[1].get())) {
        LogMain(L"Failed to join desktop " + desktopNames_[1] + Reason(::GetLastError()));
        return false;
    }
    DesktopHandle input(::OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS));
    const std::wstring inputName = DesktopName(input.get());
    for (int n = 1; n <= 4; ++n)
        if (inputName == desktopNames_[n]) active_ = n;
    return true;
}

HDESK MainProcess::DesktopOf(int n) const { return singleDesktop_ ? startDesktop_ : desktops_[n].get(); }

bool MainProcess::CreateMainWindow() {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &MainProcess::WndProc;
    wc.hInstance = instance;
    wc.lpszClassName = kMainWindowClass;
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        LogMain(L"Failed to register the window class" + Reason(::GetLastError()));
        return false;
    }
    window_.reset(::CreateWindowExW(WS_EX_TOOLWINDOW, kMainWindowClass, kMainWindowCaption, WS_POPUP, 0, 0, 0, 0,
                                    nullptr, nullptr, instance, nullptr));
    if (!window_) {
        LogMain(L"Failed to create the main window" + Reason(::GetLastError()));
        return false;
    }
    ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SetPropA(window_.get(), kActiveDesktopProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(active_)));
    return true;
}

// The platform documents RegisterHotKey as defining a "system-wide" hot key
// whose WM_HOTKEY goes to the registering window's thread, and desktops as
// the boundary of windows, messages and hooks; it says nothing of hot keys
// and desktops. Two readings follow. Either there is one list for all
// desktops: a registration here serves every desktop, WM_HOTKEY reaches this
// thread whichever desktop is active, and the same keys registered by a
// thread on another desktop are refused with ERROR_HOTKEY_ALREADY_REGISTERED.
// Or a hot key fires only while its thread's desktop takes input: then only
// a thread on each desktop can serve it. So the keys are registered here on
// desktop 1 first, and then by the threads of desktops 2 to 4 for
// themselves. Under the first reading their refusals are our own keys and
// mean "served"; under the second they serve their desktops. Because this
// registration comes first, a refusal here can only be another program's.
void MainProcess::RegisterHotkeys() {
    UnregisterHotkeys();
    HotkeySet hotkeys{};
    for (int j = 1; j <= 4; ++j) hotkeys[HotkeyId(j)] = ReadDesktopHotkey(j);
    hotkeys[kPanelHotkeyId] = ReadPanelHotkey();
    std::array<DWORD, kHotkeyCount + 1> status{};
    for (int id = 1; id <= kHotkeyCount; ++id) {
        const Hotkey& h = hotkeys[id];
        hotkeyRegistered_[id] = ::RegisterHotKey(window_.get(), id, HotkeyModifierBits(h.Modifiers) | MOD_NOREPEAT,
                                                 static_cast<UINT>(h.Key)) != FALSE;
        status[id] = hotkeyRegistered_[id] ? 0 : ::GetLastError();
        // Once per key and reason, not again at every ReadReg.
        if (status[id] != 0 && loggedHotkeyFailures_.insert({id, h.Key, h.Modifiers, status[id]}).second) {
            const std::wstring what = id == kPanelHotkeyId ? L"the panel's hotkey" : L"the hotkey of desktop " + std::to_wstring(id);
            LogMain(L"Could not register " + what + L" (virtual key " + std::to_wstring(h.Key) + L", modifiers " +
                    std::to_wstring(h.Modifiers) + L")" +
                    (status[id] == kHotkeyAlreadyRegistered ? L": another program holds it" : L"") + Reason(status[id]));
        }
    }
    WriteHotkeyStatus(status);
    for (int n = 2; n <= 4; ++n)
        if (threads_[n] && !singleDesktop_) threads_[n]->RegisterHotkeys(hotkeys);
}

void MainProcess::UnregisterHotkeys() {
    for (int id = 1; id <= kHotkeyCount; ++id)
        if (std::exchange(hotkeyRegistered_[id], false) && window_) ::UnregisterHotKey(window_.get(), id);
}

// For the control panel: one value per hotkey, then the round count last, so
// a reader that sees "Round" change reads a whole round.
void MainProcess::WriteHotkeyStatus(const std::array<DWORD, kHotkeyCount + 1>& status) {
    HKEY raw = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kHotkeyStatusKey, 0, nullptr, REG_OPTION_VOLATILE,
                          KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, &raw, nullptr) != ERROR_SUCCESS)
        return;
    const RegKeyHandle key(raw);
    auto put = [&key](const wchar_t* name, DWORD value) {
        ::RegSetValueExW(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    };
    for (int id = 1; id <= kHotkeyCount; ++id) put(HotkeyValueName(id), status[id]);
    DWORD round = 0, type = 0, size = sizeof round;
    if (::RegQueryValueExW(key.get(), kHotkeyStatusRound, nullptr, &type, reinterpret_cast<BYTE*>(&round), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        round = 0;
    put(kHotkeyStatusRound, round + 1);
}

bool MainProcess::StartDesktopThreads(bool startSwitchers) {
    try {
        HotkeySet hotkeys{};
        for (int j = 1; j <= 4; ++j) hotkeys[HotkeyId(j)] = ReadDesktopHotkey(j);
        hotkeys[kPanelHotkeyId] = ReadPanelHotkey();
        for (int n = 1; n <= 4; ++n) {
            DesktopPlan plan;
            plan.number = n;
            plan.desktop = DesktopOf(n);
            plan.desktopName = desktopNames_[n];
            plan.startSwitcher = startSwitchers;
            plan.servesHotkeys = startSwitchers && !singleDesktop_ && n > 1;
            plan.hotkeys = hotkeys;
            plan.mainWindow = window_.get();
            threads_[n] = std::make_unique<DesktopThread>(std::move(plan), inbox_, turns_);
        }
    } catch (const std::exception&) {
        LogMain(L"Failed to start the desktop threads.");
        return false;
    }
    return true;
}

// Waits on the events, the desktop threads' notes and the window's messages
// together: no polling. Forwards only go to a queue, so the loop is back at
// its wait at once, whatever the switchers are doing.
void MainProcess::Serve() {
    constexpr DWORD kWaitCount = kEventCount + 1;
    std::array<HANDLE, kWaitCount> waitSet{};
    int first = 1;
    while (!shutdownRequested_) {
        // The wait reports the first signalled handle of the set; starting the
        // set after the event served last keeps a busy one from starving the others.
        for (int k = 0; k < kEventCount; ++k) waitSet[k] = events_[1 + (first - 1 + k) % kEventCount].get();
        waitSet[kEventCount] = inbox_.Event();
        const DWORD r =
            ::MsgWaitForMultipleObjectsEx(kWaitCount, waitSet.data(), INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (r < WAIT_OBJECT_0 + kEventCount) {
            const int index = 1 + (first - 1 + static_cast<int>(r - WAIT_OBJECT_0)) % kEventCount;
            Handle(index);
            first = index % kEventCount + 1;
        } else if (r == WAIT_OBJECT_0 + kEventCount) {
            for (const Inbox::Note& note : inbox_.TakeAll())
                if (note.kind == Inbox::Note::HotkeyPressed) OnHotkey(note.value);
        } else if (r == WAIT_OBJECT_0 + kWaitCount) {
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) {
                    shutdownRequested_ = true;
                    break;
                }
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        } else {
            LogMain(L"Waiting on the events failed" + Reason(::GetLastError()));
            shutdownRequested_ = waitFailed_ = true;
        }
    }
}

void MainProcess::Handle(int index) {
    const MainAction action = ActionForEvent(index);
    switch (action.kind) {
    case MainActionKind::Forward:
        if (threads_[action.target]) threads_[action.target]->Post(index);
        break;
    case MainActionKind::SwitchDesktop:
        SwitchToDesktop(action.target);
        break;
    case MainActionKind::ReadReg:
        RegisterHotkeys();
        for (int n = 1; n <= 4; ++n) ::SetEvent(events_[ReadRegSwitcherIndex(n)].get());
        break;
    case MainActionKind::Shutdown:
        shutdownRequested_ = true;
        break;
    case MainActionKind::None:
        break;
    }
}

void MainProcess::OnHotkey(int id) {
    const int index = HotkeyEventIndex(active_, id);
    if (index == 0) return;
    // This process has just had the user's input, so it may hand the
    // foreground on: the panel then takes the keyboard.
    if (id == kPanelHotkeyId && threads_[active_])
        if (const DWORD pid = threads_[active_]->SwitcherProcessId()) ::AllowSetForegroundWindow(pid);
    ::SetEvent(events_[index].get());
}

void MainProcess::SwitchToDesktop(int desktop) {
    if (desktop < 1 || desktop > 4) return;
    if (!singleDesktop_ && desktops_[desktop] && !::SwitchDesktop(desktops_[desktop].get())) return;
    active_ = desktop;
    if (window_)
        ::SetPropA(window_.get(), kActiveDesktopProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(active_)));
}

// Unsaved work must never be left on a desktop nobody can reach: other
// programs' windows on desktops 2 to 4 are asked to close first, and if one
// stays the user is brought to it and nothing ends. Otherwise the user goes
// home to desktop 1, the switchers end, then our shells. Nothing runs on
// desktops 2 to 4 after that, so the system removes them when the last
// handles close.
int MainProcess::EndEverything() {
    if (!singleDesktop_ && !OtherWindowsClosed()) {
        ::SetEvent(refused_.get());
        return kExitWindowsStillOpen;
    }
    if (!singleDesktop_ && active_ != 1) SwitchToDesktop(1);
    EndSwitchers();
    if (!singleDesktop_) EndShells();
    StopThreads();
    UnregisterHotkeys();
    for (auto& d : desktops_) d.reset();
    return kExitOk;
}

// A desktop thread stuck in a send to a stalled switcher cannot ask yet:
// that switcher is given the answer time once more, then ended (it would
// be ended next anyway), which frees its thread.
bool MainProcess::OtherWindowsClosed() {
    std::array<int, 5> left{};
    std::array<bool, 5> answered{};
    for (int n = 2; n <= 4; ++n) threads_[n]->CloseOtherWindows();
    for (int round = 0; round < 2; ++round) {
        const DWORD start = ::GetTickCount();
        auto waiting = [&] { return !answered[2] || !answered[3] || !answered[4]; };
        while (waiting() && ::GetTickCount() - start < kWindowsAnswerMs) {
            ::WaitForSingleObject(inbox_.Event(), kWindowsAnswerMs - (::GetTickCount() - start));
            for (const Inbox::Note& note : inbox_.TakeAll())
                if (note.kind == Inbox::Note::WindowsLeft && note.desktop >= 2 && note.desktop <= 4) {
                    answered[note.desktop] = true;
                    left[note.desktop] = note.value;
                }
        }
        if (!waiting()) break;
        for (int n = 2; n <= 4; ++n) {
            if (answered[n]) continue;
            if (round == 0) {
                LogMain(L"Spacehost" + std::to_wstring(n) + L" does not answer; it is ended so that the windows on " +
                        desktopNames_[n] + L" can be asked to close.");
                if (const KernelHandle p = threads_[n]->SwitcherProcess()) ::TerminateProcess(p.get(), 1);
            } else {
                left[n] = 1;  // unknown: taken as open
            }
        }
    }
    for (int n = 2; n <= 4; ++n) {
        if (left[n] == 0) continue;
        LogMain(L"Not shutting down: " + std::to_wstring(left[n]) + L" window(s) of other programs are still open on " +
                desktopNames_[n] + L".");
        SwitchToDesktop(n);
        return false;
    }
    return true;
}

// Asks each switcher to end, then closes the windows of those that did not,
// and as a last resort ends their processes, so nothing is left behind.
void MainProcess::EndSwitchers() {
    for (auto& t : threads_)
        if (t) t->StopRestarting();
    // Behind whatever each switcher still has to take, in order.
    for (int n = 1; n <= 4; ++n) threads_[n]->Post(ShutdownSwitcherIndex(n));
    std::array<KernelHandle, 5> processes;
    for (int n = 1; n <= 4; ++n) processes[n] = threads_[n]->SwitcherProcess();
    auto running = [&processes] {
        std::vector<HANDLE> alive;
        for (int n = 1; n <= 4; ++n)
            if (processes[n] && ::WaitForSingleObject(processes[n].get(), 0) == WAIT_TIMEOUT)
                alive.push_back(processes[n].get());
        return alive;
    };
    WaitForAll(running(), kStepMs);
    for (int n = 1; n <= 4; ++n)
        if (processes[n] && ::WaitForSingleObject(processes[n].get(), 0) == WAIT_TIMEOUT)
            threads_[n]->CloseSwitcherWindow();
    WaitForAll(running(), kStepMs);
    for (HANDLE p : running()) ::TerminateProcess(p, 1);
    WaitForAll(running(), kStepMs);
}

void MainProcess::EndShells() {
    std::vector<KernelHandle> done;
    std::vector<HANDLE> waits;
    for (int n = 2; n <= 4; ++n) {
        done.emplace_back(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!done.back()) continue;
        threads_[n]->EndShells(done.back().get());
        waits.push_back(done.back().get());
    }
    WaitForAll(waits, 3 * kStepMs);
}

void MainProcess::StopThreads() {
    for (auto& t : threads_) t.reset();
}

LRESULT CALLBACK MainProcess::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<MainProcess*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self) {
        switch (msg) {
        case WM_HOTKEY:
            self->OnHotkey(OurHotkeyId(static_cast<long long>(wParam)));
            return 0;
        case WM_CLOSE:
            self->shutdownRequested_ = true;
            return 0;
        case WM_NCDESTROY:
            ::RemovePropA(hwnd, kActiveDesktopProperty);
            break;
        default:
            break;
        }
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool MainProcessRuns() {
    KernelHandle mutex(::OpenMutexW(SYNCHRONIZE, FALSE, kMainInstanceMutex));
    if (!mutex) return false;
    if (::WaitForSingleObject(mutex.get(), 0) == WAIT_TIMEOUT) return true;
    ::ReleaseMutex(mutex.get());  // free or abandoned: nobody serves
    return false;
}

int SignalEventByShortName(const std::string& shortName) {
    const int index = EventIndexOfShortName(shortName);
    if (index == 0) return kExitUnknownEvent;
    if (!MainProcessRuns()) return kExitNotRunning;
    KernelHandle event(::OpenEventA(EVENT_MODIFY_STATE, FALSE, EventName(static_cast<std::int16_t>(index)).c_str()));
    if (!event) return kExitNotRunning;
    ::SetEvent(event.get());
    return kExitOk;
}

int RequestShutdown() {
    if (!MainProcessRuns()) {
        MainProcess leftovers(false);
        return leftovers.EndLeftovers();
    }
    KernelHandle event(::OpenEventA(EVENT_MODIFY_STATE, FALSE, EventName(ShutdownIndex).c_str()));
    if (!event) return kExitNotRunning;
    KernelHandle refused(::OpenEventW(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, kShutdownRefusedEvent));
    if (refused) ::ResetEvent(refused.get());  // an answer nobody waited for
    KernelHandle main = OpenMainProcess();
    const bool onProcess = static_cast<bool>(main);
    // Without its process, the mutex tells the end: it is free once the main process is gone.
    KernelHandle end = onProcess ? std::move(main) : KernelHandle(::OpenMutexW(SYNCHRONIZE, FALSE, kMainInstanceMutex));
    ::SetEvent(event.get());
    if (!end) return kExitOk;
    std::vector<HANDLE> waits{end.get()};
    if (refused) waits.push_back(refused.get());
    // The main process gives other programs' windows and its switchers up to
    // half a minute together before it ends them.
    const DWORD r = ::WaitForMultipleObjects(static_cast<DWORD>(waits.size()), waits.data(), FALSE, 60000);
    if (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED_0) {
        if (!onProcess) ::ReleaseMutex(end.get());  // the wait took the mutex: give it back
        return kExitOk;
    }
    if (r == WAIT_OBJECT_0 + 1) return kExitWindowsStillOpen;
    return kExitShutdownTimedOut;
}

}  // namespace panorel
