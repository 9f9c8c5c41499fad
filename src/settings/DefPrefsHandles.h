#pragma once
// Font handles of the user's six system font kinds, made on first request
// and owned by this object for its whole life.
#include <windows.h>

#include <array>
#include <cstdint>

#include "host/Handles.h"
#include "settings/UserSettings.h"

namespace panorel {

class DefPrefsHandles {
public:
    DefPrefsHandles();
    ~DefPrefsHandles();
    DefPrefsHandles(const DefPrefsHandles&) = delete;
    DefPrefsHandles& operator=(const DefPrefsHandles&) = delete;

    // The font of kind 1..6, created on the first request (a failed creation
    // gives 0 and is not retried). Another kind raises error 9.
    HFONT GetHandle(std::int32_t FontType);
    // The kind's LOGFONT height in pixels of `hDC`; 0 for another kind.
    std::int32_t GetHeightInPixel(std::int32_t FontType, HDC hDC) const;
    // Deletes the font of kind i if this object made it; another kind raises
    // error 9.
    void ReleaseHandle(std::int32_t i);

    const SystemFontRecords& Records() const noexcept { return records_; }

private:
    std::array<FontHandle, 7> hFonts_;  // index 1..6
    std::array<bool, 7> created_{};
    SystemFontRecords records_;
};

}  // namespace panorel
