#pragma once
// The switcher window: one per desktop, hidden until the panel is shown.
#include <windows.h>

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "host/Form.h"
#include "host/Handles.h"
#include "winsupport/ISubclass.h"

namespace panorel {

// Thrown by the load sequence when the switcher must end at once (bad
// command line, missing event); the entry routine ends the process.
struct StartupAbort : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class mainW : public host::Form, public ISubclass {
public:
    explicit mainW(std::wstring commandLine);
    ~mainW() override;

    std::int16_t DesktopNumber = 0;
    UINT TaskbarCreatedMsg = 0;
    UINT PreviewFormat = 0;
    bool TrayIconAdded = false;
    std::array<KernelHandle, 55> EventHandles;  // index 1..54
    std::int32_t PreviewWidth = 0;
    std::int32_t PreviewHeight = 0;
    std::wstring ExplorerPath;
    // Set by the entry routine: unloading the window ends the message loop.
    bool EndProcessOnUnload = false;

    // Sets event i (1..54); the result is not checked.
    void SignalEvent(int index);

    // Subclass client for TaskbarCreatedMsg and WM_COPYDATA: this window's
    // handler runs first, then the window's own procedure, whose result counts.
    std::int32_t MsgResponse(std::int32_t& CurrentMessage) override;
    LRESULT WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) override;

    // Acts on an incoming event name if it is one of this switcher's own.
    void IncomingName(const std::wstring& text);
    // Asks for desktop j and publishes this desktop's preview.
    void RequestDesktop(std::int16_t j);
    // Sets Switcher i Update n for the three other switchers, i in order.
    void SignalPreviewUpdated();

protected:
    void Form_Load() override;
    void Form_QueryUnload() override;
    void Form_Unload() override;

private:
    void OpenEvents();
    void ComputePreviewSize();
    void OnTaskbarCreated();
    void OnCopyData(LPARAM lParam);

    // Seams where later work plugs in; each does nothing yet.
    void CaptureScreen();                    // copy the whole screen before the switch
    void DrawCaptureResized();               // scale the capture into tile n and PreviewBits
    void PublishPreview();                   // put PreviewBits on the clipboard
    void LoadPreview(std::int16_t j);        // draw the clipboard's preview into tile j
    void ReloadDesktopNames();               // ReadDesktopNames, DrawPreviewTopEdge 1..4, MakeRegionFromPictures
    void TogglePanel();                      // ShowPanel, or hide FormBg and then this window
    bool BackgroundVisible() const;          // whether FormBg is on screen
    void HideBackground();                   // hide FormBg
    void AddTrayIcon();                      // own desktop's icon, tooltip, TrayIconAdded = Add

    bool subclassed_ = false;

    std::wstring commandLine_;
};

// The Windows directory without a trailing backslash.
std::wstring WindowsDirectory();

}  // namespace panorel
