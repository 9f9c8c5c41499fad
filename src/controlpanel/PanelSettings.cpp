#include "controlpanel/PanelSettings.h"

#include <algorithm>
#include <iterator>

#include "settings/SharedNames.h"

namespace panorel {

namespace {

bool IsHigh(std::uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(std::uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }
std::uint32_t Unit(wchar_t c) { return static_cast<std::uint32_t>(c) & 0xFFFFu; }

// Surrogates without partner become U+FFFD, control characters a blank, and
// text stops at the first NUL or after `limit` units (never inside a pair).
std::wstring Clean(const std::wstring& text, std::size_t limit) {
    std::wstring out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::uint32_t u = Unit(text[i]);
        if (u == 0) break;
        if (IsHigh(u) && i + 1 < text.size() && IsLow(Unit(text[i + 1]))) {
            if (out.size() + 2 > limit) break;
            out += static_cast<wchar_t>(u);
            out += static_cast<wchar_t>(Unit(text[++i]));
            continue;
        }
        if (out.size() + 1 > limit) break;
        if (IsHigh(u) || IsLow(u))
            out += static_cast<wchar_t>(0xFFFD);
        else if (u < 0x20 || u == 0x7F)
            out += L' ';
        else
            out += static_cast<wchar_t>(u);
    }
    return out;
}

std::wstring Trim(const std::wstring& s) {
    const std::size_t first = s.find_first_not_of(L' ');
    if (first == std::wstring::npos) return {};
    return s.substr(first, s.find_last_not_of(L' ') - first + 1);
}

std::wstring RowName(const PanelSettings& s, int row) {
    if (row == 0) return L"the panel";
    const std::wstring& name = s.names[row - 1];
    return L"\"" + (name.empty() ? DefaultDesktopName(row) : name) + L"\"";
}

Hotkey RowHotkey(const PanelSettings& s, int row) { return row == 0 ? s.panelHotkey : s.hotkeys[row - 1]; }

std::wstring Capitalised(std::wstring text) {
    if (!text.empty() && text[0] == L't') text[0] = L'T';
    return text;
}

RegistryChange Change(const std::wstring& valueName, std::int32_t type, std::vector<std::uint8_t> data) {
    return {kSettingsKey, valueName, false, type, std::move(data)};
}

RegistryChange Removal(const std::wstring& subKey, const std::wstring& valueName) {
    return {subKey, valueName, true, 0, {}};
}

}  // namespace

const std::vector<HotkeyKeyChoice>& HotkeyKeyChoices() {
    static const std::vector<HotkeyKeyChoice> choices = [] {
        // Names as the keyboard layout gives them on Windows. Tab, Escape,
        // Enter and F12 are left out: the system keeps them for itself.
        std::vector<HotkeyKeyChoice> list;
        for (int i = 0; i <= 9; ++i) list.push_back({0x60 + i, L"Num " + std::to_wstring(i)});
        const HotkeyKeyChoice named[] = {{0x20, L"Space"}, {0x21, L"Page Up"}, {0x22, L"Page Down"},
                                         {0x23, L"End"},   {0x24, L"Home"},    {0x25, L"Left"},
                                         {0x26, L"Up"},    {0x27, L"Right"},   {0x28, L"Down"},
                                         {0x2D, L"Insert"}, {0x2E, L"Delete"}};
        list.insert(list.end(), std::begin(named), std::end(named));
        for (wchar_t c = L'0'; c <= L'9'; ++c) list.push_back({c, std::wstring(1, c)});
        for (wchar_t c = L'A'; c <= L'Z'; ++c) list.push_back({c, std::wstring(1, c)});
        for (int i = 1; i <= 11; ++i) list.push_back({0x6F + i, L"F" + std::to_wstring(i)});
        return list;
    }();
    return choices;
}

std::wstring HotkeyKeyName(std::int32_t key) {
    for (const HotkeyKeyChoice& c : HotkeyKeyChoices())
        if (c.key == key) return c.name;
    return L"Key " + std::to_wstring(key);
}

std::wstring HotkeyText(Hotkey hotkey) {
    std::wstring text;
    if (hotkey.Modifiers & 2) text += L"Ctrl+";
    if (hotkey.Modifiers & 1) text += L"Alt+";
    return text + HotkeyKeyName(hotkey.Key);
}

std::wstring NameForEditing(const std::wstring& stored) { return Clean(stored, kMaxDesktopNameLength); }

std::wstring NameForStoring(const std::wstring& typed) { return Trim(Clean(typed, kMaxDesktopNameLength)); }

Hotkey HotkeyForEditing(Hotkey stored, Hotkey fallback) {
    const std::int32_t k = stored.Key;
    const bool unusable = k < 1 || k > 254 || k == 1 || k == 2 || (k >= 4 && k <= 6) || (k >= 0x10 && k <= 0x12) ||
                          (k >= 0xA0 && k <= 0xA5) || k == 0x5B || k == 0x5C;
    const std::int32_t modifiers = stored.Modifiers & 3;
    if (unusable || modifiers == 0) return fallback;
    return {k, modifiers};
}

std::vector<std::wstring> ProgramsForEditing(const std::vector<std::wstring>& stored) {
    std::vector<std::wstring> out;
    for (const std::wstring& s : stored) {
        std::wstring cleaned = Trim(Clean(s, kMaxProgramListBytes));
        if (!cleaned.empty()) out.push_back(std::move(cleaned));
    }
    return out;
}

std::optional<SettingsProblem> CheckSettings(const PanelSettings& s) {
    for (int row = 0; row <= 4; ++row) {
        if (row > 0 && s.names[row - 1].size() > kMaxDesktopNameLength)
            return SettingsProblem{L"The name of desktop " + std::to_wstring(row) + L" is longer than " +
                                       std::to_wstring(kMaxDesktopNameLength) + L" characters.",
                                   row};
        if ((RowHotkey(s, row).Modifiers & 3) == 0)
            return SettingsProblem{L"The hotkey of " + RowName(s, row) + L" needs Ctrl, Alt or both.", row};
    }
    for (int a = 0; a <= 4; ++a)
        for (int b = a + 1; b <= 4; ++b) {
            const Hotkey ha = RowHotkey(s, a), hb = RowHotkey(s, b);
            if (ha.Key == hb.Key && (ha.Modifiers & 3) == (hb.Modifiers & 3))
                return SettingsProblem{Capitalised(RowName(s, a)) + L" and " + RowName(s, b) +
                                           L" have the same hotkey, " + HotkeyText(ha) +
                                           L". Choose another hotkey for one of them.",
                                       b};
        }
    for (int row = 1; row <= 4; ++row)
        if (EncodeRegistryMultiText(s.programs[row - 1]).size() > kMaxProgramListBytes)
            return SettingsProblem{L"The programs of " + RowName(s, row) + L" are longer than " +
                                       std::to_wstring(kMaxProgramListBytes / 1024) +
                                       L" KB in all. Remove some of them.",
                                   row};
    return std::nullopt;
}

std::vector<RegistryChange> SettingsChanges(const PanelSettings& s, const std::wstring& mainProgram) {
    std::vector<RegistryChange> changes;
    for (int n = 1; n <= 4; ++n) {
        const std::wstring prefix = L"Desktop" + std::to_wstring(n);
        const std::wstring name = NameForStoring(s.names[n - 1]);
        if (name.empty())
            changes.push_back(Removal(kSettingsKey, prefix + L"Name"));
        else
            changes.push_back(Change(prefix + L"Name", kRegSz, EncodeRegistryText(name)));
        changes.push_back(Change(prefix + L"Key", kRegDword, EncodeRegistryDword(s.hotkeys[n - 1].Key)));
        changes.push_back(Change(prefix + L"KeyMod", kRegDword, EncodeRegistryDword(s.hotkeys[n - 1].Modifiers)));
    }
    changes.push_back(Change(L"PanelKey", kRegDword, EncodeRegistryDword(s.panelHotkey.Key)));
    changes.push_back(Change(L"PanelKeyMod", kRegDword, EncodeRegistryDword(s.panelHotkey.Modifiers)));
    for (int n = 1; n <= 4; ++n) {
        const std::wstring valueName = L"Desktop" + std::to_wstring(n) + L"Programs";
        const std::vector<std::wstring> programs = ProgramsForEditing(s.programs[n - 1]);
        if (programs.empty())
            changes.push_back(Removal(kSettingsKey, valueName));
        else
            changes.push_back(Change(valueName, kRegMultiSz, EncodeRegistryMultiText(programs)));
    }
    if (s.startAtSignIn)
        changes.push_back({kRunKey, kRunValueName, false, kRegSz, EncodeRegistryText(L"\"" + mainProgram + L"\"")});
    else
        changes.push_back(Removal(kRunKey, kRunValueName));
    return changes;
}

std::wstring HotkeyStatusText(std::uint32_t code, const std::wstring& systemText) {
    if (code == 0) return L"Active";
    if (code == 1409) return L"Held by another program";
    std::wstring text = systemText;
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ' || text.back() == L'.'))
        text.pop_back();
    return text.empty() ? L"Not active (error " + std::to_wstring(code) + L")" : L"Not active: " + text;
}

}  // namespace panorel
