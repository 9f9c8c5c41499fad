#include "host/Controls.h"

#include <windowsx.h>

#include "host/Handles.h"
#include "host/PanorelError.h"

namespace panorel::host {

void Control::Move(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
}

PictureBox::PictureBox(HWND parent, int left, int top, int width, int height, COLORREF background)
    : Control(left, top, width, height), background_(background) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const wchar_t* className = L"Panorel2PictureBox";
    WNDCLASSEXW wc{};
    if (!::GetClassInfoExW(instance, className, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_OWNDC | CS_DBLCLKS;  // own DC: hDC stays valid like a picture box's
        wc.lpfnWndProc = &PictureBox::WndProc;
        wc.hInstance = instance;
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = className;
        ::RegisterClassExW(&wc);
    }
    hwnd_ = ::CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, left, top, width, height,
                              parent, nullptr, instance, this);
    if (!hwnd_) throw PanorelError(static_cast<std::int32_t>(::GetLastError()), "PictureBox", "Can't create control");
    dc_ = ::GetDC(hwnd_);
    ::SetBkColor(dc_, background);
}

PictureBox::~PictureBox() {
    if (hwnd_) {
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
}

int PictureBox::ScaleWidth() const {
    RECT rc{};
    ::GetClientRect(hwnd_, &rc);
    return rc.right;
}

int PictureBox::ScaleHeight() const {
    RECT rc{};
    ::GetClientRect(hwnd_, &rc);
    return rc.bottom;
}

void PictureBox::Move(int left, int top, int width, int height) {
    if (width < 0 || height < 0) return;
    Control::Move(left, top, width, height);
    ::SetWindowPos(hwnd_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void PictureBox::Refresh() {
    ::InvalidateRect(hwnd_, nullptr, FALSE);
    ::UpdateWindow(hwnd_);
}

LRESULT CALLBACK PictureBox::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* box = reinterpret_cast<PictureBox*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!box) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        box->hwnd_ = nullptr;
        box->dc_ = nullptr;  // the window's own DC goes with it
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    if (!box->hwnd_) box->hwnd_ = hwnd;  // messages sent during CreateWindowEx
    LRESULT result = 0;
    if (!SkipOnError([&] { result = box->Handle(msg, wParam, lParam); })) result = 0;
    return result;
}

LRESULT PictureBox::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_ERASEBKGND: {
            RECT rc;
            ::GetClientRect(hwnd_, &rc);
            BrushHandle brush(::CreateSolidBrush(background_));
            if (brush) ::FillRect(reinterpret_cast<HDC>(wParam), &rc, brush.get());
            return 1;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            ::BeginPaint(hwnd_, &ps);
            if (Paint) SkipOnError(Paint);
            ::EndPaint(hwnd_, &ps);
            return 0;
        }
        case WM_LBUTTONDOWN:
            pressed_ = true;
            ::SetCapture(hwnd_);
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            const int button = msg == WM_LBUTTONUP ? 1 : msg == WM_RBUTTONUP ? 2 : 4;
            bool click = false;
            if (msg == WM_LBUTTONUP && pressed_) {
                pressed_ = false;
                ::ReleaseCapture();
                RECT rc;
                ::GetClientRect(hwnd_, &rc);
                const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
                click = ::PtInRect(&rc, pt) != FALSE;
            }
            // Handlers may destroy this window's owner: copy what we need first.
            auto mouseUp = MouseUp;
            auto onClick = Click;
            if (mouseUp) SkipOnError([&] { mouseUp(button); });
            if (click && onClick) SkipOnError(onClick);
            return 0;
        }
        case WM_CAPTURECHANGED:
            pressed_ = false;
            return 0;
        default:
            return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
    }
}

}  // namespace panorel::host
