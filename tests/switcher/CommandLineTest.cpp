#include "switcher/CommandLine.h"

#include <gtest/gtest.h>

#include <string>

namespace panorel {
namespace {

TEST(CommandLine, AcceptedForms) {
    const struct {
        const wchar_t* text;
        int desktop;
    } cases[] = {
        {L"2", 2},    {L" 2", 2},     {L"2.4", 2},      {L"2abc", 2},   {L"2.5", 2},  {L"3.5", 4},
        {L"1.5", 2},  {L"0.5", 0},    {L"4.5", 4},      {L"\t\n3", 3},  {L"1 ", 1},   {L"  4  x", 4},
        {L"&H3", 3},  {L"&h4", 4},    {L"&O2", 2},      {L"&o1", 1},    {L"+2", 2},   {L"0 0 3", 3},
        {L"1 .6", 2}, {L"3.49999", 3}, {L"&H 4", 4},    {L"2e5", 2},    {L"4.", 4},   {L".", 0},
        {L"", 0},     {L"0", 0},      {L"5", 0},        {L"abc", 0},    {L"40000", 0}, {L"&HFFFF", 0},
        {L"-2", 0},   {L"&", 0},      {L"&X1", 0},      {L"&H", 0},     {L"\r2", 0},  {L"&HFFFFFFFFFFFFFFFFF1", 0},
        {L"4294967298", 0}, {L"1..5", 1}, {L"\u0662", 0}, {L"\u00e92", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DesktopNumberFromCommandLine(c.text), c.desktop) << "command line \"" << std::wstring(c.text).size()
                                                                  << " chars\" case #" << (&c - cases);
}

TEST(CommandLine, HugeInputsNeverFitSixteenBits) {
    EXPECT_EQ(DesktopNumberFromCommandLine(std::wstring(10000, L'9')), 0);
    EXPECT_EQ(DesktopNumberFromCommandLine(L"2" + std::wstring(10000, L'0')), 0);
    EXPECT_EQ(DesktopNumberFromCommandLine(L"0." + std::wstring(10000, L'0') + L"3"), 0);
    EXPECT_EQ(DesktopNumberFromCommandLine(std::wstring(10000, L' ') + L"3"), 3);
    EXPECT_EQ(DesktopNumberFromCommandLine(L"&H" + std::wstring(10000, L'F')), 0);
    // 32768 does not fit, 32767 does (and is not a desktop).
    EXPECT_EQ(LeadingNumber(L"32767"), 32767.0);
    EXPECT_EQ(DesktopNumberFromCommandLine(L"32768"), 0);
}

}  // namespace
}  // namespace panorel
