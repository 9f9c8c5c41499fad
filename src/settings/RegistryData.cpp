#include "settings/RegistryData.h"

#include <algorithm>

namespace panorel {

RegistryReadShape ShapeOfRegistryType(std::int32_t type) {
    switch (type) {
        case kRegSz:
        case kRegExpandSz:
        case kRegMultiSz:
            return RegistryReadShape::Text;
        case kRegDword:
        case kRegDwordBigEndian:
            return RegistryReadShape::Integer;
        default:
            return RegistryReadShape::Bytes;
    }
}

namespace {

std::uint8_t ByteAt(const std::uint8_t* data, std::size_t available, std::size_t i) {
    return (data && i < available) ? data[i] : 0;
}

}  // namespace

RegistryValue ConvertRegistryData(std::int32_t type, const std::uint8_t* data, std::size_t available,
                                  std::uint32_t size) {
    switch (ShapeOfRegistryType(type)) {
        case RegistryReadShape::Text: {
            const std::size_t units = (size & ~1u) / 2;
            std::wstring text(units, L'\0');
            for (std::size_t i = 0; i < units; ++i)
                text[i] = static_cast<wchar_t>(ByteAt(data, available, 2 * i) |
                                               (ByteAt(data, available, 2 * i + 1) << 8));
            return text;
        }
        case RegistryReadShape::Integer: {
            std::uint32_t b[4];
            for (std::size_t i = 0; i < 4; ++i) b[i] = i < size ? ByteAt(data, available, i) : 0;
            std::uint32_t v = b[0] | (b[1] << 8) | (b[2] << 16) | (b[3] << 24);
            if (type == kRegDwordBigEndian) v = (b[0] << 24) | (b[1] << 16) | (b[2] << 8) | b[3];
            return static_cast<std::int32_t>(v);
        }
        case RegistryReadShape::Bytes:
        default: {
            std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size) + 1, 0);
            const std::size_t n = std::min<std::size_t>(size, data ? available : 0);
            std::copy(data, data + n, bytes.begin());
            return bytes;
        }
    }
}

std::vector<std::wstring> SplitMultiString(const std::wstring& text) {
    std::vector<std::wstring> strings;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find(L'\0', start), text.size());
        if (end == start) break;
        strings.emplace_back(text, start, end - start);
        start = end + 1;
    }
    return strings;
}

namespace {

void AppendUnits(std::vector<std::uint8_t>& bytes, const std::wstring& text) {
    for (const wchar_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
    }
    bytes.push_back(0);
    bytes.push_back(0);
}

}  // namespace

std::vector<std::uint8_t> EncodeRegistryText(const std::wstring& text) {
    std::vector<std::uint8_t> bytes;
    AppendUnits(bytes, text);
    return bytes;
}

std::vector<std::uint8_t> EncodeRegistryDword(std::int32_t number) {
    const auto v = static_cast<std::uint32_t>(number);
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
            static_cast<std::uint8_t>(v >> 24)};
}

std::vector<std::uint8_t> EncodeRegistryMultiText(const std::vector<std::wstring>& strings) {
    std::vector<std::uint8_t> bytes;
    for (const std::wstring& s : strings) AppendUnits(bytes, s);
    if (strings.empty()) AppendUnits(bytes, L"");
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

std::wstring RegistryTypeMismatchText(std::int32_t stored, std::int32_t requested) {
    return L"Registry data type was " + std::to_wstring(stored) + L"instead of the requested " +
           std::to_wstring(requested);
}

}  // namespace panorel
