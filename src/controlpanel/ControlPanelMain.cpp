// ControlPanel-Panorel2.exe: one per sign-in session; a second start brings
// the first one's window forward. The switcher starts it with "1" as its
// command line, which it ignores.
#include <windows.h>

#include "controlpanel/ControlPanel.h"
#include "controlpanel/HandOver.h"
#include "host/SingleInstance.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    const panorel::host::InstanceClaim claim(panorel::kControlPanelMutex);
    if (!claim.First()) {
        if (claim.WaitReady(10000)) panorel::HandOverToRunningInstance(panorel::kControlPanelClass);
        return 0;
    }
    panorel::ControlPanel panel;
    return panel.Run(instance, claim);
}
