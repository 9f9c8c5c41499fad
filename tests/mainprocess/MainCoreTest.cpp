// The main process's decisions: its command line, what each event leads to,
// the hotkeys, and the bounded retry of undeliverable forwards.
#include <gtest/gtest.h>

#include <set>

#include "mainprocess/EventRouting.h"
#include "mainprocess/HotkeyModel.h"
#include "mainprocess/MainCommandLine.h"
#include "switcher/EventNames.h"

namespace panorel {
namespace {

TEST(MainCommandLine, AcceptsTheFourForms) {
    EXPECT_EQ(ParseMainCommandLine({}).command, MainCommand::Run);
    EXPECT_FALSE(ParseMainCommandLine({}).singleDesktop);
    const auto single = ParseMainCommandLine({L"--single-desktop"});
    EXPECT_EQ(single.command, MainCommand::Run);
    EXPECT_TRUE(single.singleDesktop);
    const auto signal = ParseMainCommandLine({L"--signal", L"Switcher1SwitchTo3"});
    EXPECT_EQ(signal.command, MainCommand::Signal);
    EXPECT_EQ(signal.shortName, "Switcher1SwitchTo3");
    EXPECT_EQ(ParseMainCommandLine({L"--shutdown"}).command, MainCommand::Shutdown);
}

TEST(MainCommandLine, RejectsWhatItDoesNotKnow) {
    const std::vector<std::vector<std::wstring>> bad = {
        {L"--signal"}, {L"--SHUTDOWN"}, {L"1"}, {L"--shutdown", L"--signal", L"ReadReg"},
        {L"--signal", L"ReadReg", L"extra"}, {L""}, {std::wstring(100000, L'-')}};
    for (const auto& args : bad) {
        const auto o = ParseMainCommandLine(args);
        EXPECT_EQ(o.command, MainCommand::Invalid) << args.size();
        EXPECT_FALSE(o.problem.empty());
    }
}

TEST(MainCommandLine, NonAsciiNamesCannotMatchAnEvent) {
    BuildEventNames();
    // U+0153 truncated to a byte would be 'S' (0x53); it must not become "Shutdown".
    const auto o = ParseMainCommandLine({L"--signal", L"\u0153hutdown"});
    EXPECT_EQ(o.command, MainCommand::Signal);
    EXPECT_EQ(EventIndexOfShortName(o.shortName), 0);
}

TEST(EventRouting, EverySwitcherEventIsForwardedToItsOwnerAndTheSharedOnesAct) {
    BuildEventNames();
    std::set<int> seenOwners;
    for (int i = 1; i <= 48; ++i) {
        const MainAction a = ActionForEvent(i);
        ASSERT_EQ(a.kind, MainActionKind::Forward) << i;
        // The owner's name is part of the event's short name ("Switcher2..." or "...Switcher2").
        EXPECT_NE(ShortEventName(i).find("Switcher" + std::to_string(a.target)), std::string::npos) << i;
        seenOwners.insert(a.target);
    }
    EXPECT_EQ(seenOwners, (std::set<int>{1, 2, 3, 4}));
    for (int j = 1; j <= 4; ++j) {
        EXPECT_EQ(ActionForEvent(EventIndexOfShortName("SwitchToDesktop" + std::to_string(j))),
                  (MainAction{MainActionKind::SwitchDesktop, j}));
    }
    EXPECT_EQ(ActionForEvent(EventIndexOfShortName("ReadReg")).kind, MainActionKind::ReadReg);
    EXPECT_EQ(ActionForEvent(EventIndexOfShortName("Shutdown")).kind, MainActionKind::Shutdown);
    for (int i : {0, -1, 55, 1000, -32768})
        EXPECT_EQ(ActionForEvent(i).kind, MainActionKind::None) << i;
}

TEST(Hotkeys, AHotkeyAsksTheActiveSwitcherToMove) {
    BuildEventNames();
    EXPECT_EQ(ShortEventName(HotkeyEventIndex(1, 3)), "Switcher1SwitchTo3");
    EXPECT_EQ(ShortEventName(HotkeyEventIndex(4, 2)), "Switcher4SwitchTo2");
    EXPECT_EQ(ShortEventName(HotkeyEventIndex(2, 2)), "Switcher2SwitchTo2");  // the switcher beeps
    for (int j = 1; j <= 4; ++j) EXPECT_EQ(DesktopOfHotkeyId(HotkeyId(j)), j);
    EXPECT_EQ(DesktopOfHotkeyId(0), 0);
    EXPECT_EQ(DesktopOfHotkeyId(5), 0);
    EXPECT_EQ(DesktopOfHotkeyId(0x7FFFFFFFLL), 0);
    EXPECT_EQ(HotkeyEventIndex(0, 1), 0);
    EXPECT_EQ(HotkeyEventIndex(1, 5), 0);
}

TEST(PendingForwards, RetriesABoundedNumberOfTimesThenDrops) {
    PendingForwards p;
    EXPECT_FALSE(p.Add(0));
    EXPECT_FALSE(p.Add(49));  // SwitchToDesktop1 belongs to no switcher
    ASSERT_TRUE(p.Add(SwitchToIndex(3, 1)));
    ASSERT_TRUE(p.Add(UpdateIndex(2, 1)));
    int tries = 0;
    for (int round = 0; round < PendingForwards::kMaxAttempts - 1; ++round)
        p.RetryAll([&](int index) { ++tries; return index == UpdateIndex(2, 1) && round == 3; });
    EXPECT_EQ(p.Size(), 1u);  // switcher 2's window appeared in round 3
    EXPECT_EQ(p.Dropped(), 0u);
    p.RetryAll([](int) { return false; });
    EXPECT_TRUE(p.Empty());
    EXPECT_EQ(p.Dropped(), 1u);
    EXPECT_EQ(tries, (PendingForwards::kMaxAttempts - 1) + 4);
}

TEST(PendingForwards, AFloodKeepsTheQueueBoundedAndInOrder) {
    PendingForwards p;
    for (int k = 0; k < 10000; ++k) p.Add(1 + k % 48);
    EXPECT_EQ(p.Size(), PendingForwards::kCapacity);
    EXPECT_EQ(p.Dropped(), 10000u - PendingForwards::kCapacity);
    std::vector<int> order;
    p.RetryAll([&](int index) { order.push_back(index); return true; });
    ASSERT_EQ(order.size(), PendingForwards::kCapacity);
    EXPECT_EQ(order.back(), 1 + 9999 % 48);
    EXPECT_TRUE(p.Empty());
}

}  // namespace
}  // namespace panorel
