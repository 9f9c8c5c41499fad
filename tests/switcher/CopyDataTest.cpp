// Incoming event names as WM_COPYDATA: in-process (so that the handle owners'
// live counts show that nothing leaks) and against the real Spacehost.exe.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "host/AnsiText.h"
#include "host/Handles.h"
#include "switcher/EventNames.h"
#include "switcher/IncomingName.h"
#include "switcher/mainW.h"

namespace panorel::test {
namespace {

struct LiveCounts {
    long kernel = KernelHandle::LiveCount();
    long gdi = BitmapHandle::LiveCount() + BrushHandle::LiveCount() + PenHandle::LiveCount() +
               FontHandle::LiveCount() + RegionHandle::LiveCount() + MemoryDcHandle::LiveCount();
    long other = RegKeyHandle::LiveCount() + ModuleHandle::LiveCount() + GlobalMemoryHandle::LiveCount() +
                 WindowDc::LiveCount() + ClipboardSession::LiveCount();
    bool operator==(const LiveCounts& o) const { return kernel == o.kernel && gdi == o.gdi && other == o.other; }
};

// A payload that must do nothing at switcher 4: random bytes of 0 to 64 KiB,
// another block's or a shared name, or an own name slightly wrong.
std::vector<char> Hostile(std::mt19937& rng) {
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    BuildEventNames();
    for (;;) {
        const std::string name = EventName(static_cast<std::int16_t>(pick(1, kEventCount)));
        std::vector<char> b(name.begin(), name.end());
        switch (pick(0, 4)) {
            case 0:
                b.resize(static_cast<std::size_t>(pick(0, 65536)));
                for (char& c : b) c = static_cast<char>(pick(0, 255));
                break;
            case 1: break;  // as it is: only another block's names get through the check below
            case 2: b.push_back('\0'); break;
            case 3: b.pop_back(); break;
            default: b[static_cast<std::size_t>(pick(0, static_cast<int>(b.size()) - 1))] ^= 0x20; break;
        }
        if (ClassifyIncomingName(FromAnsi(std::string_view(b.data(), b.size())), 4).Kind == IncomingKind::None)
            return b;
    }
}

TEST(CopyData, HostileMessagesSetNothingAndShutdownClosesEveryHandle) {
    SharedEvents events;
    const LiveCounts idle;
    std::vector<HANDLE> opened;
    {
        mainW w(L"4");
        const HWND hwnd = w.hWnd();
        for (int i = 1; i <= 54; ++i) opened.push_back(w.EventHandles[i].get());
        EXPECT_EQ(KernelHandle::LiveCount(), idle.kernel + 54);
        const LiveCounts loaded;
        const std::string own = "Local\\velmora_Switcher4SwitchTo1";
        const DWORD minus = static_cast<DWORD>(-static_cast<int>(own.size()));
        for (DWORD count : {DWORD{0}, DWORD{0x80000000u}, DWORD{0xFFFFFFFFu}, minus})
            SendCopyData(hwnd, own.data(), count);  // below 1 once signed
        SendCopyData(hwnd, nullptr, 20);
        ::SendMessageW(hwnd, WM_COPYDATA, 0, 0);
        std::mt19937 rng(20261206);
        for (int k = 0; k < 500; ++k) {  // each kind of payload a hundred times
            const std::vector<char> bytes = Hostile(rng);
            DWORD count = static_cast<DWORD>(bytes.size());
            if (rng() % 10 == 0) count = 0x80000000u | static_cast<DWORD>(rng());  // the sign bit set
            SendCopyData(hwnd, bytes.empty() ? "" : bytes.data(), count);
        }
        EXPECT_EQ(events.TakeSignalled(), "");
        EXPECT_TRUE(LiveCounts() == loaded);
        ForwardName(hwnd, "Switcher4SwitchTo1");
        EXPECT_EQ(events.TakeSignalled(), "8 20 32 49") << "still listening";
        ForwardName(hwnd, "ShutdownSwitcher4");
        EXPECT_FALSE(::IsWindow(hwnd));
        EXPECT_FALSE(w.IsLoaded());
        EXPECT_EQ(KernelHandle::LiveCount(), idle.kernel);
    }
    for (HANDLE h : opened) {
        DWORD flags = 0;
        EXPECT_FALSE(::GetHandleInformation(h, &flags)) << "handle still open";
    }
    // The off-screen images go with the window object.
    EXPECT_TRUE(LiveCounts() == idle);
    EXPECT_EQ(events.TakeSignalled(), "");
}

TEST(CopyData, TheRealSwitcherActsOnlyOnItsNamesAndEndsOnShutdown) {
    SharedEvents events;
    KernelHandle process = StartProgram(L"Spacehost.exe", L"4");
    ASSERT_TRUE(process);
    const HWND hwnd = WaitForWindow(L"Spacehost4", 10000);
    ASSERT_NE(hwnd, nullptr);

    ForwardName(hwnd, "Switcher4SwitchTo2");
    EXPECT_EQ(events.TakeSignalled(), "8 20 32 50");
    const char withZero[] = "Local\\velmora_Switcher4SwitchTo2";
    SendCopyData(hwnd, withZero, sizeof withZero);
    ForwardName(hwnd, "Switcher3SwitchTo2");
    ForwardName(hwnd, "Switcher4SwitchTo4");  // own desktop: a beep only
    EXPECT_EQ(events.TakeSignalled(), "");

    ForwardName(hwnd, "ShutdownSwitcher4");
    EXPECT_EQ(WaitExit(process, 10000), 0);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(events.TakeSignalled(), "");
}

}  // namespace
}  // namespace panorel::test
