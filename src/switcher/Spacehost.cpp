// Spacehost.exe as shipped: the entry routine without seams.
#include <windows.h>

#include "switcher/mainDS.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return panorel::Main(); }
