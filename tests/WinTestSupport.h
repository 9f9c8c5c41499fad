#pragma once
// Helpers of the Windows tests: the shared events as the main process makes
// them, the real programs started as child processes, the error log.
#include <windows.h>

#include <array>
#include <string>

#include "host/Handles.h"

namespace panorel::test {

// Creates all 54 events (auto-reset, unsignalled) for the life of the object.
class SharedEvents {
public:
    SharedEvents();
    HANDLE operator[](int index) const { return events_[index].get(); }
    // Indices (1..54) of the events that are signalled now; reading resets them.
    std::string TakeSignalled();

private:
    std::array<KernelHandle, 55> events_;
};

std::wstring DistPath(const std::wstring& file);
// Starts a program of the build with the given argument text.
KernelHandle StartProgram(const std::wstring& file, const std::wstring& arguments);
// Waits for a process; its exit code, or -1 on time-out.
long WaitExit(const KernelHandle& process, DWORD milliseconds);
// Waits until a top-level window with this caption exists.
HWND WaitForWindow(const wchar_t* caption, DWORD milliseconds);

std::wstring ErrorLogPath();
// The bytes of the log, empty when there is none.
std::string ReadErrorLog();
void DeleteErrorLog();

}  // namespace panorel::test
