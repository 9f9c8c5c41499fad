#pragma once
// Uncompressed device-independent bitmaps with rows top first, as the code
// that reads or writes their pixels directly wants them.
#include <windows.h>

#include "host/Handles.h"

namespace panorel::host {

// The header of a width x height DIB of this depth, rows top first.
BITMAPINFO TopDownDibInfo(int width, int height, WORD bitsPerPixel);

// A DIB section with that header; `bits` receives its pixels (null, and an
// empty handle, on failure).
BitmapHandle CreateTopDownDib(HDC dc, int width, int height, WORD bitsPerPixel, void** bits);

}  // namespace panorel::host
