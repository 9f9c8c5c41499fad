// The switcher's life: the real Spacehost.exe started as a child process
// (command lines, the error log, its window, its end); in-process, its shell
// and tray icon, and incoming names as WM_COPYDATA, where the handle owners'
// live counts show that nothing leaks. (The real Spacehost.exe acting on
// forwarded names: FourDesktopsTest and RoadTest.)
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <random>
#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "host/AnsiText.h"
#include "host/Handles.h"
#include "settings/WinAPIError.h"
#include "switcher/EventNames.h"
#include "switcher/IncomingName.h"
#include "switcher/mainW.h"

namespace panorel::test {
namespace {

TEST(Startup, InvalidCommandLinesEndAtOnceWithOneLogEntryAcceptedOnesStartTheirSwitcher) {
    SharedEvents events;  // so that only the command line can stop it
    const std::string entry = " Spacehost: Invalid or non-existent command line argument.\r\n\r\n";
    // (Which texts name a desktop: CommandLine.AcceptedFormsAndHugeInputs.)
    for (const std::wstring& arguments : {std::wstring(L""), std::wstring(L"5"), std::wstring(L"\u00e9\u4e2d2"),
                                          std::wstring(10000, L'7')}) {
        DeleteErrorLog();
        KernelHandle p = StartProgram(L"Spacehost.exe", arguments);
        EXPECT_EQ(WaitExit(p, 10000), 1) << "argument length " << arguments.size();
        // Exactly one entry: the date and time, then the message and its empty line, once.
        const std::string log = ReadErrorLog();
        EXPECT_EQ(log.find(entry), log.size() - entry.size()) << log;
        EXPECT_EQ(log.find('\n'), log.size() - 3) << log;
    }
    // Accepted ones start their switcher, which closes cleanly.
    for (const wchar_t* arguments : {L" 2", L"3.5"}) {
        const int n = arguments[0] == L'3' ? 4 : 2;
        KernelHandle p = StartProgram(L"Spacehost.exe", arguments);
        HWND w = WaitForWindow((L"Spacehost" + std::to_wstring(n)).c_str(), 10000);
        ASSERT_NE(w, nullptr) << "no window for " << ToAnsi(arguments);
        EXPECT_FALSE(::IsWindowVisible(w));
        EXPECT_EQ(::GetAncestor(w, GA_ROOT), w);
        EXPECT_EQ(::GetPropA(w, ("Panorel2_APP" + std::to_string(n)).c_str()), reinterpret_cast<HANDLE>(1));
        EXPECT_EQ(WaitExit(p, 0), -1) << "still running";
        ::PostMessageW(w, WM_CLOSE, 0, 0);
        EXPECT_EQ(WaitExit(p, 2000), 0) << "ended within two seconds";
    }
}

TEST(Startup, MissingEventsAreLoggedOncePerStart) {
    DeleteErrorLog();
    for (int run = 1; run <= 2; ++run) EXPECT_EQ(WaitExit(StartProgram(L"Spacehost.exe", L"2"), 10000), 1);
    // Two entries, each "<date> <time> message CRLF" followed by one empty line.
    const std::string message = " Spacehost2: Failed to open event Local\\velmora_Switcher1SwitchTo1 (" +
                                ToAnsi(SystemErrorText(2)) + ")\r\n\r\n";
    const std::string log = ReadErrorLog();
    const std::size_t first = log.find(message);
    const std::size_t second = log.find(message, first + message.size());
    ASSERT_NE(first, std::string::npos) << log;
    EXPECT_EQ(second, log.size() - message.size()) << log;
    EXPECT_EQ(log.substr(first + message.size(), second - first - message.size()).find('\n'), std::string::npos)
        << "only the date and time stand between the entries";
}

// Without a taskbar only desktops two to four start a shell; with one, the
// tray icon is there and comes back with a new taskbar. (A double click
// showing the panel: SequenceState.)
TEST(SwitcherShell, AShellOnlyOnTwoToFourWithoutATaskbarAndTheTrayIconWithOne) {
    SharedEvents events;
    for (const wchar_t* desktop : {L"1", L"3"}) {
        std::wstring started;
        mainW w(desktop);
        w.FindTaskbar = [] { return HWND{}; };
        w.StartProgram = [&](const std::wstring& path, int show) { started += path + L" " + std::to_wstring(show); };
        w.hWnd();
        EXPECT_FALSE(w.TrayIconAdded);
        // Minimised with focus (2), from the Windows directory.
        EXPECT_EQ(started, w.DesktopNumber == 1 ? L"" : WindowsDirectory() + L"\\explorer.exe 2");
    }
    mainW w(L"2");
    bool noShell = true;
    w.StartProgram = [&](const std::wstring&, int) { noShell = false; };
    const HWND hwnd = w.hWnd();
    ASSERT_NE(::FindWindowA("Shell_TrayWnd", ""), nullptr) << "the session's shell has a taskbar";
    EXPECT_TRUE(noShell);
    EXPECT_TRUE(w.TrayIconAdded);
    EXPECT_EQ(w.VLM_SysTray1->ToolTip(), L"Panoerl2");
    EXPECT_EQ(w.VLM_SysTray1->Icon(), w.Image1[1].Picture);

    std::vector<DWORD> sent;
    w.VLM_SysTray1->SetNotifyForTesting([&](DWORD message, const TrayRecordBytes&) {
        sent.push_back(message);
        return true;
    });
    ::SendMessageW(hwnd, ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_EQ(sent, std::vector<DWORD>{static_cast<DWORD>(NIM_ADD)});
    w.Unload();
    EXPECT_EQ(sent.back(), static_cast<DWORD>(NIM_DELETE)) << "the icon leaves with the window";
}

struct LiveCounts {
    long kernel = KernelHandle::LiveCount();
    long gdi = GdiLive();
    long other = RegKeyHandle::LiveCount() + ModuleHandle::LiveCount() + GlobalMemoryHandle::LiveCount() +
                 ClipboardSession::LiveCount();
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

}  // namespace
}  // namespace panorel::test
