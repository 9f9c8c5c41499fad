// The real Spacehost.exe started as a child process: command lines, the
// error log, the window it leaves while running, and its end.
#include <gtest/gtest.h>

#include "WinTestSupport.h"
#include "host/AnsiText.h"
#include "settings/WinAPIError.h"

namespace panorel::test {
namespace {

TEST(Startup, InvalidCommandLinesEndAtOnceWithOneLogEntry) {
    SharedEvents events;  // so that only the command line can stop it
    const std::string entry = " Spacehost: Invalid or non-existent command line argument.\r\n\r\n";
    for (const std::wstring& arguments : {std::wstring(L""), std::wstring(L"0"), std::wstring(L"5"),
                                          std::wstring(L"abc"), std::wstring(L"40000"), std::wstring(L"&HFFFF"),
                                          std::wstring(L"\u00e9\u4e2d2"), std::wstring(10000, L'7')}) {
        DeleteErrorLog();
        KernelHandle p = StartProgram(L"Spacehost.exe", arguments);
        EXPECT_EQ(WaitExit(p, 10000), 1) << "argument length " << arguments.size();
        // Exactly one entry: the date and time, then the message and its empty line, once.
        const std::string log = ReadErrorLog();
        EXPECT_EQ(log.find(entry), log.size() - entry.size()) << log;
        EXPECT_EQ(log.find('\n'), log.size() - 3) << log;
        EXPECT_EQ(::FindWindowW(nullptr, L"Spacehost0"), nullptr);
    }
}

TEST(Startup, AcceptedCommandLinesStartTheirSwitcherAndCloseCleanly) {
    SharedEvents events;
    for (const wchar_t* arguments : {L"2", L" 2", L"2.4", L"2abc", L"2.5", L"3.5"}) {
        const int n = std::wstring(arguments) == L"3.5" ? 4 : 2;
        KernelHandle p = StartProgram(L"Spacehost.exe", arguments);
        HWND w = WaitForWindow((L"Spacehost" + std::to_wstring(n)).c_str(), 10000);
        ASSERT_NE(w, nullptr) << "no window for " << ToAnsi(arguments);
        EXPECT_FALSE(::IsWindowVisible(w));
        EXPECT_EQ(::GetAncestor(w, GA_ROOT), w);
        EXPECT_EQ(::GetPropA(w, ("Panorel2_APP" + std::to_string(n)).c_str()), reinterpret_cast<HANDLE>(1));
        EXPECT_EQ(WaitExit(p, 0), -1) << "still running";
        ::PostMessageW(w, WM_CLOSE, 0, 0);
        EXPECT_EQ(WaitExit(p, 2000), 0) << "ended within two seconds";
        EXPECT_FALSE(::IsWindow(w));
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
    EXPECT_EQ(::FindWindowW(nullptr, L"Spacehost2"), nullptr);
}

}  // namespace
}  // namespace panorel::test
