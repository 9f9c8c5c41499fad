#include "host/SingleInstance.h"

#include <vector>

namespace panorel::host {

namespace {

std::wstring DesktopName(HDESK desktop) {
    wchar_t name[256] = {};
    DWORD needed = 0;
    if (!::GetUserObjectInformationW(desktop, UOI_NAME, name, sizeof name - sizeof(wchar_t), &needed)) return {};
    return name;
}

BOOL CALLBACK CollectDesktop(LPWSTR name, LPARAM list) {
    reinterpret_cast<std::vector<std::wstring>*>(list)->emplace_back(name);
    return TRUE;
}

struct Search {
    const wchar_t* windowClass;
    HWND found = nullptr;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    wchar_t name[128] = {};
    if (::GetClassNameW(window, name, 128) && ::lstrcmpW(name, search->windowClass) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

InstanceClaim::InstanceClaim(const std::wstring& name) {
    // Without a mutex nothing can be shared: run rather than refuse.
    mutex_.reset(::CreateMutexW(nullptr, FALSE, name.c_str()));
    first_ = !mutex_ || ::GetLastError() != ERROR_ALREADY_EXISTS;
    ready_.reset(::CreateEventW(nullptr, TRUE, FALSE, (name + L"Ready").c_str()));
}

void InstanceClaim::MarkReady() const {
    if (ready_) ::SetEvent(ready_.get());
}

bool InstanceClaim::WaitReady(DWORD milliseconds) const {
    return ready_ && ::WaitForSingleObject(ready_.get(), milliseconds) == WAIT_OBJECT_0;
}

std::wstring ThreadDesktopName() { return DesktopName(::GetThreadDesktop(::GetCurrentThreadId())); }

InstanceWindow FindInstanceWindow(const wchar_t* windowClass) {
    if (HWND here = ::FindWindowW(windowClass, nullptr)) return {here, {}};
    std::vector<std::wstring> desktops;
    ::EnumDesktopsW(::GetProcessWindowStation(), CollectDesktop, reinterpret_cast<LPARAM>(&desktops));
    const std::wstring own = ThreadDesktopName();
    for (const std::wstring& name : desktops) {
        if (name == own) continue;
        const DesktopHandle desktop(::OpenDesktopW(name.c_str(), 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE));
        if (!desktop) continue;
        Search search{windowClass};
        ::EnumDesktopWindows(desktop.get(), MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found) return {search.found, name};
    }
    return {};
}

void BringToFront(HWND window) {
    if (::IsIconic(window)) ::ShowWindow(window, SW_RESTORE);
    ::SetForegroundWindow(window);
}

}  // namespace panorel::host
