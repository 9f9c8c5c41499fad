#pragma once
// Owners of Windows handles. Every handle the program creates lives in one of
// these, so no path leaks it. Each kind keeps a count of the handles it holds
// right now; Wine reports no per-process handle or GDI counts, so the tests
// use these counts to show that nothing leaks.
#include <windows.h>

#include <atomic>
#include <utility>

namespace panorel {

template <class Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle h) noexcept : h_(h) {
        if (Valid()) ++live_;
    }
    UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, Traits::Null())) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) {
            reset();
            h_ = std::exchange(o.h_, Traits::Null());
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    Handle get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return Valid(); }
    bool Valid() const noexcept { return Traits::IsValid(h_); }

    void reset(Handle h = Traits::Null()) noexcept {
        if (Valid()) {
            Traits::Close(h_);
            --live_;
        }
        h_ = h;
        if (Valid()) ++live_;
    }
    // Hands the handle over to someone else (for example the system).
    Handle release() noexcept {
        if (Valid()) --live_;
        return std::exchange(h_, Traits::Null());
    }

    static long LiveCount() noexcept { return live_.load(); }

private:
    Handle h_ = Traits::Null();
    static inline std::atomic<long> live_{0};
};

struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Null() noexcept { return nullptr; }
    static bool IsValid(Handle h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { ::CloseHandle(h); }
};
using KernelHandle = UniqueHandle<KernelHandleTraits>;

// The usual kind: null means none, and one function closes it.
template <class H, auto CloseFunction>
struct ClosedBy {
    using Handle = H;
    static Handle Null() noexcept { return nullptr; }
    static bool IsValid(Handle h) noexcept { return h != nullptr; }
    static void Close(Handle h) noexcept { CloseFunction(h); }
};
using BitmapHandle = UniqueHandle<ClosedBy<HBITMAP, &::DeleteObject>>;
using BrushHandle = UniqueHandle<ClosedBy<HBRUSH, &::DeleteObject>>;
using PenHandle = UniqueHandle<ClosedBy<HPEN, &::DeleteObject>>;
using FontHandle = UniqueHandle<ClosedBy<HFONT, &::DeleteObject>>;
using RegionHandle = UniqueHandle<ClosedBy<HRGN, &::DeleteObject>>;
using MemoryDcHandle = UniqueHandle<ClosedBy<HDC, &::DeleteDC>>;
using RegKeyHandle = UniqueHandle<ClosedBy<HKEY, &::RegCloseKey>>;
using ModuleHandle = UniqueHandle<ClosedBy<HMODULE, &::FreeLibrary>>;
using GlobalMemoryHandle = UniqueHandle<ClosedBy<HGLOBAL, &::GlobalFree>>;
// Icons and cursors this code loaded itself (never shared ones, which the system keeps).
using IconHandle = UniqueHandle<ClosedBy<HICON, &::DestroyIcon>>;
using CursorHandle = UniqueHandle<ClosedBy<HCURSOR, &::DestroyCursor>>;
// A window this code created itself and destroys when done (not for forms).
using WindowHandle = UniqueHandle<ClosedBy<HWND, &::DestroyWindow>>;
using DesktopHandle = UniqueHandle<ClosedBy<HDESK, &::CloseDesktop>>;

// Owns one reference to a COM object (for example a standard font object).
template <class T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    // Takes over a reference the caller already holds.
    explicit ComPtr(T* p) noexcept : p_(p) {
        if (p_) ++live_;
    }
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o) {
            reset();
            p_ = std::exchange(o.p_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { reset(); }

    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    void reset(T* p = nullptr) noexcept {
        if (p_) {
            p_->Release();
            --live_;
        }
        p_ = p;
        if (p_) ++live_;
    }
    static long LiveCount() noexcept { return live_.load(); }

private:
    T* p_ = nullptr;
    static inline std::atomic<long> live_{0};
};

// A device context borrowed from a window with GetDC / GetWindowDC.
class WindowDc {
public:
    WindowDc(HWND hwnd, HDC dc) noexcept : hwnd_(hwnd), dc_(dc) {
        if (dc_) ++live_;
    }
    static WindowDc Client(HWND hwnd) noexcept { return WindowDc(hwnd, ::GetDC(hwnd)); }
    static WindowDc Whole(HWND hwnd) noexcept { return WindowDc(hwnd, ::GetWindowDC(hwnd)); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    WindowDc(WindowDc&& o) noexcept : hwnd_(o.hwnd_), dc_(std::exchange(o.dc_, nullptr)) {}
    ~WindowDc() {
        if (dc_) {
            ::ReleaseDC(hwnd_, dc_);
            --live_;
        }
    }
    HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }
    static long LiveCount() noexcept { return live_.load(); }

private:
    HWND hwnd_;
    HDC dc_;
    static inline std::atomic<long> live_{0};
};

// An open clipboard; closed when the session ends.
class ClipboardSession {
public:
    explicit ClipboardSession(HWND owner = nullptr) noexcept : open_(::OpenClipboard(owner) != FALSE) {
        if (open_) ++live_;
    }
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;
    ~ClipboardSession() {
        if (open_) {
            ::CloseClipboard();
            --live_;
        }
    }
    bool IsOpen() const noexcept { return open_; }
    static long LiveCount() noexcept { return live_.load(); }

private:
    bool open_;
    static inline std::atomic<long> live_{0};
};

// Selects an object into a device context and puts the old one back.
class SelectionGuard {
public:
    SelectionGuard(HDC dc, HGDIOBJ obj) noexcept : dc_(dc), old_(obj ? ::SelectObject(dc, obj) : nullptr) {}
    SelectionGuard(const SelectionGuard&) = delete;
    SelectionGuard& operator=(const SelectionGuard&) = delete;
    ~SelectionGuard() {
        if (old_) ::SelectObject(dc_, old_);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace panorel
