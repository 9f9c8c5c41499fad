#include "mainprocess/MainLog.h"

#include "settings/ErrLog.h"
#include "settings/WinAPIError.h"

namespace panorel {

void LogMain(const std::wstring& message) { LogError(L"Panorel2: " + message); }

std::wstring Reason(std::uint32_t code) {
    std::wstring text = SystemErrorText(code);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    return L" (" + (text.empty() ? L"error " + std::to_wstring(code) : text) + L")";
}

}  // namespace panorel
