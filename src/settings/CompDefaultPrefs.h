#pragma once
// The one font-handle cache of the process.
#include <windows.h>

#include <cstdint>

namespace panorel {

// The shared handle of font kind 1..6 (another kind raises error 9). It stays
// valid for the whole run; callers select it but never delete it.
HFONT DefaultFontHandle(std::int32_t FontType);

}  // namespace panorel
