#pragma once
// The preview of a desktop handed between switchers through the clipboard,
// under a private format, as the bare pixels of PreviewBits.
#include <windows.h>

#include <cstdint>

namespace panorel {

// Adds PreviewBits to the clipboard under the format; the clipboard's other
// formats stay (it is not emptied). Clipboard failures end it quietly.
void PublishPreview(UINT format);

// With the clipboard already open: copies the block of the format into
// PreviewBits and draws it w x h at (0, 0) of dc. A block shorter than a w x h
// picture is refused: PreviewBits and the picture keep what they had.
// Returns whether it drew.
bool DrawClipboardPreview(UINT format, HDC dc, std::int32_t w, std::int32_t h);

}  // namespace panorel
