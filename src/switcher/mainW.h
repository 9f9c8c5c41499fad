#pragma once
// The switcher window: one per desktop, hidden until the panel is shown.
#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "host/Controls.h"
#include "host/Form.h"
#include "gifviewer/IGifRender.h"
#include "gifviewer/cGIFViewer.h"
#include "host/ControlSite.h"
#include "host/Handles.h"
#include "stylebutton/VLM_StyleButton.h"
#include "switcher/FormBg.h"
#include "switcher/PanelLayout.h"
#include "winsupport/ISubclass.h"
#include "winsupport/LineGS.h"
#include "winsupport/VLM_SysTray.h"
#include "winsupport/VLM_memDC.h"

namespace panorel {

// Thrown by the load sequence when the switcher must end at once (bad
// command line, missing event); the entry routine ends the process.
struct StartupAbort : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Gives a variable a value for one scope.
template <class T>
class ScopedValue {
public:
    ScopedValue(T& slot, T value) : slot_(slot), old_(slot) { slot_ = value; }
    ~ScopedValue() { slot_ = old_; }
    ScopedValue(const ScopedValue&) = delete;
    ScopedValue& operator=(const ScopedValue&) = delete;

private:
    T& slot_;
    T old_;
};

class mainW : public host::Form, public ISubclass, public IGifRender {
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
    // The design-time sizes at this screen's scaling, set as the load begins.
    PanelDesign Design;
    // Set by the entry routine: unloading the window ends the message loop.
    bool EndProcessOnUnload = false;

    // The panel. Arrays are indexed as the controls are: tiles and tabs 1..4,
    // tray icon images 0..3.
    std::unique_ptr<LineGS> Lines;
    std::array<std::unique_ptr<host::PictureBox>, 5> Picture1;
    std::array<std::unique_ptr<host::PictureBox>, 5> DeskName;
    std::array<host::ImageControl, 4> Image1;
    std::unique_ptr<host::PictureBox> picBottom;
    // The bar hosts the two buttons; it goes after them.
    std::unique_ptr<host::ControlContainer> buttonBar_;
    std::unique_ptr<VLM_StyleButton> cmdStartCP;
    std::unique_ptr<VLM_StyleButton> cmdHelp;
    std::array<VLM_memDC, 5> NameDC;
    std::array<VLM_memDC, 5> PreviewDC;
    std::array<std::wstring, 5> TabLabel;
    std::unique_ptr<VLM_SysTray> VLM_SysTray1;
    // The busy animation, centred in the own tile while the capture is scaled.
    std::unique_ptr<cGIFViewer> Spinner;
    // True once the animation loaded, which happens when the switcher is
    // first idle after its start, or at the first show before that.
    bool SpinnerLoaded = false;
    // The animation file, beside the program; tests replace it before the load.
    std::wstring SpinnerPath;
    // The stages of the show and the switch, as a seam for tests and for the
    // probed build of the program (the show benchmark's stage times, a slowed
    // scaling): called as a stage begins (true) and ends (false). Stages nest:
    // the paints run inside the show's message pump. Unset in the shipped
    // program.
    enum class Stage { Show, Capture, FormBg, Frames, ShowAndPaint, Tabs, Region, Spinner, Scaling };
    static constexpr int kStageCount = 9;
    std::function<void(Stage, bool begin)> StageProbe;

    // How the load finds the taskbar and starts a shell where there is none;
    // tests replace them before the window loads.
    std::function<HWND()> FindTaskbar;
    std::function<void(const std::wstring& path, int showCommand)> StartProgram;
    // The background window behind the shown panel.
    FormBg formBg;

    // Captures the own desktop and shows the panel.
    void ShowPanel();
    // Loads the busy animation now if it is still waiting to (a test seam too).
    void LoadPendingSpinner() {
        if (spinnerPending_) LoadSpinner();
    }
    void DrawPreviewFrame(std::int32_t j);
    void DrawPreviewTopEdge(std::int32_t j);
    // Reads the names and hotkeys and redraws the four tabs.
    void ReadDesktopNames();

    // Sets event i (1..54); the result is not checked.
    void SignalEvent(int index);

    // Subclass client for TaskbarCreatedMsg and WM_COPYDATA: this window's
    // handler runs first, then the window's own procedure, whose result counts.
    std::int32_t MsgResponse(std::int32_t& CurrentMessage) override;
    LRESULT WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) override;

    // The busy animation is always drawn into the own tile.
    void GetRenderDC(std::int32_t ViewerID, std::int32_t FrameIndex, std::intptr_t& destDC, HWND& hwndRefresh,
                     bool& bAutoRedraw, bool& PostNotify) override;
    void Rendered(std::int32_t ViewerID, std::int32_t FrameIndex, std::int32_t Message,
                  std::intptr_t MsgValue) override;

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
    void Form_Resize() override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void CreateControls();
    void CreateButtons();  // as stored with the window
    void SetUpButtons();   // load steps: font name, captions, style, colour
    void CreateImages();
    void DrawOutline(HDC dc, const OutlineDrawing& drawing);
    // A frame blends into the pixels under it, so drawing one again over an
    // old one (a tab that changed width, a new layout) would leave traces of
    // the old. Each tile keeps the pixels a frame can reach, two along each
    // edge, as its picture had them before any frame: KeepUnderFrame when a
    // new picture lands, RestoreUnderFrame before a frame is drawn.
    void KeepUnderFrame(int j);
    void RestoreUnderFrame(int j);
    std::array<VLM_memDC, 5> underRows_;  // top two rows, then bottom two
    std::array<VLM_memDC, 5> underCols_;  // left two columns, then right two
    std::array<PanelPoint, 5> underSize_;  // the tile size they were kept for
    void PaintTile(int j);
    // Keys on the open panel (PanelKeys): Escape, 1 to 4, arrows and Enter.
    void OnPanelKey(WPARAM virtualKey);
    int highlighted_ = 0;  // the tile the arrow keys reached, 0 for none
    void PaintTab(int j);

    void OpenEvents();
    void ComputePreviewSize();
    void OnTaskbarCreated();
    void OnCopyData(LPARAM lParam);

    void CaptureScreen();                    // copy the whole screen before the switch
    void DrawCaptureResized();               // scale the capture into tile n and PreviewBits
    void PublishPreview();                   // put PreviewBits on the clipboard
    void LoadPreview(std::int16_t j);        // draw the clipboard's preview into tile j
    void ReloadDesktopNames();               // ReadDesktopNames, DrawPreviewTopEdge 1..4, MakeRegionFromPictures
    void TogglePanel();                      // ShowPanel, or hide FormBg and then this window
    void AddTrayIcon();                      // own desktop's icon, tooltip, TrayIconAdded = Add
    void ShellOrTrayIcon();
    void LoadSpinner();                      // load the busy animation into the own tile, or do without
    bool spinnerPending_ = false;            // its load waits for the switcher to be idle

    // The switch or show whose message pump runs now. What a message handled
    // in that pump asks for must not take the sequence's capture away: a show
    // is dropped, a switch is signalled at once and the running sequence
    // publishes the preview when its capture is scaled (previewOwed_).
    enum class Sequence { None, Switch, Show };
    Sequence sequence_ = Sequence::None;
    bool previewOwed_ = false;
    // A toggle handled in the show's pump flips this instead of acting at
    // once: the show ends as its toggles leave it, so three quick toggles
    // end with the panel shown and two with it hidden.
    bool hideAfterShow_ = false;
    // Lets pending messages run once; false when one of them unloaded this
    // window, which ends the running sequence at once (its capture released).
    bool PumpInSequence();

    // Reports one stage to StageProbe for the life of the scope.
    class StageScope {
    public:
        StageScope(const mainW& w, Stage stage) : probe_(w.StageProbe), stage_(stage) {
            if (probe_) probe_(stage_, true);
        }
        ~StageScope() {
            if (probe_) probe_(stage_, false);
        }
        StageScope(const StageScope&) = delete;
        StageScope& operator=(const StageScope&) = delete;

    private:
        const std::function<void(Stage, bool)>& probe_;
        Stage stage_;
    };

    bool subclassed_ = false;

    std::wstring commandLine_;
};

// The Windows directory without a trailing backslash.
std::wstring WindowsDirectory();

}  // namespace panorel
