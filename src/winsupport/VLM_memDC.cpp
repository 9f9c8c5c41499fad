#include "winsupport/VLM_memDC.h"

namespace panorel {

bool VLM_memDC::Create(std::int32_t Width, std::int32_t Height) {
    Destroy();
    // Any size goes to the system, which decides what it can make.
    MemoryDcHandle display(::CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
    if (!display) return false;
    // The bitmap comes from the display DC so it has the display's colour
    // format, not the monochrome one of a fresh memory DC.
    MemoryDcHandle dc(::CreateCompatibleDC(display.get()));
    if (dc) {
        BitmapHandle bitmap(::CreateCompatibleBitmap(display.get(), Width, Height));
        if (bitmap) {
            oldBitmap_ = ::SelectObject(dc.get(), bitmap.get());
            if (oldBitmap_) {
                dc_ = std::move(dc);
                bitmap_ = std::move(bitmap);
                width_ = Width;
                height_ = Height;
                return true;
            }
        }
    }
    Destroy();
    return false;
}

bool VLM_memDC::Resize(std::int32_t newWidth, std::int32_t newHeight) {
    if (newHeight <= height_ && newWidth <= width_) return true;
    const bool transparent = MaskTransparentGet();
    const bool created = Create(newWidth, newHeight);
    MaskTransparentSet(transparent);
    if (font_) FontSet(font_);
    return created;
}

void VLM_memDC::FontSet(HFONT hFont) {
    // Without a DC nothing is selected, but the font is still remembered: the
    // first Resize selects it.
    HGDIOBJ replaced = dc_ ? ::SelectObject(dc_.get(), hFont) : nullptr;
    font_ = hFont;
    if (!oldFont_) oldFont_ = replaced;
}

void VLM_memDC::MaskTransparentSet(bool TrueForTrans) {
    if (dc_) ::SetBkMode(dc_.get(), TrueForTrans ? TRANSPARENT : OPAQUE);
}

bool VLM_memDC::MaskTransparentGet() const { return dc_ && ::GetBkMode(dc_.get()) == TRANSPARENT; }

void VLM_memDC::Destroy() noexcept {
    if (dc_) {
        ::SelectObject(dc_.get(), oldBitmap_);
        oldBitmap_ = nullptr;
        if (oldFont_) ::SelectObject(dc_.get(), oldFont_);
        oldFont_ = nullptr;  // the next DC records its own
    }
    bitmap_.reset();
    dc_.reset();
    width_ = 0;
    height_ = 0;
}

}  // namespace panorel
