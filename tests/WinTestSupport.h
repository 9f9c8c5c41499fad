#pragma once
// Helpers of the Windows tests: the shared events as the main process makes
// them, the real programs started as child processes, the error log.
#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/ControlSite.h"
#include "host/Handles.h"
#include "host/PanorelError.h"

namespace panorel::test {

// Creates all 54 events (auto-reset, unsignalled) for the life of the object.
class SharedEvents {
public:
    SharedEvents();
    HANDLE operator[](int index) const { return events_[index].get(); }
    // Indices (1..54) of the events that are signalled now; reading resets them.
    std::string TakeSignalled();

private:
    std::array<KernelHandle, 55> events_;
};

// The Windows path of a file in the build's dist folder.
std::wstring DistPath(const std::wstring& file);
// Starts a program of the build from the dist folder or the given one (a Wine path).
KernelHandle StartProgram(const std::wstring& file, const std::wstring& arguments, const std::wstring& folder = {});
// Waits for a process; its exit code, or -1 on time-out.
long WaitExit(const KernelHandle& process, DWORD milliseconds);
// Waits until a top-level window with this caption (and class, when given) exists.
HWND WaitForWindow(const wchar_t* caption, DWORD milliseconds, const wchar_t* windowClass = nullptr);
std::wstring WindowText(HWND window);  // WM_GETTEXT, so also another process's control
// The texts of a window's children (a message box's text and buttons), each followed by "|".
std::wstring ChildTexts(HWND window);
// Registers a window class of the test program (again is harmless); its name.
const wchar_t* RegisterTestClass(const wchar_t* name, WNDPROC proc, HBRUSH background = nullptr);

// The bytes of the log, empty when there is none.
std::string ReadErrorLog();
void DeleteErrorLog();
// One value under HKCU\Software\Panorel, the key made when missing; the whole key removed.
bool PutSetting(const wchar_t* name, DWORD type, const void* data, DWORD size);
void DeleteSettings();

// Runs this thread's messages as the programs' loop does (the containers'
// keys routed, keys made characters) until `done` holds.
template <class Done>
bool PumpUntil(Done done, DWORD milliseconds) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > milliseconds) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (host::RouteContainerKeys(msg)) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return true;
}
inline void PumpFor(DWORD milliseconds) { PumpUntil([] { return false; }, milliseconds); }

// What `act` raises: the number less the object error base, the text and the
// source; or "nothing raised".
template <class Act>
std::string Raised(Act act) {
    try {
        act();
    } catch (const PanorelError& e) {
        return std::to_string(e.Number() - kObjectErrorBase) + " " + e.Description() + " (" + e.Source() + ")";
    }
    return "nothing raised";
}

// Pixel (x, y), counted from the top, of width x height 24-bit rows stored
// bottom-up (as DcBits and preview blocks hold them), as 0x00RRGGBB.
std::uint32_t DibPixel(const std::string& bits, int width, int height, int x, int y);

// Whether a 0x00RRGGBB pixel is dark in all three channels, as text ink is.
inline bool Dark(std::uint32_t p) { return ((p >> 16) & 0xFF) < 0x60 && ((p >> 8) & 0xFF) < 0x60 && (p & 0xFF) < 0x60; }

// The whole screen, read back through GDI.
class ScreenShot {
public:
    ScreenShot();
    std::uint32_t At(int x, int y) const { return DibPixel(bits_, width_, height_, x, y); }

private:
    int width_, height_;
    std::string bits_;
};

// A topmost popup over the whole screen, painted by `paint` (dc, width, height),
// standing in for what the user has on the desktop.
class ScreenCover {
public:
    explicit ScreenCover(std::function<void(HDC, int, int)> paint);
    ScreenCover(ScreenCover&&) = delete;  // the window keeps its address
    bool Created() const { return static_cast<bool>(window_); }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    std::function<void(HDC, int, int)> paint_;
    WindowHandle window_;
};

void FillRectangle(HDC dc, int left, int top, int right, int bottom, COLORREF colour);
// The desktop as the user left it: a blue left half and a green right half,
// which read back as these 0x00RRGGBB values.
void PaintHalves(HDC dc, int width, int height);
constexpr std::uint32_t kHalvesBlue = 0x0000C8, kHalvesGreen = 0x00B400;

// Sends `count` bytes as WM_COPYDATA; the window's answer.
LRESULT SendCopyData(HWND window, const void* data, DWORD count);
// What the main process forwards: "Local\velmora_" + `shortName`, without terminator.
LRESULT ForwardName(HWND window, const std::string& shortName);

// Puts a block on the clipboard beside what is there or, with `empty`, in place of it.
bool PutClipboardBlock(UINT format, const std::string& bytes, bool empty = false);
// Replaces the clipboard with one text; reads the text back (empty if none).
bool SetClipboardText(const std::wstring& text);
std::wstring ClipboardText();
// The bytes of the clipboard's block in `format`; `found` says whether there was one.
std::string ClipboardBlock(UINT format, bool* found = nullptr);

// What a DC shows in its top-left width x height, as a preview block holds it:
// 24-bit rows, bottom-up, each padded to four bytes.
std::string DcBits(HDC dc, int width, int height);

// Where two byte strings first differ ("equal" when they do not), for failure
// messages that must not print megabytes of pixels.
std::string FirstDifference(const std::string& a, const std::string& b);

// A window on a thread of its own (on `desktop`, or this thread's), so that it
// answers while the test thread waits; when stalled it reads nothing until
// Release. It keeps every WM_COPYDATA payload in order and, while `staysOpen`,
// stays on WM_CLOSE, as a window that asks "save changes?" does.
class WindowThread {
public:
    explicit WindowThread(const std::wstring& caption, const wchar_t* desktop = nullptr, DWORD style = WS_POPUP,
                          bool stalled = false, const wchar_t* windowClass = L"Panorel2TestWindow");
    WindowThread(const WindowThread&) = delete;  // the thread keeps its address
    WindowThread& operator=(const WindowThread&) = delete;
    ~WindowThread();
    HWND Window() const { return window_; }
    bool Open() const { return ::IsWindow(window_) != FALSE; }
    void Release() { ::SetEvent(release_.get()); }
    std::vector<std::string> Received() const;
    std::atomic<bool> staysOpen{false};

protected:
    struct CopyData {
        ULONG_PTR tag;  // dwData
        std::string bytes;
    };
    std::vector<CopyData> Payloads() const;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    mutable std::mutex mutex_;
    std::vector<CopyData> received_;
    KernelHandle release_;
    HWND window_ = nullptr;
    DWORD threadId_ = 0;
    std::thread thread_;
};

// What a window of class "Shell_TrayWnd" receives from Wine's shell for one
// Shell_NotifyIcon call: the message, then the fields of Wine's notification
// block (window, id, flags, callback, a 128-character tip).
struct TrayCall {
    DWORD message = 0;
    std::uint32_t window = 0, id = 0, flags = 0, callback = 0;
    std::wstring tip;
};

// A stand-in taskbar that records every tray call of the switchers.
struct StandInTaskbar : WindowThread {
    StandInTaskbar() : WindowThread(L"", nullptr, WS_POPUP, false, L"Shell_TrayWnd") {}
    std::vector<TrayCall> Calls() const;
};

// GDI objects and window DCs held by their owners now, summed.
long GdiLive();

double NowMs();  // a monotonic clock in milliseconds that all processes share

// Real input through SendInput (on the session's virtual desktop clicks go
// where Windows would send them). Positions are screen pixels.
void MouseTo(int x, int y);
void MouseButton(DWORD flags);  // MOUSEEVENTF_LEFTDOWN...
void ClickAt(int x, int y, DWORD down = MOUSEEVENTF_LEFTDOWN, DWORD up = MOUSEEVENTF_LEFTUP);
// Clicks once the cursor is really there: a move can be lost while the
// session is busy, and the click would land where the pointer was.
void ClickSteady(int x, int y);
// Clicks steadily at (x, y) until `done` holds, up to `tries` times: a fresh
// Wine session has dropped a first click. Whether it held.
template <class Done>
bool ClickUntil(int x, int y, Done done, DWORD milliseconds = 5000, int tries = 2) {
    for (int i = 0; i < tries; ++i) {
        ClickSteady(x, y);
        if (PumpUntil(done, milliseconds)) return true;
    }
    return false;
}
void Key(WORD vk, bool up);
// Presses the keys in order and releases them in reverse (a hotkey: modifiers first).
void PressKeys(std::initializer_list<WORD> keys);
void Press(WORD vk, bool ctrl = false);  // with Ctrl held when asked
// Types lowercase letters, digits and blanks.
void TypeText(const std::wstring& text);

}  // namespace panorel::test
