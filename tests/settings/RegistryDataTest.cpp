// Conversion of stored registry bytes into the value of a typed read.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "settings/RegistryData.h"

namespace panorel {
namespace {

RegistryValue Convert(std::int32_t type, const std::vector<std::uint8_t>& bytes) {
    return ConvertRegistryData(type, bytes.data(), bytes.size(), static_cast<std::uint32_t>(bytes.size()));
}

std::vector<std::uint8_t> Utf16(const std::wstring& text, bool terminator) {
    std::vector<std::uint8_t> bytes;
    for (wchar_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
    }
    if (terminator) bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

TEST(RegistryData, TextLengthComesFromTheByteCountKeepingAStoredTerminator) {
    auto bytes = Utf16(L"Work", true);  // 10 bytes
    EXPECT_EQ(std::get<std::wstring>(Convert(kRegSz, bytes)), std::wstring(L"Work\0", 5));
    bytes.pop_back();  // 9 bytes: the odd one is dropped
    EXPECT_EQ(std::get<std::wstring>(Convert(kRegSz, bytes)), L"Work");
    EXPECT_EQ(std::get<std::wstring>(Convert(kRegExpandSz, Utf16(L"%TEMP%", false))), L"%TEMP%");
    EXPECT_EQ(std::get<std::wstring>(Convert(kRegMultiSz, Utf16(std::wstring(L"a\0b\0", 4), true))),
              std::wstring(L"a\0b\0\0", 5));
    EXPECT_EQ(std::get<std::wstring>(Convert(kRegSz, {})), L"");
    EXPECT_EQ(std::get<std::wstring>(Convert(kRegSz, {0x41})), L"");
    EXPECT_EQ(std::get<std::wstring>(Convert(kRegSz, Utf16(L"\u00e9\u4e2d", false))), L"\u00e9\u4e2d");
}

TEST(RegistryData, IntegersAreLittleOrBigEndianWithTheSignBitKept) {
    EXPECT_EQ(std::get<std::int32_t>(Convert(kRegDword, {0x02, 0x01, 0, 0})), 258);
    EXPECT_EQ(std::get<std::int32_t>(Convert(kRegDword, {0xFE, 0xFF, 0xFF, 0xFF})), -2);
    EXPECT_EQ(std::get<std::int32_t>(Convert(kRegDwordBigEndian, {0, 0, 0x01, 0x02})), 258);
    EXPECT_EQ(std::get<std::int32_t>(Convert(kRegDwordBigEndian, {0xFF, 0xFF, 0xFF, 0xFE})), -2);
    EXPECT_EQ(std::get<std::int32_t>(Convert(kRegDwordBigEndian, {0x80, 0, 0, 0})), INT32_MIN);
    // Short data fills the missing bytes with zero; extra bytes are ignored.
    EXPECT_EQ(std::get<std::int32_t>(Convert(kRegDword, {0x07})), 7);
    EXPECT_EQ(std::get<std::int32_t>(Convert(kRegDword, {1, 0, 0, 0, 9, 9})), 1);
}

TEST(RegistryData, OtherTypesGiveTheBytesPlusOneZero) {
    for (std::int32_t type : {0, kRegBinary, kRegLink, 8, 11, -1}) {
        EXPECT_EQ(std::get<std::vector<std::uint8_t>>(Convert(type, {})), std::vector<std::uint8_t>{0}) << type;
        EXPECT_EQ(std::get<std::vector<std::uint8_t>>(Convert(type, {7, 8})), (std::vector<std::uint8_t>{7, 8, 0}));
    }
}

TEST(RegistryData, DataShorterThanItsReportedSizeReadsAsZeros) {
    const std::uint8_t one[] = {0x41, 0};
    EXPECT_EQ(std::get<std::wstring>(ConvertRegistryData(kRegSz, one, 2, 6)), std::wstring(L"A\0\0", 3));
    EXPECT_EQ(std::get<std::vector<std::uint8_t>>(ConvertRegistryData(kRegBinary, nullptr, 0, 3)),
              (std::vector<std::uint8_t>{0, 0, 0, 0}));
}

TEST(RegistryData, TypeMismatchTextRunsTheStoredTypeIntoTheNextWord) {
    EXPECT_EQ(RegistryTypeMismatchText(4, 1), L"Registry data type was 4instead of the requested 1");
    EXPECT_EQ(RegistryTypeMismatchText(-3, 11), L"Registry data type was -3instead of the requested 11");
}

}  // namespace
}  // namespace panorel
