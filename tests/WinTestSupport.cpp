#include "WinTestSupport.h"

#include <shlobj.h>

#include <cstring>
#include <cwchar>
#include <fstream>
#include <iterator>
#include <optional>

#include "host/GlobalBlock.h"
#include "host/Process.h"
#include "switcher/EventNames.h"
#include "test_paths.h"

namespace panorel::test {
namespace {

std::wstring ErrorLogPath() {
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, path);
    return std::wstring(path) + L"\\PanorelErrors.txt";
}

// The object a window was created for (its CreateWindowEx parameter), kept
// in GWLP_USERDATA from WM_NCCREATE on; null before that.
template <class T>
T* WindowObject(HWND hwnd, UINT msg, LPARAM lParam) {
    if (msg == WM_NCCREATE)
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    return reinterpret_cast<T*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

}  // namespace

SharedEvents::SharedEvents() {
    for (std::int16_t i = 1; i <= kEventCount; ++i)
        events_[i].reset(::CreateEventA(nullptr, FALSE, FALSE, EventName(i).c_str()));
}

std::string SharedEvents::TakeSignalled() {
    std::string list;
    for (int i = 1; i <= kEventCount; ++i)
        if (::WaitForSingleObject(events_[i].get(), 0) == WAIT_OBJECT_0)
            list += (list.empty() ? "" : " ") + std::to_string(i);
    return list;
}

std::wstring DistPath(const std::wstring& file) { return std::wstring(PANOREL_DIST_DIR) + L"\\" + file; }

KernelHandle StartProgram(const std::wstring& file, const std::wstring& arguments, const std::wstring& folder) {
    const std::wstring exe = folder.empty() ? DistPath(file) : folder + L"\\" + file;
    return host::StartProcess(exe, L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments)).process;
}

long WaitExit(const KernelHandle& process, DWORD milliseconds) {
    if (::WaitForSingleObject(process.get(), milliseconds) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(process.get(), &code);
    return static_cast<long>(code);
}

const wchar_t* RegisterTestClass(const wchar_t* name, WNDPROC proc, HBRUSH background) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    ::RegisterClassW(&wc);
    return name;
}

std::wstring ChildTexts(HWND window) {
    std::wstring all;
    for (HWND c = nullptr; window && (c = ::FindWindowExW(window, c, nullptr, nullptr)) != nullptr;)
        all += WindowText(c) + L"|";
    return all;
}

HWND WaitForWindow(const wchar_t* caption, DWORD milliseconds, const wchar_t* windowClass) {
    HWND w = nullptr;
    PumpUntil([&] { return (w = ::FindWindowW(windowClass, caption)) != nullptr; }, milliseconds);
    return w;
}

std::wstring WindowText(HWND window) {
    wchar_t text[4096] = {};
    const LRESULT n = ::SendMessageW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
    return std::wstring(text, static_cast<std::size_t>(n > 0 ? n : 0));
}

std::string ReadErrorLog() {
    std::ifstream file(ErrorLogPath().c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void DeleteErrorLog() { ::DeleteFileW(ErrorLogPath().c_str()); }

bool PutSetting(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    return ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Panorel", name, type, data, size) == ERROR_SUCCESS;
}

void DeleteSettings() { ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Panorel"); }

std::uint32_t DibPixel(const std::string& bits, int width, int height, int x, int y) {
    const std::size_t at = static_cast<std::size_t>((width * 3 + 3) & ~3) * (height - 1 - y) + 3 * x;
    const auto* p = reinterpret_cast<const std::uint8_t*>(bits.data() + at);
    return (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
}

ScreenShot::ScreenShot() : width_(::GetSystemMetrics(SM_CXSCREEN)), height_(::GetSystemMetrics(SM_CYSCREEN)) {
    WindowDc screen = WindowDc::Client(nullptr);
    bits_ = DcBits(screen.get(), width_, height_);
    bits_.resize(static_cast<std::size_t>((width_ * 3 + 3) & ~3) * height_);  // all black when unreadable
}

ScreenCover::ScreenCover(std::function<void(HDC, int, int)> paint) : paint_(std::move(paint)) {
    window_.reset(::CreateWindowExW(WS_EX_TOPMOST, RegisterTestClass(L"Panorel2TestScreenCover", &Proc), L"", WS_POPUP, 0, 0,
                                    ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), nullptr,
                                    nullptr, ::GetModuleHandleW(nullptr), this));
    if (!window_) return;
    ::ShowWindow(window_.get(), SW_SHOW);
    ::UpdateWindow(window_.get());
    // The window reaches the X screen a little after it is painted.
    PumpFor(200);
}

LRESULT CALLBACK ScreenCover::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = WindowObject<ScreenCover>(hwnd, msg, lParam);
    if (msg == WM_ERASEBKGND) return 1;
    if (msg == WM_PAINT && self) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(hwnd, &ps);
        RECT r;
        ::GetClientRect(hwnd, &r);
        self->paint_(dc, r.right, r.bottom);
        ::EndPaint(hwnd, &ps);
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

void FillRectangle(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
    BrushHandle brush(::CreateSolidBrush(colour));
    RECT r{left, top, right, bottom};
    ::FillRect(dc, &r, brush.get());
}

void PaintHalves(HDC dc, int width, int height) {
    FillRectangle(dc, 0, 0, width / 2, height, RGB(0, 0, 200));
    FillRectangle(dc, width / 2, 0, width, height, RGB(0, 180, 0));
}

LRESULT SendCopyData(HWND window, const void* data, DWORD count) {
    COPYDATASTRUCT cds{0, count, const_cast<void*>(data)};
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL, 5000, &result);
    return static_cast<LRESULT>(result);
}

LRESULT ForwardName(HWND window, const std::string& shortName) {
    const std::string text = "Local\\velmora_" + shortName;
    return SendCopyData(window, text.data(), static_cast<DWORD>(text.size()));
}

bool PutClipboardBlock(UINT format, const std::string& bytes, bool empty) {
    ClipboardSession clipboard;
    if (!clipboard.IsOpen() || (empty && !::EmptyClipboard())) return false;
    GlobalMemoryHandle block = host::CopyToGlobal(bytes.data(), bytes.size());
    if (!block || !::SetClipboardData(format, block.get())) return false;
    block.release();
    return true;
}

bool SetClipboardText(const std::wstring& text) {
    const auto* p = reinterpret_cast<const char*>(text.c_str());
    return PutClipboardBlock(CF_UNICODETEXT, std::string(p, p + (text.size() + 1) * sizeof(wchar_t)), true);
}

std::wstring ClipboardText() {
    const std::string bytes = ClipboardBlock(CF_UNICODETEXT);
    std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    return text.substr(0, text.find(L'\0'));
}

std::string ClipboardBlock(UINT format, bool* found) {
    if (found) *found = false;
    // The receivers of a preview hold the clipboard open for a moment while
    // they read it: a reader here waits its turn rather than seeing nothing.
    std::optional<ClipboardSession> clipboard;
    if (!PumpUntil([&] { return clipboard.emplace().IsOpen(); }, 2000)) return {};
    HGLOBAL block = ::GetClipboardData(format);
    if (!block) return {};
    const host::LockedGlobal lock(block);
    if (!lock.data()) return {};
    if (found) *found = true;
    return std::string(static_cast<const char*>(lock.data()), ::GlobalSize(block));
}

std::string DcBits(HDC source, int width, int height) {
    MemoryDcHandle dc(::CreateCompatibleDC(nullptr));
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    BitmapHandle bitmap(::CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) return {};
    SelectionGuard select(dc.get(), bitmap.get());
    ::BitBlt(dc.get(), 0, 0, width, height, source, 0, 0, SRCCOPY);
    ::GdiFlush();
    return std::string(static_cast<const char*>(bits), static_cast<std::size_t>((width * 3 + 3) & ~3) * height);
}

std::string FirstDifference(const std::string& a, const std::string& b) {
    if (a == b) return "equal";
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size()) + ", first difference at byte " +
           std::to_string(i);
}

long GdiLive() {
    return BrushHandle::LiveCount() + PenHandle::LiveCount() + FontHandle::LiveCount() + RegionHandle::LiveCount() +
           BitmapHandle::LiveCount() + MemoryDcHandle::LiveCount() + WindowDc::LiveCount();
}

double NowMs() {
    LARGE_INTEGER t, f;
    ::QueryPerformanceCounter(&t);
    ::QueryPerformanceFrequency(&f);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

WindowThread::WindowThread(const std::wstring& caption, const wchar_t* desktop, DWORD style, bool stalled,
                           const wchar_t* windowClass)
    : release_(::CreateEventW(nullptr, TRUE, !stalled, nullptr)) {
    KernelHandle ready(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    thread_ = std::thread([&] {
        DesktopHandle joined(desktop ? ::OpenDesktopW(desktop, 0, FALSE, GENERIC_ALL) : nullptr);
        if (joined) ::SetThreadDesktop(joined.get());
        window_ = ::CreateWindowExW(0, RegisterTestClass(windowClass, &Proc), caption.c_str(), style, 10, 10, 300, 200,
                                    nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
        threadId_ = ::GetCurrentThreadId();
        ::SetEvent(ready.get());
        ::WaitForSingleObject(release_.get(), INFINITE);
        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) ::DispatchMessageW(&msg);
        if (::IsWindow(window_)) ::DestroyWindow(window_);
    });
    // Until then the thread reads what this frame holds.
    ::WaitForSingleObject(ready.get(), INFINITE);
}

WindowThread::~WindowThread() {
    Release();
    ::PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
}

std::vector<WindowThread::CopyData> WindowThread::Payloads() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
}

std::vector<std::string> WindowThread::Received() const {
    std::vector<std::string> bytes;
    for (auto& p : Payloads()) bytes.push_back(std::move(p.bytes));
    return bytes;
}

std::vector<TrayCall> StandInTaskbar::Calls() const {
    struct {
        std::uint32_t window, id, flags, callback;
        wchar_t tip[128];
    } block;
    std::vector<TrayCall> calls;
    for (const CopyData& p : Payloads()) {
        if (p.bytes.size() < sizeof block) continue;  // not one of the shell's blocks
        std::memcpy(&block, p.bytes.data(), sizeof block);
        calls.push_back({static_cast<DWORD>(p.tag), block.window, block.id, block.flags, block.callback,
                         std::wstring(block.tip, ::wcsnlen(block.tip, 128))});
    }
    return calls;
}

LRESULT CALLBACK WindowThread::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = WindowObject<WindowThread>(hwnd, msg, lParam);
    if (self && msg == WM_COPYDATA) {
        const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        std::lock_guard<std::mutex> lock(self->mutex_);
        if (cds && cds->lpData)
            self->received_.push_back({cds->dwData, std::string(static_cast<const char*>(cds->lpData), cds->cbData)});
        return TRUE;
    }
    if (self && msg == WM_CLOSE && self->staysOpen) return 0;
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

void MouseTo(int x, int y) {
    // Absolute positions run 0..65535 across the screen; aim at pixel centres.
    INPUT in{INPUT_MOUSE, {{static_cast<LONG>((x * 65536LL + 32768) / ::GetSystemMetrics(SM_CXSCREEN)),
                            static_cast<LONG>((y * 65536LL + 32768) / ::GetSystemMetrics(SM_CYSCREEN)), 0,
                            MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 0, 0}}};
    ::SendInput(1, &in, sizeof in);
}

void MouseButton(DWORD flags) {
    INPUT in{INPUT_MOUSE, {{0, 0, 0, flags, 0, 0}}};
    ::SendInput(1, &in, sizeof in);
}

void ClickAt(int x, int y, DWORD down, DWORD up) {
    MouseTo(x, y);
    MouseButton(down);
    MouseButton(up);
}

void ClickSteady(int x, int y) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        MouseTo(x, y);
        POINT at{};
        if (PumpUntil([&] { return ::GetCursorPos(&at) && at.x == x && at.y == y; }, 250)) break;
    }
    // No move again here: the pointer is where it must be, and one more move
    // can leave Wine's pointer on the previous spot for the press.
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseButton(MOUSEEVENTF_LEFTUP);
}

void Key(WORD vk, bool up) {
    INPUT in{INPUT_KEYBOARD, {}};
    in.ki = {vk, 0, static_cast<DWORD>(up ? KEYEVENTF_KEYUP : 0), 0, 0};
    ::SendInput(1, &in, sizeof in);
}

void PressKeys(std::initializer_list<WORD> keys) {
    for (const WORD k : keys) Key(k, false);
    for (auto k = keys.end(); k != keys.begin();) Key(*--k, true);
}

void Press(WORD vk, bool ctrl) { ctrl ? PressKeys({VK_CONTROL, vk}) : PressKeys({vk}); }

void TypeText(const std::wstring& text) {
    for (const wchar_t c : text) Press(static_cast<WORD>(c >= L'a' && c <= L'z' ? c - L'a' + 'A' : c));
}

}  // namespace panorel::test
