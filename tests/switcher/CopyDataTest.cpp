// Incoming event names as WM_COPYDATA: in-process (so that the handle owners'
// live counts show that nothing leaks) and against the real Spacehost.exe.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
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

LRESULT SendCopyData(HWND hwnd, const void* data, DWORD count) {
    COPYDATASTRUCT cds{};
    cds.cbData = count;
    cds.lpData = const_cast<void*>(data);
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(hwnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL, 5000, &result);
    return static_cast<LRESULT>(result);
}

LRESULT SendName(HWND hwnd, const std::string& name, bool withZero = false) {
    return SendCopyData(hwnd, name.c_str(), static_cast<DWORD>(name.size() + (withZero ? 1 : 0)));
}

struct LiveCounts {
    long kernel = KernelHandle::LiveCount();
    long gdi = BitmapHandle::LiveCount() + BrushHandle::LiveCount() + PenHandle::LiveCount() +
               FontHandle::LiveCount() + RegionHandle::LiveCount() + MemoryDcHandle::LiveCount();
    long other = RegKeyHandle::LiveCount() + ModuleHandle::LiveCount() + GlobalMemoryHandle::LiveCount() +
                 WindowDc::LiveCount() + ClipboardSession::LiveCount();
    bool operator==(const LiveCounts& o) const { return kernel == o.kernel && gdi == o.gdi && other == o.other; }
};

// Payloads that must do nothing at switcher `n`: random bytes of random size,
// other switchers' and shared names, own names slightly wrong.
class Hostile {
public:
    Hostile(int n, std::uint32_t seed) : n_(n), rng_(seed) { BuildEventNames(); }
    std::vector<char> Next() {
        for (;;) {
            std::vector<char> bytes = Candidate();
            const std::wstring text = FromAnsi(std::string_view(bytes.data(), bytes.size()));
            if (ClassifyIncomingName(text, n_).Kind == IncomingKind::None) return bytes;
        }
    }

private:
    std::vector<char> Candidate() {
        const std::string name = EventName(static_cast<std::int16_t>(Pick(1, kEventCount)));
        std::vector<char> bytes(name.begin(), name.end());
        switch (Pick(0, 6)) {
            case 0: {  // random bytes, 0 to 64 KiB
                bytes.resize(static_cast<std::size_t>(Pick(0, 65536)));
                for (char& b : bytes) b = static_cast<char>(Pick(0, 255));
                return bytes;
            }
            case 1: return bytes;  // as is: only another block's names survive the filter
            case 2: bytes.push_back('\0'); return bytes;
            case 3: bytes.pop_back(); return bytes;
            case 4: bytes[static_cast<std::size_t>(Pick(0, static_cast<int>(bytes.size()) - 1))] ^= 0x20; return bytes;
            case 5:
                bytes.insert(bytes.begin() + Pick(0, static_cast<int>(bytes.size())), static_cast<char>(Pick(1, 255)));
                return bytes;
            default: bytes.push_back(static_cast<char>(Pick(0, 255))); return bytes;
        }
    }
    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    int n_;
    std::mt19937 rng_;
};

TEST(CopyData, LoadGivesTheIdentityAndShutdownClosesEveryHandle) {
    SharedEvents events;
    const LiveCounts before;
    std::vector<HANDLE> opened;
    {
        mainW w(L"3");
        const HWND hwnd = w.hWnd();
        EXPECT_EQ(w.Caption(), L"Spacehost3");
        EXPECT_EQ(::GetPropA(hwnd, "Panorel2_APP3"), reinterpret_cast<HANDLE>(1));
        EXPECT_FALSE(w.Visible());
        EXPECT_EQ(w.PreviewFormat, ::RegisterClipboardFormatW(L"velmora_panorel2"));
        for (int i = 1; i <= 54; ++i) opened.push_back(w.EventHandles[i].get());
        EXPECT_EQ(KernelHandle::LiveCount(), before.kernel + 54);
        SendName(hwnd, "Local\\velmora_ShutdownSwitcher3");
        EXPECT_FALSE(::IsWindow(hwnd));
        EXPECT_FALSE(w.IsLoaded());
        EXPECT_EQ(KernelHandle::LiveCount(), before.kernel);
    }
    for (HANDLE h : opened) {
        DWORD flags = 0;
        EXPECT_FALSE(::GetHandleInformation(h, &flags)) << "handle still open";
    }
    // The off-screen images go with the window object.
    EXPECT_TRUE(LiveCounts() == before);
    EXPECT_EQ(events.TakeSignalled(), "");
}

TEST(CopyData, TenThousandHostileMessagesSetNothingAndLeakNothing) {
    SharedEvents events;
    const LiveCounts idle;
    auto window = std::make_unique<mainW>(L"4");
    mainW& w = *window;
    const HWND hwnd = w.hWnd();
    const LiveCounts loaded;
    const std::string own = "Local\\velmora_Switcher4SwitchTo1";
    for (DWORD count : {DWORD{0}, DWORD{0x80000000u}, DWORD{0xFFFFFFFFu}, static_cast<DWORD>(-static_cast<int>(own.size()))})
        SendCopyData(hwnd, own.data(), count);  // below 1 once signed
    SendCopyData(hwnd, nullptr, 20);
    ::SendMessageW(hwnd, WM_COPYDATA, 0, 0);
    Hostile hostile(4, 20261206);
    std::mt19937 rng(7);
    for (int k = 0; k < 10000; ++k) {
        const std::vector<char> bytes = hostile.Next();
        DWORD count = static_cast<DWORD>(bytes.size());
        if (rng() % 10 == 0) count = 0x80000000u | static_cast<DWORD>(rng());  // the sign bit set
        SendCopyData(hwnd, bytes.empty() ? "" : bytes.data(), count);
    }
    EXPECT_EQ(events.TakeSignalled(), "");
    EXPECT_TRUE(::IsWindow(hwnd));
    EXPECT_TRUE(LiveCounts() == loaded);
    SendName(hwnd, own);
    EXPECT_EQ(events.TakeSignalled(), "8 20 32 49") << "still listening";
    w.Unload();
    window.reset();
    EXPECT_TRUE(LiveCounts() == idle);
}

TEST(CopyData, TheRealSwitcherActsOnItsNamesSurvivesHostileOnesAndEndsOnShutdown) {
    SharedEvents events;
    KernelHandle process = StartProgram(L"Spacehost.exe", L"4");
    ASSERT_TRUE(process);
    const HWND hwnd = WaitForWindow(L"Spacehost4", 10000);
    ASSERT_NE(hwnd, nullptr);

    SendName(hwnd, "Local\\velmora_Switcher4SwitchTo2");
    EXPECT_EQ(events.TakeSignalled(), "8 20 32 50");
    SendName(hwnd, "Local\\velmora_Switcher4SwitchTo2", true);
    SendName(hwnd, "Local\\velmora_Switcher3SwitchTo2");
    SendName(hwnd, "Local\\velmora_Switcher4SwitchTo4");  // own desktop: a beep only
    SendName(hwnd, "Local\\velmora_ShowPopupSwitcher4");
    SendName(hwnd, "Local\\velmora_SwitchToDesktop1");
    EXPECT_EQ(events.TakeSignalled(), "");

    // The system copies the data across processes, so only honest sizes here.
    Hostile hostile(4, 99);
    for (int k = 0; k < 1000; ++k) {
        const std::vector<char> bytes = hostile.Next();
        SendCopyData(hwnd, bytes.empty() ? "" : bytes.data(), static_cast<DWORD>(bytes.size()));
    }
    EXPECT_EQ(::WaitForSingleObject(process.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "still running";
    EXPECT_EQ(events.TakeSignalled(), "");

    SendName(hwnd, "Local\\velmora_ShutdownSwitcher4");
    EXPECT_EQ(WaitExit(process, 10000), 0);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(events.TakeSignalled(), "");
}

}  // namespace
}  // namespace panorel::test
