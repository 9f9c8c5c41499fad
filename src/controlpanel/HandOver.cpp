#include "controlpanel/HandOver.h"

#include <windows.h>

#include <cwchar>
#include <string>

#include "host/SingleInstance.h"
#include "switcher/EventNames.h"

namespace panorel {

int DesktopNumberOfName(const wchar_t* name) {
    static const wchar_t prefix[] = L"Panorel2Desktop";
    const std::size_t n = std::wcslen(prefix);
    if (std::wcsncmp(name, prefix, n) == 0 && name[n] >= L'2' && name[n] <= L'4' && name[n + 1] == 0)
        return name[n] - L'0';
    return 1;
}

bool HandOverToRunningInstance(const wchar_t* windowClass, const std::wstring& request) {
    const host::InstanceWindow found = host::FindInstanceWindow(windowClass);
    if (!found.window) return false;
    if (found.desktop.empty()) {
        if (!request.empty()) {
            COPYDATASTRUCT data{kHandOverTag, static_cast<DWORD>(request.size() * sizeof(wchar_t)),
                                const_cast<wchar_t*>(request.data())};
            DWORD_PTR answer = 0;
            ::SendMessageTimeoutW(found.window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                                  2000, &answer);
        }
        host::BringToFront(found.window);
        return true;
    }
    // Messages cannot cross desktops: the switcher of the desktop the user
    // is on takes them there, the usual road of a switch.
    const int from = DesktopNumberOfName(host::ThreadDesktopName().c_str());
    const int to = DesktopNumberOfName(found.desktop.c_str());
    if (from != to) {
        BuildEventNames();
        const KernelHandle event(::OpenEventA(EVENT_MODIFY_STATE, FALSE, EventName(SwitchToIndex(from, to)).c_str()));
        if (event) ::SetEvent(event.get());
    }
    return true;
}

}  // namespace panorel
