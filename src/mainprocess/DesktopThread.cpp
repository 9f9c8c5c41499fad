#include "mainprocess/DesktopThread.h"

#include <algorithm>
#include <cwctype>

#include "host/Process.h"
#include "host/ProgramFolder.h"
#include "mainprocess/EventRouting.h"
#include "mainprocess/MainLog.h"
#include "settings/DesktopSettings.h"
#include "switcher/EventNames.h"

namespace panorel {
namespace {

using Clock = SignalQueue::Clock;

// How long a switcher just started may take to reach its message loop.
constexpr DWORD kStartupMs = 10000;
// How long another program's window may take to answer "close".
constexpr UINT kCloseAnswerMs = 2000;

bool IsSwitcherWindow(HWND w, int n) {
    const std::wstring caption = L"Spacehost" + std::to_wstring(n);
    wchar_t text[32] = {};
    const int length = ::GetWindowTextW(w, text, 32);
    // Another program's window may carry the same caption: the property decides.
    return length > 0 && caption == std::wstring(text, static_cast<std::size_t>(length)) &&
           ::GetPropA(w, ("Panorel2_APP" + std::to_string(n)).c_str()) == reinterpret_cast<HANDLE>(1);
}

BOOL CALLBACK CollectWindow(HWND w, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
    return TRUE;
}

std::vector<HWND> TopLevelWindows(HDESK desktop) {
    std::vector<HWND> windows;
    ::EnumDesktopWindows(desktop, &CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

DWORD ProcessOf(HWND w) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(w, &pid);
    return pid;
}

// The shell the switchers start where a desktop has none.
bool IsShellProcess(DWORD pid) {
    KernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!process) return false;
    wchar_t path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (!::QueryFullProcessImageNameW(process.get(), 0, path, &size)) return false;
    std::wstring name(path, size);
    name = name.substr(name.find_last_of(L"\\/") + 1);
    std::transform(name.begin(), name.end(), name.begin(), [](wchar_t c) { return std::towlower(c); });
    return name == L"explorer.exe";
}

}  // namespace

void Inbox::Put(Note note) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        notes_.push_back(note);
    }
    ::SetEvent(event_.get());
}

std::vector<Inbox::Note> Inbox::TakeAll() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(notes_, {});
}

DesktopThread::DesktopThread(DesktopPlan plan, Inbox& inbox, ClipboardTurns& turns)
    : plan_(std::move(plan)),
      inbox_(inbox),
      turns_(turns),
      wake_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      ready_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = std::thread([this] { Run(); });
}

DesktopThread::~DesktopThread() {
    stopping_ = true;
    ::SetEvent(wake_.get());
    if (thread_.joinable()) thread_.join();
    queue_.Clear();
}

void DesktopThread::Post(int index) {
    if (!queue_.Post(index) && !overflowLogged_.exchange(true))
        LogMain(L"Spacehost" + std::to_wstring(plan_.number) + L" has not taken its last " +
                std::to_wstring(SignalQueue::kCapacity) + L" signals; the oldest waiting ones are dropped.");
    ::SetEvent(wake_.get());
}

void DesktopThread::AddJob(std::function<void()> job) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    ::SetEvent(wake_.get());
}

void DesktopThread::RegisterHotkeys(const HotkeySet& hotkeys) {
    AddJob([this, hotkeys] { RegisterOwnHotkeys(hotkeys); });
}

void DesktopThread::CloseSwitcherWindow() {
    AddJob([this] {
        if (const HWND w = FindSwitcherWindow()) ::PostMessageW(w, WM_CLOSE, 0, 0);
    });
}

// A program that asks "save changes?" answers the close only once the user
// has; its window and the question then still stand when counted.
void DesktopThread::CloseOtherWindows() {
    AddJob([this] {
        for (const HWND w : OtherProgramsWindows()) {
            if (::GetWindow(w, GW_OWNER)) continue;  // its owner speaks for it
            DWORD_PTR result = 0;
            ::SendMessageTimeoutW(w, WM_CLOSE, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kCloseAnswerMs, &result);
        }
        inbox_.Put({Inbox::Note::WindowsLeft, plan_.number, static_cast<int>(OtherProgramsWindows().size())});
    });
}

// There is no documented way to ask a shell to leave; a shell holds no
// unsaved work, and its desktop goes away with it.
void DesktopThread::EndShells(HANDLE done) {
    AddJob([this, done] {
        for (const DWORD pid : ShellProcesses()) {
            KernelHandle shell(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
            if (shell && ::TerminateProcess(shell.get(), 0)) ::WaitForSingleObject(shell.get(), 2000);
        }
        ::SetEvent(done);
    });
}

void DesktopThread::StopRestarting() {
    std::lock_guard<std::mutex> lock(mutex_);
    stopRestarting_ = true;
}

KernelHandle DesktopThread::SwitcherProcess() const {
    std::lock_guard<std::mutex> lock(mutex_);
    HANDLE copy = nullptr;
    if (process_)
        ::DuplicateHandle(::GetCurrentProcess(), process_.get(), ::GetCurrentProcess(), &copy, 0, FALSE,
                          DUPLICATE_SAME_ACCESS);
    return KernelHandle(copy);
}

void DesktopThread::Run() {
    if (!::SetThreadDesktop(plan_.desktop)) {
        LogMain(L"Failed to join desktop " + plan_.desktopName + Reason(::GetLastError()));
        ::SetEvent(ready_.get());
        // Off its desktop this thread must touch no window: it only waits for its end.
        while (!stopping_) ::WaitForSingleObject(wake_.get(), INFINITE);
        return;
    }
    try {
        if (plan_.servesHotkeys) RegisterOwnHotkeys(plan_.hotkeys);
        if (!TakeOverSwitcher() && plan_.startSwitcher && StartSwitcher()) StartPrograms();
    } catch (...) {
    }
    ::SetEvent(ready_.get());
    while (!stopping_) {
        // A step that runs out of memory is skipped; the thread serves on.
        try {
            Serve();
            if (stopping_) break;
            const SignalQueue::Next next = queue_.Take();
            if (next.index != 0) {
                DeliveryResult result = DeliveryResult::Delivered;  // dropped, if it fails
                try {
                    result = Deliver(next.index);
                } catch (...) {
                }
                queue_.Finish(result);
                continue;
            }
            WaitForWork(next.dueAt);
        } catch (...) {
        }
    }
    UnregisterOwnHotkeys();
}

// Hotkeys, jobs and the switcher's end come before the next signal.
void DesktopThread::Serve() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_HOTKEY && msg.hwnd == nullptr) {
            if (const int id = OurHotkeyId(static_cast<long long>(msg.wParam)))
                inbox_.Put({Inbox::Note::HotkeyPressed, plan_.number, id});
            continue;
        }
        ::DispatchMessageW(&msg);
    }
    for (;;) {
        std::function<void()> job;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (jobs_.empty()) break;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        try {
            job();
        } catch (...) {
            // A job that fails (out of memory, say) is skipped; the thread goes on.
        }
    }
    WatchSwitcher();
}

void DesktopThread::WaitForWork(std::optional<Clock::time_point> due) {
    if (restartAt_ && (!due || *restartAt_ < *due)) due = restartAt_;
    DWORD timeout = INFINITE;
    if (due) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(*due - Clock::now()).count();
        timeout = static_cast<DWORD>(std::clamp<long long>(left, 0, 0x7FFFFFFF));
    }
    const HANDLE handles[2] = {wake_.get(), process_.get()};
    ::MsgWaitForMultipleObjectsEx(process_ ? 2 : 1, handles, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

// A send waits for as long as the switcher takes: one that times out is
// dropped by the system unseen if the switcher had not begun it, so no
// signal could be told delivered. A stalled switcher thus holds up only this
// thread, and what is posted meanwhile waits here in order.
DeliveryResult DesktopThread::Deliver(int index) {
    const bool shutdown = index == ShutdownSwitcherIndex(plan_.number);
    if (shutdown) askedToEnd_ = true;
    const HWND w = FindSwitcherWindow();
    if (!w) return DeliveryResult::NoWindow;
    DWORD_PTR result = 0;
    std::uint64_t turn = 0;
    if (ReadsClipboard(index)) {
        // Its turn at the clipboard begins only once it answers at all.
        if (!::SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, INFINITE, &result) && !::IsWindow(w))
            return DeliveryResult::NoWindow;
        turn = turns_.Begin();
    }
    const std::string name = EventName(static_cast<std::int16_t>(index));
    COPYDATASTRUCT cds{};
    cds.cbData = static_cast<DWORD>(name.size());
    cds.lpData = const_cast<char*>(name.data());
    const LRESULT sent =
        ::SendMessageTimeoutA(w, WM_COPYDATA, reinterpret_cast<WPARAM>(plan_.mainWindow),
                              reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL | SMTO_ERRORONEXIT, INFINITE, &result);
    if (turn) turns_.End(turn);
    // Gone before it took the signal (a switcher told to end destroys its
    // window while it handles it): its successor gets it.
    if (sent == 0 && !::IsWindow(w) && !shutdown) {
        known_ = nullptr;
        return DeliveryResult::NoWindow;
    }
    return DeliveryResult::Delivered;
}

HWND DesktopThread::FindSwitcherWindow() {
    if (known_ && IsSwitcherWindow(known_, plan_.number)) return known_;
    known_ = nullptr;
    const std::wstring caption = L"Spacehost" + std::to_wstring(plan_.number);
    for (HWND w = nullptr; (w = ::FindWindowExW(nullptr, w, nullptr, caption.c_str())) != nullptr;)
        if (IsSwitcherWindow(w, plan_.number)) return known_ = w;
    return nullptr;
}

// A switcher left running by a main process that ended without its shutdown
// (it crashed or was killed) serves on: its previews and tray icon stay.
bool DesktopThread::TakeOverSwitcher() {
    const HWND w = FindSwitcherWindow();
    if (!w) return false;
    const DWORD pid = ProcessOf(w);
    KernelHandle process(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    {
        std::lock_guard<std::mutex> lock(mutex_);
        process_ = std::move(process);
    }
    switcherPid_ = pid;
    if (plan_.startSwitcher)
        LogMain(L"Spacehost" + std::to_wstring(plan_.number) + L" was still running without a main process; it serves on.");
    return true;
}

bool DesktopThread::StartSwitcher() {
    HANDLE started = nullptr;
    {
        // StopRestarting waits for a start under way, so no switcher escapes a shutdown.
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopRestarting_) return false;
        const std::wstring exe = host::ProgramFolder() + L"\\Spacehost.exe";
        host::StartedProcess switcher =
            host::StartProcess(exe, L"\"" + exe + L"\" " + std::to_wstring(plan_.number), plan_.desktopName);
        if (!switcher.process) {
            LogMain(L"Failed to start " + exe + L" " + std::to_wstring(plan_.number) + Reason(switcher.error));
            return false;
        }
        process_ = std::move(switcher.process);
        started = process_.get();
        switcherPid_ = switcher.id;
    }
    // Its window exists once it waits for input.
    ::WaitForInputIdle(started, kStartupMs);
    return true;
}

void DesktopThread::WatchSwitcher() {
    const std::wstring name = L"Spacehost" + std::to_wstring(plan_.number);
    if (process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0) {
        DWORD code = 0;
        ::GetExitCodeProcess(process_.get(), &code);
        bool stopped;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            process_.reset();
            stopped = stopRestarting_;
        }
        switcherPid_ = 0;
        known_ = nullptr;
        if (!askedToEnd_ && !stopped && plan_.startSwitcher) {
            const Clock::time_point now = Clock::now();
            const Clock::duration wait = restarts_.WaitBefore(now);
            restartAt_ = now + wait;
            std::wstring message = name + L" ended without being asked to (exit code " + std::to_wstring(code) + L").";
            if (wait > Clock::duration::zero())
                message += L" It was started again " + std::to_wstring(SwitcherRestarts::kMaxRestarts) +
                           L" times within a minute; the next start is in " +
                           std::to_wstring(std::chrono::ceil<std::chrono::seconds>(wait).count()) + L" s.";
            LogMain(message);
        }
    }
    if (restartAt_ && Clock::now() >= *restartAt_) {
        restartAt_.reset();
        restarts_.Restarted(Clock::now());
        if (StartSwitcher()) LogMain(L"Started " + name + L" again.");
    }
}

void DesktopThread::StartPrograms() {
    for (const std::wstring& command : ReadDesktopPrograms(plan_.number)) {
        const host::StartedProcess program = host::StartProcess({}, command, plan_.desktopName);
        if (!program.process)
            LogMain(L"Failed to start \"" + command + L"\" on desktop " + std::to_wstring(plan_.number) +
                    Reason(program.error));
    }
}

// A refusal here is either the main thread's registration of the same keys
// (if the system keeps one list for every desktop) or another program's on
// this desktop; the main thread's registration, made first, has already
// logged what can be told apart, so nothing is logged here.
void DesktopThread::RegisterOwnHotkeys(const HotkeySet& hotkeys) {
    UnregisterOwnHotkeys();
    for (int id = 1; id <= kHotkeyCount; ++id)
        ownHotkeys_[id] = ::RegisterHotKey(nullptr, id, HotkeyModifierBits(hotkeys[id].Modifiers) | MOD_NOREPEAT,
                                           static_cast<UINT>(hotkeys[id].Key)) != FALSE;
}

void DesktopThread::UnregisterOwnHotkeys() {
    for (int id = 1; id <= kHotkeyCount; ++id)
        if (std::exchange(ownHotkeys_[id], false)) ::UnregisterHotKey(nullptr, id);
}

std::set<DWORD> DesktopThread::ShellProcesses() {
    std::set<DWORD> shells;
    const DWORD self = ::GetCurrentProcessId();
    for (const HWND w : TopLevelWindows(plan_.desktop)) {
        const DWORD pid = ProcessOf(w);
        if (pid != self && pid != switcherPid_ && !shells.count(pid) && IsShellProcess(pid)) shells.insert(pid);
    }
    return shells;
}

// Shown windows of programs other than this one, the switcher and the shells.
std::vector<HWND> DesktopThread::OtherProgramsWindows() {
    const std::set<DWORD> shells = ShellProcesses();
    const DWORD self = ::GetCurrentProcessId();
    std::vector<HWND> others;
    for (const HWND w : TopLevelWindows(plan_.desktop)) {
        // IsWindowVisible says no for any window of a desktop not shown: the style says whether it is up.
        if (!(::GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE)) continue;
        const DWORD pid = ProcessOf(w);
        if (pid != self && pid != switcherPid_ && !shells.count(pid)) others.push_back(w);
    }
    return others;
}

}  // namespace panorel
