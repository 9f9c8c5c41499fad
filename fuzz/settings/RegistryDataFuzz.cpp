// Any stored registry data of any type and reported size converts without a
// fault, and the result has the shape and size the type promises.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "settings/RegistryData.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 6) return 0;
    std::int32_t type;
    std::memcpy(&type, data, 4);
    type %= 12;
    // The reported size may differ a little from the bytes at hand.
    std::uint32_t reported = static_cast<std::uint32_t>(size - 6) + (data[4] % 8);
    if ((data[5] & 1) && reported > 0) --reported;
    const std::uint8_t* bytes = data + 6;
    const std::size_t available = size - 6;
    const panorel::RegistryValue v = panorel::ConvertRegistryData(type, bytes, available, reported);
    switch (panorel::ShapeOfRegistryType(type)) {
        case panorel::RegistryReadShape::Text:
            if (std::get<std::wstring>(v).size() != reported / 2) std::abort();
            break;
        case panorel::RegistryReadShape::Integer:
            (void)std::get<std::int32_t>(v);
            break;
        case panorel::RegistryReadShape::Bytes:
            if (std::get<std::vector<std::uint8_t>>(v).size() != std::size_t{reported} + 1) std::abort();
            break;
    }
    return 0;
}
