// Entry routine of Spacehost.exe: one switcher per desktop, started with its
// desktop number as the whole command line.
#include "switcher/mainDS.h"

#include <windows.h>

#include "host/Form.h"
#include "settings/AppIcon.h"
#include "switcher/mainW.h"

namespace {

// The command line without the program name.
std::wstring CommandArguments() {
    const wchar_t* p = ::GetCommandLineW();
    if (!p) return {};
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"') ++p;
        if (*p) ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t') ++p;
    }
    while (*p == L' ' || *p == L'\t') ++p;
    return p;
}

}  // namespace

namespace panorel {

int Main(const std::function<void(mainW&)>& beforeLoad) {
    mainW window(CommandArguments());
    window.EndProcessOnUnload = true;
    if (beforeLoad) beforeLoad(window);
    try {
        SetIcon(window.hWnd(), "AAA", true);
        window.formBg.Load();
    } catch (const StartupAbort&) {
        return 1;
    }
    return host::RunMessageLoop();
}

}  // namespace panorel
