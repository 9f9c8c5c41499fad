#pragma once
// The 54 shared named events: names, index order and the index arithmetic of
// the per-switcher blocks. Indices are 1-based, as everywhere in the program.
#include <cstdint>
#include <string>
#include <string_view>

namespace panorel {

constexpr int kEventCount = 54;
constexpr int kEventsPerSwitcher = 12;
constexpr std::string_view EventPrefix = "Local\\velmora_";

// Builds the name table if it is not built yet; it never changes after that.
void BuildEventNames();
// Full name of entry 1..54; empty for any other index.
std::string EventName(std::int16_t index);
// The short name (without the prefix); empty outside 1..54.
std::string ShortEventName(int index);
// Index of a short name, 0 when there is none.
int EventIndexOfShortName(std::string_view shortName);

// Index arithmetic, i the switcher (1..4), j the desktop (1..4).
constexpr int SwitchToIndex(int i, int j) { return kEventsPerSwitcher * (i - 1) + j; }
constexpr int UpdateIndex(int i, int j) { return kEventsPerSwitcher * (i - 1) + 4 + j; }
constexpr int ReadRegSwitcherIndex(int i) { return kEventsPerSwitcher * (i - 1) + 9; }
constexpr int ShutdownSwitcherIndex(int i) { return kEventsPerSwitcher * (i - 1) + 10; }
constexpr int ShowPreviewSwitcherIndex(int i) { return kEventsPerSwitcher * (i - 1) + 11; }
constexpr int ShowPopupSwitcherIndex(int i) { return kEventsPerSwitcher * (i - 1) + 12; }
constexpr int SwitchToDesktopIndex(int j) { return 48 + j; }
constexpr int ReadRegIndex = 53;
constexpr int ShutdownIndex = 54;
// The switcher whose block holds an index (1..4), 0 for the six shared ones.
constexpr int OwnerOfEvent(int index) {
    return (index >= 1 && index <= 48) ? (index - 1) / kEventsPerSwitcher + 1 : 0;
}

}  // namespace panorel
