// Key names and tab labels on the US keyboard layout. This program runs
// without the X display on purpose: Wine's X11 driver names keys by their X
// key symbols ("KP_End") and gives the keypad digits no scan code, whereas
// Windows, and Wine without X, use the layout's own names.
#include "switcher/KeyNameText.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "settings/DesktopDefaults.h"
#include "switcher/TabLabel.h"

namespace panorel {
namespace {

// What the keyboard layout itself calls the key-name argument of a scan code.
std::wstring LayoutName(LONG argument) {
    char buffer[256] = {};
    const int n = ::GetKeyNameTextA(argument, buffer, 255);
    return n > 0 ? std::wstring(buffer, buffer + n) : std::wstring();
}

TEST(KeyNameText, NamesOnTheUsLayout) {
    EXPECT_EQ(KeyNameText(112), L"F1");
    EXPECT_EQ(KeyNameText('A'), L"A");
    // Num Lock goes through the fixed extended scan code 0x145; the layout's
    // own code for it (0x45) would name Pause.
    EXPECT_EQ(KeyNameText(144), LayoutName(0x1450000));
    EXPECT_FALSE(KeyNameText(144).empty());
    EXPECT_NE(KeyNameText(144), KeyNameText(19));
    EXPECT_EQ(KeyNameText(19), LayoutName(0x450000));
    EXPECT_EQ(KeyNameText(111), LayoutName(0x1350000));
    EXPECT_EQ(KeyNameText(97), L"Num 1");
    EXPECT_EQ(KeyNameText(100), L"Num 4");
    EXPECT_EQ(KeyNameText(144), L"Num Lock");
}

TEST(KeyNameText, OddKeysNeverFail) {
    for (std::int32_t vk : {0, -1, 255, 256, 65535, 70000, 0x7FFFFFFF, static_cast<std::int32_t>(0x80000000u)})
        EXPECT_LE(KeyNameText(vk).size(), 255u) << vk;
}

TEST(KeyNameText, LabelsOfTheDefaultsAndOfWork) {
    EXPECT_EQ(BuildTabLabel(L"Work", 1, KeyNameText(112)), L"Work   (ALT + F1)");
    EXPECT_EQ(BuildTabLabel(L"Work", 0, KeyNameText(112)), L"Work   (F1)");
    EXPECT_EQ(BuildTabLabel(L"Work", 2, KeyNameText(112)), L"Work   (CTRL + F1)");
    for (int j = 1; j <= 4; ++j) {
        EXPECT_EQ(BuildTabLabel(DefaultDesktopName(j), kDefaultHotkeyModifiers, KeyNameText(DefaultHotkeyKey(j))),
                  L"Desktop " + std::to_wstring(j) + L"   (CTRL + ALT + Num " + std::to_wstring(j) + L")");
    }
}

}  // namespace
}  // namespace panorel
