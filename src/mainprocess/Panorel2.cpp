// Panorel2.exe, the main process: creates the shared events, starts the four
// switchers and forwards each signalled event to the switcher it is meant for.
#include <windows.h>
#include <shellapi.h>

#include <array>
#include <string>

#include "host/Handles.h"
#include "settings/ErrLog.h"
#include "switcher/EventNames.h"

namespace panorel {
namespace {

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n < MAX_PATH ? n : 0);
    const auto slash = p.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : p.substr(0, slash);
}

KernelHandle StartSwitcher(int desktop) {
    const std::wstring exe = ProgramFolder() + L"\\Spacehost.exe";
    std::wstring cmd = L"\"" + exe + L"\" " + std::to_wstring(desktop);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return KernelHandle();
    ::CloseHandle(pi.hThread);
    return KernelHandle(pi.hProcess);
}

// The switcher window of desktop n, found by its caption.
HWND SwitcherWindow(int n) {
    return ::FindWindowW(L"Panorel2Switcher", (L"Spacehost" + std::to_wstring(n)).c_str());
}

// Hands one event name to its switcher. A switcher that hangs costs at most
// the time-out; one that does not exist is skipped.
void Forward(int index) {
    const int owner = OwnerOfEvent(index);
    if (owner == 0) return;
    const HWND target = SwitcherWindow(owner);
    if (!target) return;
    const std::string name = EventName(static_cast<std::int16_t>(index));
    COPYDATASTRUCT cds{};
    cds.cbData = static_cast<DWORD>(name.size());
    cds.lpData = const_cast<char*>(name.data());
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(target, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds), SMTO_ABORTIFHUNG | SMTO_BLOCK,
                          2000, &result);
}

int SignalOne(const std::wstring& shortName) {
    const int index = EventIndexOfShortName(std::string(shortName.begin(), shortName.end()));
    if (index == 0) return 2;
    KernelHandle event(::OpenEventA(EVENT_MODIFY_STATE, FALSE, EventName(static_cast<std::int16_t>(index)).c_str()));
    if (!event) return 1;
    ::SetEvent(event.get());
    return 0;
}

int Run() {
    BuildEventNames();
    // Auto-reset: each signal is forwarded once, and the wait itself resets it.
    std::array<KernelHandle, kEventCount> events;
    for (int i = 1; i <= kEventCount; ++i) {
        const std::string name = EventName(static_cast<std::int16_t>(i));
        events[i - 1].reset(::CreateEventA(nullptr, FALSE, FALSE, name.c_str()));
        if (!events[i - 1] || ::GetLastError() == ERROR_ALREADY_EXISTS) {
            LogError(L"Panorel2: Failed to create event " + std::wstring(name.begin(), name.end()) +
                     L"; is Panorel2 already running?");
            return 1;
        }
    }
    std::array<KernelHandle, 4> switchers;
    for (int n = 1; n <= 4; ++n) switchers[n - 1] = StartSwitcher(n);

    std::array<HANDLE, kEventCount> waitSet;
    for (int i = 0; i < kEventCount; ++i) waitSet[i] = events[i].get();
    for (;;) {
        const DWORD r = ::WaitForMultipleObjects(kEventCount, waitSet.data(), FALSE, INFINITE);
        if (r >= WAIT_OBJECT_0 + kEventCount) return 1;
        const int index = static_cast<int>(r - WAIT_OBJECT_0) + 1;
        if (index == ShutdownIndex) {
            for (int n = 1; n <= 4; ++n) Forward(ShutdownSwitcherIndex(n));
            return 0;
        }
        Forward(index);
    }
}

}  // namespace
}  // namespace panorel

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    int rc;
    if (argc >= 3 && std::wstring(argv[1]) == L"--signal")
        rc = panorel::SignalOne(argv[2]);
    else if (argc >= 2 && std::wstring(argv[1]) == L"--shutdown")
        rc = panorel::SignalOne(L"Shutdown");
    else
        rc = panorel::Run();
    ::LocalFree(argv);
    return rc;
}
