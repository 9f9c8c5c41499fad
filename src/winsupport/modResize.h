#pragma once
// Screen capture and scaled drawing: CaptureScreen copies the whole screen,
// DrawCaptureResized scales that copy into PreviewBits and draws it. The two
// are a pair; the draw releases what the capture made. One capture at a time,
// on the window thread.
#include <windows.h>

#include <cstdint>
#include <functional>

#include "winsupport/Resample.h"

namespace panorel {

// The process-wide preview pixels: one tile, 24-bit, bottom-up, rows padded
// to 4 bytes, no header. Holds the last scaled capture (or received preview).
extern PixelBuffer PreviewBits;

// Copies the current screen, layered windows included, into the module's
// capture. A capture not yet drawn is released first.
void CaptureScreen();

// Scales the last capture to w x h into PreviewBits and draws it at (0, 0) of
// dc, then releases the capture. Without a capture, or for a w or h below 2,
// nothing is drawn and PreviewBits keeps its pixels. The read of the capture
// is not checked: what it did not read is drawn black.
void DrawCaptureResized(HDC dc, std::int32_t w, std::int32_t h);

// The header that draws a w x h picture of this layout: 40 bytes, bottom-up,
// 24 bits, BI_RGB.
BITMAPINFOHEADER DibHeader(std::int32_t w, std::int32_t h);

// Whether a capture is held (between CaptureScreen and DrawCaptureResized).
bool CaptureHeld();
// Releases a capture that will not be drawn (its sequence ended early).
void DiscardCapture();

// Test seam: replaces the read of the capture's rows (GetDIBits from line 0;
// returns the lines read). An empty function restores the real read.
using DibReader = std::function<int(HDC dc, HBITMAP bitmap, UINT lines, void* bits, BITMAPINFO* info)>;
void SetDibReaderForTesting(DibReader reader);

}  // namespace panorel
