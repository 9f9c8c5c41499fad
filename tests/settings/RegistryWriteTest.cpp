// Writes of several values at once: all of them or, when one key is not
// writable, none (the values changed before the failure get theirs back).
#include <gtest/gtest.h>

#include <aclapi.h>

#include "WinTestSupport.h"
#include "settings/Registry.h"
#include "settings/RegistryWrite.h"

namespace panorel::test {
namespace {

const wchar_t kLocked[] = L"Software\\PanorelTest_Locked";

std::wstring Text(const wchar_t* key, const wchar_t* name) {
    RegistryValue v;
    return Registry::ReadValue(HKEY_CURRENT_USER, key, name, kRegSz, v) ? std::get<std::wstring>(v) : L"(none)";
}

// A key whose values nobody may set: its DACL grants reading only.
bool MakeReadOnly(const wchar_t* key) {
    HKEY raw = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &raw, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const RegKeyHandle k(raw);
    EXPLICIT_ACCESSW read{};
    wchar_t everyone[] = L"EVERYONE";
    // Reading, and what it takes to undo this; no setting of values.
    ::BuildExplicitAccessWithNameW(&read, everyone, KEY_READ | DELETE | WRITE_DAC, SET_ACCESS, NO_INHERITANCE);
    PACL acl = nullptr;
    if (::SetEntriesInAclW(1, &read, nullptr, &acl) != ERROR_SUCCESS) return false;
    const DWORD result = ::SetSecurityInfo(raw, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, acl, nullptr);
    ::LocalFree(acl);
    HKEY probe = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_SET_VALUE, &probe) == ERROR_SUCCESS) {
        ::RegCloseKey(probe);
        return false;  // not enforced here
    }
    return result == ERROR_SUCCESS;
}

TEST(RegistryWrite, AllOrNothing) {
    DeleteSettings();
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kLocked);
    const long keys = RegKeyHandle::LiveCount();
    ASSERT_TRUE(PutSetting(L"Desktop1Name", REG_SZ, L"Old", 8));
    const std::vector<RegistryChange> good = {
        {L"Software\\Panorel", L"Desktop1Name", false, kRegSz, EncodeRegistryText(L"New")},
        {L"Software\\Panorel", L"Desktop2Name", false, kRegSz, EncodeRegistryText(L"Two")},
        {L"Software\\Panorel", L"Desktop3Name", true, 0, {}},
    };
    std::wstring error;
    ASSERT_TRUE(Registry::WriteValues(HKEY_CURRENT_USER, good, error)) << std::string(error.begin(), error.end());
    EXPECT_EQ(Text(L"Software\\Panorel", L"Desktop1Name"), std::wstring(L"New\0", 4));

    // A value name the registry refuses, after two that were written.
    std::vector<RegistryChange> bad = good;
    bad[0].data = EncodeRegistryText(L"Newer");
    bad[1].remove = true;
    bad.push_back({L"Software\\Panorel", std::wstring(20000, L'n'), false, kRegSz, EncodeRegistryText(L"x")});
    EXPECT_FALSE(Registry::WriteValues(HKEY_CURRENT_USER, bad, error));
    EXPECT_EQ(Text(L"Software\\Panorel", L"Desktop1Name"), std::wstring(L"New\0", 4)) << "put back";
    EXPECT_EQ(Text(L"Software\\Panorel", L"Desktop2Name"), std::wstring(L"Two\0", 4)) << "put back";
    EXPECT_NE(error.find(L"cannot be written"), std::wstring::npos);

    // A key that is not writable, last in the list.
    if (MakeReadOnly(kLocked)) {
        bad.back() = {kLocked, L"Panorel 2", false, kRegSz, EncodeRegistryText(L"x")};
        EXPECT_FALSE(Registry::WriteValues(HKEY_CURRENT_USER, bad, error));
        EXPECT_EQ(Text(L"Software\\Panorel", L"Desktop1Name"), std::wstring(L"New\0", 4));
        EXPECT_NE(error.find(kLocked), std::wstring::npos) << std::string(error.begin(), error.end());
    } else {
        std::printf("note: this registry does not enforce key permissions; the locked-key case is skipped\n");
    }
    EXPECT_EQ(RegKeyHandle::LiveCount(), keys) << "a key was left open";
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kLocked);
    DeleteSettings();
}

}  // namespace
}  // namespace panorel::test
