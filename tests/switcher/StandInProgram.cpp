// Stands in for the control panel and the help browser: announces that it
// ran by setting the event named after its own file name, then ends.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path, n);
    name = name.substr(name.find_last_of(L'\\') + 1);
    if (HANDLE event = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, (L"Local\\panorel_test_started_" + name).c_str())) {
        ::SetEvent(event);
        ::CloseHandle(event);
    }
    return 0;
}
