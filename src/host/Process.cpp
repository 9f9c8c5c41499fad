#include "host/Process.h"

namespace panorel::host {

StartedProcess StartProcess(const std::wstring& exe, std::wstring commandLine, std::wstring desktop,
                            int showCommand) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (!desktop.empty()) si.lpDesktop = desktop.data();
    if (showCommand >= 0) {
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = static_cast<WORD>(showCommand);
    }
    PROCESS_INFORMATION pi{};
    // The system may write into the command line, so it is a copy of our own.
    if (!::CreateProcessW(exe.empty() ? nullptr : exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                          nullptr, nullptr, &si, &pi))
        return {KernelHandle(), 0, ::GetLastError()};
    const KernelHandle thread(pi.hThread);
    return {KernelHandle(pi.hProcess), pi.dwProcessId, 0};
}

}  // namespace panorel::host
