#include "settings/Registry.h"

#include <new>
#include <vector>

#include "host/Handles.h"
#include "settings/WinAPIError.h"

namespace panorel::Registry {

namespace {

std::wstring& ErrorText() {
    static std::wstring text;
    return text;
}

bool Fail(std::wstring text) {
    ErrorText() = std::move(text);
    return false;
}

}  // namespace

const std::wstring& LastErrorText() { return ErrorText(); }

bool ReadValue(HKEY root, const std::wstring& subKey, const std::wstring& valueName, std::int32_t requestedType,
               RegistryValue& value, std::uint32_t maxBytes) {
    HKEY opened = nullptr;
    const LONG openResult = ::RegOpenKeyExW(root, subKey.c_str(), 0, KEY_QUERY_VALUE, &opened);
    if (openResult != ERROR_SUCCESS) return Fail(SystemErrorText(static_cast<std::uint32_t>(openResult)));
    const RegKeyHandle key(opened);  // closed on every path from here on

    DWORD storedType = 0;
    DWORD size = 0;
    LONG result = ::RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &storedType, nullptr, &size);
    if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA)
        return Fail(SystemErrorText(static_cast<std::uint32_t>(result)));
    if (static_cast<std::int32_t>(storedType) != requestedType)
        return Fail(RegistryTypeMismatchText(static_cast<std::int32_t>(storedType), requestedType));
    if (size > maxBytes) return Fail(SystemErrorText(ERROR_MORE_DATA));

    // Text gets as many UTF-16 units as the byte count (so twice the room),
    // integers exactly four bytes, anything else the byte count.
    std::size_t room = size;
    switch (ShapeOfRegistryType(requestedType)) {
        case RegistryReadShape::Text: room = static_cast<std::size_t>(size) * 2; break;
        case RegistryReadShape::Integer: room = 4; break;
        case RegistryReadShape::Bytes: break;
    }
    std::vector<std::uint8_t> buffer;
    try {
        buffer.assign(room == 0 ? 1 : room, 0);
    } catch (const std::bad_alloc&) {
        return Fail(SystemErrorText(ERROR_NOT_ENOUGH_MEMORY));
    }
    DWORD got = static_cast<DWORD>(room);
    result = ::RegQueryValueExW(key.get(), valueName.c_str(), nullptr, nullptr, buffer.data(), &got);
    if (result != ERROR_SUCCESS) return Fail(SystemErrorText(static_cast<std::uint32_t>(result)));

    // The value may have been rewritten since the size query: text is as long
    // as what this read delivered. Other shapes keep the queried size (an
    // integer that grew fails above; a byte array is zero-padded to it).
    const bool text = ShapeOfRegistryType(requestedType) == RegistryReadShape::Text;
    try {
        value = ConvertRegistryData(requestedType, buffer.data(), room, text ? got : size);
    } catch (const std::bad_alloc&) {
        return Fail(SystemErrorText(ERROR_NOT_ENOUGH_MEMORY));
    }
    return true;
}

}  // namespace panorel::Registry
