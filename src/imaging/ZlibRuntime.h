#pragma once
// Finds zlib at run time, once per process, and hands out its function table.
// Win32 looks for "zlib1.dll", then "zlib.dll"; the native build opens the
// system's shared zlib. A missing library or export leaves that entry empty.
#include "imaging/ZlibApi.h"

namespace panorel::imaging {

class ZlibRuntime {
public:
    // The table found on first use; empty once Disable() was called.
    static const ZlibApi& Api();
    // For callers told to do without zlib (command-line switches, tests).
    static void Disable() noexcept;
    static void Enable() noexcept;
    // Whether the first library that loads exports crc32 (isZlibEnabled).
    static bool IsEnabled() { return Api().crc32 != nullptr; }

private:
    static ZlibApi Load();  // platform part
};

}  // namespace panorel::imaging
