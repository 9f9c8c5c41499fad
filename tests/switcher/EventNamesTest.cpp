#include "switcher/EventNames.h"

#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <thread>
#include <vector>

namespace panorel {
namespace {

TEST(EventNames, WholeTableInIndexOrder) {
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
}

TEST(EventNames, OutsideTheTableIsEmpty) {
    for (std::int16_t index : {0, 55, -1, -32768, 32767}) EXPECT_EQ(EventName(index), "") << index;
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

}  // namespace
}  // namespace panorel
