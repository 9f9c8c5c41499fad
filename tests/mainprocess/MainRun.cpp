#include "mainprocess/MainRun.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <utility>

#include "switcher/EventNames.h"

namespace panorel::test {
namespace {

// A caption looked for, and the window found with it.
using CaptionSearch = std::pair<const wchar_t*, HWND>;

BOOL CALLBACK MatchCaption(HWND w, LPARAM context) {
    auto* search = reinterpret_cast<CaptionSearch*>(context);
    wchar_t text[64] = {};
    if (::GetWindowTextW(w, text, 64) && std::wcscmp(text, search->first) == 0) search->second = w;
    return search->second == nullptr;
}

BOOL CALLBACK SearchOneDesktop(LPWSTR name, LPARAM context) {
    DesktopHandle desktop(::OpenDesktopW(name, 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE));
    if (desktop) ::EnumDesktopWindows(desktop.get(), &MatchCaption, context);
    return reinterpret_cast<CaptionSearch*>(context)->second == nullptr;
}

}  // namespace

StandInSwitcher::StandInSwitcher(int n, Kind kind)
    : WindowThread(L"Spacehost" + std::to_wstring(n), nullptr, WS_POPUP, kind == kStalled) {
    // Until it is set the main process takes the window for another program's and looks again.
    if (kind != kDecoy) ::SetPropA(Window(), ("Panorel2_APP" + std::to_string(n)).c_str(), HANDLE(1));
}

bool StandInSwitcher::Got(const std::string& shortName) const {
    const auto got = Received();
    return std::find(got.begin(), got.end(), "Local\\velmora_" + shortName) != got.end();
}

KernelHandle OpenEventToFire(int index) {
    return KernelHandle(::OpenEventA(EVENT_MODIFY_STATE | 0x0001 /* EVENT_QUERY_STATE */, FALSE,
                                     EventName(static_cast<std::int16_t>(index)).c_str()));
}

bool FireAndWaitTaken(HANDLE event) {
    // Whether it is still set, without taking it as a wait would.
    using Query = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    static const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryEvent")));
    struct {
        int type;
        LONG state;
    } info{};
    ::SetEvent(event);
    const double setAt = NowMs();
    while (query && query(event, 0 /* EventBasicInformation */, &info, sizeof info, nullptr) == 0 && info.state) {
        if (NowMs() - setAt > 5000.0) return false;
        ::SwitchToThread();
    }
    return query != nullptr;
}

long RunMainToEnd(const std::wstring& arguments, DWORD milliseconds) {
    KernelHandle p = StartProgram(L"Panorel2.exe", arguments);
    return p ? WaitExit(p, milliseconds) : -2;
}

HWND FindWindowOnAnyDesktop(const wchar_t* caption) {
    CaptionSearch search{caption, nullptr};
    ::EnumDesktopsW(::GetProcessWindowStation(), &SearchOneDesktop, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

RunningMain::RunningMain(const std::wstring& arguments, Leftovers leftovers, const std::wstring& folder) {
    // Wine's desktop process ends soon after its last user, and the next to need
    // it waits 10 s for a new one (measured): this test holds it from here on.
    ::GetDesktopWindow();
    // What an earlier program left would refuse this start, or be taken over with another environment.
    const wchar_t* const captions[5] = {L"", L"Spacehost1", L"Spacehost2", L"Spacehost3", L"Spacehost4"};
    bool left = ::FindWindowW(L"Panorel2Main", nullptr) != nullptr;
    for (int n = 1; n <= 4 && !left; ++n) left = FindWindowOnAnyDesktop(captions[n]) != nullptr;
    if (left && leftovers == kEndLeftovers) RunMainToEnd(L"--shutdown", 90000);
    main_ = StartProgram(L"Panorel2.exe", arguments, folder);
    // Generous, and once for all five: a loaded machine can take many seconds to start a Wine process.
    PumpUntil(
        [&] {
            if (!mainWindow_) mainWindow_ = ::FindWindowW(L"Panorel2Main", nullptr);
            bool all = mainWindow_ != nullptr;
            for (int n = 1; n <= 4; ++n)
                all = (switcherWindows_[n] || (switcherWindows_[n] = FindWindowOnAnyDesktop(captions[n]))) && all;
            return all || WaitExit(main_, 0) != -1;
        },
        90000);
    for (int n = 1; n <= 4; ++n) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(switcherWindows_[n], &pid);
        if (pid)
            switchers_[n].reset(::OpenProcess(
                SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    }
}

RunningMain::~RunningMain() {
    if (WaitExit(main_, 0) == -1) RunMainToEnd(L"--shutdown", 90000);
    if (WaitExit(main_, 5000) == -1) ::TerminateProcess(main_.get(), 9);
    for (auto& s : switchers_)
        if (s && WaitExit(s, 3000) == -1) ::TerminateProcess(s.get(), 9);
}

bool RunningMain::Ready() const {
    std::string missing = mainWindow_ ? "" : " the main window";
    for (int n = 1; n <= 4; ++n)
        if (!switcherWindows_[n]) missing += " switcher " + std::to_string(n);
    if (!missing.empty()) std::printf("missing:%s; main exit code %ld\n", missing.c_str(), WaitExit(main_, 0));
    return main_ && missing.empty();
}

int RunningMain::ActiveDesktop() const {
    return static_cast<int>(reinterpret_cast<INT_PTR>(::GetPropA(mainWindow_, "Panorel2_ActiveDesktop")));
}

void RunningMain::EndSwitcher(int n) {
    RunMainToEnd(L"--signal ShutdownSwitcher" + std::to_wstring(n));
    WaitExit(switchers_[n], 5000);
}

}  // namespace panorel::test
