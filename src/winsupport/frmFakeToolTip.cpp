#include "winsupport/frmFakeToolTip.h"

#include "host/PanorelError.h"
#include "host/Screen.h"
#include "settings/CompDefaultPrefs.h"
#include "winsupport/GraphicsHelpers.h"
#include "winsupport/MSubclass.h"

namespace panorel {
namespace {

constexpr COLORREF kOutlineColour = 0x8080FF;
constexpr COLORREF kBackColour = 0xC0C0FF;
constexpr int kMenuFont = 4;
constexpr UINT kSwpShowTip = SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER;  // 0x251

}  // namespace

frmFakeToolTip::frmFakeToolTip()
    : Form(L"Panorel2FakeToolTip", WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE) {}

frmFakeToolTip::~frmFakeToolTip() { Unload(); }

void frmFakeToolTip::Form_Load() {
    measureDc_.reset(::CreateCompatibleDC(nullptr));
    if (measureDc_ && !oldFont_) {
        HFONT menuFont = nullptr;
        SkipOnError([&] { menuFont = DefaultFontHandle(kMenuFont); });
        if (menuFont) oldFont_ = ::SelectObject(measureDc_.get(), menuFont);
    }
    outlineBrush_.reset(::CreateSolidBrush(kOutlineColour));
    ownerWindowActive_ = true;
    twipsPerPixel_ = static_cast<std::int32_t>(host::Screen::TwipsPerPixelX());
    const FakeToolTipGeometry g = TipGeometry(0, 0, twipsPerPixel_);
    Move(0, 0, g.windowWidth, g.windowHeight);
}

void frmFakeToolTip::Form_Unload() {
    if (measureDc_ && oldFont_) ::SelectObject(measureDc_.get(), oldFont_);
    oldFont_ = nullptr;
    measureDc_.reset();
    outline_.reset();
    outlineBrush_.reset();
    DetachOwner();
}

void frmFakeToolTip::DetachOwner() noexcept {
    if (!owner_) return;
    for (UINT m : {WM_MOVE, WM_ACTIVATE}) SkipOnError([&] { DetachMessage(this, owner_, m); });
    owner_ = nullptr;
}

void frmFakeToolTip::TextSet(const std::wstring& text) {
    const HWND hwnd = hWnd();
    outline_.reset();
    textRect_ = measureDc_ ? TextExtent(measureDc_.get(), text) : RECT{0, 0, 0, 0};
    const FakeToolTipGeometry g = TipGeometry(textRect_.right, textRect_.bottom, twipsPerPixel_);
    ::SetWindowPos(hwnd, nullptr, 0, 0, g.windowWidth, g.windowHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RegionHandle body(
        ::CreateRoundRectRgn(g.body.left, g.body.top, g.body.right, g.body.bottom, g.corner, g.corner));
    POINT tail[3];
    for (int i = 0; i < 3; ++i) tail[i] = POINT{g.tail[i].x, g.tail[i].y};
    RegionHandle tailRegion(::CreatePolygonRgn(tail, 3, ALTERNATE));
    if (body && tailRegion) {
        ::CombineRgn(body.get(), body.get(), tailRegion.get(), RGN_OR);
        outline_.reset(::CreateRectRgn(0, 0, 0, 0));
        if (outline_) ::CombineRgn(outline_.get(), body.get(), nullptr, RGN_COPY);
        if (::SetWindowRgn(hwnd, body.get(), TRUE)) body.release();  // the system owns it now
    }
    text_ = text;
    ::InvalidateRect(hwnd, nullptr, TRUE);
}

void frmFakeToolTip::ShowTip(std::int32_t& X, std::int32_t& Y) {
    const HWND hwnd = hWnd();
    X = TipLeftFor(X, twipsPerPixel_);
    ::SetWindowPos(hwnd, HWND_TOPMOST, X, Y, 0, 0, kSwpShowTip);
}

void frmFakeToolTip::SubClsOwner(HWND& OwnerHWnd) {
    hWnd();
    if (OwnerHWnd == owner_) return;
    DetachOwner();
    AttachMessage(this, OwnerHWnd, WM_MOVE);
    AttachMessage(this, OwnerHWnd, WM_ACTIVATE);
    owner_ = OwnerHWnd;
}

std::int32_t frmFakeToolTip::MsgResponse(std::int32_t& CurrentMessage) {
    return CurrentMessage == WM_MOVE || CurrentMessage == WM_ACTIVATE ? kPreProcess : kReplaceProcess;
}

LRESULT frmFakeToolTip::WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM) {
    if (hWnd != owner_) return 0;
    if (iMsg == WM_MOVE) {
        if (Visible()) Hide();
    } else if (iMsg == WM_ACTIVATE) {
        if (!ActivatedBy(iMsg, wParam)) {
            ownerWindowActive_ = false;
            if (Visible()) Hide();
        } else {
            ownerWindowActive_ = true;
        }
    }
    return 0;
}

bool frmFakeToolTip::OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    switch (msg) {
        case WM_MOUSEACTIVATE:
            result = MA_NOACTIVATE;
            return true;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            if (owner_) ::SetFocus(owner_);
            result = 0;
            return true;
        case WM_ERASEBKGND:
            result = 1;
            return true;
        case WM_PAINT:
            Paint();
            result = 0;
            return true;
        default:
            return false;
    }
}

void frmFakeToolTip::Paint() {
    PAINTSTRUCT ps;
    const HDC dc = ::BeginPaint(hWnd(), &ps);
    if (dc) {
        RECT all{};
        ::GetClientRect(hWnd(), &all);
        FillRectColor(dc, all, kBackColour);
        if (outline_ && outlineBrush_) ::FrameRgn(dc, outline_.get(), outlineBrush_.get(), 1, 1);
        HFONT menuFont = nullptr;
        SkipOnError([&] { menuFont = DefaultFontHandle(kMenuFont); });
        SelectionGuard font(dc, menuFont);
        ::SetBkColor(dc, kBackColour);
        ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
        const FakeToolTipGeometry g = TipGeometry(textRect_.right, textRect_.bottom, twipsPerPixel_);
        DrawTextRect(dc, text_, RECT{g.text.left, g.text.top, g.text.right, g.text.bottom}, 0);
    }
    ::EndPaint(hWnd(), &ps);
}

}  // namespace panorel
