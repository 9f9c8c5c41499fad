#include "imaging/ZlibRuntime.h"

#include <atomic>

#ifndef _WIN32
#include <dlfcn.h>
#endif

namespace panorel::imaging {
namespace {

std::atomic<bool> g_disabled{false};

}  // namespace

const ZlibApi& ZlibRuntime::Api() {
    static const ZlibApi loaded = Load();
    static const ZlibApi none{};
    return g_disabled.load() ? none : loaded;
}

void ZlibRuntime::Disable() noexcept { g_disabled = true; }
void ZlibRuntime::Enable() noexcept { g_disabled = false; }

#ifndef _WIN32
// The library stays loaded for the life of the process: the table points into it.
ZlibApi ZlibRuntime::Load() {
    ZlibApi api;
    void* lib = dlopen("libz.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!lib) return api;
    api.crc32 = reinterpret_cast<ZlibApi::Crc32Fn>(dlsym(lib, "crc32"));
    api.uncompress = reinterpret_cast<ZlibApi::UncompressFn>(dlsym(lib, "uncompress"));
    api.compress2 = reinterpret_cast<ZlibApi::Compress2Fn>(dlsym(lib, "compress2"));
    api.compress = reinterpret_cast<ZlibApi::CompressFn>(dlsym(lib, "compress"));
    return api;
}
#endif

}  // namespace panorel::imaging
