#include "switcher/TabLabel.h"

#include <gtest/gtest.h>

#include <string>

namespace panorel {
namespace {

TEST(TabLabel, LabelsOfModifiersAndKeys) {
    EXPECT_EQ(BuildTabLabel(L"Work", 1, L"F1"), L"Work   (ALT + F1)");
    EXPECT_EQ(BuildTabLabel(L"Work", 0, L"F1"), L"Work   (F1)");
    EXPECT_EQ(BuildTabLabel(L"Work", 2, L"F1"), L"Work   (CTRL + F1)");
    for (int other : {4, -1, 7, 0x7FFFFFFF}) EXPECT_EQ(BuildTabLabel(L"x", other, L"A"), L"x   (A)");
    // A key without a name leaves the modifiers' trailing blank, or empty parentheses.
    EXPECT_EQ(BuildTabLabel(L"x", 3, L""), L"x   (CTRL + ALT + )");
    EXPECT_EQ(BuildTabLabel(L"", 0, L""), L"   ()");
}

}  // namespace
}  // namespace panorel
