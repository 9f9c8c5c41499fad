// The tray icon control against a window of class "Shell_TrayWnd" that stands
// in for the taskbar: what reaches it through the shell, the record's bytes,
// and the mouse events coming back through the owner's mouse-move message.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstring>

#include <memory>
#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "host/Handles.h"
#include "host/Screen.h"
#include "winsupport/VLM_SysTray.h"

namespace panorel {
namespace {

using test::TrayCall;
std::vector<TrayCall> g_calls;

LRESULT CALLBACK TaskbarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_COPYDATA) {
        TrayCall c;
        if (!test::ParseTrayCall(reinterpret_cast<const COPYDATASTRUCT*>(lParam), c)) return FALSE;
        g_calls.push_back(c);
        return TRUE;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

std::vector<std::string> g_events;
VLM_SysTray* g_tray = nullptr;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (g_tray && g_tray->HandleOwnerMessage(msg, wParam, lParam)) return 0;
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

WindowHandle MakeWindow(const wchar_t* cls, WNDPROC proc) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = cls;
    ::RegisterClassW(&wc);
    return WindowHandle(
        ::CreateWindowExW(0, cls, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr));
}

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
}

class SysTrayTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_calls.clear();
        g_events.clear();
        taskbar_ = MakeWindow(L"Shell_TrayWnd", TaskbarProc);
        owner_ = MakeWindow(L"Panorel2TestTrayOwner", OwnerProc);
        ASSERT_TRUE(taskbar_ && owner_);
        ASSERT_EQ(::FindWindowExW(nullptr, nullptr, L"Shell_TrayWnd", nullptr), taskbar_.get())
            << "the stand-in must be the taskbar the shell finds";
        tray_ = std::make_unique<VLM_SysTray>(owner_.get());
        g_tray = tray_.get();
        tray_->MouseDown = [](std::int16_t b) { g_events.push_back("Down" + std::to_string(b)); };
        tray_->MouseUp = [](std::int16_t b) { g_events.push_back("Up" + std::to_string(b)); };
        tray_->MouseDblClick = [](std::int16_t b) { g_events.push_back("Dbl" + std::to_string(b)); };
    }
    void TearDown() override {
        tray_.reset();
        g_tray = nullptr;
    }
    // Plays the shell: posts the icon's callback message with a mouse message.
    void Click(const TrayCall& add, UINT mouseMessage) {
        ::PostMessageW(reinterpret_cast<HWND>(static_cast<std::intptr_t>(static_cast<std::int32_t>(add.window))),
                       add.callback, add.id, mouseMessage);
        Pump();
    }

    WindowHandle taskbar_;
    WindowHandle owner_;
    std::unique_ptr<VLM_SysTray> tray_;
};

TEST_F(SysTrayTest, AddReachesTheTaskbarWithIdFlagsCallbackAndTip) {
    tray_->Icon(::LoadIconW(nullptr, IDI_APPLICATION));
    tray_->ToolTip(L"Panoerl2");
    ASSERT_TRUE(tray_->Add());
    EXPECT_EQ(tray_->OwnerForm(), owner_.get());
    ASSERT_EQ(g_calls.size(), 1u);
    const TrayCall& add = g_calls[0];
    EXPECT_EQ(add.message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(add.window, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(owner_.get())));
    EXPECT_EQ(add.id, 1u);
    EXPECT_EQ(add.flags, 7u);
    EXPECT_EQ(add.callback, 512u);
    EXPECT_EQ(add.tip, L"Panoerl2");

    // The record itself, byte for byte.
    const TrayRecordFields f = ReadTrayRecord(tray_->Record());
    EXPECT_EQ(f.size, 88u);
    EXPECT_EQ(f.window, add.window);
    EXPECT_EQ(f.icon, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(tray_->Icon())));
    EXPECT_EQ(f.tip, std::string("Panoerl2\0", 9) + std::string(55, ' '));

    tray_->ToolTip(L"Desktop 2");
    tray_->Modify();
    ASSERT_EQ(g_calls.size(), 2u);
    EXPECT_EQ(g_calls[1].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(g_calls[1].tip, L"Desktop 2");
    tray_.reset();  // destroying the control removes the icon
    ASSERT_EQ(g_calls.size(), 3u);
    EXPECT_EQ(g_calls[2].message, static_cast<DWORD>(NIM_DELETE));
}

TEST_F(SysTrayTest, ALongTipFillsTheFieldWithoutTerminatorAndReadsBackWhole) {
    const std::wstring text = L"0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ!?+-";  // 66
    tray_->ToolTip(text);
    EXPECT_EQ(tray_->ToolTip(), text);
    ASSERT_TRUE(tray_->Add());
    const TrayRecordFields f = ReadTrayRecord(tray_->Record());
    EXPECT_EQ(f.tip, std::string(text.begin(), text.begin() + 64));
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].tip, text.substr(0, 64));
    tray_->ToolTip(L"");
    EXPECT_EQ(tray_->ToolTip(), L"");
}

TEST_F(SysTrayTest, ClicksComeBackAsEventsWithTheirButton) {
    ASSERT_TRUE(tray_->Add());
    ASSERT_EQ(g_calls.size(), 1u);
    Click(g_calls[0], WM_RBUTTONDOWN);
    Click(g_calls[0], WM_RBUTTONUP);
    EXPECT_EQ(g_events, (std::vector<std::string>{"Down2", "Up2"}));
    g_events.clear();
    for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP, WM_MOUSEMOVE, WM_MBUTTONDOWN,
                   WM_RBUTTONDBLCLK})
        Click(g_calls[0], m);
    EXPECT_EQ(g_events, (std::vector<std::string>{"Down1", "Up1", "Dbl1", "Up1", "Dbl2"}));
}

TEST_F(SysTrayTest, AnOwnerInTwipsIsReadBackInPixels) {
    ASSERT_DOUBLE_EQ(host::Screen::TwipsPerPixelX(), 15.0);
    tray_->OwnerScaleTwips(true);
    tray_->OwnerMouseMove(0, 0, 513 * 15.0, 0);
    tray_->OwnerMouseMove(0, 0, 513.0, 0);  // in twips this is pixel 34: nothing
    EXPECT_EQ(g_events, (std::vector<std::string>{"Down1"}));
    // Through the window message too: the owner converts its pixels to twips.
    ASSERT_TRUE(tray_->Add());
    Click(g_calls[0], WM_RBUTTONUP);
    EXPECT_EQ(g_events, (std::vector<std::string>{"Down1", "Up2"}));
}

TEST_F(SysTrayTest, AHandlerThatPumpsMessagesIsNotReentered) {
    ASSERT_TRUE(tray_->Add());
    const TrayCall add = g_calls[0];
    tray_->MouseDown = [&](std::int16_t b) {
        g_events.push_back("Down" + std::to_string(b));
        Click(add, WM_LBUTTONUP);  // arrives while the handler runs: dropped
    };
    Click(add, WM_LBUTTONDOWN);
    Click(add, WM_LBUTTONUP);
    EXPECT_EQ(g_events, (std::vector<std::string>{"Down1", "Up1"}));
}

// Why 64-bit builds copy the fields over: the shell reads the raw 88 bytes
// through its own 64-bit layout and gets the fields wrong.
TEST_F(SysTrayTest, RawRecordBytesAreMisreadByA64BitShell) {
    if (sizeof(void*) != 8) GTEST_SKIP() << "the 88 bytes are the native layout here";
    tray_->ToolTip(L"Panoerl2");
    ASSERT_TRUE(tray_->Add());
    alignas(8) std::uint8_t buffer[1024] = {};  // room for whatever the shell reads past the record
    std::memcpy(buffer, tray_->Record().data(), kTrayRecordSize);
    ::Shell_NotifyIconA(NIM_MODIFY, reinterpret_cast<NOTIFYICONDATAA*>(buffer));
    ASSERT_EQ(g_calls.size(), 2u);
    EXPECT_EQ(g_calls[0].id, 1u);
    EXPECT_NE(g_calls[1].id, 1u) << "read from the callback message's offset";
    EXPECT_NE(g_calls[1].window, g_calls[0].window);
}

}  // namespace
}  // namespace panorel
