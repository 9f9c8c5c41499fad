#pragma once
// Names the utility's programs share beyond the 54 events: where the settings
// live, how a program tells that the main process is running, and where the
// main process says which hotkeys it could register.
namespace panorel {

// Under HKEY_CURRENT_USER.
constexpr wchar_t kSettingsKey[] = L"Software\\Panorel";

// Held by the running Panorel2.exe for its whole life. The system releases it
// when the process ends, crashed or not, so it tells a live main process from
// events that orphaned switchers keep open.
constexpr wchar_t kMainInstanceMutex[] = L"Local\\velmora_Panorel2Instance";

// A volatile key under HKEY_CURRENT_USER (it goes at sign-out) holding the
// outcome of the main process's latest hotkey registration: one REG_DWORD per
// hotkey, named as its setting ("Desktop1Key".."Desktop4Key", "PanelKey"),
// 0 when it was registered, otherwise the system error code (1409: another
// program holds that combination). "Round" is written last and counts the
// registrations, so a reader that sees it change reads a whole round.
constexpr wchar_t kHotkeyStatusKey[] = L"Software\\Panorel\\HotkeyStatus";
constexpr wchar_t kHotkeyStatusRound[] = L"Round";

}  // namespace panorel
