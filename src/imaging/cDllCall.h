#pragma once
// Loads libraries by name and resolves their exports for direct calls. The
// libraries stay loaded until the object is destroyed.
#include <windows.h>

#include <string>
#include <vector>

#include "host/Handles.h"

namespace panorel::imaging {

// Where a library may come from. A bare name would also be looked for in the
// current directory and along PATH, where anyone can leave a DLL of that name.
enum class DllSource {
    System,            // the system folder only (gdiplus.dll)
    ProgramThenSystem  // the program's own folder, then the system folder (zlib1.dll beside the program)
};

class cDllCall {
public:
    // The export, or null when the library or the export is missing.
    template <class Fn>
    Fn Resolve(const wchar_t* library, const char* function, DllSource from = DllSource::System) {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(ResolveAddress(library, function, from)));
    }
    FARPROC ResolveAddress(const wchar_t* library, const char* function, DllSource from = DllSource::System);
    // The system error code saved right after the last failed load or lookup.
    DWORD LastError() const noexcept { return lastError_; }

    // The availability check: loads the library, looks the export up and releases it again.
    static bool IsAvailable(const wchar_t* library, const char* function, DllSource from = DllSource::System);

    // Loads `library` (a file name) from the folders `from` allows; null when
    // it is in none of them.
    static HMODULE Load(const wchar_t* library, DllSource from);

private:
    struct Loaded {
        std::wstring name;
        ModuleHandle module;
    };
    std::vector<Loaded> libraries_;
    DWORD lastError_ = 0;
};

}  // namespace panorel::imaging
