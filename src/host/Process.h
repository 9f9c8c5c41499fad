#pragma once
// Starting another program: the one place that fills STARTUPINFO and lets go
// of the new thread's handle.
#include <windows.h>

#include <string>

#include "host/Handles.h"

namespace panorel::host {

struct StartedProcess {
    KernelHandle process;  // empty when the start failed
    DWORD id = 0;
    DWORD error = 0;  // GetLastError of a failed start
};

// Starts `exe` (empty: the command line's first word names the program) with
// this whole command line, on `desktop` when one is named, with `showCommand`
// when it is not negative.
StartedProcess StartProcess(const std::wstring& exe, std::wstring commandLine, std::wstring desktop = {},
                            int showCommand = -1);

}  // namespace panorel::host
