#pragma once
#include <windows.h>

namespace panorel {

// Gives a window (and, with alsoTopOwner, its top-level owner) the big and
// small icons of the named icon resource of this program.
void SetIcon(HWND hwnd, const char* resourceName, bool alsoTopOwner);

}  // namespace panorel
