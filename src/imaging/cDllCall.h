#pragma once
// Loads libraries by name and resolves their exports for direct calls. The
// libraries stay loaded until the object is destroyed.
#include <windows.h>

#include <string>
#include <vector>

#include "host/Handles.h"

namespace panorel::imaging {

class cDllCall {
public:
    // The export, or null when the library or the export is missing.
    template <class Fn>
    Fn Resolve(const wchar_t* library, const char* function) {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(ResolveAddress(library, function)));
    }
    FARPROC ResolveAddress(const wchar_t* library, const char* function);
    // The system error code saved right after the last failed load or lookup.
    DWORD LastError() const noexcept { return lastError_; }

    // The availability check: loads the library, looks the export up and releases it again.
    static bool IsAvailable(const wchar_t* library, const char* function);

private:
    struct Loaded {
        std::wstring name;
        ModuleHandle module;
    };
    std::vector<Loaded> libraries_;
    DWORD lastError_ = 0;
};

}  // namespace panorel::imaging
