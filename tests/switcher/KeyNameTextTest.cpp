// Key names on the US keyboard layout (the default hotkeys' tab labels:
// Panel.TabsFollowTheSettingsFitAnyNameAndDrawCjkGlyphs). This program runs
// without the X display on purpose: Wine's X11 driver names keys by their X
// key symbols ("KP_End") and gives the keypad digits no scan code, whereas
// Windows, and Wine without X, use the layout's own names.
#include "switcher/KeyNameText.h"

#include <gtest/gtest.h>

#include <string>

namespace panorel {
namespace {

TEST(KeyNameText, NamesOnTheUsLayout) {
    // Num Lock goes through the fixed extended scan code 0x145; the layout's
    // own code for it (0x45) would name Pause.
    const struct {
        std::int32_t key;
        const wchar_t* name;
    } cases[] = {{112, L"F1"}, {'A', L"A"}, {97, L"Num 1"}, {98, L"Num 2"},
                 {99, L"Num 3"}, {100, L"Num 4"}, {144, L"Num Lock"}, {19, L"Pause"}};
    for (const auto& c : cases) EXPECT_EQ(KeyNameText(c.key), c.name) << c.key;
}

}  // namespace
}  // namespace panorel
