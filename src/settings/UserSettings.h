#pragma once
// The user's system fonts as standard font objects, and the process-wide copy
// of the system's font records they are made from.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstdint>

#include "host/Handles.h"

namespace panorel {

// The ANSI non-client metrics record as the system fills it with size 340
// (the record before the padded-border field).
constexpr UINT kNonClientMetricsSize = 340;

struct SystemFontRecords {
    NONCLIENTMETRICSA Metrics{};
    LOGFONTA IconTitle{};
    bool Loaded = false;
};

// Fetches the non-client metrics and, when that worked, the icon title font
// into `records`; Loaded tells whether the last call worked.
void FetchSystemFonts(SystemFontRecords& records);
// The LOGFONT of font kind 1..6 in the records; nullptr for another kind.
const LOGFONTA* LogFontOfType(const SystemFontRecords& records, std::int32_t fontType);

// Refreshes the process-wide copy.
void LoadSystemFonts();
const SystemFontRecords& SystemFonts();

using FontObject = ComPtr<IFont>;

// A new standard font object describing `font` for a device with
// `logPixelsY` dots per inch; empty when the system cannot make one.
FontObject FontObjectFromLogFont(const LOGFONTA& font, std::int32_t logPixelsY);
// A new font object for the user's font kind 1..6 sized for `hDC`; empty for
// another kind. Fetches the system fonts first while no fetch has worked.
FontObject DefaultFont(HDC hDC, std::int32_t fontType);

}  // namespace panorel
