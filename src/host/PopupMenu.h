#pragma once
// The host's modal pop-up menu at a control's coordinates: returns when the
// menu closes; a chosen command goes to the control's form as WM_COMMAND.
#include <windows.h>

namespace panorel::host {

// `flags` are TrackPopupMenu's alignment flags; (x, y) are client pixels of
// `control`. False when the menu could not be shown.
bool PopupMenu(HWND control, HMENU menu, UINT flags, int x, int y);

}  // namespace panorel::host
