// The tray icon control against a window of class "Shell_TrayWnd" that stands
// in for the taskbar: what reaches it through the shell, and the mouse events
// coming back through the owner's mouse-move message.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "host/Form.h"
#include "host/Screen.h"
#include "winsupport/VLM_SysTray.h"

namespace panorel {
namespace {

using test::TrayCall;

// The icon's owner: its mouse moves go to the tray control.
struct Owner : host::Form {
    Owner() : Form(L"Panorel2TestTrayOwner") {}
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        result = 0;
        return tray && tray->HandleOwnerMessage(msg, wParam, lParam);
    }
    VLM_SysTray* tray = nullptr;
};

// The tip's own rules (cut to the field, read back whole) are TrayTooltip's.
TEST(VLM_SysTray, TheIconReachesTheTaskbarAndClicksComeBackAsEventsOnceEach) {
    const test::StandInTaskbar taskbar;
    ASSERT_EQ(::FindWindowA("Shell_TrayWnd", ""), taskbar.Window()) << "the stand-in must be the taskbar found";
    std::vector<std::string> events;
    const auto noting = [&](const char* event) {
        return [&events, event](std::int16_t button) { events.push_back(event + std::to_string(button)); };
    };
    Owner owner;
    VLM_SysTray tray(owner.hWnd());  // gone before its owner
    owner.tray = &tray;
    tray.MouseDown = noting("Down");
    tray.MouseUp = noting("Up");
    tray.MouseDblClick = noting("Dbl");
    tray.Icon(::LoadIconW(nullptr, IDI_APPLICATION));
    tray.ToolTip(L"Panoerl2");
    ASSERT_TRUE(tray.Add());
    tray.ToolTip(std::wstring(66, L'x'));
    tray.Modify();
    const std::vector<TrayCall> calls = taskbar.Calls();
    ASSERT_EQ(calls.size(), 2u);
    const TrayCall add = calls[0];
    const auto owner32 = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(owner.hWnd()));
    using Fields = std::array<std::uint32_t, 5>;  // message, window, id, flags, callback
    EXPECT_EQ((Fields{add.message, add.window, add.id, add.flags, add.callback}),
              (Fields{NIM_ADD, owner32, 1, 7, 512}));
    EXPECT_EQ(add.tip, L"Panoerl2");
    EXPECT_EQ(calls[1].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(calls[1].tip, std::wstring(64, L'x'));

    // Plays the shell: posts the icon's callback message with a mouse message to the owner the record names.
    const auto click = [&](UINT mouseMessage) {
        ::PostMessageW(owner.hWnd(), add.callback, add.id, mouseMessage);
        test::PumpFor(0);
    };
    for (UINT m : {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP,
                   WM_MOUSEMOVE, WM_MBUTTONDOWN, WM_RBUTTONDBLCLK})
        click(m);
    EXPECT_EQ(events, (std::vector<std::string>{"Down2", "Up2", "Down1", "Up1", "Dbl1", "Up1", "Dbl2"}));
    events.clear();
    ASSERT_DOUBLE_EQ(host::Screen::TwipsPerPixelX(), 15.0);
    tray.OwnerScaleTwips(true);
    tray.OwnerMouseMove(0, 0, 513 * 15.0, 0);
    click(WM_RBUTTONUP);  // the owner converts its pixels to twips
    EXPECT_EQ(events, (std::vector<std::string>{"Down1", "Up2"}));

    // A handler that pumps messages is not entered again.
    events.clear();
    tray.MouseDown = [&](std::int16_t b) {
        noting("Down")(b);
        click(WM_LBUTTONUP);  // arrives while the handler runs: dropped
    };
    click(WM_LBUTTONDOWN);
    click(WM_LBUTTONUP);
    EXPECT_EQ(events, (std::vector<std::string>{"Down1", "Up1"}));
}

TEST(VLM_SysTray, DestroyingTheControlAlwaysRemovesTheIcon) {
    for (const bool added : {true, false}) {  // the shell refused the icon, or it was never added
        std::vector<DWORD> sent;
        auto tray = std::make_unique<VLM_SysTray>(nullptr);
        tray->SetNotifyForTesting([&](DWORD message, const TrayRecordBytes&) {
            sent.push_back(message);
            return false;
        });
        if (added) tray->Add();
        tray.reset();
        EXPECT_EQ(sent.empty() ? 0 : sent.back(), static_cast<DWORD>(NIM_DELETE)) << "added " << added;
    }
}

}  // namespace
}  // namespace panorel
