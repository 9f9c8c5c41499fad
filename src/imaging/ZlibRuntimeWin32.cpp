// The Win32 half of ZlibRuntime: zlib1.dll, else zlib.dll, from the program's
// folder or the system folder only (never the current directory or PATH); the
// first one that loads and exports crc32 is kept loaded for the life of the
// process (the table points into it).
#include <windows.h>

#include <initializer_list>

#include "imaging/ZlibRuntime.h"
#include "imaging/cDllCall.h"

namespace panorel::imaging {

ZlibApi ZlibRuntime::Load() {
    ZlibApi api;
    for (const wchar_t* name : {L"zlib1.dll", L"zlib.dll"}) {
        HMODULE lib = cDllCall::Load(name, DllSource::ProgramThenSystem);
        if (!lib) continue;
        auto crc = reinterpret_cast<ZlibApi::Crc32Fn>(reinterpret_cast<void*>(::GetProcAddress(lib, "crc32")));
        if (!crc) {
            ::FreeLibrary(lib);
            continue;
        }
        api.crc32 = crc;
        api.uncompress = reinterpret_cast<ZlibApi::UncompressFn>(
            reinterpret_cast<void*>(::GetProcAddress(lib, "uncompress")));
        api.compress2 =
            reinterpret_cast<ZlibApi::Compress2Fn>(reinterpret_cast<void*>(::GetProcAddress(lib, "compress2")));
        api.compress =
            reinterpret_cast<ZlibApi::CompressFn>(reinterpret_cast<void*>(::GetProcAddress(lib, "compress")));
        break;
    }
    return api;
}

}  // namespace panorel::imaging
