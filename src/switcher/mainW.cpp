#include "switcher/mainW.h"

#include "host/AnsiText.h"
#include "host/Screen.h"
#include "settings/ErrLog.h"
#include "settings/WinAPIError.h"
#include "switcher/CommandLine.h"
#include "switcher/EventNames.h"
#include "switcher/PanelLayout.h"

namespace panorel {

std::wstring WindowsDirectory() {
    wchar_t buffer[256] = {};
    UINT n = ::GetWindowsDirectoryW(buffer, 256);
    if (n >= 256) n = 0;  // would not fit: no directory rather than a cut one
    std::wstring dir(buffer, n);
    if (!dir.empty() && dir.back() == L'\\') dir.pop_back();
    return dir;
}

mainW::mainW(std::wstring commandLine) : Form(L"Panorel2Switcher"), commandLine_(std::move(commandLine)) {}

mainW::~mainW() = default;

void mainW::Form_Load() {
    PreviewFormat = ::RegisterClipboardFormatW(L"velmora_panorel2");
    ExplorerPath = WindowsDirectory() + L"\\explorer.exe";

    DesktopNumber = DesktopNumberFromCommandLine(commandLine_);
    if (DesktopNumber == 0) {
        LogError(L"Spacehost: Invalid or non-existent command line argument.");
        throw StartupAbort("invalid command line");
    }

    TaskbarCreatedMsg = ::RegisterWindowMessageA("TaskbarCreated");

    const std::wstring n = std::to_wstring(DesktopNumber);
    SetCaption(L"Spacehost" + n);
    ::SetPropA(hWnd(), ("Panorel2_APP" + std::to_string(DesktopNumber)).c_str(), reinterpret_cast<HANDLE>(1));

    OpenEvents();
    ComputePreviewSize();
}

void mainW::OpenEvents() {
    BuildEventNames();
    for (std::int16_t i = 1; i <= kEventCount; ++i) {
        const std::string name = EventName(i);
        EventHandles[i].reset(::OpenEventA(EVENT_ALL_ACCESS, FALSE, name.c_str()));
        if (!EventHandles[i]) {
            const DWORD error = ::GetLastError();
            LogError(L"Spacehost" + std::to_wstring(DesktopNumber) + L": Failed to open event " + FromAnsi(name) +
                     L" (" + SystemErrorText(error) + L")");
            throw StartupAbort("event missing");
        }
    }
}

void mainW::ComputePreviewSize() {
    const std::int32_t w = ScreenPixels(host::Screen::Width(), host::Screen::TwipsPerPixelX());
    const std::int32_t h = ScreenPixels(host::Screen::Height(), host::Screen::TwipsPerPixelY());
    PreviewWidth = PreviewExtent(w);
    PreviewHeight = PreviewExtent(h);
}

void mainW::SignalEvent(int index) {
    if (index >= 1 && index <= kEventCount && EventHandles[index]) ::SetEvent(EventHandles[index].get());
}

void mainW::Form_QueryUnload() {
    for (int i = 1; i <= kEventCount; ++i) EventHandles[i].reset();
}

void mainW::Form_Unload() {
    if (EndProcessOnUnload) ::PostQuitMessage(0);
}

}  // namespace panorel
