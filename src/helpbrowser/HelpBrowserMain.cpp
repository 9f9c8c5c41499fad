// helpBrowser.exe [topic]: the switcher's button passes "1", the first
// topic; a topic's name or title opens that topic. One per sign-in session:
// a second start hands its topic to the first.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "controlpanel/HandOver.h"
#include "helpbrowser/HelpBrowser.h"
#include "host/SingleInstance.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    std::wstring request;
    for (int i = 1; argv && i < argc; ++i) request += (i > 1 ? L" " : L"") + std::wstring(argv[i]);
    if (argv) ::LocalFree(argv);

    const panorel::host::InstanceClaim claim(panorel::help::kHelpBrowserMutex);
    if (!claim.First()) {
        if (claim.WaitReady(10000))
            panorel::HandOverToRunningInstance(panorel::help::kHelpBrowserClass, request.empty() ? L"1" : request);
        return 0;
    }
    panorel::help::HelpBrowser browser;
    if (!browser.Create(instance, request)) return 1;
    claim.MarkReady();
    return browser.Run();
}
