#include "settings/ErrLog.h"

#include <shlobj.h>

#include "host/AnsiText.h"
#include "host/Handles.h"

namespace panorel {
namespace {

std::wstring& CachedFolder() {
    static std::wstring folder;
    return folder;
}

FolderLookup& Lookup() {
    static FolderLookup lookup;
    return lookup;
}

HRESULT SystemFolderLookup(wchar_t* path) {
    return ::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, path);
}

// The user's general date format: short date, a blank, long time.
std::wstring LocalDateTime() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    wchar_t date[128] = {};
    wchar_t time[128] = {};
    ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, 128);
    ::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &now, nullptr, time, 128);
    return std::wstring(date) + L" " + time;
}

}  // namespace

std::wstring LogFolder() {
    std::wstring& cache = CachedFolder();
    if (!cache.empty()) return cache;
    wchar_t path[MAX_PATH + 1] = {};
    const HRESULT hr = Lookup() ? Lookup()(path) : SystemFolderLookup(path);
    path[MAX_PATH] = L'\0';
    if (hr == S_OK) {
        cache = path;  // up to the first NUL
        if (cache.empty() || cache.back() != L'\\') cache += L'\\';
        return cache;
    }
    if (hr == S_FALSE || hr == E_INVALIDARG) return L"c:\\";
    return {};
}

void LogError(const std::wstring& message) {
    const std::wstring file = LogFolder() + L"PanorelErrors.txt";
    KernelHandle log(::CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!log) return;
    const std::string entry = ToAnsi(LocalDateTime() + L" " + message + L"\r\n\r\n");
    DWORD written = 0;
    ::WriteFile(log.get(), entry.data(), static_cast<DWORD>(entry.size()), &written, nullptr);
}

void SetLogFolderLookupForTesting(FolderLookup lookup) {
    Lookup() = std::move(lookup);
    CachedFolder().clear();
}

}  // namespace panorel
