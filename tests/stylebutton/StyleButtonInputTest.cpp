// The styled button with real mouse and keyboard input (SendInput on the
// session's virtual desktop, where clicks go where Windows would send them).
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <random>
#include <string>
#include <thread>

#include "WinTestSupport.h"
#include "stylebutton/VLM_StyleButton.h"
#include "settings/CompDefaultPrefs.h"
#include "winsupport/MTimer.h"
#include "winsupport/frmFakeToolTip.h"

namespace panorel::test {
namespace {

constexpr int kFormLeft = 100, kFormTop = 100;
constexpr int kLeft = 20, kTop = 20, W = 201, H = 41;
// Screen point inside the button, (dx, dy) from its top left.
int SX(int dx) { return kFormLeft + kLeft + dx; }
int SY(int dy) { return kFormTop + kTop + dy; }

// Wine moves the X pointer behind the scenes: wait until the cursor is there.
// A stale pointer position can come back once, so the move is made twice.
void MoveTo(int x, int y) {
    for (int i = 0; i < 2; ++i) {
        MouseTo(x, y);
        PumpUntil([&] {
            POINT p{};
            return ::GetCursorPos(&p) && p.x == x && p.y == y;
        }, 1000);
        PumpFor(40);
    }
}

class ButtonInput : public ::testing::Test {
protected:
    void SetUp() override {
        DefaultFontHandle(4);  // the balloon's menu font lives as long as the process
        gdiBefore = GdiLive() + WindowHandle::LiveCount();
        timersBefore = RunningTimerCount();
        form = ::CreateWindowExW(0, L"STATIC", L"form", WS_POPUP | WS_VISIBLE | SS_NOTIFY, kFormLeft, kFormTop, 700,
                                 200, nullptr, nullptr, nullptr, nullptr);
        container = std::make_unique<host::ControlContainer>(form);
        button = Make(L"cmdTest", kLeft);
        MoveTo(5, 5);  // away from the button, where the last test may have left it
        ::SetForegroundWindow(form);
        ::SetActiveWindow(form);
        PumpFor(80);
        PumpUntil([&] { return button->VisualState() == 0; }, 1000);
        log.clear();
    }
    void TearDown() override {
        others.clear();
        button.reset();
        container.reset();
        ::DestroyWindow(form);
        PumpFor(50);
        EXPECT_EQ(GdiLive() + WindowHandle::LiveCount(), gdiBefore) << "GDI objects or windows left";
        EXPECT_EQ(RunningTimerCount(), timersBefore) << "timers left";
        EXPECT_EQ(::GetCapture(), nullptr);
    }
    // A style-2 button whose events go to the log, prefixed "name." unless it is cmdTest.
    std::unique_ptr<VLM_StyleButton> Make(const wchar_t* name, int left) {
        auto b = std::make_unique<VLM_StyleButton>(*container, name, left, kTop, W, H);
        b->InitProperties();
        b->ButtonStyle(2);
        const std::wstring wide(name);
        const std::string n = wide == L"cmdTest" ? "" : std::string(wide.begin(), wide.end()) + ".";
        auto add = [this, n](const std::string& s) { log += (log.empty() ? "" : " ") + n + s; };
        b->Click = [add] { add("Click"); };
        b->DblClick = [add] { add("DblClick"); };
        b->MouseEnter = [this, add] {
            if (logEnter) add("Enter");  // any move over the button raises it
        };
        b->MouseLeave = [add] { add("Leave"); };
        b->MouseDown = [add](std::int16_t k, std::int16_t, float, float) { add("Down" + std::to_string(k)); };
        b->MouseUp = [add](std::int16_t k, std::int16_t, float, float) { add("Up" + std::to_string(k)); };
        b->KeyDown = [add](std::int16_t k, std::int16_t) { add("KeyDown" + std::to_string(k)); };
        b->KeyUp = [add](std::int16_t k, std::int16_t) { add("KeyUp" + std::to_string(k)); };
        return b;
    }
    // Lets the input reach the windows, then hands back the events seen.
    std::string Take(DWORD ms = 120) {
        PumpFor(ms);
        std::string s;
        s.swap(log);
        return s;
    }
    bool Saw(const std::string& what) {
        return PumpUntil([&] { return log.find(what) != std::string::npos; }, 4000);
    }
    // Waits for `what` among the events, then hands back all of them.
    std::string Until(const std::string& what) {
        Saw(what);
        return Take(60);
    }

    HWND form = nullptr;
    std::unique_ptr<host::ControlContainer> container;
    std::unique_ptr<VLM_StyleButton> button;
    std::vector<std::unique_ptr<VLM_StyleButton>> others;
    std::string log;
    bool logEnter = false;
    long gdiBefore = 0;
    int timersBefore = 0;
};

TEST_F(ButtonInput, MouseLooksAndEvents) {
    const std::uint32_t normal = ScreenShot().At(SX(1), SY(20));
    logEnter = true;
    MoveTo(SX(50), SY(20));
    EXPECT_TRUE(Saw("Enter"));
    EXPECT_EQ(button->VisualState(), 1);
    EXPECT_NE(ScreenShot().At(SX(1), SY(20)), normal) << "the hot look reaches the screen";
    MoveTo(SX(60), SY(120));  // off the button, still on the form
    EXPECT_TRUE(Saw("Leave"));  // the leave is polled
    EXPECT_EQ(button->VisualState(), 0);
    logEnter = false;

    MoveTo(SX(50), SY(20));
    Take();
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    EXPECT_EQ(Until("Down1"), "Down1");
    EXPECT_EQ(button->VisualState(), 2);
    EXPECT_EQ(::GetFocus(), button->hWnd());
    MouseButton(MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(Until("Up1"), "Click Up1");
    EXPECT_EQ(::GetCapture(), nullptr);

    // Released on column 0: MouseUp only (the button's own coordinates reach the rule).
    ::Sleep(600);  // no double-click
    MoveTo(SX(50), SY(20));
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MoveTo(SX(0), SY(20));
    MouseButton(MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(Until("Up1"), "Down1 Up1");

    ::Sleep(600);  // apart from the earlier clicks
    MoveTo(SX(50), SY(20));
    for (int i = 0; i < 2; ++i) {
        MouseButton(MOUSEEVENTF_LEFTDOWN);
        MouseButton(MOUSEEVENTF_LEFTUP);
    }
    EXPECT_EQ(Until("Up1 Up1"), "Down1 Click Up1 Down1 DblClick Click Up1");
}

// Keys on the focused control: Enter clicks a styled button, access keys click
// a push button and toggle a check button; Enter reaches the form's default
// button and Escape its cancel button from a control that does not take them.
TEST_F(ButtonInput, KeysAccessKeysAndTheDefaultAndCancelButtons) {
    button->Caption(L"&Go");
    others.push_back(Make(L"chk", 240));
    others.push_back(Make(L"def", 460));
    others.push_back(Make(L"esc", 680));  // off the form: only its keys matter
    others[0]->Caption(L"&Keep");
    others[0]->Let(stylebutton::Prop::Mode, std::int32_t{1});
    VLM_StyleButton& def = *others[1];
    def.ButtonStyle(0);
    container->SetDefault(&def.Site());
    container->SetCancel(&others[2]->Site());
    EXPECT_EQ(::GetPixel(def.hDC(), 100, 0), 0u) << "the default button's black frame";
    const HWND edit = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 20, 120, 100, 20, form, nullptr,
                                        nullptr, nullptr);
    struct Row { HWND focus; std::initializer_list<WORD> keys; const char* events; } const rows[] = {
        {button->hWnd(), {VK_SPACE}, "KeyDown32 Click KeyUp32"},
        {button->hWnd(), {VK_RETURN}, "Click KeyDown13"},
        {button->hWnd(), {VK_MENU, 'G'}, "KeyDown18 KeyDown71 Click"},
        {button->hWnd(), {VK_MENU, 'K'}, "KeyDown18 KeyDown75 chk.Click"},
        {edit, {VK_RETURN}, "def.Click"},
        {edit, {VK_ESCAPE}, "esc.Click"},
        {button->hWnd(), {VK_ESCAPE}, "esc.Click"}
    };
    for (const Row& r : rows) {
        ::SetFocus(r.focus);
        Take();
        PressKeys(r.keys);
        EXPECT_EQ(Take(), r.events) << *r.keys.begin();
    }
    EXPECT_TRUE(others[0]->Props().Value);

    ::SetFocus(button->hWnd());
    PressKeys({VK_MENU, VK_SPACE});  // the form's system menu, not the button's space
    const std::string alt = Take();
    EXPECT_TRUE(alt.find("32") == std::string::npos && alt.find("Click") == std::string::npos) << alt;
    EXPECT_EQ(button->VisualState(), 0);
    Press(VK_ESCAPE);
    ::DestroyWindow(edit);
}

// A checked check button draws pressed, except in styles 0 and 6. (A click's
// toggle is ButtonInputModel's; the access key toggles one for real above.)
TEST_F(ButtonInput, CheckAndOptionModes) {
    struct { std::int32_t style, checkedLook; } const rows[] = {{2, 2}, {0, 0}, {6, 0}};
    button->Let(stylebutton::Prop::Mode, std::int32_t{1});
    for (const auto& row : rows) {
        button->ButtonStyle(row.style);
        button->Let(stylebutton::Prop::Value, true);
        EXPECT_EQ(button->VisualState(), row.checkedLook) << row.style;
        button->Let(stylebutton::Prop::Value, false);
        EXPECT_EQ(button->VisualState(), 0) << row.style;
    }

    // Three option buttons: each click leaves exactly that one checked.
    others.push_back(Make(L"opt2", 230));
    others.push_back(Make(L"opt3", 440));
    VLM_StyleButton* all[] = {button.get(), others[0].get(), others[1].get()};
    for (auto* b : all) b->Let(stylebutton::Prop::Mode, std::int32_t{2});
    for (int pick : {1, 2, 0, 2}) {
        MoveTo(SX(all[pick]->Left() - kLeft + 50), SY(20));
        MouseButton(MOUSEEVENTF_LEFTDOWN);
        MouseButton(MOUSEEVENTF_LEFTUP);
        EXPECT_NE(Take(200).find("Click"), std::string::npos) << pick;
        ::Sleep(450);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(all[i]->Props().Value, i == pick) << pick << " " << i;
    }
}

TEST_F(ButtonInput, PopupMenuAboveTheButtonAndTheClosingClick) {
    HMENU menu = ::CreatePopupMenu();
    ::AppendMenuW(menu, MF_STRING, 1, L"One");
    ::AppendMenuW(menu, MF_STRING, 2, L"Two");
    button->SetPopupMenu(menu, 1, 8);
    // The menu is modal: a second thread plays the user while this one waits.
    std::atomic<bool> done{false};
    RECT opened{};
    bool openAfterClosingClick = true;
    std::thread user([&] {
        auto clickAndLook = [](RECT* where) {  // whether the menu is open after a click, and where
            ClickAt(SX(50), SY(20));
            ::Sleep(500);
            const HWND m = ::FindWindowW(L"#32768", nullptr);
            const bool open = m && ::IsWindowVisible(m);
            if (open && where) ::GetWindowRect(m, where);
            return open;
        };
        clickAndLook(&opened);
        openAfterClosingClick = clickAndLook(nullptr);
        if (openAfterClosingClick) Press(VK_ESCAPE);  // else the modal menu would hold the test
        ::Sleep(300);
        done = true;
    });
    PumpUntil([&] { return done.load(); }, 10000);
    user.join();
    PumpFor(100);
    EXPECT_FALSE(openAfterClosingClick);
    EXPECT_GT(opened.bottom, 0) << "the click opened the menu";
    EXPECT_LE(opened.bottom, SY(1)) << "above the button: flags 32";
    EXPECT_GE(opened.left, SX(-1));
    EXPECT_EQ(log.find("Down"), std::string::npos) << log;
    EXPECT_EQ(log.find("Click"), std::string::npos) << log;
    button->UnsetPopupMenu();
    ::DestroyMenu(menu);
}

TEST_F(ButtonInput, BlinkingAlternatesThePicture) {
    button->picLocation(L"BUTTONPIC", L"PICTURE");
    button->Let(stylebutton::Prop::Blink, true);
    EXPECT_EQ(RunningTimerCount(), timersBefore) << "Blink alone does nothing";
    button->Enabled(true);
    EXPECT_EQ(RunningTimerCount(), timersBefore + 1);
    const stylebutton::Rect& pic = button->LastLayout().picture;
    COLORREF seen[3];  // the picture's centre on three ticks in a row
    for (auto& s : seen) {
        const std::uint16_t t = button->BlinkTicks();
        PumpUntil([&] { return button->BlinkTicks() != t; }, 2000);
        s = ::GetPixel(button->hDC(), (pic.left + pic.right) / 2, (pic.top + pic.bottom) / 2);
    }
    auto grey = [](COLORREF c) { return GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c); };
    EXPECT_NE(grey(seen[0]), grey(seen[1])) << "grey and colour by turns";
    EXPECT_EQ(seen[0], seen[2]);
    button->Enabled(false);
    EXPECT_EQ(RunningTimerCount(), timersBefore);
    EXPECT_EQ(button->BlinkTicks(), 0);
}

TEST_F(ButtonInput, StormOfHostileMessages) {
    others.push_back(std::make_unique<VLM_StyleButton>(*container, L"other", 300, kTop, W, H));
    frmFakeToolTip balloon;
    HWND owner = form;
    balloon.SubClsOwner(owner);
    balloon.TextSet(L"storm");
    const UINT messages[] = {WM_MOUSEMOVE,   WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN,
                             WM_RBUTTONUP,   WM_MBUTTONDOWN, WM_MBUTTONUP, WM_RBUTTONDBLCLK, WM_KEYDOWN,
                             WM_KEYUP,       WM_CHAR,        WM_SETFOCUS,  WM_KILLFOCUS,     675,
                             WM_SYSKEYDOWN,  WM_SYSKEYUP,    794,          21,               WM_SETCURSOR};
    std::mt19937 rng(14);
    for (int i = 0; i < 300; ++i) {  // every message many times over, in many states
        const UINT msg = messages[rng() % std::size(messages)];
        WPARAM w = rng() % 4 == 0 ? rng() : rng() % 64;
        const LPARAM l = static_cast<LPARAM>(static_cast<std::int32_t>(rng()));
        switch (rng() % 8) {
            case 0: ::SendMessageW(form, rng() % 2 ? WM_ACTIVATE : 134, rng() % 3, 0); break;
            case 1: ::SendMessageW(balloon.hWnd(), msg, w, l); break;
            case 2: ::SendMessageW(form, WM_MOVE, 0, l); break;
            default: ::SendMessageW(button->hWnd(), msg, w, l); break;
        }
        const std::int32_t s = button->VisualState();
        ASSERT_TRUE(s >= 0 && s <= 2) << i;
    }
    // A real move and key release end whatever the storm left held.
    Key(VK_SPACE, true);
    MouseTo(SX(60), SY(120));
    PumpFor(100);
    EXPECT_NE(::GetCapture(), button->hWnd());
}

}  // namespace
}  // namespace panorel::test
