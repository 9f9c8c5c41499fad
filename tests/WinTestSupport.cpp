#include "WinTestSupport.h"

#include <shlobj.h>

#include <fstream>
#include <sstream>

#include "switcher/EventNames.h"
#include "test_paths.h"

namespace panorel::test {

SharedEvents::SharedEvents() {
    for (std::int16_t i = 1; i <= kEventCount; ++i)
        events_[i].reset(::CreateEventA(nullptr, FALSE, FALSE, EventName(i).c_str()));
}

std::string SharedEvents::TakeSignalled() {
    std::string list;
    for (int i = 1; i <= kEventCount; ++i) {
        if (::WaitForSingleObject(events_[i].get(), 0) == WAIT_OBJECT_0) {
            if (!list.empty()) list += ' ';
            list += std::to_string(i);
        }
    }
    return list;
}

std::wstring DistPath(const std::wstring& file) { return std::wstring(PANOREL_DIST_DIR) + L"\\" + file; }

KernelHandle StartProgram(const std::wstring& file, const std::wstring& arguments) {
    const std::wstring exe = DistPath(file);
    std::wstring cmd = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return KernelHandle();
    ::CloseHandle(pi.hThread);
    return KernelHandle(pi.hProcess);
}

long WaitExit(const KernelHandle& process, DWORD milliseconds) {
    if (::WaitForSingleObject(process.get(), milliseconds) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(process.get(), &code);
    return static_cast<long>(code);
}

HWND WaitForWindow(const wchar_t* caption, DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (HWND w = ::FindWindowW(nullptr, caption)) return w;
        if (::GetTickCount() - start > milliseconds) return nullptr;
        ::Sleep(20);
    }
}

std::wstring ErrorLogPath() {
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, path);
    return std::wstring(path) + L"\\PanorelErrors.txt";
}

std::string ReadErrorLog() {
    KernelHandle f(::CreateFileW(ErrorLogPath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
    if (!f) return {};
    std::string data;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(f.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) data.append(buffer, got);
    return data;
}

void DeleteErrorLog() { ::DeleteFileW(ErrorLogPath().c_str()); }

}  // namespace panorel::test
