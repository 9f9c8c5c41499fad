// helpBrowser.exe with real input: it opens on the first topic, follows a
// link, finds a word in another topic and copies it, shows a picture, hands a second
// start's topic to the first, closes on Escape. (Content cut short gives the
// error page: HelpBundle.ARoundTripHoldsAndEveryCutOrDamageIsRefused.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "helpbrowser/HelpBrowser.h"

namespace panorel::test {
namespace {

constexpr std::uint32_t kLinkBlue = 0x0054A6;

struct Browser {
    KernelHandle process;
    HWND window = nullptr, topics = nullptr, page = nullptr;

    bool Open(KernelHandle p) {
        process = std::move(p);
        window = WaitForWindow(L"Panorel 2 Help", 20000, help::kHelpBrowserClass);
        if (!window) return false;
        // Its children come right after the window itself.
        PumpUntil([&] { return (page = ::FindWindowExW(window, nullptr, L"Panorel2HelpPage", nullptr)) != nullptr; },
                  5000);
        topics = ::GetDlgItem(window, help::kTopicsId);
        ::SetForegroundWindow(window);
        PumpFor(800);
        return topics && page;
    }
    LRESULT Topic() const { return ::SendMessageW(topics, LB_GETCURSEL, 0, 0); }
    RECT PageRect() const {
        RECT r{};
        ::GetWindowRect(page, &r);
        return r;
    }
    ~Browser() {
        if (window && ::IsWindow(window)) ::PostMessageW(window, WM_CLOSE, 0, 0);
        if (process && WaitExit(process, 5000) == -1) ::TerminateProcess(process.get(), 9);
    }
};

// Whether a side x side block of one colour lies inside `r` on the screen.
bool SolidBlock(const ScreenShot& shot, const RECT& r, std::uint32_t colour, int side) {
    for (int y = r.top + 2; y + side < r.bottom; y += side / 2)
        for (int x = r.left + 2; x + side < r.right; x += side / 2) {
            bool all = true;
            for (int dy = 0; dy < side && all; dy += 3)
                for (int dx = 0; dx < side && all; dx += 3) all = shot.At(x + dx, y + dy) == colour;
            if (all) return true;
        }
    return false;
}

TEST(HelpBrowserRun, FollowsALinkFindsAWordShowsAPictureAndStaysOne) {
    Browser b;
    ASSERT_TRUE(b.Open(StartProgram(L"helpBrowser.exe", L"1")));
    EXPECT_EQ(::SendMessageW(b.topics, LB_GETCOUNT, 0, 0), 10);
    EXPECT_EQ(b.Topic(), 0);

    // A link: the first underline on the page, ten pixels of link blue in a row.
    const RECT r = b.PageRect();
    const ScreenShot shot;
    POINT link{-1, -1};
    for (int y = r.top; y < r.bottom && link.x < 0; ++y)
        for (int x = r.left, run = 0; x < r.right; ++x) {
            run = shot.At(x, y) == kLinkBlue ? run + 1 : 0;
            if (run == 10) {
                link = {x - 5, y - 5};  // the text above the underline
                break;
            }
        }
    ASSERT_GE(link.x, 0) << "no link drawn";
    EXPECT_TRUE(ClickUntil(link.x, link.y, [&] { return b.Topic() > 0; })) << "the link leads to another topic";

    // Ctrl+F and a word that only the troubleshooting topic has.
    Press('F', true);
    PumpFor(300);
    TypeText(L"laptop");
    Press(VK_RETURN);
    EXPECT_TRUE(PumpUntil([&] { return b.Topic() == 9; }, 5000));
    // The word found is selected: Escape leaves the find bar, Ctrl+C copies it.
    Press(VK_ESCAPE);
    PumpFor(300);
    Press('C', true);
    PumpFor(700);  // reading the clipboard meanwhile would keep the browser out of it
    EXPECT_EQ(ClipboardText(), L"laptop");

    // A second start asks the first for the panel's topic, with its picture
    // (the demo's screenshot, mostly black).
    KernelHandle second = StartProgram(L"helpBrowser.exe", L"panel");
    EXPECT_EQ(WaitExit(second, 15000), 0);
    EXPECT_TRUE(PumpUntil([&] { return b.Topic() == 1; }, 5000));
    PumpFor(500);
    EXPECT_TRUE(SolidBlock(ScreenShot(), b.PageRect(), 0x000000, 16)) << "the picture is drawn";

    // Escape closes it (the find bar first when it has the focus: the copy above).
    Press(VK_ESCAPE);
    EXPECT_EQ(WaitExit(b.process, 10000), 0);
}

}  // namespace
}  // namespace panorel::test
