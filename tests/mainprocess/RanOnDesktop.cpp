// Stands in for a program of a desktop's list: announces the desktop it was
// started on by setting the event named after it, then ends.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t name[256] = {};
    ::GetUserObjectInformationW(::GetThreadDesktop(::GetCurrentThreadId()), UOI_NAME, name, sizeof name - 2, nullptr);
    if (HANDLE event = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, (std::wstring(L"Local\\panorel_test_ran_on_") + name).c_str())) {
        ::SetEvent(event);
        ::CloseHandle(event);
    }
    return 0;
}
