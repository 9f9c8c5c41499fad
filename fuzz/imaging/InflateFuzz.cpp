// Our inflater alone, checked against zlib: whenever both accept a stream
// they must give the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "imaging/Inflate.h"
#include "imaging/ZlibRuntime.h"

using namespace panorel::imaging;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::vector<std::uint8_t> ours(1 << 20), theirs(1 << 20);
    std::size_t written = 0;
    const bool ok = InflateZlib(data, size, ours.data(), ours.size(), &written) == InflateStatus::Ok;
    if (written > ours.size()) __builtin_trap();
    std::size_t rawWritten = 0;
    InflateRaw(data, size, ours.data(), 4096, &rawWritten);
    if (ok) {
        const ZlibApi& z = ZlibRuntime::Api();
        // Stream again: the raw run above overwrote the start of the buffer.
        InflateZlib(data, size, ours.data(), ours.size(), &written);
        unsigned long theirsLen = static_cast<unsigned long>(theirs.size());
        if (z.uncompress && z.uncompress(theirs.data(), &theirsLen, data, static_cast<unsigned long>(size)) == 0 &&
            (theirsLen != written || std::memcmp(theirs.data(), ours.data(), written) != 0))
            __builtin_trap();
    }
    return 0;
}
