// The styled button alive: window messages turned into the input model's
// calls, and the model's requests (redraw, capture, menu, tooltip, events)
// carried out on the window. The parent form's activation arrives through
// the subclassing service; blinking runs on the control's CTimer.
#include "stylebutton/VLM_StyleButton.h"

#include <windowsx.h>
#include <commctrl.h>

#include <vector>

#include "host/PanorelError.h"
#include "host/PopupMenu.h"
#include "host/Rounding.h"
#include "host/ScreenUnits.h"
#include "stylebutton/ButtonInputModel.h"
#include "winsupport/MSubclass.h"
#include "winsupport/frmFakeToolTip.h"

namespace panorel {

using namespace stylebutton;

namespace {

constexpr UINT kMouseLeave = 675;      // WM_MOUSELEAVE
constexpr UINT kThemeChanged = 794;    // WM_THEMECHANGED
constexpr UINT kSysColorChange = 21;   // WM_SYSCOLORCHANGE
constexpr UINT kNcActivate = 134;      // WM_NCACTIVATE
constexpr std::int32_t kBlinkInterval = 600;
// Designed in pixels at 96 dpi.
constexpr int kMaxTipWidth = 240;
constexpr int kBlinkTipAboveBottom = 10;

std::int16_t ShiftState() {
    std::int16_t shift = 0;
    if (::GetKeyState(VK_SHIFT) < 0) shift |= 1;
    if (::GetKeyState(VK_CONTROL) < 0) shift |= 2;
    if (::GetKeyState(VK_MENU) < 0) shift |= 4;
    return shift;
}

using TrackMouseEventFunction = BOOL(WINAPI*)(LPTRACKMOUSEEVENT);

// Mouse-leave tracking: user32's export, else the common controls' one.
TrackMouseEventFunction FindLeaveTracking() {
    if (HMODULE user = ::GetModuleHandleW(L"user32.dll"))
        if (FARPROC f = ::GetProcAddress(user, "TrackMouseEvent"))
            return reinterpret_cast<TrackMouseEventFunction>(reinterpret_cast<void*>(f));
    if (HMODULE common = ::LoadLibraryW(L"comctl32.dll"))  // stays loaded, like the shell library
        if (FARPROC f = ::GetProcAddress(common, "_TrackMouseEvent"))
            return reinterpret_cast<TrackMouseEventFunction>(reinterpret_cast<void*>(f));
    return nullptr;
}

// Standard pointer codes of a control's window.
LPCWSTR StandardCursor(std::int16_t code) {
    switch (code) {
        case 1: return IDC_ARROW;
        case 2: return IDC_CROSS;
        case 3: return IDC_IBEAM;
        case 5: case 15: return IDC_SIZEALL;
        case 6: return IDC_SIZENESW;
        case 7: return IDC_SIZENS;
        case 8: return IDC_SIZENWSE;
        case 9: return IDC_SIZEWE;
        case 10: return IDC_UPARROW;
        case 11: return IDC_WAIT;
        case 12: return IDC_NO;
        case 13: return IDC_APPSTARTING;
        case 14: return IDC_HELP;
        default: return nullptr;
    }
}

// The form a control belongs to: the nearest ancestor that is an MDI child
// or a top-level window.
HWND ParentForm(HWND control, bool& mdiChild) {
    mdiChild = false;
    const HWND desktop = ::GetDesktopWindow();
    for (HWND w = ::GetAncestor(control, GA_PARENT); w && w != desktop; w = ::GetAncestor(w, GA_PARENT)) {
        if (::GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_MDICHILD) {
            mdiChild = true;
            return w;
        }
        if (!(::GetWindowLongPtrW(w, GWL_STYLE) & WS_CHILD)) return w;
    }
    return nullptr;
}

}  // namespace

struct VLM_StyleButton::InputState final : ButtonInputHost, ISubclass {
    explicit InputState(VLM_StyleButton& b) : button(b), model(*this) {}

    VLM_StyleButton& button;
    ButtonInputModel model;
    HWND form = nullptr;
    // An MDI child hears of its activation through WM_NCACTIVATE, any other
    // form through WM_ACTIVATE; only that one is watched.
    UINT activation = WM_ACTIVATE;
    TrackMouseEventFunction trackLeave = nullptr;
    WindowHandle toolTip;
    std::unique_ptr<frmFakeToolTip> fakeTip;
    HMENU menu = nullptr;
    // The pointer shown over the control, resolved when a pointer property
    // changes rather than on every WM_SETCURSOR.
    HCURSOR pointer = nullptr;
    HCURSOR customCursor = nullptr;
    PictureBytes cursorSource;
    // Set by every capture the control takes; a move that finds no reason to
    // hold it checks once and lets go, so moves cost no capture query.
    bool mayHoldCapture = false;

    // ButtonInputHost
    void Redraw() override { button.Redraw(); }
    void Raise(ButtonEvent event, const MouseArgs& a) override {
        VLM_StyleButton& b = button;
        switch (event) {
            case ButtonEvent::Click: if (b.Click) b.Click(); break;
            case ButtonEvent::DblClick: if (b.DblClick) b.DblClick(); break;
            case ButtonEvent::MouseEnter: if (b.MouseEnter) b.MouseEnter(); break;
            case ButtonEvent::MouseLeave: if (b.MouseLeave) b.MouseLeave(); break;
            case ButtonEvent::MouseDown: if (b.MouseDown) b.MouseDown(a.button, a.shift, a.x, a.y); break;
            case ButtonEvent::MouseUp: if (b.MouseUp) b.MouseUp(a.button, a.shift, a.x, a.y); break;
            case ButtonEvent::KeyDown: if (b.KeyDown) b.KeyDown(a.button, a.shift); break;
            case ButtonEvent::KeyUp: if (b.KeyUp) b.KeyUp(a.button, a.shift); break;
            case ButtonEvent::KeyPress: if (b.KeyPress) b.KeyPress(a.button); break;
        }
    }
    bool Enabled() const override { return button.model_.P.Enabled; }
    std::int32_t Mode() const override { return button.model_.P.Mode; }
    bool Value() const override { return button.model_.P.Value; }
    void SetValue(bool value) override { button.Let(Prop::Value, value); }
    void ClearGroup() override {
        for (host::HostedControl* sibling : button.site_.Siblings()) {
            auto* other = dynamic_cast<VLM_StyleButton*>(sibling);
            if (!other || other->hwnd_ == button.hwnd_ || other->model_.P.Mode != 2) continue;
            if (&other->site_.Container() != &button.site_.Container()) continue;
            other->Let(Prop::Value, false);
        }
    }
    void HandCursor() override {
        if (button.handCursor_) ::SetCursor(button.handCursor_);
    }
    void TrackLeave() override {
        if (!trackLeave || !button.hwnd_) return;
        TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, button.hwnd_, 0};
        trackLeave(&t);
    }
    bool CaptureOnControl() const override { return button.hwnd_ && ::GetCapture() == button.hwnd_; }
    void ReleaseCapture() override { ::ReleaseCapture(); }
    void TakeCapture() override {
        if (!button.hwnd_) return;
        ::SetCapture(button.hwnd_);
        mayHoldCapture = true;
    }
    void ShowMenu(std::int32_t flags, float x, float y) override {
        host::PopupMenu(button.hwnd_, menu, static_cast<UINT>(flags), RoundToInt32(x), RoundToInt32(y));
    }
    bool CursorOverControl() const override {
        POINT p{};
        return button.hwnd_ && ::GetCursorPos(&p) && ::WindowFromPoint(p) == button.hwnd_;
    }
    void RebuildToolTip() override;
    void DoEvents() override { host::DoEvents(); }
    float ScaleWidth() const override { return static_cast<float>(button.W_); }
    float ScaleHeight() const override { return static_cast<float>(button.H_); }

    // ISubclass: the parent form's activation.
    std::int32_t MsgResponse(std::int32_t&) override { return kPostProcess; }
    LRESULT WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM) override {
        if (hWnd != form || iMsg != activation) return 0;
        SkipOnError([&] { model.Activation(ActivatedBy(iMsg, wParam), button.displayAsDefault_); });
        return 0;
    }

    HCURSOR ResolvePointer();
};

void VLM_StyleButton::InputStateDeleter::operator()(InputState* p) const noexcept { delete p; }

void VLM_StyleButton::InputState::RebuildToolTip() {
    const ButtonProperties& p = button.model_.P;
    const HWND hwnd = button.hwnd_;
    toolTip.reset();
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    DWORD style = TTS_ALWAYSTIP | TTS_NOPREFIX;
    if (p.ToolTipType == 1) style |= TTS_BALLOON;
    toolTip.reset(::CreateWindowExW(p.RightToLeft ? WS_EX_LAYOUTRTL : 0, TOOLTIPS_CLASSW, nullptr, style,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd, nullptr,
                                    instance, nullptr));
    if (!toolTip) return;
    const HWND tip = toolTip.get();
    ::SetClassLongPtrW(tip, GCL_STYLE, ::GetClassLongPtrW(tip, GCL_STYLE) | CS_DROPSHADOW);
    std::wstring text = p.ToolTip;
    TTTOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V1_SIZE;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = hwnd;
    info.uId = reinterpret_cast<UINT_PTR>(hwnd);
    ::GetClientRect(hwnd, &info.rect);
    info.hinst = instance;
    info.lpszText = text.data();
    ::SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    // A title (with its icon, 0 to 3) only where there is title text.
    if (!p.TooltipTitle.empty())
        ::SendMessageW(tip, TTM_SETTITLEW, static_cast<WPARAM>(p.ToolTipIcon),
                       reinterpret_cast<LPARAM>(p.TooltipTitle.c_str()));
    ::SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, DesignPixels(kMaxTipWidth, button.TwipsPerPixel()));
    if (p.TooltipBackColor != 0)
        ::SendMessageW(tip, TTM_SETTIPBKCOLOR, button.TranslateColor(p.TooltipBackColor) & 0xFFFFFF, 0);
}

HCURSOR VLM_StyleButton::InputState::ResolvePointer() {
    const ButtonProperties& p = button.model_.P;
    if (p.HandPointer && button.handCursor_) return button.handCursor_;
    if (p.MousePointer == 99 && !p.MouseIcon.empty()) {
        if (cursorSource != p.MouseIcon) {
            if (customCursor) ::DestroyCursor(customCursor);
            customCursor = nullptr;
            cursorSource = p.MouseIcon;
            // An icon or cursor file: its first image's bytes follow the directory.
            const auto& bytes = p.MouseIcon;
            if (bytes.size() >= 22) {
                const std::uint32_t size = bytes[14] | bytes[15] << 8 | bytes[16] << 16 | std::uint32_t(bytes[17]) << 24;
                const std::uint32_t offset = bytes[18] | bytes[19] << 8 | bytes[20] << 16 | std::uint32_t(bytes[21]) << 24;
                if (offset < bytes.size() && size <= bytes.size() - offset) {
                    std::vector<BYTE> image(bytes.begin() + offset, bytes.begin() + offset + size);
                    customCursor = reinterpret_cast<HCURSOR>(::CreateIconFromResourceEx(
                        image.data(), size, bytes[2] != 2, 0x00030000, 0, 0, LR_DEFAULTCOLOR));
                }
            }
        }
        return customCursor;
    }
    if (LPCWSTR standard = StandardCursor(p.MousePointer)) return ::LoadCursorW(nullptr, standard);
    return nullptr;
}

void VLM_StyleButton::StartInput() {
    input_.reset(new InputState(*this));
    input_->trackLeave = FindLeaveTracking();
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    if (HMODULE common = ::LoadLibraryW(L"comctl32.dll"))  // the tooltip class lives there
        if (auto init = reinterpret_cast<InitFunction>(
                reinterpret_cast<void*>(::GetProcAddress(common, "InitCommonControlsEx"))))
            init(&icc);
    timer_.ThatTime = [this] {
        InputState& in = *input_;
        const bool visible = in.fakeTip && in.fakeTip->Visible();
        const bool ownerActive = !in.fakeTip || in.fakeTip->OwnerWindowActive();
        switch (in.model.BlinkTick(visible, ownerActive)) {
            case BlinkTip::Show:
                if (in.fakeTip && hwnd_) {
                    RECT rc{};
                    ::GetWindowRect(hwnd_, &rc);
                    std::int32_t x = rc.left + RoundToInt32((rc.right - rc.left) / 2.0);
                    std::int32_t y = rc.bottom - DesignPixels(kBlinkTipAboveBottom, TwipsPerPixel());
                    in.fakeTip->ShowTip(x, y);
                }
                break;
            case BlinkTip::Hide:
                if (in.fakeTip) in.fakeTip->Hide();
                break;
            case BlinkTip::None:
                break;
        }
        in.Redraw();
    };
    // The parent form's activation, in run mode only.
    if (!site_.Ambient().UserMode || !hwnd_) return;
    bool mdiChild = false;
    const HWND form = ParentForm(hwnd_, mdiChild);
    if (!form) return;
    input_->form = form;
    input_->activation = mdiChild ? kNcActivate : WM_ACTIVATE;
    SkipOnError([&] { AttachMessage(input_.get(), form, input_->activation); });
}

void VLM_StyleButton::StopInput() noexcept {
    if (!input_) return;
    SkipOnError([&] { timer_.Interval(0); });
    timer_.ThatTime = nullptr;
    if (input_->form && ::IsWindow(input_->form))
        SkipOnError([&] { DetachMessage(input_.get(), input_->form, input_->activation); });
    if (::GetCapture() == hwnd_ && hwnd_) ::ReleaseCapture();
    if (input_->customCursor) ::DestroyCursor(input_->customCursor);
    input_.reset();
}

void VLM_StyleButton::PointerChanged() {
    if (input_) input_->pointer = input_->ResolvePointer();
}

void VLM_StyleButton::InputStateNormal() noexcept {
    if (input_) input_->model.State(kLookNormal);
}

std::int32_t VLM_StyleButton::InputLook() const noexcept { return input_ ? input_->model.State() : kLookNormal; }
bool VLM_StyleButton::HasFocus() const noexcept { return input_ && input_->model.HasFocus(); }
bool VLM_StyleButton::ParentActive() const noexcept { return !input_ || input_->model.ParentActive(); }
bool VLM_StyleButton::MouseOver() const noexcept { return input_ && input_->model.MouseOver(); }

void VLM_StyleButton::VisualState(std::int32_t state) {
    if (input_) input_->model.State(state);
    Redraw();
}

void VLM_StyleButton::Focus(bool hasFocus, bool parentActive) {
    if (input_) input_->model.Focus(hasFocus, parentActive);
    Redraw();
}

void VLM_StyleButton::EnabledAssigned() {
    if (!input_) return;
    InputState& in = *input_;
    if (model_.P.Enabled && model_.P.Blink) {
        if (!in.fakeTip) in.fakeTip = std::make_unique<frmFakeToolTip>();
        in.fakeTip->TextSet(model_.P.ToolTip);
        if (in.form) {
            HWND owner = in.form;
            SkipOnError([&] { in.fakeTip->SubClsOwner(owner); });
        }
        SkipOnError([&] { timer_.Interval(kBlinkInterval); });
        return;
    }
    SkipOnError([&] { timer_.Interval(0); });
    blinkPhase_ = false;
    in.model.ResetBlink();
    if (in.fakeTip && in.fakeTip->Visible()) in.fakeTip->Hide();
}

void VLM_StyleButton::SetPopupMenu(HMENU Menu, std::int32_t Align, std::int32_t Flags, bool) {
    if (!input_ || !::IsMenu(Menu)) return;
    input_->menu = Menu;
    input_->model.SetPopupMenu(Align, Flags);
}

void VLM_StyleButton::UnsetPopupMenu() {
    if (!input_) return;
    input_->menu = nullptr;
    input_->model.UnsetPopupMenu();
}

void VLM_StyleButton::AccessKeyPress(std::int16_t KeyAscii) {
    if (input_) input_->model.AccessKeyPress(KeyAscii);
}

HWND VLM_StyleButton::ToolTipWindow() const noexcept { return input_ ? input_->toolTip.get() : nullptr; }
frmFakeToolTip* VLM_StyleButton::FakeToolTip() const noexcept { return input_ ? input_->fakeTip.get() : nullptr; }
std::uint16_t VLM_StyleButton::BlinkTicks() const noexcept { return input_ ? input_->model.BlinkTicks() : 0; }

bool VLM_StyleButton::HandleInput(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (!input_ || !hwnd_) return false;
    InputState& in = *input_;
    ButtonInputModel& m = in.model;
    const bool hand = model_.P.HandPointer;
    auto mouse = [&](std::int16_t button) {
        return MouseArgs{button, ShiftState(), static_cast<float>(GET_X_LPARAM(lParam)),
                         static_cast<float>(GET_Y_LPARAM(lParam))};
    };
    result = 0;
    switch (msg) {
        case WM_MOUSEMOVE:
            // A capture that no held button or space bar explains is stale.
            if (in.mayHoldCapture && !(wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) && !m.SpaceHeld()) {
                in.mayHoldCapture = false;
                if (::GetCapture() == hwnd_) ::ReleaseCapture();
            }
            m.MouseMove(in.CursorOverControl(), hand);
            return true;
        case kMouseLeave:
            m.MouseLeave();
            return true;
        case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN: {
            // Like any control, it takes the focus and the mouse on a press.
            if (::GetFocus() != hwnd_) ::SetFocus(hwnd_);
            in.TakeCapture();
            const std::int16_t b = msg == WM_LBUTTONDOWN ? 1 : msg == WM_RBUTTONDOWN ? 2 : 4;
            m.MouseDown(mouse(b), hand);
            return true;
        }
        case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONUP: {
            const std::int16_t b = msg == WM_LBUTTONUP ? 1 : msg == WM_RBUTTONUP ? 2 : 4;
            const bool othersDown = (wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) != 0;
            if (!othersDown && !m.SpaceHeld() && ::GetCapture() == hwnd_) ::ReleaseCapture();
            m.MouseUp(mouse(b), hand);
            return true;
        }
        case WM_LBUTTONDBLCLK: case WM_RBUTTONDBLCLK: case WM_MBUTTONDBLCLK:
            if (::GetFocus() != hwnd_) ::SetFocus(hwnd_);
            m.DblClick(hand);
            return true;
        case WM_KEYDOWN: case WM_SYSKEYDOWN:
            m.KeyDown(static_cast<std::int16_t>(wParam & 0xFFFF), ShiftState());
            if (msg == WM_SYSKEYDOWN) result = ::DefWindowProcW(hwnd_, msg, wParam, lParam);
            return true;
        case WM_KEYUP: case WM_SYSKEYUP:
            m.KeyUp(static_cast<std::int16_t>(wParam & 0xFFFF), ShiftState());
            if (msg == WM_SYSKEYUP) result = ::DefWindowProcW(hwnd_, msg, wParam, lParam);
            return true;
        case WM_CHAR:
            m.KeyPress(static_cast<std::int16_t>(wParam & 0xFFFF));
            return true;
        case WM_SYSCHAR:
            // Alt and a letter that reached this control under a loop that
            // does not route keys: the host hands it on, maybe to a sibling.
            if (!site_.Container().DeliverAccessKey(static_cast<wchar_t>(wParam)))
                result = ::DefWindowProcW(hwnd_, msg, wParam, lParam);
            return true;
        case WM_GETDLGCODE:
            // Enter clicks this button itself; Escape belongs to the form's cancel control.
            result = wParam == VK_ESCAPE ? DLGC_WANTCHARS : DLGC_WANTALLKEYS | DLGC_WANTCHARS;
            return true;
        case WM_SETFOCUS:
            m.GotFocus();
            return true;
        case WM_KILLFOCUS:
            m.LostFocus(displayAsDefault_);
            return true;
        case WM_CAPTURECHANGED:
            return true;
        case kThemeChanged: case kSysColorChange:
            in.Redraw();
            return true;
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT && in.pointer) {
                ::SetCursor(in.pointer);
                result = TRUE;
                return true;
            }
            return false;
        default:
            return false;
    }
}

}  // namespace panorel
