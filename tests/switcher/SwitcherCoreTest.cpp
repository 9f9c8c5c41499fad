// The switcher's decisions without a window: its command line, the event
// names and which of them it acts on, the panel's keys and the tab labels.
#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "switcher/CommandLine.h"
#include "switcher/EventNames.h"
#include "switcher/IncomingName.h"
#include "switcher/PanelKeys.h"
#include "switcher/TabLabel.h"

namespace panorel {
namespace {

TEST(CommandLine, AcceptedFormsAndHugeInputs) {
    const struct {
        std::wstring text;
        int desktop;
    } cases[] = {
        {L"2", 2},    {L" 2", 2},     {L"2.4", 2},      {L"2abc", 2},   {L"2.5", 2},  {L"3.5", 4},
        {L"1.5", 2},  {L"0.5", 0},    {L"4.5", 4},      {L"\t\n3", 3},  {L"1 ", 1},   {L"  4  x", 4},
        {L"&H3", 3},  {L"&h4", 4},    {L"&O2", 2},      {L"&o1", 1},    {L"+2", 2},   {L"0 0 3", 3},
        {L"1 .6", 2}, {L"3.49999", 3}, {L"&H 4", 4},    {L"2e5", 2},    {L"4.", 4},   {L".", 0},
        {L"", 0},     {L"0", 0},      {L"5", 0},        {L"abc", 0},    {L"40000", 0}, {L"&HFFFF", 0},
        {L"-2", 0},   {L"&", 0},      {L"&X1", 0},      {L"&H", 0},     {L"\r2", 0},  {L"&HFFFFFFFFFFFFFFFFF1", 0},
        {L"4294967298", 0}, {L"1..5", 1}, {L"\u0662", 0}, {L"\u00e92", 0}, {L"32768", 0},
        // Huge inputs never fit sixteen bits.
        {std::wstring(10000, L'9'), 0}, {L"2" + std::wstring(10000, L'0'), 0},
        {L"0." + std::wstring(10000, L'0') + L"3", 0}, {std::wstring(10000, L' ') + L"3", 3},
        {L"&H" + std::wstring(10000, L'F'), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DesktopNumberFromCommandLine(c.text), c.desktop) << "case #" << (&c - cases);
    EXPECT_EQ(LeadingNumber(L"32767"), 32767.0) << "32768 does not fit, 32767 does (and is not a desktop)";
}

TEST(EventNames, WholeTableInIndexOrderAndNothingOutsideIt) {
    const char* expected =
        "Switcher1SwitchTo1 Switcher1SwitchTo2 Switcher1SwitchTo3 Switcher1SwitchTo4 Switcher1Update1 "
        "Switcher1Update2 Switcher1Update3 Switcher1Update4 ReadRegSwitcher1 ShutdownSwitcher1 "
        "ShowPreviewSwitcher1 ShowPopupSwitcher1 Switcher2SwitchTo1 Switcher2SwitchTo2 Switcher2SwitchTo3 "
        "Switcher2SwitchTo4 Switcher2Update1 Switcher2Update2 Switcher2Update3 Switcher2Update4 "
        "ReadRegSwitcher2 ShutdownSwitcher2 ShowPreviewSwitcher2 ShowPopupSwitcher2 Switcher3SwitchTo1 "
        "Switcher3SwitchTo2 Switcher3SwitchTo3 Switcher3SwitchTo4 Switcher3Update1 Switcher3Update2 "
        "Switcher3Update3 Switcher3Update4 ReadRegSwitcher3 ShutdownSwitcher3 ShowPreviewSwitcher3 "
        "ShowPopupSwitcher3 Switcher4SwitchTo1 Switcher4SwitchTo2 Switcher4SwitchTo3 Switcher4SwitchTo4 "
        "Switcher4Update1 Switcher4Update2 Switcher4Update3 Switcher4Update4 ReadRegSwitcher4 "
        "ShutdownSwitcher4 ShowPreviewSwitcher4 ShowPopupSwitcher4 SwitchToDesktop1 SwitchToDesktop2 "
        "SwitchToDesktop3 SwitchToDesktop4 ReadReg Shutdown";
    BuildEventNames();
    std::istringstream names(expected);
    std::string shortName;
    std::int16_t index = 0;
    while (names >> shortName) {
        ++index;
        EXPECT_EQ(EventName(index), "Local\\velmora_" + shortName) << "index " << index;
        EXPECT_EQ(EventIndexOfShortName(shortName), index);
    }
    EXPECT_EQ(index, kEventCount);
    for (std::int16_t outside : {0, 55, -1, -32768, 32767}) EXPECT_EQ(EventName(outside), "") << outside;
    EXPECT_EQ(EventIndexOfShortName("Switcher5Update1"), 0);
    EXPECT_EQ(EventIndexOfShortName(""), 0);
}

// The main process reads names on one thread per desktop while others may
// still ask for the table to be built: the table must never be rewritten.
TEST(EventNames, ReadersOnFourThreadsSeeOneUnchangingTable) {
    std::atomic<int> wrong{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t)
        readers.emplace_back([&wrong] {
            for (int k = 0; k < 20000; ++k) {
                BuildEventNames();
                const auto index = static_cast<std::int16_t>(1 + k % kEventCount);
                if (EventName(index) != "Local\\velmora_" + ShortEventName(index)) ++wrong;
            }
        });
    for (auto& r : readers) r.join();
    EXPECT_EQ(wrong, 0);
}

TEST(IncomingName, EachOfTheFiftyFourNamesActsOnlyAtItsOwnerAndNearMissesNowhere) {
    BuildEventNames();
    for (int index = 1; index <= kEventCount; ++index) {
        const std::string name = EventName(static_cast<std::int16_t>(index));
        const std::wstring text(name.begin(), name.end());
        // The owner is the switcher its name carries; the six shared names carry none.
        const std::size_t at = name.find("Switcher");
        const int owner = at == std::string::npos ? 0 : name[at + 8] - '0';
        for (int n = 1; n <= 4; ++n)
            EXPECT_EQ(ClassifyIncomingName(text, n).Kind != IncomingKind::None, owner == n) << name;
    }
    const std::wstring misses[] = {
        L"local\\velmora_Switcher2SwitchTo1", L"Local\\velmora_Switcher2switchTo1", L"Switcher2SwitchTo1",
        L"Local\\velmora_Switcher2SwitchTo1 ", std::wstring(L"Local\\velmora_Switcher2SwitchTo1\0", 33), L"",
    };
    for (const auto& text : misses) EXPECT_EQ(ClassifyIncomingName(text, 2).Kind, IncomingKind::None) << text;
    EXPECT_EQ(ClassifyIncomingName(L"Local\\velmora_Switcher1SwitchTo2", 0).Kind, IncomingKind::None);
}

TEST(PanelKeys, EscapeDigitsArrowsAndEnter) {
    using K = PanelKeyKind;
    const struct {
        std::uint32_t key;
        int highlighted, own;
        PanelKeyAction want;
    } table[] = {
        {0x1B, 0, 1, {K::Hide, 0}},      {0x31, 0, 1, {K::Pick, 1}},      {0x34, 3, 1, {K::Pick, 4}},
        {0x35, 0, 1, {}},                {0x64, 0, 2, {K::Pick, 4}},      {0x0D, 0, 1, {}},
        {0x0D, 3, 1, {K::Pick, 3}},      {0x27, 0, 1, {K::Highlight, 2}},  // first arrow: from the own tile
        {0x25, 0, 1, {K::Highlight, 1}}, {0x28, 2, 1, {K::Highlight, 4}}, {0x25, 4, 1, {K::Highlight, 3}},
        {0x26, 3, 1, {K::Highlight, 1}}, {0x28, 4, 1, {K::Highlight, 4}}, {0x41, 2, 1, {}},
    };
    for (const auto& row : table)
        EXPECT_EQ(PanelKey(row.key, row.highlighted, row.own), row.want) << std::hex << row.key << " on " << row.highlighted;
}

TEST(TabLabel, LabelsOfModifiersAndKeys) {
    const struct {
        const wchar_t *name, *key;
        int modifiers;
        const wchar_t* label;
    } cases[] = {{L"Work", L"F1", 1, L"Work   (ALT + F1)"},   {L"Work", L"F1", 0, L"Work   (F1)"},
                 {L"Work", L"F1", 2, L"Work   (CTRL + F1)"},  {L"x", L"A", 4, L"x   (A)"},
                 {L"x", L"A", -1, L"x   (A)"},                {L"x", L"A", 7, L"x   (A)"},
                 {L"x", L"A", 0x7FFFFFFF, L"x   (A)"},
                 // A key without a name leaves the modifiers' trailing blank, or empty parentheses.
                 {L"x", L"", 3, L"x   (CTRL + ALT + )"}, {L"", L"", 0, L"   ()"}};
    for (const auto& c : cases) EXPECT_EQ(BuildTabLabel(c.name, c.modifiers, c.key), c.label) << c.modifiers;
}

}  // namespace
}  // namespace panorel
