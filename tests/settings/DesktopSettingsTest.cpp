// Desktop names and hotkeys from HKCU\Software\Panorel, removed before and
// after each test.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "WinTestSupport.h"
#include "settings/DesktopSettings.h"

namespace panorel::test {
namespace {

class DesktopSettings : public ::testing::Test {
protected:
    void SetUp() override { DeleteSettings(); }
    void TearDown() override { DeleteSettings(); }
    static void PutDword(const wchar_t* name, DWORD v) { ASSERT_TRUE(PutSetting(name, REG_DWORD, &v, sizeof v)); }
    static std::pair<int, int> Pair(const Hotkey& h) { return {h.Key, h.Modifiers}; }
};

// A key without its modifier, or with one of another type, falls back with it.
TEST_F(DesktopSettings, KeyAndModifierAreReadAsAPair) {
    EXPECT_EQ(Pair(ReadDesktopHotkey(3)), std::make_pair(99, 3)) << "no key at all";
    EXPECT_EQ(Pair(ReadPanelHotkey()), std::make_pair(96, 3));
    PutDword(L"Desktop2Key", 65);  // no modifier stored
    PutDword(L"Desktop1Key", 66);
    ASSERT_TRUE(PutSetting(L"Desktop1KeyMod", REG_SZ, L"1", 4));  // the wrong type counts as missing
    PutDword(L"Desktop4Key", 0x70);
    PutDword(L"Desktop4KeyMod", 1);
    PutDword(L"Desktop3KeyMod", 2);  // a modifier alone is not used
    PutDword(L"PanelKey", 65);
    PutDword(L"PanelKeyMod", 2);
    const std::pair<int, int> expected[] = {{65, 2}, {97, 3}, {98, 3}, {99, 3}, {0x70, 1}};  // [0]: the panel's
    for (int j = 0; j <= 4; ++j) EXPECT_EQ(Pair(j ? ReadDesktopHotkey(j) : ReadPanelHotkey()), expected[j]) << j;
}

TEST_F(DesktopSettings, NamesKeepAStoredTerminatorAndFallBackAlone) {
    EXPECT_EQ(ReadDesktopName(3), L"Desktop 3");
    ASSERT_TRUE(PutSetting(L"Desktop1Name", REG_SZ, L"Work", 10));
    PutDword(L"Desktop2Name", 5);
    EXPECT_EQ(ReadDesktopName(1), std::wstring(L"Work\0", 5));
    EXPECT_EQ(ReadDesktopName(2), L"Desktop 2");
    EXPECT_EQ(ReadDesktopName(4), L"Desktop 4");
}

TEST_F(DesktopSettings, ProgramListsAreReadSafely) {
    const std::wstring big(kMaxProgramListBytes / 2 + 1, L'a');
    const struct {
        DWORD type;
        std::wstring data;  // stored as given, with no terminator added
        std::vector<std::wstring> expected;
    } cases[] = {
        {REG_MULTI_SZ, std::wstring(L"mail.exe\0notepad a.txt\0\0", 24), {L"mail.exe", L"notepad a.txt"}},
        {REG_MULTI_SZ, std::wstring(L"a\0b", 3), {L"a", L"b"}},  // unterminated
        {REG_MULTI_SZ, std::wstring(L"\0a\0", 3), {}},            // empty list first
        {REG_MULTI_SZ, L"", {}},
        {REG_SZ, std::wstring(L"a\0", 2), {}},
        {REG_MULTI_SZ, big, {}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(PutSetting(L"Desktop2Programs", c.type, c.data.data(), DWORD(c.data.size() * 2)));
        EXPECT_EQ(ReadDesktopPrograms(2), c.expected) << c.data.size();
    }
    EXPECT_TRUE(ReadDesktopPrograms(3).empty());
}

}  // namespace
}  // namespace panorel::test
