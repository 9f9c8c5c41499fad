#pragma once
// What the control panel edits, without a window: the settings as the dialog
// shows them, how values read from the registry are made fit for editing,
// the checks made before anything is written, and the registry changes that
// store the result. Text is UTF-16 units in std::wstring on every platform.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/DesktopDefaults.h"
#include "settings/RegistryData.h"

namespace panorel {

// The panel sizes each tab to its name: longer names would overflow the screen.
constexpr std::size_t kMaxDesktopNameLength = 64;

// "Start Panorel 2 when I sign in": this value under the user's Run key.
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValueName[] = L"Panorel 2";

struct PanelSettings {
    std::array<std::wstring, 4> names;  // desktops 1..4 at 0..3; empty means "Desktop n"
    std::array<Hotkey, 4> hotkeys;
    Hotkey panelHotkey = kDefaultPanelHotkey;
    std::array<std::vector<std::wstring>, 4> programs;
    bool startAtSignIn = false;
};

// The keys a hotkey can use, in the order the dialog lists them.
struct HotkeyKeyChoice {
    std::int32_t key;
    std::wstring name;
};
const std::vector<HotkeyKeyChoice>& HotkeyKeyChoices();
// The key's name in the list, else "Key " and its code.
std::wstring HotkeyKeyName(std::int32_t key);
// "Ctrl+Alt+Num 1".
std::wstring HotkeyText(Hotkey hotkey);

// A name as stored (any length, stored terminator, embedded NULs, unpaired
// surrogates, control characters) as the name box shows it: cut at the first
// NUL, surrogates without their partner and control characters replaced, at
// most kMaxDesktopNameLength units without splitting a pair.
std::wstring NameForEditing(const std::wstring& stored);
// A name as typed, as it is stored: the same cleaning, and blanks trimmed.
std::wstring NameForStoring(const std::wstring& typed);
// A hotkey as stored, as the dialog shows it: only the Ctrl and Alt bits are
// kept; a key outside the virtual-key range, a modifier or mouse key, or no
// Ctrl or Alt at all gives `fallback`.
Hotkey HotkeyForEditing(Hotkey stored, Hotkey fallback);
// A program list as stored, as the list shows it: cleaned like names (but
// not cut short), empty entries dropped.
std::vector<std::wstring> ProgramsForEditing(const std::vector<std::wstring>& stored);

// What stops the settings from being written: the message, and which row to
// put the focus on (1..4 a desktop, 0 the panel hotkey).
struct SettingsProblem {
    std::wstring message;
    int row = 0;
};
std::optional<SettingsProblem> CheckSettings(const PanelSettings& settings);

// Every value the settings are stored in, under kSettingsKey and kRunKey: an
// empty name deletes its value (the switcher's default applies), an empty
// program list deletes its value, sign-in off deletes the Run value.
// `mainProgram` is the full path of this folder's Panorel2.exe.
std::vector<RegistryChange> SettingsChanges(const PanelSettings& settings, const std::wstring& mainProgram);

// The text beside a hotkey for the main process's registration result:
// 0 registered, 1409 another program holds it, else the system's text.
std::wstring HotkeyStatusText(std::uint32_t code, const std::wstring& systemText);

}  // namespace panorel
