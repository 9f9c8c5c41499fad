#include "winsupport/MSubclass.h"

#include <string>

#include "host/AnsiText.h"
#include "host/PanorelError.h"
#include "winsupport/SubclassNames.h"

namespace panorel {

namespace {

// Window handles are 32-bit values even in 64-bit processes; the property
// names use their signed decimal text.
std::int32_t HandleNumber(HWND hWnd) {
    return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(hWnd));
}

std::intptr_t GetNumber(HWND hWnd, const std::wstring& name) {
    return reinterpret_cast<std::intptr_t>(::GetPropW(hWnd, name.c_str()));
}

void SetNumber(HWND hWnd, const std::wstring& name, std::intptr_t value) {
    ::SetPropW(hWnd, name.c_str(), reinterpret_cast<HANDLE>(value));
}

[[noreturn]] void Raise(std::int32_t n) {
    const char* text = "";
    switch (n) {
        case kCantSubclassWindow: text = "Can't subclass window"; break;
        case kMessageAlreadyHandled: text = "Message already handled by another class"; break;
        case kInvalidWindow: text = "Invalid window"; break;
        case kExternalWindow: text = "Can't modify external window"; break;
        default: break;
    }
    throw PanorelError(kObjectErrorBase + n, WindowProcErrorSource(), text);
}

}  // namespace

std::string WindowProcErrorSource() {
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path, n <= MAX_PATH ? n : 0);
    const std::size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    const std::size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    return ToAnsi(name) + ".WindowProc";
}

bool IsWindowLocal(HWND hWnd) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hWnd, &pid);
    return pid == ::GetCurrentProcessId();
}

void AttachMessage(ISubclass* client, HWND hWnd, UINT iMsg) {
    if (!::IsWindow(hWnd)) Raise(kInvalidWindow);
    if (!IsWindowLocal(hWnd)) Raise(kExternalWindow);

    const std::int32_t h = HandleNumber(hWnd);
    const std::int32_t m = static_cast<std::int32_t>(iMsg);
    std::intptr_t count = GetNumber(hWnd, SubclassWindowCountName(h));
    if (count == 0) {
        const LONG_PTR previous =
            ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassWindowProc));
        if (previous == 0) Raise(kCantSubclassWindow);
        SetNumber(hWnd, SubclassPreviousProcName(h), previous);
        count = 1;
    } else {
        ++count;
    }
    SetNumber(hWnd, SubclassWindowCountName(h), count);

    const std::wstring countName = SubclassMessageCountName(h, m);
    std::intptr_t clients = GetNumber(hWnd, countName);
    const auto address = reinterpret_cast<std::intptr_t>(client);
    for (std::intptr_t i = 1; i <= clients; ++i)
        if (GetNumber(hWnd, SubclassClientName(h, m, static_cast<std::int32_t>(i))) == address)
            Raise(kMessageAlreadyHandled);
    ++clients;
    SetNumber(hWnd, countName, clients);
    SetNumber(hWnd, SubclassClientName(h, m, static_cast<std::int32_t>(clients)), address);
}

void DetachMessage(ISubclass* client, HWND hWnd, UINT iMsg) {
    const std::int32_t h = HandleNumber(hWnd);
    const std::int32_t m = static_cast<std::int32_t>(iMsg);
    const std::wstring windowCountName = SubclassWindowCountName(h);
    const std::intptr_t count = GetNumber(hWnd, windowCountName);
    if (count == 1) {
        const std::wstring previousName = SubclassPreviousProcName(h);
        ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, GetNumber(hWnd, previousName));
        ::RemovePropW(hWnd, previousName.c_str());
        ::RemovePropW(hWnd, windowCountName.c_str());
    } else {
        SetNumber(hWnd, windowCountName, count - 1);
    }

    const std::wstring countName = SubclassMessageCountName(h, m);
    const std::intptr_t c = GetNumber(hWnd, countName);
    if (c < 1) return;
    const auto address = reinterpret_cast<std::intptr_t>(client);
    std::intptr_t found = 0;
    for (std::intptr_t i = 1; i <= c && found == 0; ++i)
        if (GetNumber(hWnd, SubclassClientName(h, m, static_cast<std::int32_t>(i))) == address) found = i;
    if (found != 0) {
        for (std::intptr_t j = found + 1; j <= c; ++j)
            SetNumber(hWnd, SubclassClientName(h, m, static_cast<std::int32_t>(j - 1)),
                      GetNumber(hWnd, SubclassClientName(h, m, static_cast<std::int32_t>(j))));
    }
    ::RemovePropW(hWnd, SubclassClientName(h, m, static_cast<std::int32_t>(c)).c_str());
    SetNumber(hWnd, countName, c - 1);
}

LRESULT CALLBACK SubclassWindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) {
    const std::int32_t h = HandleNumber(hWnd);
    const std::int32_t m = static_cast<std::int32_t>(iMsg);
    const auto previous = reinterpret_cast<WNDPROC>(GetNumber(hWnd, SubclassPreviousProcName(h)));
    const std::intptr_t c = GetNumber(hWnd, SubclassMessageCountName(h, m));
    auto callPrevious = [&]() -> LRESULT {
        if (!previous) return ::DefWindowProcW(hWnd, iMsg, wParam, lParam);
        return ::CallWindowProcW(previous, hWnd, iMsg, wParam, lParam);
    };
    if (c <= 0) return callPrevious();

    bool previousCalled = false;
    LRESULT result = 0;
    for (std::intptr_t i = 1; i <= c; ++i) {
        const std::wstring entry = SubclassClientName(h, m, static_cast<std::int32_t>(i));
        auto* client = reinterpret_cast<ISubclass*>(GetNumber(hWnd, entry));
        if (!client) {
            result = callPrevious();
            continue;
        }
        // A client's error must not unwind through the system.
        SkipOnError([&] {
            std::int32_t current = m;
            if (i == 1 && client->MsgResponse(current) == kPreProcess && !previousCalled) {
                callPrevious();
                previousCalled = true;
            }
        });
        SkipOnError([&] { result = client->WindowProc(hWnd, iMsg, wParam, lParam); });
        SkipOnError([&] {
            std::int32_t current = m;
            if (i == c && client->MsgResponse(current) == kPostProcess && !previousCalled) {
                result = callPrevious();
                previousCalled = true;
            }
        });
    }
    return result;
}

}  // namespace panorel
