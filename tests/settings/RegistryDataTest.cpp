// Conversion of stored registry bytes where the real registry cannot stage
// the case: data shorter than its reported size, sizes not matching the type.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "settings/RegistryData.h"

namespace panorel {
namespace {

TEST(RegistryData, ShortOrOddDataConvertsToTheSizeTheTypePromises) {
    const std::uint8_t a[] = {0x41, 0};
    EXPECT_EQ(std::get<std::wstring>(ConvertRegistryData(kRegSz, a, 2, 6)), std::wstring(L"A\0\0", 3));
    EXPECT_EQ(std::get<std::wstring>(ConvertRegistryData(kRegMultiSz, a, 1, 1)), L"");
    EXPECT_EQ(std::get<std::vector<std::uint8_t>>(ConvertRegistryData(kRegBinary, nullptr, 0, 3)),
              (std::vector<std::uint8_t>{0, 0, 0, 0}));
    const std::uint8_t big[] = {0x80, 0, 0, 0, 9};
    EXPECT_EQ(std::get<std::int32_t>(ConvertRegistryData(kRegDwordBigEndian, big, 5, 5)), INT32_MIN);
    EXPECT_EQ(std::get<std::int32_t>(ConvertRegistryData(kRegDword, big, 5, 1)), 0x80);
    for (std::int32_t type : {0, kRegLink, 8, -1})
        EXPECT_EQ(std::get<std::vector<std::uint8_t>>(ConvertRegistryData(type, big, 5, 2)),
                  (std::vector<std::uint8_t>{0x80, 0, 0}));
}

TEST(RegistryData, TypeMismatchTextRunsTheStoredTypeIntoTheNextWord) {
    EXPECT_EQ(RegistryTypeMismatchText(4, 1), L"Registry data type was 4instead of the requested 1");
    EXPECT_EQ(RegistryTypeMismatchText(-3, 11), L"Registry data type was -3instead of the requested 11");
}

}  // namespace
}  // namespace panorel
