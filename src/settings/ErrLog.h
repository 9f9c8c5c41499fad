#pragma once
// The per-user error log "PanorelErrors.txt" in the local application data
// folder. Only start-up failures are logged; writing never fails loudly.
#include <windows.h>

#include <functional>
#include <string>

namespace panorel {

// The log's folder, ending in a backslash when it comes from the system;
// "c:\" when the system says S_FALSE or E_INVALIDARG, empty on other failures.
// Only a successful look-up is cached.
std::wstring LogFolder();
// Appends one entry: local date and time, a blank, the message, CR LF, and an
// empty line. Any failure loses the entry silently.
void LogError(const std::wstring& message);

// Test seam: replaces the system's folder look-up (nullptr restores it) and
// forgets the cached folder.
using FolderLookup = std::function<HRESULT(wchar_t* path260)>;
void SetLogFolderLookupForTesting(FolderLookup lookup);

}  // namespace panorel
