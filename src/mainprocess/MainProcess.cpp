#include "mainprocess/MainProcess.h"

#include <exception>
#include <optional>

#include "host/AnsiText.h"
#include "host/ProgramFolder.h"
#include "mainprocess/MainCommandLine.h"
#include "settings/DesktopSettings.h"
#include "settings/ErrLog.h"
#include "settings/WinAPIError.h"
#include "switcher/EventNames.h"

namespace panorel {
namespace {

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

struct DesktopSearch {
    std::wstring caption;
    std::string property;
    HWND found = nullptr;
};

bool IsSwitcherWindow(HWND w, const std::wstring& caption, const std::string& property) {
    wchar_t text[32] = {};
    const int n = ::GetWindowTextW(w, text, 32);
    return n > 0 && caption == std::wstring(text, static_cast<std::size_t>(n)) &&
           ::GetPropA(w, property.c_str()) == reinterpret_cast<HANDLE>(1);
}

BOOL CALLBACK FindOnDesktop(HWND w, LPARAM context) {
    auto* search = reinterpret_cast<DesktopSearch*>(context);
    if (!IsSwitcherWindow(w, search->caption, search->property)) return TRUE;
    search->found = w;
    return FALSE;
}

}  // namespace

MainProcess::~MainProcess() { UnregisterHotkeys(); }

int MainProcess::Run() {
    if (const int rc = CreateEvents(); rc != kExitOk) return rc;
    if (!CreateMainWindow()) return kExitStartupFailed;
    if (!PrepareDesktops()) return kExitStartupFailed;
    if (!StartForwarders()) return kExitStartupFailed;
    RegisterHotkeys(true);
    StartSwitchers();
    Serve();
    EndSwitchers();
    return kExitOk;
}

// Auto-reset events: each signal is forwarded exactly once, the wait itself
// resets it, and a signal set while the main process is busy is kept until it
// looks. Manual-reset events would need a reset after the wait, and a signal
// arriving between the wake-up and the reset would be lost.
int MainProcess::CreateEvents() {
    BuildEventNames();
    for (std::int16_t i = 1; i <= kEventCount; ++i) {
        const std::string name = EventName(i);
        ::SetLastError(ERROR_SUCCESS);  // only an existing event sets it on success
        events_[i].reset(::CreateEventA(nullptr, FALSE, FALSE, name.c_str()));
        const DWORD error = ::GetLastError();
        if (!events_[i]) {
            LogError(L"Panorel2: Failed to create event " + Wide(name) + L" (" + SystemErrorText(error) + L")");
            return kExitStartupFailed;
        }
        if (error == ERROR_ALREADY_EXISTS) {
            LogError(L"Panorel2: Event " + Wide(name) + L" already exists; another instance is running.");
            return kExitAlreadyRunning;
        }
    }
    return kExitOk;
}

bool MainProcess::CreateMainWindow() {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &MainProcess::WndProc;
    wc.hInstance = instance;
    wc.lpszClassName = kMainWindowClass;
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        LogError(L"Panorel2: Failed to register the window class (" + SystemErrorText(::GetLastError()) + L")");
        return false;
    }
    window_.reset(::CreateWindowExW(WS_EX_TOOLWINDOW, kMainWindowClass, kMainWindowCaption, WS_POPUP, 0, 0, 0, 0,
                                    nullptr, nullptr, instance, nullptr));
    if (!window_) {
        LogError(L"Panorel2: Failed to create the main window (" + SystemErrorText(::GetLastError()) + L")");
        return false;
    }
    ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SetPropA(window_.get(), kActiveDesktopProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(active_)));
    return true;
}

// Desktop 1 is the desktop the user is on; 2 to 4 are desktop objects made
// here. In single-desktop mode all four switchers share the current one.
bool MainProcess::PrepareDesktops() {
    if (singleDesktop_) return true;
    desktops_[1].reset(::OpenInputDesktop(0, FALSE, GENERIC_ALL));
    if (!desktops_[1]) {
        LogError(L"Panorel2: Failed to open the input desktop (" + SystemErrorText(::GetLastError()) + L")");
        return false;
    }
    wchar_t name[256] = {};
    DWORD needed = 0;
    if (::GetUserObjectInformationW(desktops_[1].get(), UOI_NAME, name, sizeof name - sizeof(wchar_t), &needed))
        desktopNames_[1] = name;
    for (int n = 2; n <= 4; ++n) {
        desktopNames_[n] = L"Panorel2Desktop" + std::to_wstring(n);
        desktops_[n].reset(::CreateDesktopW(desktopNames_[n].c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr));
        if (!desktops_[n]) {
            LogError(L"Panorel2: Failed to create desktop " + desktopNames_[n] + L" (" +
                     SystemErrorText(::GetLastError()) + L")");
            return false;
        }
    }
    return true;
}

void MainProcess::RegisterHotkeys(bool logFailures) {
    for (int j = 1; j <= 4; ++j) {
        const Hotkey h = ReadDesktopHotkey(j);
        hotkeyRegistered_[j] = ::RegisterHotKey(window_.get(), HotkeyId(j), static_cast<UINT>(h.Modifiers) | MOD_NOREPEAT,
                                                static_cast<UINT>(h.Key)) != FALSE;
        if (!hotkeyRegistered_[j] && logFailures)
            LogError(L"Panorel2: Failed to register the hotkey of desktop " + std::to_wstring(j) + L" (" +
                     SystemErrorText(::GetLastError()) + L")");
    }
}

void MainProcess::UnregisterHotkeys() {
    for (int j = 1; j <= 4; ++j) {
        if (hotkeyRegistered_[j] && window_) ::UnregisterHotKey(window_.get(), HotkeyId(j));
        hotkeyRegistered_[j] = false;
    }
}

bool MainProcess::StartForwarders() {
    try {
        for (int n = 1; n <= 4; ++n)
            forwarders_[n] = std::make_unique<SwitcherForwarder>([this](int index) { return Deliver(index); });
    } catch (const std::exception&) {
        LogError(L"Panorel2: Failed to start the forwarding threads");
        return false;
    }
    return true;
}

void MainProcess::StartSwitchers() {
    const std::wstring exe = host::ProgramFolder() + L"\\Spacehost.exe";
    for (int n = 1; n <= 4; ++n) {
        std::wstring cmd = L"\"" + exe + L"\" " + std::to_wstring(n);
        STARTUPINFOW si{};
        si.cb = sizeof si;
        std::wstring desktop = desktopNames_[n];
        if (!singleDesktop_ && !desktop.empty()) si.lpDesktop = desktop.data();
        PROCESS_INFORMATION pi{};
        if (!::CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            LogError(L"Panorel2: Failed to start " + exe + L" " + std::to_wstring(n) + L" (" +
                     SystemErrorText(::GetLastError()) + L")");
            continue;
        }
        KernelHandle thread(pi.hThread);
        switchers_[n].reset(pi.hProcess);
    }
}

// Waits on the events and the window's messages together: no polling, and
// hotkeys are served by the same thread. Forwards only go to a queue, so the
// loop is back at the wait at once, whatever the switchers are doing.
void MainProcess::Serve() {
    std::array<HANDLE, kEventCount> waitSet{};
    int first = 1;
    while (!shutdownRequested_) {
        // The wait reports the first signalled handle of the set; starting the
        // set after the event served last keeps a busy one from starving the others.
        for (int k = 0; k < kEventCount; ++k) waitSet[k] = events_[1 + (first - 1 + k) % kEventCount].get();
        const DWORD r = ::MsgWaitForMultipleObjectsEx(kEventCount, waitSet.data(), INFINITE, QS_ALLINPUT,
                                                      MWMO_INPUTAVAILABLE);
        if (r < WAIT_OBJECT_0 + kEventCount) {
            const int index = 1 + (first - 1 + static_cast<int>(r - WAIT_OBJECT_0)) % kEventCount;
            Handle(index);
            first = index % kEventCount + 1;
        } else if (r == WAIT_OBJECT_0 + kEventCount) {
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
            LogError(L"Panorel2: Waiting on the events failed (" + SystemErrorText(::GetLastError()) + L")");
            shutdownRequested_ = true;
        }
    }
}

void MainProcess::Handle(int index) {
    const MainAction action = ActionForEvent(index);
    switch (action.kind) {
    case MainActionKind::Forward:
        if (forwarders_[action.target]) forwarders_[action.target]->Post(index);
        break;
    case MainActionKind::SwitchDesktop:
        SwitchToDesktop(action.target);
        break;
    case MainActionKind::ReadReg:
        UnregisterHotkeys();
        RegisterHotkeys(false);
        for (int n = 1; n <= 4; ++n) ::SetEvent(events_[ReadRegSwitcherIndex(n)].get());
        break;
    case MainActionKind::Shutdown:
        shutdownRequested_ = true;
        break;
    case MainActionKind::None:
        break;
    }
}

void MainProcess::SwitchToDesktop(int desktop) {
    if (!singleDesktop_ && desktops_[desktop] && !::SwitchDesktop(desktops_[desktop].get())) return;
    active_ = desktop;
    ::SetPropA(window_.get(), kActiveDesktopProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(active_)));
}

HWND MainProcess::FindSwitcherWindow(int n, HWND known) const {
    const std::wstring caption = L"Spacehost" + std::to_wstring(n);
    const std::string property = "Panorel2_APP" + std::to_string(n);
    if (known && IsSwitcherWindow(known, caption, property)) return known;
    if (singleDesktop_ || !desktops_[n]) {
        // Another program's window may carry the same caption: the property decides.
        for (HWND w = nullptr; (w = ::FindWindowExW(nullptr, w, nullptr, caption.c_str())) != nullptr;)
            if (IsSwitcherWindow(w, caption, property)) return w;
        return nullptr;
    }
    DesktopSearch search{caption, property, nullptr};
    ::EnumDesktopWindows(desktops_[n].get(), &FindOnDesktop, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A hung switcher holds up only its own forwarder, for at most its time-out;
// a timed-out message still reaches the switcher when it recovers, so it
// counts as delivered.
DeliveryResult MainProcess::Deliver(int index) {
    const int owner = OwnerOfEvent(index);
    const HWND target = knownWindows_[owner] = FindSwitcherWindow(owner, knownWindows_[owner]);
    if (!target) return DeliveryResult::NoWindow;
    const std::string name = EventName(static_cast<std::int16_t>(index));
    COPYDATASTRUCT cds{};
    cds.cbData = static_cast<DWORD>(name.size());
    cds.lpData = const_cast<char*>(name.data());
    DWORD_PTR result = 0;
    std::unique_lock<std::mutex> turn(clipboardTurn_, std::defer_lock);
    if (ReadsClipboard(index)) turn.lock();
    const LRESULT sent =
        ::SendMessageTimeoutA(target, WM_COPYDATA, reinterpret_cast<WPARAM>(window_.get()),
                              reinterpret_cast<LPARAM>(&cds), SMTO_ABORTIFHUNG | SMTO_BLOCK,
                              timeouts_.TimeoutFor(owner), &result);
    if (sent == 0 && !::IsWindow(target)) return DeliveryResult::NoWindow;  // vanished in between: try again
    timeouts_.Record(owner, sent != 0);
    return DeliveryResult::Delivered;
}

// Asks each switcher to end, then closes the windows of those that did not,
// and as a last resort ends their processes, so nothing is left behind.
void MainProcess::EndSwitchers() {
    UnregisterHotkeys();
    auto running = [this] {
        std::vector<HANDLE> alive;
        for (int n = 1; n <= 4; ++n)
            if (switchers_[n] && ::WaitForSingleObject(switchers_[n].get(), 0) == WAIT_TIMEOUT)
                alive.push_back(switchers_[n].get());
        return alive;
    };
    auto waitAll = [](const std::vector<HANDLE>& alive, DWORD ms) {
        if (!alive.empty()) ::WaitForMultipleObjects(static_cast<DWORD>(alive.size()), alive.data(), TRUE, ms);
    };
    // The desktops made here go away with this process: bring the user home first.
    if (!singleDesktop_ && active_ != 1) SwitchToDesktop(1);
    // Behind whatever each switcher still has to take, in order.
    for (int n = 1; n <= 4; ++n)
        if (forwarders_[n]) forwarders_[n]->Post(ShutdownSwitcherIndex(n));
    waitAll(running(), 2000);
    for (int n = 1; n <= 4; ++n)
        if (switchers_[n] && ::WaitForSingleObject(switchers_[n].get(), 0) == WAIT_TIMEOUT)
            if (const HWND w = FindSwitcherWindow(n)) ::PostMessageW(w, WM_CLOSE, 0, 0);
    waitAll(running(), 2000);
    for (HANDLE p : running()) ::TerminateProcess(p, 1);
    waitAll(running(), 2000);
    for (auto& f : forwarders_) f.reset();
}

LRESULT CALLBACK MainProcess::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<MainProcess*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self) {
        switch (msg) {
        case WM_HOTKEY: {
            const int target = DesktopOfHotkeyId(static_cast<long long>(wParam));
            if (const int index = HotkeyEventIndex(self->active_, target); index != 0)
                ::SetEvent(self->events_[index].get());
            return 0;
        }
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

int SignalEventByShortName(const std::string& shortName) {
    BuildEventNames();
    const int index = EventIndexOfShortName(shortName);
    if (index == 0) return kExitUnknownEvent;
    KernelHandle event(::OpenEventA(EVENT_MODIFY_STATE, FALSE, EventName(static_cast<std::int16_t>(index)).c_str()));
    if (!event) return kExitNotRunning;
    ::SetEvent(event.get());
    return kExitOk;
}

int RequestShutdown() {
    BuildEventNames();
    KernelHandle event(::OpenEventA(EVENT_MODIFY_STATE, FALSE, EventName(ShutdownIndex).c_str()));
    if (!event) return kExitNotRunning;
    KernelHandle main;
    if (const HWND w = ::FindWindowW(kMainWindowClass, kMainWindowCaption)) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(w, &pid);
        if (pid) main.reset(::OpenProcess(SYNCHRONIZE, FALSE, pid));
    }
    ::SetEvent(event.get());
    if (!main) return kExitOk;
    // The main process gives its switchers up to six seconds before ending them.
    return ::WaitForSingleObject(main.get(), 15000) == WAIT_OBJECT_0 ? kExitOk : kExitShutdownTimedOut;
}

}  // namespace panorel
