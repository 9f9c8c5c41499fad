// ReadDesktopNames reads each desktop's name before its hotkey: the registry
// module's last failure text shows which read came last.
#include <gtest/gtest.h>

#include "WinTestSupport.h"
#include "settings/Registry.h"
#include "settings/WinAPIError.h"
#include "switcher/mainW.h"

namespace panorel::test {
namespace {

TEST(ReadDesktopNames, TheNameIsReadBeforeTheHotkey) {
    SharedEvents events;
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Panorel");
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Panorel", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                                nullptr),
              ERROR_SUCCESS);
    // Desktop 4's name has the wrong type; its hotkey is missing.
    const DWORD number = 7;
    ::RegSetValueExW(key, L"Desktop4Name", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    ::RegCloseKey(key);

    mainW w(L"1");
    w.hWnd();
    EXPECT_EQ(w.TabLabel[4].substr(0, 12), L"Desktop 4   ");
    EXPECT_EQ(Registry::LastErrorText(), SystemErrorText(ERROR_FILE_NOT_FOUND)) << "the missing hotkey came last";
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Panorel");
}

}  // namespace
}  // namespace panorel::test
