// The tray icon control against a window of class "Shell_TrayWnd" that stands
// in for the taskbar: what reaches it through the shell, and the mouse events
// coming back through the owner's mouse-move message.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

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
std::vector<std::string> g_events;
VLM_SysTray* g_tray = nullptr;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (g_tray && g_tray->HandleOwnerMessage(msg, wParam, lParam)) return 0;
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

class SysTrayTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_events.clear();
        WNDCLASSW wc{};
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"Panorel2TestTrayOwner";
        ::RegisterClassW(&wc);
        owner_.reset(::CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                       wc.hInstance, nullptr));
        ASSERT_TRUE(owner_);
        ASSERT_EQ(::FindWindowA("Shell_TrayWnd", ""), taskbar_.Window()) << "the stand-in must be the taskbar found";
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
        test::PumpFor(0);
    }
    TrayCall Call(std::size_t i) const {
        const auto calls = taskbar_.Calls();
        return i < calls.size() ? calls[i] : TrayCall{};
    }

    test::StandInTaskbar taskbar_;
    WindowHandle owner_;
    std::unique_ptr<VLM_SysTray> tray_;
};

TEST_F(SysTrayTest, TheIconReachesTheTaskbarWithIdFlagsCallbackAndTip) {
    tray_->Icon(::LoadIconW(nullptr, IDI_APPLICATION));
    tray_->ToolTip(L"Panoerl2");
    ASSERT_TRUE(tray_->Add());
    const TrayCall add = Call(0);
    EXPECT_EQ(add.message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(add.window, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(owner_.get())));
    EXPECT_EQ(add.id, 1u);
    EXPECT_EQ(add.flags, 7u);
    EXPECT_EQ(add.callback, 512u);
    EXPECT_EQ(add.tip, L"Panoerl2");
    // A long tip is cut to the field (its rules: TrayTooltip), and the control still reads it whole.
    const std::wstring text(66, L'x');
    tray_->ToolTip(text);
    EXPECT_EQ(tray_->ToolTip(), text);
    tray_->Modify();
    EXPECT_EQ(Call(1).message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(Call(1).tip, text.substr(0, 64));
}

TEST_F(SysTrayTest, ClicksComeBackAsEventsWithTheirButtonFromOwnersInPixelsOrTwips) {
    ASSERT_TRUE(tray_->Add());
    const TrayCall add = Call(0);
    for (UINT m : {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP,
                   WM_MOUSEMOVE, WM_MBUTTONDOWN, WM_RBUTTONDBLCLK})
        Click(add, m);
    EXPECT_EQ(g_events, (std::vector<std::string>{"Down2", "Up2", "Down1", "Up1", "Dbl1", "Up1", "Dbl2"}));

    g_events.clear();
    ASSERT_DOUBLE_EQ(host::Screen::TwipsPerPixelX(), 15.0);
    tray_->OwnerScaleTwips(true);
    tray_->OwnerMouseMove(0, 0, 513 * 15.0, 0);
    tray_->OwnerMouseMove(0, 0, 513.0, 0);  // in twips this is pixel 34: nothing
    Click(add, WM_RBUTTONUP);  // the owner converts its pixels to twips
    EXPECT_EQ(g_events, (std::vector<std::string>{"Down1", "Up2"}));
}

TEST(VLM_SysTray, DestroyingTheControlAlwaysRemovesTheIcon) {
    for (const bool shellAccepts : {true, false}) {
        for (const bool added : {true, false}) {
            std::vector<DWORD> sent;
            auto tray = std::make_unique<VLM_SysTray>(nullptr);
            tray->SetNotifyForTesting([&](DWORD message, const TrayRecordBytes&) {
                sent.push_back(message);
                return shellAccepts;
            });
            if (added) tray->Add();
            tray.reset();
            EXPECT_EQ(sent.empty() ? 0 : sent.back(), static_cast<DWORD>(NIM_DELETE))
                << "accepted " << shellAccepts << ", added " << added;
        }
    }
}

TEST_F(SysTrayTest, AHandlerThatPumpsMessagesIsNotReentered) {
    ASSERT_TRUE(tray_->Add());
    const TrayCall add = Call(0);
    tray_->MouseDown = [&](std::int16_t b) {
        g_events.push_back("Down" + std::to_string(b));
        Click(add, WM_LBUTTONUP);  // arrives while the handler runs: dropped
    };
    Click(add, WM_LBUTTONDOWN);
    Click(add, WM_LBUTTONUP);
    EXPECT_EQ(g_events, (std::vector<std::string>{"Down1", "Up1"}));
}

}  // namespace
}  // namespace panorel
