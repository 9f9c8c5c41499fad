#pragma once
// An off-screen device context with a display-compatible bitmap: a picture is
// composed here and copied to its window in one block copy.
#include <windows.h>

#include <cstdint>

#include "host/Handles.h"

namespace panorel {

class VLM_memDC {
public:
    VLM_memDC() = default;
    VLM_memDC(const VLM_memDC&) = delete;
    VLM_memDC& operator=(const VLM_memDC&) = delete;
    ~VLM_memDC() { Destroy(); }

    HDC hDC() const noexcept { return dc_.get(); }
    std::int32_t Width() const noexcept { return width_; }
    std::int32_t Height() const noexcept { return height_; }

    // Discards the old surface and makes a new one of that size.
    bool Create(std::int32_t Width, std::int32_t Height);
    // Grows the surface when either size is larger than now; never shrinks.
    // The content is lost on a grow; background mode and font are kept.
    bool Resize(std::int32_t newWidth, std::int32_t newHeight);
    // Selects a font (owned by the caller, never deleted here) and remembers
    // it, also when there is no DC yet.
    void FontSet(HFONT hFont);
    void MaskTransparentSet(bool TrueForTrans);
    bool MaskTransparentGet() const;

private:
    void Destroy() noexcept;

    MemoryDcHandle dc_;
    HGDIOBJ oldFont_ = nullptr;
    HFONT font_ = nullptr;
    BitmapHandle bitmap_;
    HGDIOBJ oldBitmap_ = nullptr;
    std::int32_t height_ = 0;
    std::int32_t width_ = 0;
};

}  // namespace panorel
