// Property names of the subclassing bookkeeping.
#include <gtest/gtest.h>

#include "winsupport/SubclassNames.h"

namespace panorel {
namespace {

TEST(SubclassNames, BuiltFromDecimalHandleAndMessage) {
    EXPECT_EQ(SubclassWindowCountName(1312), L"C1312");
    EXPECT_EQ(SubclassPreviousProcName(1312), L"1312");
    EXPECT_EQ(SubclassMessageCountName(1312, 74), L"1312#74C");
    EXPECT_EQ(SubclassClientName(1312, 74, 1), L"1312#74#1");
    EXPECT_EQ(SubclassClientName(-5, -49152, 12), L"-5#-49152#12");
    EXPECT_EQ(SubclassWindowCountName(INT32_MIN), L"C-2147483648");
}

}  // namespace
}  // namespace panorel
