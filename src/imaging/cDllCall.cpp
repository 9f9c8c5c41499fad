#include "imaging/cDllCall.h"

#include "host/ProgramFolder.h"
#include "imaging/PixelImage.h"

namespace panorel::imaging {

HMODULE cDllCall::Load(const wchar_t* library, DllSource from) {
    // The LOAD_LIBRARY_SEARCH_* flags exist where AddDllDirectory does
    // (Windows 8 and later, Windows 7 with update KB2533623); elsewhere
    // LoadLibraryEx refuses them.
    static const bool searchFlags =
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "AddDllDirectory") != nullptr;
    if (searchFlags) {
        DWORD flags = LOAD_LIBRARY_SEARCH_SYSTEM32;
        if (from == DllSource::ProgramThenSystem) flags |= LOAD_LIBRARY_SEARCH_APPLICATION_DIR;
        return ::LoadLibraryExW(library, nullptr, flags);
    }
    // Without them: the full path in each allowed folder, in order. The
    // altered search path looks for the library's own imports beside it.
    return FailOnBadAlloc(HMODULE{}, [&]() -> HMODULE {
        wchar_t system[MAX_PATH];
        const UINT n = ::GetSystemDirectoryW(system, MAX_PATH);
        const std::wstring folders[2] = {from == DllSource::ProgramThenSystem ? host::ProgramFolder() : L"",
                                         n && n < MAX_PATH ? std::wstring(system, n) : L""};
        for (const std::wstring& folder : folders)
            if (!folder.empty())
                if (HMODULE m = ::LoadLibraryExW((folder + L"\\" + library).c_str(), nullptr,
                                                 LOAD_WITH_ALTERED_SEARCH_PATH))
                    return m;
        return nullptr;
    });
}

FARPROC cDllCall::ResolveAddress(const wchar_t* library, const char* function, DllSource from) {
    HMODULE module = nullptr;
    for (const auto& l : libraries_)
        if (_wcsicmp(l.name.c_str(), library) == 0) module = l.module.get();
    if (!module) {
        ModuleHandle loaded(Load(library, from));
        if (!loaded) {
            lastError_ = ::GetLastError();
            return nullptr;
        }
        module = loaded.get();
        if (!FailOnBadAlloc(false, [&] { return libraries_.push_back({library, std::move(loaded)}), true; }))
            return nullptr;
    }
    FARPROC f = ::GetProcAddress(module, function);
    if (!f) lastError_ = ::GetLastError();
    return f;
}

bool cDllCall::IsAvailable(const wchar_t* library, const char* function, DllSource from) {
    ModuleHandle module(Load(library, from));
    return module && ::GetProcAddress(module.get(), function) != nullptr;
}

}  // namespace panorel::imaging
