#include "host/PopupMenu.h"

namespace panorel::host {

bool PopupMenu(HWND control, HMENU menu, UINT flags, int x, int y) {
    if (!control || !::IsWindow(control) || !::IsMenu(menu)) return false;
    POINT at{x, y};
    ::ClientToScreen(control, &at);
    const HWND form = ::GetAncestor(control, GA_ROOT);
    // Only the alignment flags are the caller's; the menu tracks the left button.
    const UINT align = flags & (TPM_CENTERALIGN | TPM_RIGHTALIGN | TPM_VCENTERALIGN | TPM_BOTTOMALIGN);
    return ::TrackPopupMenu(menu, align | TPM_LEFTBUTTON, at.x, at.y, 0, form ? form : control, nullptr) != FALSE;
}

}  // namespace panorel::host
