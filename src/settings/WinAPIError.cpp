#include "settings/WinAPIError.h"

#include <windows.h>

namespace panorel {

std::wstring SystemErrorText(std::uint32_t code) {
    wchar_t buffer[256] = {};
    const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                     buffer, 256, nullptr);
    if (n == 0 || n > 256) return {};
    return std::wstring(buffer, n);
}

}  // namespace panorel
