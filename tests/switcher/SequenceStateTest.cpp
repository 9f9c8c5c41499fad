// What the switch and the show do when a message handled in their own
// message pump changes the state under them: another show, a tile click, a
// shutdown. Each message is posted so that it arrives in that pump.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "WinTestSupport.h"
#include "switcher/mainW.h"
#include "winsupport/modResize.h"

namespace panorel::test {
namespace {

// Runs an action when this thread's next message pump gets to it.
class InThePump {
public:
    explicit InThePump(std::function<void()> action) : action_(std::move(action)) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &InThePump::Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"Panorel2TestInThePump";
        ::RegisterClassW(&wc);
        window_.reset(::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        wc.hInstance, this));
        ::PostMessageW(window_.get(), WM_APP, 0, 0);
    }
    bool Ran() const { return ran_; }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = WindowObject<InThePump>(hwnd, msg, lParam);
        if (msg == WM_APP && self && !self->ran_) {
            self->ran_ = true;
            self->action_();
            return 0;
        }
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    std::function<void()> action_;
    bool ran_ = false;
    WindowHandle window_;
};

std::uint32_t PreviewPixel(int x, int y) {
    return DibPixel(std::string(PreviewBits.begin(), PreviewBits.end()), 855, 435, x, y);
}

class SequenceState : public ::testing::Test {
protected:
    void SetUp() override { DeleteSettings(); }
    SharedEvents events;
};

TEST_F(SequenceState, AShowAskedForDuringTheSwitchIsDropped) {
    mainW w(L"1");
    const HWND hwnd = w.hWnd();
    w.formBg.Load();
    std::optional<ScreenCover> desktop(std::in_place, PaintHalves);
    events.TakeSignalled();
    InThePump pump([&] {
        desktop.reset();  // the switch is under way: the desktop goes
        ForwardName(hwnd, "ShowPreviewSwitcher1");
    });
    w.IncomingName(L"Local\\velmora_Switcher1SwitchTo3");
    ASSERT_TRUE(pump.Ran());
    EXPECT_FALSE(w.Visible());
    EXPECT_FALSE(w.formBg.Visible());
    // The published preview is the capture from before the switch.
    ASSERT_EQ(PreviewBits.size(), DibStride(855) * 435);
    EXPECT_EQ(PreviewPixel(200, 200), kHalvesBlue);
    EXPECT_EQ(PreviewPixel(650, 200), kHalvesGreen);
    EXPECT_EQ(events.TakeSignalled(), "17 29 41 51");
}

TEST_F(SequenceState, ATrayDoubleClickDuringTheShowIsDroppedAndTheOwnTileShowsTheCapture) {
    mainW w(L"2");
    const HWND hwnd = w.hWnd();
    w.formBg.Load();
    std::optional<ScreenCover> desktop(std::in_place, PaintHalves);
    InThePump pump([&] {
        desktop.reset();
        PumpFor(300);  // the screen now shows the panel and no more halves
        ::PostMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(WM_LBUTTONDBLCLK, 0));  // as the shell does
    });
    w.IncomingName(L"Local\\velmora_ShowPreviewSwitcher2");
    ASSERT_TRUE(pump.Ran());
    ASSERT_TRUE(w.Visible());
    PumpFor(300);
    const ScreenShot shot;
    EXPECT_EQ(shot.At(995 + 200, 70 + 200), kHalvesBlue);  // tile 2 at (995, 70)
    EXPECT_EQ(shot.At(995 + 650, 70 + 200), kHalvesGreen);
    w.IncomingName(L"Local\\velmora_ShowPreviewSwitcher2");
}

TEST_F(SequenceState, TogglesDuringTheShowLeaveThePanelAsTheLastOneAsks) {
    mainW w(L"2");
    const HWND hwnd = w.hWnd();
    w.formBg.Load();
    for (const int more : {1, 2, 3}) {
        InThePump pump([&] {
            for (int i = 0; i < more; ++i) ForwardName(hwnd, "ShowPreviewSwitcher2");
        });
        w.IncomingName(L"Local\\velmora_ShowPreviewSwitcher2");
        ASSERT_TRUE(pump.Ran());
        const bool shown = more % 2 == 0;
        EXPECT_EQ(w.Visible(), shown) << 1 + more << " toggles";
        EXPECT_EQ(w.formBg.Visible(), shown) << 1 + more << " toggles";
        if (shown) w.IncomingName(L"Local\\velmora_ShowPreviewSwitcher2");
        ASSERT_FALSE(w.formBg.Visible());
    }
}

TEST_F(SequenceState, ATileClickedDuringTheShowSwitchesAndGetsTheFreshPreview) {
    mainW w(L"3");
    w.hWnd();
    w.formBg.Load();
    PreviewBits.assign(9, 0x42);
    events.TakeSignalled();
    InThePump pump([&] {
        const HWND tile = w.Picture1[1]->hWnd();
        ::SendMessageW(tile, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        ::SendMessageW(tile, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    });
    w.IncomingName(L"Local\\velmora_ShowPreviewSwitcher3");
    ASSERT_TRUE(pump.Ran());
    EXPECT_FALSE(w.Visible());
    EXPECT_FALSE(w.formBg.Visible());
    // SwitchToDesktop1, then Update3 for switchers 1, 2 and 4, once.
    EXPECT_EQ(events.TakeSignalled(), "7 19 43 49");
    const std::string block = ClipboardBlock(w.PreviewFormat);
    EXPECT_EQ(block.size(), DibStride(855) * 435) << "the preview scaled in this show, not the one before";
    EXPECT_TRUE(block == std::string(PreviewBits.begin(), PreviewBits.end()));
}

TEST_F(SequenceState, AShutdownInThePumpEndsTheSequenceAtOnce) {
    for (const wchar_t* request : {L"Local\\velmora_ShowPreviewSwitcher1", L"Local\\velmora_Switcher1SwitchTo2"}) {
        const long dcs = MemoryDcHandle::LiveCount(), bitmaps = BitmapHandle::LiveCount();
        {
            mainW w(L"1");
            const HWND hwnd = w.hWnd();
            w.formBg.Load();
            ASSERT_TRUE(SetClipboardText(L"the user's"));
            PreviewBits.assign(9, 0x42);
            InThePump pump([&] { ForwardName(hwnd, "ShutdownSwitcher1"); });
            w.IncomingName(request);
            ASSERT_TRUE(pump.Ran()) << request;
            EXPECT_FALSE(w.IsLoaded()) << request;
            EXPECT_FALSE(CaptureHeld()) << request;
            EXPECT_EQ(PreviewBits, PixelBuffer(9, 0x42)) << request << ": nothing drawn after the shutdown";
            bool published = false;
            ClipboardBlock(w.PreviewFormat, &published);
            EXPECT_FALSE(published) << request;
            EXPECT_EQ(w.Picture1[1]->hDC(), nullptr) << request << ": no freed DC is kept";
        }
        EXPECT_EQ(MemoryDcHandle::LiveCount(), dcs) << request;
        EXPECT_EQ(BitmapHandle::LiveCount(), bitmaps) << request;
    }
}

}  // namespace
}  // namespace panorel::test
