#include "host/AnsiText.h"

#include <windows.h>

#include <climits>

namespace panorel {

std::string ToAnsi(std::wstring_view text) {
    if (text.empty() || text.size() > INT_MAX / 4) return {};
    const int n = static_cast<int>(text.size());
    const int len = ::WideCharToMultiByte(CP_ACP, 0, text.data(), n, nullptr, 0, nullptr, nullptr);
    if (len <= 0) return {};
    std::string out(static_cast<std::size_t>(len), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), n, out.data(), len, nullptr, nullptr);
    return out;
}

std::wstring FromAnsi(std::string_view bytes) {
    if (bytes.empty() || bytes.size() > INT_MAX) return {};
    const int n = static_cast<int>(bytes.size());
    const int len = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), n, nullptr, 0);
    if (len <= 0) return {};
    std::wstring out(static_cast<std::size_t>(len), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), n, out.data(), len);
    return out;
}

}  // namespace panorel
