#pragma once
// Thin helpers over GDI text and fill calls.
#include <windows.h>

#include <string>

namespace panorel {

// DrawTextW with the whole text; returns the rectangle as the call leaves it.
RECT DrawTextRect(HDC dc, const std::wstring& text, RECT rect, UINT format);
// The size the text needs in the DC's current font (right = width, bottom = height).
RECT TextExtent(HDC dc, const std::wstring& text);
void BlitCopy(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY);
// Fills with a plain 0x00BBGGRR colour (system-colour references are not translated).
void FillRectColor(HDC dc, const RECT& rect, COLORREF color);

}  // namespace panorel
