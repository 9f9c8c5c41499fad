// Desktop names and hotkeys from HKCU\Software\Panorel, removed before and
// after each test.
#include <gtest/gtest.h>

#include "host/Handles.h"
#include "settings/DesktopSettings.h"

namespace panorel::test {
namespace {

class DesktopSettings : public ::testing::Test {
protected:
    void SetUp() override { ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Panorel"); }
    void TearDown() override { ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Panorel"); }
    static void Put(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        HKEY raw = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Panorel", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                    &raw, nullptr),
                  ERROR_SUCCESS);
        const RegKeyHandle key(raw);
        ASSERT_EQ(::RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    }
    static void PutDword(const wchar_t* name, DWORD v) { Put(name, REG_DWORD, &v, sizeof v); }
};

TEST_F(DesktopSettings, WithoutTheKeyEverythingIsDefault) {
    EXPECT_EQ(ReadDesktopName(3), L"Desktop 3");
    const Hotkey hotkey = ReadDesktopHotkey(3);
    EXPECT_EQ(hotkey.Key, 99);
    EXPECT_EQ(hotkey.Modifiers, 3);
}

TEST_F(DesktopSettings, KeyAndModifierAreReadAsAPair) {
    PutDword(L"Desktop2Key", 65);  // no modifier stored
    Hotkey hotkey = ReadDesktopHotkey(2);
    EXPECT_EQ(hotkey.Key, 98);
    EXPECT_EQ(hotkey.Modifiers, 3);

    PutDword(L"Desktop1Key", 66);
    Put(L"Desktop1KeyMod", REG_SZ, L"1", 4);  // the wrong type counts as missing
    hotkey = ReadDesktopHotkey(1);
    EXPECT_EQ(hotkey.Key, 97);
    EXPECT_EQ(hotkey.Modifiers, 3);

    PutDword(L"Desktop4Key", 0x70);
    PutDword(L"Desktop4KeyMod", 1);
    hotkey = ReadDesktopHotkey(4);
    EXPECT_EQ(hotkey.Key, 0x70);
    EXPECT_EQ(hotkey.Modifiers, 1);

    PutDword(L"Desktop3KeyMod", 2);  // a modifier alone is not used
    hotkey = ReadDesktopHotkey(3);
    EXPECT_EQ(hotkey.Key, 99);
    EXPECT_EQ(hotkey.Modifiers, 3);
}

TEST_F(DesktopSettings, NamesKeepAStoredTerminatorAndFallBackAlone) {
    Put(L"Desktop1Name", REG_SZ, L"Work", 10);
    PutDword(L"Desktop2Name", 5);
    EXPECT_EQ(ReadDesktopName(1), std::wstring(L"Work\0", 5));
    EXPECT_EQ(ReadDesktopName(2), L"Desktop 2");
    EXPECT_EQ(ReadDesktopName(4), L"Desktop 4");
}

}  // namespace
}  // namespace panorel::test
