// The switcher window's panel: its controls, the full-screen layout, the
// frames of the tiles, the name tabs, and showing and hiding.
#include "switcher/mainW.h"

#include "host/PanorelError.h"
#include "resource_ids.h"
#include "settings/CompDefaultPrefs.h"
#include "settings/DesktopSettings.h"
#include "switcher/KeyNameText.h"
#include "switcher/PanelKeys.h"
#include "switcher/PanelLayout.h"
#include "switcher/TabLabel.h"
#include "winsupport/GraphicsHelpers.h"
#include "winsupport/Transparent.h"
#include "winsupport/modResize.h"

namespace panorel {
namespace {

constexpr int kMenuFont = 4;
constexpr COLORREF kWhite = RGB(255, 255, 255);
// How far a frame line reaches into its tile: the line and its smoothing.
constexpr int kFrameReach = 2;

RECT ToRect(const PanelRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

}  // namespace

void mainW::CreateControls() {
    const HWND self = hWnd();
    for (int j = 1; j <= 4; ++j) {
        Picture1[j] = std::make_unique<host::PictureBox>(self, 0, 0, 0, 0);
        Picture1[j]->Paint = [this, j] { PaintTile(j); };
        Picture1[j]->Click = [this, j] { RequestDesktop(static_cast<std::int16_t>(j)); };
        AddControl(*Picture1[j]);
        // The first tab image takes tab 1's design-time size.
        DeskName[j] = std::make_unique<host::PictureBox>(self, 0, 0, Design.tabWidth, Design.tabHeight);
        DeskName[j]->Paint = [this, j] { PaintTab(j); };
        AddControl(*DeskName[j]);
    }
    picBottom = std::make_unique<host::PictureBox>(self, 0, 0, Design.barWidth, Design.barHeight);
    AddControl(*picBottom);
    CreateButtons();
    VLM_SysTray1 = std::make_unique<VLM_SysTray>(self);
    VLM_SysTray1->MouseDblClick = [this](std::int16_t) { ShowPanel(); };
    for (int i = 0; i < 4; ++i) {
        Image1[i].Picture = static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr),
                                                            MAKEINTRESOURCEW(IDI_DESKTOP1 + i), IMAGE_ICON,
                                                            ::GetSystemMetrics(SM_CXSMICON),
                                                            ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
        AddControl(Image1[i]);
    }
}

void mainW::CreateImages() {
    const HFONT menuFont = DefaultFontHandle(kMenuFont);
    for (int i = 1; i <= 4; ++i) {
        NameDC[i].Create(DeskName[1]->ScaleWidth(), DeskName[1]->ScaleHeight());
        NameDC[i].MaskTransparentSet(true);
        NameDC[i].FontSet(menuFont);
        PreviewDC[i].Create(PreviewWidth, PreviewHeight);
        FillRectColor(PreviewDC[i].hDC(), RECT{0, 0, PreviewWidth, PreviewHeight}, kWhite);
        KeepUnderFrame(i);
    }
}

void mainW::Form_Resize() {
    if (!picBottom) return;  // before the controls exist
    ComputePreviewSize();
    const auto layout = ComputePanelLayout(ScaleWidth(), ScaleHeight(), PreviewWidth, PreviewHeight, Design.gutter);
    if (!layout) return;  // a window of no size has nothing to lay out
    for (int j = 1; j <= 4; ++j) {
        PreviewDC[j].Resize(PreviewWidth, PreviewHeight);
        if (!(underSize_[j] == PanelPoint{PreviewWidth, PreviewHeight})) KeepUnderFrame(j);
    }
    for (int j = 1; j <= 4; ++j) {
        const PanelPoint tile = layout->Tile(j);
        Picture1[j]->Move(tile.left, tile.top, PreviewWidth, PreviewHeight);
        const PanelPoint tab = TabPosition(tile, DeskName[j]->Height());
        DeskName[j]->Move(tab.left, tab.top);
    }
    const PanelPoint bar = ButtonBarPosition(ScaleWidth(), ScaleHeight(), picBottom->ScaleWidth(),
                                             picBottom->ScaleHeight());
    picBottom->Move(bar.left, bar.top);
    for (int j = 1; j <= 4; ++j) DrawPreviewFrame(j);
    const StageScope stage(*this, Stage::Region);
    MakeRegionFromPictures(*this);
}

void mainW::DrawOutline(HDC dc, const OutlineDrawing& drawing) {
    FillRectColor(dc, ToRect(drawing.whiteFill), kWhite);
    for (const PanelLine& line : drawing.lines) Lines->LineGP(dc, line.x1, line.y1, line.x2, line.y2, drawing.color);
}

void mainW::KeepUnderFrame(int j) {
    const HDC tile = PreviewDC[j].hDC();
    const int w = PreviewWidth, h = PreviewHeight, r = kFrameReach;
    underSize_[j] = {};
    if (w < r || h < r || !underRows_[j].Resize(w, 2 * r) || !underCols_[j].Resize(2 * r, h)) return;
    BlitCopy(underRows_[j].hDC(), 0, 0, w, r, tile, 0, 0);
    BlitCopy(underRows_[j].hDC(), 0, r, w, r, tile, 0, h - r);
    BlitCopy(underCols_[j].hDC(), 0, 0, r, h, tile, 0, 0);
    BlitCopy(underCols_[j].hDC(), r, 0, r, h, tile, w - r, 0);
    underSize_[j] = {w, h};
}

void mainW::RestoreUnderFrame(int j) {
    const HDC tile = PreviewDC[j].hDC();
    const int w = PreviewWidth, h = PreviewHeight, r = kFrameReach;
    if (!(underSize_[j] == PanelPoint{w, h})) return;
    BlitCopy(tile, 0, 0, w, r, underRows_[j].hDC(), 0, 0);
    BlitCopy(tile, 0, h - r, w, r, underRows_[j].hDC(), 0, r);
    BlitCopy(tile, 0, 0, r, h, underCols_[j].hDC(), 0, 0);
    BlitCopy(tile, w - r, 0, r, h, underCols_[j].hDC(), r, 0);
}

void mainW::DrawPreviewFrame(std::int32_t j) {
    if (j < 1 || j > 4) return;
    const StageScope stage(*this, Stage::Frames);
    RestoreUnderFrame(j);
    if (auto frame = PreviewFrame(j, DesktopNumber, DeskName[j]->Width(), PreviewWidth, PreviewHeight))
        DrawOutline(PreviewDC[j].hDC(), *frame);
}

void mainW::DrawPreviewTopEdge(std::int32_t j) {
    // The kept pixels come back along every edge, and with them the corners
    // of the side edges: the whole frame is drawn again for the new tab.
    DrawPreviewFrame(j);
}

void mainW::PaintTile(int j) {
    const HDC dc = Picture1[j]->hDC();
    const int w = Picture1[j]->ScaleWidth(), h = Picture1[j]->ScaleHeight();
    BlitCopy(dc, 0, 0, w, h, PreviewDC[j].hDC(), 0, 0);
    if (j != highlighted_) return;
    // The keyboard's highlight goes on the screen only, inside the frame; the
    // tile's image stays as the preview exchange made it.
    const int in = Design.highlightInset, t = Design.highlightWidth;
    const COLORREF colour = ::GetSysColor(COLOR_HIGHLIGHT);
    FillRectColor(dc, RECT{in, in, w - in, in + t}, colour);
    FillRectColor(dc, RECT{in, h - in - t, w - in, h - in}, colour);
    FillRectColor(dc, RECT{in, in, in + t, h - in}, colour);
    FillRectColor(dc, RECT{w - in - t, in, w - in, h - in}, colour);
}

void mainW::OnPanelKey(WPARAM virtualKey) {
    const PanelKeyAction action = PanelKey(static_cast<std::uint32_t>(virtualKey), highlighted_, DesktopNumber);
    switch (action.Kind) {
        case PanelKeyKind::Hide:  // as a click on the background: this window, then the background
            Hide();
            formBg.Hide();
            break;
        case PanelKeyKind::Pick:  // as a click on the tile
            RequestDesktop(static_cast<std::int16_t>(action.Desktop));
            break;
        case PanelKeyKind::Highlight: {
            const int old = highlighted_;
            highlighted_ = action.Desktop;
            if (old >= 1 && old <= 4) PaintTile(old);
            PaintTile(highlighted_);
            break;
        }
        case PanelKeyKind::None:
            break;
    }
}

void mainW::PaintTab(int j) {
    const StageScope stage(*this, Stage::Tabs);
    BlitCopy(DeskName[j]->hDC(), 0, 0, DeskName[j]->ScaleWidth(), DeskName[j]->ScaleHeight(), NameDC[j].hDC(), 0, 0);
}

void mainW::ReadDesktopNames() {
    const StageScope stage(*this, Stage::Tabs);
    for (int j = 1; j <= 4; ++j) {
        const std::wstring name = ReadDesktopName(j);  // the name first, then the hotkey
        const Hotkey hotkey = ReadDesktopHotkey(j);
        TabLabel[j] = BuildTabLabel(name, hotkey.Modifiers, KeyNameText(hotkey.Key));
        VLM_memDC& image = NameDC[j];
        const RECT text = TextExtent(image.hDC(), TabLabel[j]);
        const TabImage tab = TabImageLayout(text.right, text.bottom, j == DesktopNumber);
        image.Resize(tab.width, tab.height);
        DeskName[j]->Move(DeskName[j]->Left(), DeskName[j]->Top(), tab.width, tab.height);
        FillRectColor(image.hDC(), RECT{0, 0, tab.width, tab.height}, kWhite);
        DrawTextRect(image.hDC(), TabLabel[j], ToRect(tab.textRect), DT_SINGLELINE);
        for (const PanelLine& line : tab.outline.lines)
            Lines->LineGP(image.hDC(), line.x1, line.y1, line.x2, line.y2, tab.outline.color);
        DeskName[j]->Refresh();
    }
}

void mainW::ShowPanel() {
    // Asked inside a running switch (the desktop is being left) or show (the
    // panel is already coming): dropped, the running sequence keeps its capture.
    if (sequence_ != Sequence::None) return;
    const ScopedValue<Sequence> running(sequence_, Sequence::Show);
    const StageScope whole(*this, Stage::Show);
    previewOwed_ = false;
    hideAfterShow_ = false;
    highlighted_ = 0;
    const int n = DesktopNumber;
    CaptureScreen();  // before anything is shown: the desktop as the user left it
    {
        const StageScope stage(*this, Stage::FormBg);
        formBg.Show();
        ::SetWindowPos(formBg.hWnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    }
    {
        const StageScope stage(*this, Stage::Frames);
        FillRectColor(PreviewDC[n].hDC(), RECT{0, 0, Picture1[n]->ScaleWidth(), Picture1[n]->ScaleHeight()},
                      kWhite);
        KeepUnderFrame(n);
        DrawPreviewFrame(n);
    }
    {
        const StageScope stage(*this, Stage::ShowAndPaint);
        Show();
        ::SetWindowPos(hWnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        // The panel takes the keyboard (the main process lets it come forward).
        ::SetForegroundWindow(hWnd());
        // The backdrop goes directly behind the panel, not to the back of the
        // z-order: there it would lose its topmost place and lie under every
        // other window, dimming none of them and missing the dismissing click.
        ::SetWindowPos(formBg.hWnd(), hWnd(), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        if (!PumpInSequence()) return;
    }
    {
        // The busy animation runs in the own tile while the capture is scaled.
        const StageScope stage(*this, Stage::Spinner);
        LoadPendingSpinner();
        if (Spinner) Spinner->AnimationState(1);
        if (!PumpInSequence()) return;
    }
    DrawCaptureResized();
    DrawPreviewFrame(n);
    PaintTile(n);
    if (Spinner) Spinner->AnimationState(0);
    if (previewOwed_) {  // a tile was clicked meanwhile: its switch is on its way
        previewOwed_ = false;
        SkipOnError([&] { PublishPreview(); });
        SignalPreviewUpdated();
    }
    if (hideAfterShow_) {  // toggled off meanwhile: hidden as a toggle hides it
        SkipOnError([&] { formBg.Hide(); });
        Hide();
    }
}

}  // namespace panorel
