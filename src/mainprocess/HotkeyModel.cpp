#include "mainprocess/HotkeyModel.h"

#include "switcher/EventNames.h"

namespace panorel {

int HotkeyEventIndex(int active, int id) {
    if (active < 1 || active > 4 || OurHotkeyId(id) == 0) return 0;
    return id == kPanelHotkeyId ? ShowPreviewSwitcherIndex(active) : SwitchToIndex(active, id);
}

const wchar_t* HotkeyValueName(int id) {
    static const wchar_t* const names[] = {L"", L"Desktop1Key", L"Desktop2Key", L"Desktop3Key", L"Desktop4Key",
                                           L"PanelKey"};
    return OurHotkeyId(id) ? names[id] : L"";
}

}  // namespace panorel
