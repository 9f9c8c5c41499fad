#pragma once
// Conversion of raw registry data into the value a typed read hands back:
// text, a 32-bit signed integer or a byte array. Pure, so that any stored
// value (odd byte counts, strings without terminator, any size) can be fuzzed.
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace panorel {

// Registry type codes.
constexpr std::int32_t kRegSz = 1;
constexpr std::int32_t kRegExpandSz = 2;
constexpr std::int32_t kRegBinary = 3;
constexpr std::int32_t kRegDword = 4;
constexpr std::int32_t kRegDwordBigEndian = 5;
constexpr std::int32_t kRegLink = 6;
constexpr std::int32_t kRegMultiSz = 7;

// Empty (monostate) until a read succeeds.
using RegistryValue = std::variant<std::monostate, std::wstring, std::int32_t, std::vector<std::uint8_t>>;

enum class RegistryReadShape { Text, Integer, Bytes };
RegistryReadShape ShapeOfRegistryType(std::int32_t type);

// The value of `size` bytes of stored data of `type`. `data` may hold fewer
// bytes than `size` (the value shrank between the two queries): the missing
// ones count as zero. Text keeps the first size/2 UTF-16 units (little-endian);
// an integer needs no more than four bytes; a byte array has one element
// more than the data, the last one 0.
RegistryValue ConvertRegistryData(std::int32_t type, const std::uint8_t* data, std::size_t available,
                                  std::uint32_t size);

// The strings of REG_MULTI_SZ text: split at each NUL, up to the empty string
// that ends the list. Empty strings cannot be stored in such a list, and a
// last string without its terminator is kept.
std::vector<std::wstring> SplitMultiString(const std::wstring& text);

// One value to store or delete under HKEY_CURRENT_USER\`subKey`: the writer
// applies a list of them all or not at all.
struct RegistryChange {
    std::wstring subKey;
    std::wstring valueName;
    bool remove = false;
    std::int32_t type = kRegSz;
    std::vector<std::uint8_t> data;  // the stored bytes, as RegSetValueEx takes them
};

// The stored bytes of text with its terminating NUL (REG_SZ), of a 32-bit
// number (REG_DWORD, little-endian), and of a list of strings (REG_MULTI_SZ:
// each with its NUL, then one more NUL; an empty list is a single NUL pair).
std::vector<std::uint8_t> EncodeRegistryText(const std::wstring& text);
std::vector<std::uint8_t> EncodeRegistryDword(std::int32_t number);
std::vector<std::uint8_t> EncodeRegistryMultiText(const std::vector<std::wstring>& strings);

// "Registry data type was " stored "instead of the requested " requested.
std::wstring RegistryTypeMismatchText(std::int32_t stored, std::int32_t requested);

}  // namespace panorel
