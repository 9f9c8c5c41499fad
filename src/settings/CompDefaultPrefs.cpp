#include "settings/CompDefaultPrefs.h"

#include "settings/DefPrefsHandles.h"

namespace panorel {

HFONT DefaultFontHandle(std::int32_t FontType) {
    // Made on first use and kept until the process ends.
    static DefPrefsHandles shared;
    return shared.GetHandle(FontType);
}

}  // namespace panorel
