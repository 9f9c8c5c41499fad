#pragma once
// Lets objects receive chosen messages of chosen windows before, after or
// instead of the window's own procedure. All bookkeeping lives in properties
// of the subclassed window, so this module keeps no tables. Stored clients
// are not owned: a client detaches everything it attached before it dies.
#include <windows.h>

#include <cstdint>
#include <string>

#include "winsupport/ISubclass.h"

namespace panorel {

// Error numbers raised here (added to kObjectErrorBase).
constexpr std::int32_t kCantSubclassWindow = 13081;
constexpr std::int32_t kMessageAlreadyHandled = 13082;
constexpr std::int32_t kInvalidWindow = 13083;
constexpr std::int32_t kExternalWindow = 13084;

// Registers the client for message `iMsg` of `hWnd`, subclassing the window on
// its first registration. Raises PanorelError on misuse.
void AttachMessage(ISubclass* client, HWND hWnd, UINT iMsg);
// Removes a registration made by AttachMessage, restoring the previous
// procedure when it was the window's last one.
void DetachMessage(ISubclass* client, HWND hWnd, UINT iMsg);
// The source of the errors raised by window-support modules: the program's
// executable name followed by ".WindowProc".
std::string WindowProcErrorSource();
// Whether the window belongs to the current process.
bool IsWindowLocal(HWND hWnd);
// The procedure installed on every subclassed window.
LRESULT CALLBACK SubclassWindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam);

}  // namespace panorel
