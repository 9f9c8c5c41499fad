#include "imaging/cDllCall.h"

namespace panorel::imaging {

FARPROC cDllCall::ResolveAddress(const wchar_t* library, const char* function) {
    HMODULE module = nullptr;
    for (const auto& l : libraries_)
        if (_wcsicmp(l.name.c_str(), library) == 0) module = l.module.get();
    if (!module) {
        ModuleHandle loaded(::LoadLibraryW(library));
        if (!loaded) {
            lastError_ = ::GetLastError();
            return nullptr;
        }
        module = loaded.get();
        libraries_.push_back({library, std::move(loaded)});
    }
    FARPROC f = ::GetProcAddress(module, function);
    if (!f) lastError_ = ::GetLastError();
    return f;
}

bool cDllCall::IsAvailable(const wchar_t* library, const char* function) {
    ModuleHandle module(::LoadLibraryW(library));
    return module && ::GetProcAddress(module.get(), function) != nullptr;
}

}  // namespace panorel::imaging
