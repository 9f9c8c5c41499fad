#include "winsupport/GraphicsHelpers.h"

#include <climits>

#include "host/Handles.h"

namespace panorel {
namespace {

int TextLength(const std::wstring& text) {
    return text.size() > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(text.size());
}

}  // namespace

RECT DrawTextRect(HDC dc, const std::wstring& text, RECT rect, UINT format) {
    ::DrawTextW(dc, text.c_str(), TextLength(text), &rect, format);
    return rect;
}

RECT TextExtent(HDC dc, const std::wstring& text) {
    RECT rect{0, 0, 0, 0};
    ::DrawTextW(dc, text.c_str(), TextLength(text), &rect, DT_CALCRECT);
    return rect;
}

void BlitCopy(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY) {
    ::BitBlt(dest, x, y, width, height, source, sourceX, sourceY, SRCCOPY);
}

void FillRectColor(HDC dc, const RECT& rect, COLORREF color) {
    BrushHandle brush(::CreateSolidBrush(color));
    if (brush) ::FillRect(dc, &rect, brush.get());
}

}  // namespace panorel
