#include "switcher/mainW.h"

#include "host/AnsiText.h"
#include "host/Process.h"
#include "host/ProgramFolder.h"
#include "host/PanorelError.h"
#include "host/Screen.h"
#include "settings/ErrLog.h"
#include "settings/WinAPIError.h"
#include "switcher/CommandLine.h"
#include "switcher/EventNames.h"
#include "switcher/IncomingName.h"
#include "switcher/PanelLayout.h"
#include "switcher/PreviewExchange.h"
#include "winsupport/MSubclass.h"
#include "winsupport/Transparent.h"
#include "winsupport/modResize.h"

namespace panorel {

std::wstring WindowsDirectory() {
    wchar_t buffer[256] = {};
    UINT n = ::GetWindowsDirectoryW(buffer, 256);
    if (n >= 256) n = 0;  // would not fit: no directory rather than a cut one
    std::wstring dir(buffer, n);
    if (!dir.empty() && dir.back() == L'\\') dir.pop_back();
    return dir;
}

namespace {

// The busy animation loads once the switcher is idle after its start (a
// one-shot timer: WM_TIMER comes only when no other message waits), because
// the picture loader's first use sets up COM and its codecs, tens of
// milliseconds under Wine. A show asked for before that loads it first.
constexpr UINT_PTR kSpinnerLoadTimer = 1;
// A file that takes longer to load than this is not worth the stall it
// causes: the switcher goes on without the animation. The shipped one takes
// a few milliseconds, and under 100 on a loaded machine.
constexpr std::uint32_t kSpinnerLoadLimitMs = 1000;

// Starts a program with a show command; the result is not checked.
void StartWithShowCommand(const std::wstring& path, int showCommand) {
    host::StartProcess(path, L"\"" + path + L"\"", {}, showCommand);
}

}  // namespace

mainW::mainW(std::wstring commandLine)
    : Form(L"Panorel2Switcher", WS_EX_TOOLWINDOW),
      FindTaskbar([] { return ::FindWindowA("Shell_TrayWnd", ""); }),
      StartProgram(&StartWithShowCommand),
      commandLine_(std::move(commandLine)) {
    formBg.HideSwitcher = [this] { Hide(); };
    SpinnerPath = host::ProgramFolder() + L"\\ajax-loader.gif";
}

mainW::~mainW() {
    // A load that ended early leaves the window subclassed.
    if (subclassed_ && IsLoaded()) {
        SkipOnError([&] { DetachMessage(this, hWnd(), WM_COPYDATA); });
        SkipOnError([&] { DetachMessage(this, hWnd(), TaskbarCreatedMsg); });
    }
}

void mainW::Form_Load() {
    Design = PanelDesignFor(static_cast<std::int32_t>(host::Screen::TwipsPerPixelX()),
                            static_cast<std::int32_t>(host::Screen::TwipsPerPixelY()));
    CreateControls();
    Lines = std::make_unique<LineGS>();
    Spinner = std::make_unique<cGIFViewer>();
    PreviewFormat = ::RegisterClipboardFormatW(L"velmora_panorel2");
    SetUpButtons();
    ExplorerPath = WindowsDirectory() + L"\\explorer.exe";

    DesktopNumber = DesktopNumberFromCommandLine(commandLine_);
    if (DesktopNumber == 0) {
        LogError(L"Spacehost: Invalid or non-existent command line argument.");
        Lines.reset();
        Spinner.reset();
        throw StartupAbort("invalid command line");
    }

    TaskbarCreatedMsg = ::RegisterWindowMessageA("TaskbarCreated");

    AttachMessage(this, hWnd(), TaskbarCreatedMsg);
    AttachMessage(this, hWnd(), WM_COPYDATA);
    subclassed_ = true;

    const std::wstring n = std::to_wstring(DesktopNumber);
    SetCaption(L"Spacehost" + n);
    ::SetPropA(hWnd(), ("Panorel2_APP" + std::to_string(DesktopNumber)).c_str(), reinterpret_cast<HANDLE>(1));

    OpenEvents();
    ComputePreviewSize();
    CreateImages();
    ReadDesktopNames();
    ShellOrTrayIcon();
    // Covering the screen runs the layout.
    Move(0, 0, host::Screen::WidthPixels(), host::Screen::HeightPixels());
    spinnerPending_ = ::SetTimer(hWnd(), kSpinnerLoadTimer, USER_TIMER_MINIMUM, nullptr) != 0;
    if (!spinnerPending_) LoadSpinner();
}

void mainW::LoadSpinner() {
    if (spinnerPending_) ::KillTimer(hWnd(), kSpinnerLoadTimer);
    spinnerPending_ = false;
    if (!Spinner) return;  // unloaded meanwhile
    Spinner->LoadTimeLimit(kSpinnerLoadLimitMs);
    SpinnerLoaded = false;
    SpinnerLoaded = Spinner->LoadGIF(SpinnerPath, 1, this, hWnd()) >= 1;
    if (!SpinnerLoaded) {
        Spinner->UnloadGIF();  // the switcher works without the animation
        return;
    }
    // White, unscaled, centred in the own tile.
    const host::PictureBox& tile = *Picture1[DesktopNumber];
    std::int32_t x = -1, y = -1;
    Spinner->SetAnimationBkg(0, 0xFFFFFF, 0, 0, tile.ScaleWidth(), tile.ScaleHeight(), 8, &x, &y);
}

void mainW::GetRenderDC(std::int32_t, std::int32_t, std::intptr_t& destDC, HWND& hwndRefresh, bool&, bool&) {
    // Not while loading: frame 1 would land uncentred in the hidden tile.
    if (!SpinnerLoaded || DesktopNumber < 1 || DesktopNumber > 4 || !Picture1[DesktopNumber]) return;
    destDC = reinterpret_cast<std::intptr_t>(Picture1[DesktopNumber]->hDC());
    hwndRefresh = Picture1[DesktopNumber]->hWnd();
}

void mainW::Rendered(std::int32_t, std::int32_t, std::int32_t, std::intptr_t) {}

void mainW::OpenEvents() {
    BuildEventNames();
    for (std::int16_t i = 1; i <= kEventCount; ++i) {
        const std::string name = EventName(i);
        EventHandles[i].reset(::OpenEventA(EVENT_ALL_ACCESS, FALSE, name.c_str()));
        if (!EventHandles[i]) {
            const DWORD error = ::GetLastError();
            LogError(L"Spacehost" + std::to_wstring(DesktopNumber) + L": Failed to open event " + FromAnsi(name) +
                     L" (" + SystemErrorText(error) + L")");
            Lines.reset();
            Spinner.reset();
            throw StartupAbort("event missing");
        }
    }
}

void mainW::ComputePreviewSize() {
    const std::int32_t w = host::Screen::WidthPixels();
    const std::int32_t h = host::Screen::HeightPixels();
    PreviewWidth = PreviewExtent(w, Design.gutter);
    PreviewHeight = PreviewExtent(h, Design.gutter);
}

void mainW::SignalEvent(int index) {
    if (index >= 1 && index <= kEventCount && EventHandles[index]) ::SetEvent(EventHandles[index].get());
}

void mainW::Form_QueryUnload() {
    if (subclassed_) {
        subclassed_ = false;
        SkipOnError([&] { DetachMessage(this, hWnd(), WM_COPYDATA); });
        SkipOnError([&] { DetachMessage(this, hWnd(), TaskbarCreatedMsg); });
    }
    Spinner.reset();
    Lines.reset();
    // The icon leaves with the window. The control itself lives as long as
    // this object: a double-click handler of its own may be what is running.
    if (VLM_SysTray1) VLM_SysTray1->Remove();
    for (int i = 1; i <= kEventCount; ++i) EventHandles[i].reset();
    formBg.Unload();
}

void mainW::Form_Unload() {
    if (EndProcessOnUnload) ::PostQuitMessage(0);
}

std::int32_t mainW::MsgResponse(std::int32_t&) { return kPostProcess; }

LRESULT mainW::WindowProc(HWND hWnd, UINT iMsg, WPARAM, LPARAM lParam) {
    if (!IsLoaded() || hWnd != this->hWnd()) return 0;
    if (iMsg == TaskbarCreatedMsg) {
        OnTaskbarCreated();
    } else if (iMsg == WM_COPYDATA) {
        OnCopyData(lParam);
    }
    return 0;
}

void mainW::OnTaskbarCreated() {
    // Nothing is retried when there is no taskbar: the next broadcast comes.
    if (FindTaskbar && FindTaskbar()) SkipOnError([&] { AddTrayIcon(); });
}

void mainW::OnCopyData(LPARAM lParam) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (!data) return;
    // The byte count is a signed 32-bit value on the wire: 0 and below mean nothing.
    const auto count = static_cast<std::int32_t>(data->cbData);
    if (count < 1 || !data->lpData) return;
    const std::string bytes(static_cast<const char*>(data->lpData), static_cast<std::size_t>(count));
    // A trailing zero is kept as part of the text, which then matches no name.
    const std::wstring text = FromAnsi(bytes);
    SkipOnError([&] { IncomingName(text); });
}

void mainW::IncomingName(const std::wstring& text) {
    const IncomingAction action = ClassifyIncomingName(text, DesktopNumber);
    switch (action.Kind) {
        case IncomingKind::SwitchTo:
            if (action.Desktop != DesktopNumber)
                SkipOnError([&] { RequestDesktop(static_cast<std::int16_t>(action.Desktop)); });
            else
                ::MessageBeep(MB_OK);
            break;
        case IncomingKind::Update:
            SkipOnError([&] { LoadPreview(static_cast<std::int16_t>(action.Desktop)); });
            break;
        case IncomingKind::ReadReg:
            SkipOnError([&] { ReloadDesktopNames(); });
            break;
        case IncomingKind::Shutdown:
            Unload();
            break;
        case IncomingKind::ShowPreview:
            SkipOnError([&] { TogglePanel(); });
            break;
        case IncomingKind::ShowPopup:
        case IncomingKind::None:
            break;
    }
}

void mainW::RequestDesktop(std::int16_t j) {
    if (j < 1 || j > 4) return;
    if (sequence_ != Sequence::None) {
        // Asked inside a running switch or show (a forwarded SwitchTo, a tile
        // clicked while the own tile is scaled): the switch is not lost, but
        // a capture here would replace the running one, so that sequence
        // publishes the preview once its own capture is scaled.
        if (Visible()) Hide();
        SkipOnError([&] {
            if (formBg.Visible()) formBg.Hide();
        });
        SignalEvent(SwitchToDesktopIndex(j));
        previewOwed_ = true;
        return;
    }
    const ScopedValue<Sequence> running(sequence_, Sequence::Switch);
    if (!Visible()) {
        SkipOnError([&] { CaptureScreen(); });
        SignalEvent(SwitchToDesktopIndex(j));
        if (!PumpInSequence()) return;
        SkipOnError([&] { DrawCaptureResized(); });
    } else {
        Hide();
        SkipOnError([&] {
            if (formBg.Visible()) formBg.Hide();
        });
        SignalEvent(SwitchToDesktopIndex(j));
        if (!PumpInSequence()) return;
    }
    previewOwed_ = false;
    SkipOnError([&] { PublishPreview(); });
    SignalPreviewUpdated();
}

bool mainW::PumpInSequence() {
    host::DoEvents();
    if (IsLoaded()) return true;
    panorel::DiscardCapture();
    return false;
}

void mainW::SignalPreviewUpdated() {
    if (DesktopNumber < 1 || DesktopNumber > 4) return;
    for (const int index : PreviewUpdatedIndices(DesktopNumber)) SignalEvent(index);
}

void mainW::CaptureScreen() {
    const StageScope stage(*this, Stage::Capture);
    panorel::CaptureScreen();
}

void mainW::DrawCaptureResized() {
    const StageScope stage(*this, Stage::Scaling);
    const int n = DesktopNumber;
    panorel::DrawCaptureResized(PreviewDC[n].hDC(), Picture1[n]->ScaleWidth(), Picture1[n]->ScaleHeight());
    KeepUnderFrame(n);
}

void mainW::PublishPreview() { panorel::PublishPreview(PreviewFormat); }

void mainW::LoadPreview(std::int16_t j) {
    if (j < 1 || j > 4) return;
    ClipboardSession clipboard;
    if (!clipboard.IsOpen()) return;
    if (!DrawClipboardPreview(PreviewFormat, PreviewDC[j].hDC(), Picture1[j]->ScaleWidth(), Picture1[j]->ScaleHeight()))
        return;
    KeepUnderFrame(j);
    SkipOnError([&] { DrawPreviewFrame(j); });
    SkipOnError([&] { PaintTile(j); });
}

void mainW::ReloadDesktopNames() {
    SkipOnError([&] { ReadDesktopNames(); });
    for (int j = 1; j <= 4; ++j) SkipOnError([&] { DrawPreviewTopEdge(j); });
    SkipOnError([&] { MakeRegionFromPictures(*this); });
}

void mainW::TogglePanel() {
    if (sequence_ == Sequence::Show) {
        hideAfterShow_ = !hideAfterShow_;
        return;
    }
    if (!formBg.Visible()) {
        ShowPanel();
    } else {
        formBg.Hide();
        Hide();
    }
}

void mainW::ShellOrTrayIcon() {
    if (FindTaskbar && FindTaskbar()) {
        AddTrayIcon();
    } else if (DesktopNumber != 1 && StartProgram) {
        // The new shell's taskbar announces itself with TaskbarCreated.
        StartProgram(ExplorerPath, SW_SHOWMINIMIZED);
    }
}

void mainW::AddTrayIcon() {
    VLM_SysTray1->Icon(Image1[DesktopNumber - 1].Picture);
    VLM_SysTray1->ToolTip(L"Panoerl2");
    TrayIconAdded = VLM_SysTray1->Add();
}

bool mainW::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_TIMER && wParam == kSpinnerLoadTimer) {
        SkipOnError([&] { LoadSpinner(); });
        result = 0;
        return true;
    }
    if (msg == WM_KEYDOWN && Visible()) {
        SkipOnError([&] { OnPanelKey(wParam); });
        result = 0;
        return true;
    }
    // The tray icon's notifications arrive as this window's mouse moves.
    if (msg == WM_MOUSEMOVE && VLM_SysTray1) {
        SkipOnError([&] { VLM_SysTray1->HandleOwnerMessage(msg, wParam, lParam); });
        result = 0;
        return true;
    }
    return false;
}

}  // namespace panorel
