// What the control panel shows of stored values, what it refuses, and what
// it writes.
#include <gtest/gtest.h>

#include "controlpanel/PanelSettings.h"
#include "settings/SharedNames.h"

namespace panorel {
namespace {

PanelSettings Defaults() {
    PanelSettings s;
    for (int n = 1; n <= 4; ++n) s.hotkeys[n - 1] = {DefaultHotkeyKey(n), kDefaultHotkeyModifiers};
    return s;
}

TEST(PanelSettings, StoredNamesAreMadeFitForTheNameBox) {
    const std::wstring pair = L"\xD83D\xDE00";  // one character in two units
    const std::wstring mixed = L"\x0420\x0430\x0431\x043E\x0442\x0430 \x4ED5\x4E8B \x2605";  // Cyrillic, CJK, a symbol
    const struct {
        std::wstring stored, editing, storing;
    } cases[] = {
        {std::wstring(L"Work\0", 5), L"Work", L"Work"},
        {std::wstring(L"Wo\0rk", 5), L"Wo", L"Wo"},
        {L"\xD800" L"a\xDC00", L"\xFFFD" L"a\xFFFD", L"\xFFFD" L"a\xFFFD"},
        {mixed, mixed, mixed},
        {L"a\tb\r\n", L"a b  ", L"a b"},
        {std::wstring(5000, L'x'), std::wstring(64, L'x'), std::wstring(64, L'x')},
        {std::wstring(63, L'x') + pair, std::wstring(63, L'x'), std::wstring(63, L'x')},  // no half pair
        {std::wstring(62, L'x') + pair, std::wstring(62, L'x') + pair, std::wstring(62, L'x') + pair},
        {L"   ", L"   ", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NameForEditing(c.stored), c.editing);
        EXPECT_EQ(NameForStoring(c.stored), c.storing);
    }
}

TEST(PanelSettings, UnusableStoredHotkeysShowTheFallback) {
    const Hotkey fallback{99, 3};
    const struct {
        Hotkey stored, shown;
    } cases[] = {{{65, 2}, {65, 2}}, {{65, 7}, {65, 3}}, {{65, 4}, fallback}, {{65, 0}, fallback},
                 {{0, 3}, fallback}, {{5000, 3}, fallback}, {{-1, 3}, fallback}, {{0x11, 3}, fallback},
                 {{1, 3}, fallback}, {{0xBA, 1}, {0xBA, 1}}};
    for (const auto& c : cases) {
        const Hotkey h = HotkeyForEditing(c.stored, fallback);
        EXPECT_EQ(std::make_pair(h.Key, h.Modifiers), std::make_pair(c.shown.Key, c.shown.Modifiers))
            << c.stored.Key << "/" << c.stored.Modifiers;
    }
    EXPECT_EQ(HotkeyText({0x61, 3}), L"Ctrl+Alt+Num 1");
    EXPECT_EQ(HotkeyText({0xBA, 1}), L"Alt+Key 186");
}

TEST(PanelSettings, ChecksNameBothSidesOfAClashAndRefuseWhatCannotBeStored) {
    const struct {
        const char* what;
        void (*change)(PanelSettings&);
        std::wstring message;  // empty: accepted
        int row;
    } cases[] = {
        {"defaults", [](PanelSettings&) {}, L"", 0},
        {"two desktops", [](PanelSettings& s) { s.names[1] = L"Mail", s.hotkeys[3] = s.hotkeys[1]; },
         L"\"Mail\" and \"Desktop 4\" have the same hotkey, Ctrl+Alt+Num 2. Choose another hotkey for one of them.", 4},
        {"desktop and panel", [](PanelSettings& s) { s.panelHotkey = s.hotkeys[0]; },
         L"The panel and \"Desktop 1\" have the same hotkey, Ctrl+Alt+Num 1. Choose another hotkey for one of them.", 1},
        {"same key, other modifiers", [](PanelSettings& s) { s.hotkeys[2] = {s.hotkeys[1].Key, 2}; }, L"", 0},
        {"no modifier", [](PanelSettings& s) { s.hotkeys[2].Modifiers = 0; },
         L"The hotkey of \"Desktop 3\" needs Ctrl, Alt or both.", 3},
        {"long programs", [](PanelSettings& s) { s.programs[0].assign(2, std::wstring(kMaxProgramListBytes / 4, L'p')); },
         L"The programs of \"Desktop 1\" are longer than 32 KB in all. Remove some of them.", 1},
    };
    for (const auto& c : cases) {
        PanelSettings s = Defaults();
        c.change(s);
        const auto problem = CheckSettings(s);
        EXPECT_EQ(problem ? problem->message : L"", c.message) << c.what;
        EXPECT_EQ(problem ? problem->row : 0, c.row) << c.what;
    }
}

TEST(PanelSettings, ChangesStoreWhatTheSwitcherReadsBack) {
    PanelSettings s = Defaults();
    s.names = {L" Work ", L"", L"\x4ED5\x4E8B", L"Play"};
    s.hotkeys[1] = {'Q', 2};
    s.programs[2] = {L"notepad.exe", L"  ", L"\"C:\\Program Files\\x.exe\" /a"};
    s.startAtSignIn = true;
    const std::vector<RegistryChange> changes = SettingsChanges(s, L"C:\\P 2\\Panorel2.exe");
    auto find = [&](const std::wstring& name) {
        for (const RegistryChange& c : changes)
            if (c.valueName == name) return c;
        ADD_FAILURE() << "no change for a value";
        return RegistryChange{};
    };
    auto text = [](const RegistryChange& c) {
        return std::get<std::wstring>(ConvertRegistryData(c.type, c.data.data(), c.data.size(),
                                                          static_cast<std::uint32_t>(c.data.size())));
    };
    EXPECT_EQ(text(find(L"Desktop1Name")), std::wstring(L"Work\0", 5));
    EXPECT_TRUE(find(L"Desktop2Name").remove) << "an empty name lets the default apply";
    EXPECT_EQ(text(find(L"Desktop3Name")), std::wstring(L"\x4ED5\x4E8B\0", 3));
    const RegistryChange key = find(L"Desktop2Key"), mod = find(L"Desktop2KeyMod");
    EXPECT_EQ(key.type, kRegDword);
    EXPECT_EQ(std::get<std::int32_t>(ConvertRegistryData(kRegDword, key.data.data(), 4, 4)), 'Q');
    EXPECT_EQ(std::get<std::int32_t>(ConvertRegistryData(kRegDword, mod.data.data(), 4, 4)), 2);
    EXPECT_EQ(SplitMultiString(text(find(L"Desktop3Programs"))),
              (std::vector<std::wstring>{L"notepad.exe", L"\"C:\\Program Files\\x.exe\" /a"}));
    EXPECT_TRUE(find(L"Desktop1Programs").remove);
    const RegistryChange run = find(kRunValueName);
    EXPECT_EQ(run.subKey, kRunKey);
    EXPECT_EQ(text(run), std::wstring(L"\"C:\\P 2\\Panorel2.exe\"") + L'\0');
    EXPECT_EQ(find(L"PanelKey").subKey, kSettingsKey);
    s.startAtSignIn = false;
    EXPECT_TRUE(SettingsChanges(s, L"x").back().remove);
}

}  // namespace
}  // namespace panorel
