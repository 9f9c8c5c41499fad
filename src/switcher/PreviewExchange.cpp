#include "switcher/PreviewExchange.h"

#include "host/GlobalBlock.h"
#include "host/Handles.h"
#include "winsupport/modResize.h"

namespace panorel {

void PublishPreview(UINT format) {
    ClipboardSession clipboard;
    if (!clipboard.IsOpen()) return;
    GlobalMemoryHandle block = host::CopyToGlobal(PreviewBits.data(), PreviewBits.size(), 0);  // a fixed block
    if (!block) return;
    // Once accepted, the block belongs to the clipboard.
    if (::SetClipboardData(format, block.get())) block.release();
}

bool DrawClipboardPreview(UINT format, HDC dc, std::int32_t w, std::int32_t h) {
    if (w < 1 || h < 1 || !::IsClipboardFormatAvailable(format)) return false;
    HGLOBAL block = ::GetClipboardData(format);  // stays the clipboard's
    if (!block) return false;
    const SIZE_T size = ::GlobalSize(block);
    if (size == 0 || size < DibStride(w) * static_cast<std::size_t>(h)) return false;
    const host::LockedGlobal lock(block);
    if (!lock.data()) return false;
    PreviewBits.assign(static_cast<const std::uint8_t*>(lock.data()),
                       static_cast<const std::uint8_t*>(lock.data()) + size);
    const BITMAPINFOHEADER header = DibHeader(w, h);
    ::SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(w), static_cast<DWORD>(h), 0, 0, 0, static_cast<UINT>(h),
                        PreviewBits.data(), reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS);
    return true;
}

}  // namespace panorel
