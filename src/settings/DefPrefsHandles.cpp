#include "settings/DefPrefsHandles.h"

#include "host/PanorelError.h"
#include "settings/FontMetrics.h"

namespace panorel {

DefPrefsHandles::DefPrefsHandles() { FetchSystemFonts(records_); }

DefPrefsHandles::~DefPrefsHandles() {
    for (std::int32_t i = 1; i <= 6; ++i) ReleaseHandle(i);
}

HFONT DefPrefsHandles::GetHandle(std::int32_t FontType) {
    if (!IsFontType(FontType)) throw PanorelError(kSubscriptOutOfRange, "", "Subscript out of range");
    const auto i = static_cast<std::size_t>(FontType);
    if (!created_[i]) {
        const LOGFONTA font = *LogFontOfType(records_, FontType);
        hFonts_[i].reset(::CreateFontIndirectA(&font));
        created_[i] = true;
    }
    return hFonts_[i].get();
}

std::int32_t DefPrefsHandles::GetHeightInPixel(std::int32_t FontType, HDC hDC) const {
    const LOGFONTA* font = LogFontOfType(records_, FontType);
    if (!font) return 0;
    return FontHeightInPixel(font->lfHeight, ::GetDeviceCaps(hDC, LOGPIXELSY));
}

void DefPrefsHandles::ReleaseHandle(std::int32_t i) {
    if (!IsFontType(i)) throw PanorelError(kSubscriptOutOfRange, "", "Subscript out of range");
    const auto k = static_cast<std::size_t>(i);
    if (created_[k]) {
        hFonts_[k].reset();
        created_[k] = false;
    }
}

}  // namespace panorel
