#pragma once
// The switcher window: one per desktop, hidden until the panel is shown.
#include <windows.h>

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "host/Form.h"
#include "host/Handles.h"

namespace panorel {

// Thrown by the load sequence when the switcher must end at once (bad
// command line, missing event); the entry routine ends the process.
struct StartupAbort : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class mainW : public host::Form {
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

protected:
    void Form_Load() override;
    void Form_QueryUnload() override;
    void Form_Unload() override;

private:
    void OpenEvents();
    void ComputePreviewSize();

    std::wstring commandLine_;
};

// The Windows directory without a trailing backslash.
std::wstring WindowsDirectory();

}  // namespace panorel
