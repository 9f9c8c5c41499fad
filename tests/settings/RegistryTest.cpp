// Typed reads on the real registry, from a scratch key made for each test.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "host/Handles.h"
#include "settings/Registry.h"
#include "settings/WinAPIError.h"

namespace panorel::test {
namespace {

const wchar_t kScratch[] = L"Software\\PanorelTest_Registry";

class RegistryRead : public ::testing::Test {
protected:
    void SetUp() override {
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kScratch);
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        key_.reset(key);
        keysBefore_ = RegKeyHandle::LiveCount();
    }
    void TearDown() override {
        EXPECT_EQ(RegKeyHandle::LiveCount(), keysBefore_) << "a key was left open";
        key_.reset();
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kScratch);
    }
    // Stores exactly these bytes. RegSetValueExW looks at the character after
    // a string's byte count and, when that one is NUL, stores it as the
    // terminator the caller "forgot": a non-zero character follows the data
    // here, so the stored size never depends on what lies beyond the vector.
    void Put(const wchar_t* name, DWORD type, std::vector<std::uint8_t> data) {
        const DWORD size = static_cast<DWORD>(data.size());
        data.insert(data.end(), {'X', 'X', 'X'});
        ASSERT_EQ(::RegSetValueExW(key_.get(), name, 0, type, size == 0 ? nullptr : data.data(), size), ERROR_SUCCESS);
    }
    bool Read(const wchar_t* name, std::int32_t type, RegistryValue& value) {
        return Registry::ReadValue(HKEY_CURRENT_USER, kScratch, name, type, value);
    }
    static std::vector<std::uint8_t> Utf16(const wchar_t* text, std::size_t bytes) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(text);
        return std::vector<std::uint8_t>(p, p + bytes);
    }

    RegKeyHandle key_;
    long keysBefore_ = 0;
};

TEST_F(RegistryRead, MissingKeyOrValueFailsWithTheSystemTextAndLeavesTheValue) {
    RegistryValue value = std::int32_t{42};
    EXPECT_FALSE(Read(L"Nothing", kRegSz, value));
    EXPECT_EQ(Registry::LastErrorText(), SystemErrorText(2));
    EXPECT_FALSE(Registry::LastErrorText().empty());
    EXPECT_EQ(std::get<std::int32_t>(value), 42);
    EXPECT_FALSE(Registry::ReadValue(HKEY_CURRENT_USER, L"Software\\PanorelTest_NoSuchKey", L"x", kRegSz, value));
    EXPECT_EQ(Registry::LastErrorText(), SystemErrorText(2));
}

TEST_F(RegistryRead, TypeMismatchFailsWithItsText) {
    Put(L"Number", REG_DWORD, {7, 0, 0, 0});
    RegistryValue value = std::wstring(L"kept");
    EXPECT_FALSE(Read(L"Number", kRegSz, value));
    EXPECT_EQ(Registry::LastErrorText(), L"Registry data type was 4instead of the requested 1");
    EXPECT_EQ(std::get<std::wstring>(value), L"kept");
    // A success leaves the last failure's text alone.
    EXPECT_TRUE(Read(L"Number", kRegDword, value));
    EXPECT_EQ(std::get<std::int32_t>(value), 7);
    EXPECT_EQ(Registry::LastErrorText(), L"Registry data type was 4instead of the requested 1");
}

TEST_F(RegistryRead, TextLengthFollowsTheStoredByteCount) {
    Put(L"Ten", REG_SZ, Utf16(L"Work", 10));
    Put(L"Nine", REG_SZ, Utf16(L"Work", 9));
    Put(L"Bare", REG_SZ, Utf16(L"Work", 8));
    Put(L"One", REG_SZ, Utf16(L"W", 1));
    Put(L"Multi", REG_MULTI_SZ, Utf16(L"a\0b\0", 10));
    RegistryValue value;
    ASSERT_TRUE(Read(L"Ten", kRegSz, value));
    EXPECT_EQ(std::get<std::wstring>(value), std::wstring(L"Work\0", 5));
    ASSERT_TRUE(Read(L"Nine", kRegSz, value));
    EXPECT_EQ(std::get<std::wstring>(value), L"Work");
    ASSERT_TRUE(Read(L"Bare", kRegSz, value));
    EXPECT_EQ(std::get<std::wstring>(value), L"Work");
    ASSERT_TRUE(Read(L"One", kRegSz, value));
    EXPECT_EQ(std::get<std::wstring>(value), L"");
    ASSERT_TRUE(Read(L"Multi", kRegMultiSz, value));
    EXPECT_EQ(std::get<std::wstring>(value), std::wstring(L"a\0b\0\0", 5));
}

TEST_F(RegistryRead, TextRewrittenWhileReadComesBackWhole) {
    // Another program may store a new name between the size query and the
    // read: the text is what the read delivered, never the old length.
    const std::wstring longName(L"A much longer desktop name\0", 27), shortName(L"Work\0", 5);
    Put(L"Name", REG_SZ, Utf16(longName.c_str(), 54));
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        HKEY opened = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, kScratch, 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS) return;
        const RegKeyHandle own(opened);
        for (bool flip = false; !stop; flip = !flip) {
            const std::wstring& name = flip ? longName : shortName;
            ::RegSetValueExW(own.get(), L"Name", 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                             static_cast<DWORD>(2 * name.size()));
        }
    });
    int whole = 0, torn = 0;
    for (int i = 0; i < 3000; ++i) {
        RegistryValue value;
        if (!Read(L"Name", kRegSz, value)) continue;  // grew past the room: a failed read, the caller's default
        const std::wstring& text = std::get<std::wstring>(value);
        ++(text == longName || text == shortName ? whole : torn);
    }
    stop = true;
    writer.join();
    EXPECT_EQ(torn, 0);
    EXPECT_GT(whole, 0);
}

TEST_F(RegistryRead, IntegersAndByteArrays) {
    Put(L"Big", REG_DWORD_BIG_ENDIAN, {0x00, 0x00, 0x01, 0x02});
    Put(L"BigNegative", REG_DWORD_BIG_ENDIAN, {0xFF, 0xFF, 0xFF, 0xFE});
    Put(L"Little", REG_DWORD, {0xFE, 0xFF, 0xFF, 0xFF});
    Put(L"Empty", REG_BINARY, {});
    Put(L"None", REG_NONE, {9});
    RegistryValue value;
    ASSERT_TRUE(Read(L"Big", kRegDwordBigEndian, value));
    EXPECT_EQ(std::get<std::int32_t>(value), 258);
    ASSERT_TRUE(Read(L"BigNegative", kRegDwordBigEndian, value));
    EXPECT_EQ(std::get<std::int32_t>(value), -2);
    ASSERT_TRUE(Read(L"Little", kRegDword, value));
    EXPECT_EQ(std::get<std::int32_t>(value), -2);
    ASSERT_TRUE(Read(L"Empty", kRegBinary, value));
    EXPECT_EQ(std::get<std::vector<std::uint8_t>>(value), std::vector<std::uint8_t>{0});
    ASSERT_TRUE(Read(L"None", 0, value));
    EXPECT_EQ(std::get<std::vector<std::uint8_t>>(value), (std::vector<std::uint8_t>{9, 0}));
}

TEST_F(RegistryRead, OddlySizedValuesAreReadSafely) {
    Put(L"ShortDword", REG_DWORD, {5, 1});
    Put(L"LongDword", REG_DWORD, {1, 0, 0, 0, 2, 0, 0, 0});
    Put(L"EmptyText", REG_SZ, {});
    std::vector<std::uint8_t> large(200000);
    for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<std::uint8_t>(i * 7 + 1);
    Put(L"Large", REG_SZ, large);
    Put(L"LargeBinary", REG_BINARY, large);

    RegistryValue value;
    ASSERT_TRUE(Read(L"ShortDword", kRegDword, value));
    EXPECT_EQ(std::get<std::int32_t>(value), 0x105);
    value = std::int32_t{1};
    EXPECT_FALSE(Read(L"LongDword", kRegDword, value)) << "does not fit the integer";
    EXPECT_EQ(Registry::LastErrorText(), SystemErrorText(ERROR_MORE_DATA));
    EXPECT_EQ(std::get<std::int32_t>(value), 1);
    ASSERT_TRUE(Read(L"EmptyText", kRegSz, value));
    EXPECT_EQ(std::get<std::wstring>(value), L"");
    ASSERT_TRUE(Read(L"Large", kRegSz, value));
    const std::wstring& text = std::get<std::wstring>(value);
    ASSERT_EQ(text.size(), large.size() / 2);
    EXPECT_EQ(text[99999], static_cast<wchar_t>(large[199998] | (large[199999] << 8)));
    ASSERT_TRUE(Read(L"LargeBinary", kRegBinary, value));
    EXPECT_EQ(std::get<std::vector<std::uint8_t>>(value).size(), large.size() + 1);
}

}  // namespace
}  // namespace panorel::test
