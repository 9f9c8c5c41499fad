#include "host/Form.h"

#include "host/ControlSite.h"
#include "host/PanorelError.h"

namespace panorel::host {

Form::Form(std::wstring className, DWORD exStyle) : className_(std::move(className)), exStyle_(exStyle) {}

Form::~Form() {
    if (hwnd_) {
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
}

HWND Form::hWnd() {
    if (hwnd_) return hwnd_;
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    if (!::GetClassInfoExW(instance, className_.c_str(), &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &Form::WndProc;
        wc.hInstance = instance;
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = className_.c_str();
        if (!::RegisterClassExW(&wc))
            throw PanorelError(static_cast<std::int32_t>(::GetLastError()), "Form", "Can't register window class");
    }
    const HWND hwnd = ::CreateWindowExW(exStyle_, className_.c_str(), L"", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 0, 0,
                                        nullptr, nullptr, instance, this);
    if (!hwnd) throw PanorelError(static_cast<std::int32_t>(::GetLastError()), "Form", "Can't create window");
    hwnd_ = hwnd;
    Form_Load();
    return hwnd_;
}

void Form::Unload() {
    if (!hwnd_ || unloading_) return;
    unloading_ = true;
    SkipOnError([&] { Form_QueryUnload(); });
    ::DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    SkipOnError([&] { Form_Unload(); });
    unloading_ = false;
}

void Form::Show() { ::ShowWindow(hWnd(), SW_SHOW); }
void Form::Hide() {
    if (hwnd_) ::ShowWindow(hwnd_, SW_HIDE);
}
bool Form::Visible() const { return hwnd_ && ::IsWindowVisible(hwnd_); }

void Form::SetCaption(const std::wstring& caption) { ::SetWindowTextW(hWnd(), caption.c_str()); }

std::wstring Form::Caption() const {
    if (!hwnd_) return {};
    const int n = ::GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(hwnd_, text.data(), n + 1)));
    return text;
}

int Form::ScaleWidth() const {
    RECT rc{};
    if (hwnd_) ::GetClientRect(hwnd_, &rc);
    return rc.right - rc.left;
}
int Form::ScaleHeight() const {
    RECT rc{};
    if (hwnd_) ::GetClientRect(hwnd_, &rc);
    return rc.bottom - rc.top;
}

void Form::Move(int left, int top, int width, int height) {
    ::SetWindowPos(hWnd(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Form::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT CALLBACK Form::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* form = reinterpret_cast<Form*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        form->hwnd_ = nullptr;
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    if (!form->hwnd_) form->hwnd_ = hwnd;  // messages sent during CreateWindowEx
    // Handlers ignore their errors; nothing may unwind through the system.
    LRESULT result = 0;
    if (SkipOnError([&] { result = form->Dispatch(msg, wParam, lParam); })) return result;
    return 0;
}

LRESULT Form::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (OnMessage(msg, wParam, lParam, result)) return result;
    switch (msg) {
        case WM_CLOSE:
            Unload();
            return 0;
        case WM_SIZE:
            Form_Resize();
            return 0;
        default:
            return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
    }
}

void DoEvents() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the main loop
            return;
        }
        if (RouteContainerKeys(msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

int RunMessageLoop() {
    MSG msg;
    BOOL got;
    while ((got = ::GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1) return 1;
        if (RouteContainerKeys(msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace panorel::host
