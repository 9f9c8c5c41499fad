#include "settings/AppIcon.h"

namespace panorel {

void SetIcon(HWND hwnd, const char* resourceName, bool alsoTopOwner) {
    HWND topOwner = hwnd;
    if (alsoTopOwner) {
        for (HWND owner = ::GetWindow(hwnd, GW_OWNER); owner; owner = ::GetWindow(owner, GW_OWNER)) topOwner = owner;
    }
    const HINSTANCE self = ::GetModuleHandleW(nullptr);
    // Shared icons belong to the system; they are never destroyed here.
    const struct {
        int cx, cy;
        WPARAM which;
    } sizes[] = {{SM_CXICON, SM_CYICON, ICON_BIG}, {SM_CXSMICON, SM_CYSMICON, ICON_SMALL}};
    for (const auto& s : sizes) {
        HANDLE icon = ::LoadImageA(self, resourceName, IMAGE_ICON, ::GetSystemMetrics(s.cx),
                                   ::GetSystemMetrics(s.cy), LR_SHARED);
        if (alsoTopOwner) ::SendMessageW(topOwner, WM_SETICON, s.which, reinterpret_cast<LPARAM>(icon));
        ::SendMessageW(hwnd, WM_SETICON, s.which, reinterpret_cast<LPARAM>(icon));
    }
}

}  // namespace panorel
