#include "switcher/TabLabel.h"

#include <gtest/gtest.h>

#include <string>

namespace panorel {
namespace {

TEST(TabLabel, LabelsOfModifiersAndKeys) {
    EXPECT_EQ(BuildTabLabel(L"Work", 1, L"F1"), L"Work   (ALT + F1)");
    EXPECT_EQ(BuildTabLabel(L"Work", 0, L"F1"), L"Work   (F1)");
    EXPECT_EQ(BuildTabLabel(L"Work", 2, L"F1"), L"Work   (CTRL + F1)");
    EXPECT_EQ(BuildTabLabel(L"Desktop 1", 3, L"Num 1"), L"Desktop 1   (CTRL + ALT + Num 1)");
    for (int other : {4, -1, 7, 0x7FFFFFFF}) EXPECT_EQ(BuildTabLabel(L"x", other, L"A"), L"x   (A)");
    // A key without a name leaves the modifiers' trailing blank, or empty parentheses.
    EXPECT_EQ(BuildTabLabel(L"x", 3, L""), L"x   (CTRL + ALT + )");
    EXPECT_EQ(BuildTabLabel(L"", 0, L""), L"   ()");
}

TEST(TabLabel, HostileNamesAreKeptWhole) {
    std::wstring name(10000, L'W');
    name[17] = L'\0';
    name[9999] = L'\0';
    const std::wstring label = BuildTabLabel(name, 3, L"Num 1");
    EXPECT_EQ(label.size(), 10000u + 4u + 13u + 5u + 1u);
    EXPECT_EQ(label.compare(0, name.size(), name), 0);
    EXPECT_EQ(label.substr(10000), L"   (CTRL + ALT + Num 1)");
}

TEST(TabLabel, ScanCodeRules) {
    EXPECT_EQ(FixedScanCode(144), 0x145u);
    EXPECT_FALSE(FixedScanCode(97));
    EXPECT_FALSE(FixedScanCode(144 + 65536));
    EXPECT_EQ(KeyNameArgument(0x4F), 0x4F0000);
    EXPECT_EQ(KeyNameArgument(0x145), 0x1450000);  // bit 24, the extended-key bit
    EXPECT_EQ(KeyNameArgument(0), 0);
    EXPECT_EQ(KeyNameArgument(0xFFFF), static_cast<std::int32_t>(0xFFFF0000u));
    EXPECT_FALSE(KeyNameArgument(0x10000));
}

}  // namespace
}  // namespace panorel
