// The real Spacehost.exe started as a child process: command lines, the
// error log, the window it leaves while running, and its end.
#include <gtest/gtest.h>

#include "WinTestSupport.h"
#include "settings/WinAPIError.h"
#include "host/AnsiText.h"

namespace panorel::test {
namespace {

const std::string kInvalidArgument = "Spacehost: Invalid or non-existent command line argument.\r\n\r\n";

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(Startup, InvalidCommandLinesEndAtOnceWithOneLogEntry) {
    SharedEvents events;  // so that only the command line can stop it
    const std::wstring cases[] = {L"",      L"0",      L"5",    L"abc", L"40000", L"&HFFFF",
                                  L"\u00e9\u4e2d2", std::wstring(10000, L'7'), L"-1", L"\"2\""};
    for (const auto& arguments : cases) {
        DeleteErrorLog();
        KernelHandle p = StartProgram(L"Spacehost.exe", arguments);
        ASSERT_TRUE(p);
        EXPECT_EQ(WaitExit(p, 10000), 1) << "argument length " << arguments.size();
        const std::string log = ReadErrorLog();
        EXPECT_TRUE(EndsWith(log, " " + kInvalidArgument)) << log;
        // Exactly one entry: the message and its empty line appear once.
        EXPECT_EQ(log.find(kInvalidArgument), log.size() - kInvalidArgument.size());
        EXPECT_EQ(::FindWindowW(nullptr, L"Spacehost0"), nullptr);
    }
}

TEST(Startup, AcceptedCommandLinesStartTheirSwitcherAndCloseCleanly) {
    SharedEvents events;
    const struct {
        const wchar_t* arguments;
        const wchar_t* caption;
        const char* property;
    } cases[] = {{L"2", L"Spacehost2", "Panorel2_APP2"},   {L" 2", L"Spacehost2", "Panorel2_APP2"},
                 {L"2.4", L"Spacehost2", "Panorel2_APP2"}, {L"2abc", L"Spacehost2", "Panorel2_APP2"},
                 {L"2.5", L"Spacehost2", "Panorel2_APP2"}, {L"3.5", L"Spacehost4", "Panorel2_APP4"}};
    for (const auto& c : cases) {
        KernelHandle p = StartProgram(L"Spacehost.exe", c.arguments);
        ASSERT_TRUE(p);
        HWND w = WaitForWindow(c.caption, 10000);
        ASSERT_NE(w, nullptr) << "no window for " << ToAnsi(c.arguments);
        EXPECT_FALSE(::IsWindowVisible(w));
        EXPECT_EQ(::GetAncestor(w, GA_ROOT), w);
        EXPECT_EQ(::GetPropA(w, c.property), reinterpret_cast<HANDLE>(1));
        EXPECT_EQ(WaitExit(p, 0), -1) << "still running";
        const DWORD sent = ::GetTickCount();
        ::PostMessageW(w, WM_CLOSE, 0, 0);
        EXPECT_EQ(WaitExit(p, 2000), 0);
        EXPECT_LT(::GetTickCount() - sent, 2000u);
        EXPECT_FALSE(::IsWindow(w));
    }
}

TEST(Startup, MissingEventsAreLoggedOncePerStart) {
    DeleteErrorLog();
    const std::string expected = "Spacehost2: Failed to open event Local\\velmora_Switcher1SwitchTo1 (" +
                                 ToAnsi(SystemErrorText(2)) + ")\r\n\r\n";
    for (int run = 1; run <= 2; ++run) {
        KernelHandle p = StartProgram(L"Spacehost.exe", L"2");
        ASSERT_TRUE(p);
        EXPECT_EQ(WaitExit(p, 10000), 1);
    }
    const std::string log = ReadErrorLog();
    // Two entries, each "<date> <time> message CRLF" followed by one empty line.
    const std::size_t first = log.find(expected);
    ASSERT_NE(first, std::string::npos) << log;
    const std::size_t second = log.find(expected, first + expected.size());
    ASSERT_NE(second, std::string::npos) << log;
    EXPECT_EQ(second + expected.size(), log.size());
    const std::string between = log.substr(first + expected.size(), second - first - expected.size());
    EXPECT_EQ(between.find('\n'), std::string::npos) << "only the date and time stand between the entries";
    EXPECT_EQ(between.back(), ' ');
    EXPECT_EQ(::FindWindowW(nullptr, L"Spacehost2"), nullptr);
}

}  // namespace
}  // namespace panorel::test
