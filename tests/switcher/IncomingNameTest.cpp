// Which incoming names a switcher acts on.
#include <gtest/gtest.h>

#include "switcher/EventNames.h"
#include "switcher/IncomingName.h"

namespace panorel {
namespace {

IncomingAction At(const wchar_t* text, int n) { return ClassifyIncomingName(text, n); }

TEST(IncomingName, OwnBlockNamesMapToTheirActions) {
    EXPECT_EQ(At(L"Local\\velmora_Switcher4SwitchTo2", 4).Kind, IncomingKind::SwitchTo);
    EXPECT_EQ(At(L"Local\\velmora_Switcher4SwitchTo2", 4).Desktop, 2);
    EXPECT_EQ(At(L"Local\\velmora_Switcher2SwitchTo2", 2).Desktop, 2);
    EXPECT_EQ(At(L"Local\\velmora_Switcher1Update2", 1).Kind, IncomingKind::Update);
    EXPECT_EQ(At(L"Local\\velmora_Switcher1Update2", 1).Desktop, 2);
    EXPECT_EQ(At(L"Local\\velmora_ReadRegSwitcher3", 3).Kind, IncomingKind::ReadReg);
    EXPECT_EQ(At(L"Local\\velmora_ShutdownSwitcher4", 4).Kind, IncomingKind::Shutdown);
    EXPECT_EQ(At(L"Local\\velmora_ShowPreviewSwitcher1", 1).Kind, IncomingKind::ShowPreview);
    EXPECT_EQ(At(L"Local\\velmora_ShowPopupSwitcher1", 1).Kind, IncomingKind::ShowPopup);
}

TEST(IncomingName, EverythingElseIsIgnored) {
    const wchar_t* ignored[] = {
        L"Local\\velmora_Switcher3SwitchTo1",            // another switcher's block
        L"Local\\velmora_SwitchToDesktop2",              // shared names
        L"Local\\velmora_Shutdown",
        L"Local\\velmora_ReadReg",
        L"local\\velmora_Switcher2SwitchTo1",            // case matters
        L"Local\\velmora_Switcher2switchTo1",
        L"Switcher2SwitchTo1",                           // short name alone
        L"Local\\velmora_Switcher2SwitchTo1 ",
        L"Local\\velmora_Switcher2SwitchTo5",
        L"",
    };
    for (const wchar_t* text : ignored) EXPECT_EQ(At(text, 2).Kind, IncomingKind::None) << text;
    const std::wstring withZero(L"Local\\velmora_Switcher2SwitchTo1\0", 33);
    EXPECT_EQ(ClassifyIncomingName(withZero, 2).Kind, IncomingKind::None);
    EXPECT_EQ(At(L"Local\\velmora_Switcher1SwitchTo2", 0).Kind, IncomingKind::None);
    EXPECT_EQ(At(L"Local\\velmora_Switcher1SwitchTo2", 5).Kind, IncomingKind::None);
}

TEST(IncomingName, EveryOwnNameIsRecognisedOnlyByItsOwner) {
    BuildEventNames();
    for (int index = 1; index <= kEventCount; ++index) {
        const std::string name = EventName(static_cast<std::int16_t>(index));
        const std::wstring text(name.begin(), name.end());
        for (int n = 1; n <= 4; ++n)
            EXPECT_EQ(ClassifyIncomingName(text, n).Kind != IncomingKind::None, OwnerOfEvent(index) == n)
                << index << " at " << n;
    }
}

TEST(IncomingName, PreviewUpdatesGoToTheOtherThreeInOrder) {
    EXPECT_EQ(PreviewUpdatedIndices(4), (std::array<int, 3>{8, 20, 32}));
    EXPECT_EQ(PreviewUpdatedIndices(1), (std::array<int, 3>{17, 29, 41}));
    EXPECT_EQ(PreviewUpdatedIndices(2), (std::array<int, 3>{6, 30, 42}));
}

}  // namespace
}  // namespace panorel
