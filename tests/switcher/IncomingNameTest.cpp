// Which incoming names a switcher acts on.
#include <gtest/gtest.h>

#include "switcher/EventNames.h"
#include "switcher/IncomingName.h"

namespace panorel {
namespace {

TEST(IncomingName, EachOfTheFiftyFourNamesActsOnlyAtItsOwner) {
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
}

TEST(IncomingName, NearMissesAreIgnored) {
    const std::wstring misses[] = {
        L"local\\velmora_Switcher2SwitchTo1", L"Local\\velmora_Switcher2switchTo1", L"Switcher2SwitchTo1",
        L"Local\\velmora_Switcher2SwitchTo1 ", std::wstring(L"Local\\velmora_Switcher2SwitchTo1\0", 33), L"",
    };
    for (const auto& text : misses) EXPECT_EQ(ClassifyIncomingName(text, 2).Kind, IncomingKind::None) << text;
    EXPECT_EQ(ClassifyIncomingName(L"Local\\velmora_Switcher1SwitchTo2", 0).Kind, IncomingKind::None);
}

}  // namespace
}  // namespace panorel
