#include "switcher/IncomingName.h"

#include <string>

#include "switcher/EventNames.h"

namespace panorel {

namespace {

// Event names are ASCII, so they compare unit by unit with the wide text.
bool EqualsEventName(std::wstring_view text, int index) {
    const std::string name = EventName(static_cast<std::int16_t>(index));
    if (name.empty() || name.size() != text.size()) return false;
    for (std::size_t k = 0; k < name.size(); ++k)
        if (text[k] != static_cast<wchar_t>(static_cast<unsigned char>(name[k]))) return false;
    return true;
}

}  // namespace

IncomingAction ClassifyIncomingName(std::wstring_view text, int ownDesktop) {
    if (ownDesktop < 1 || ownDesktop > 4) return {};
    BuildEventNames();
    const int n = ownDesktop;
    for (int j = 1; j <= 4; ++j)
        if (EqualsEventName(text, SwitchToIndex(n, j))) return {IncomingKind::SwitchTo, j};
    for (int j = 1; j <= 4; ++j)
        if (EqualsEventName(text, UpdateIndex(n, j))) return {IncomingKind::Update, j};
    if (EqualsEventName(text, ReadRegSwitcherIndex(n))) return {IncomingKind::ReadReg, 0};
    if (EqualsEventName(text, ShutdownSwitcherIndex(n))) return {IncomingKind::Shutdown, 0};
    if (EqualsEventName(text, ShowPreviewSwitcherIndex(n))) return {IncomingKind::ShowPreview, 0};
    if (EqualsEventName(text, ShowPopupSwitcherIndex(n))) return {IncomingKind::ShowPopup, 0};
    return {};
}

std::array<int, 3> PreviewUpdatedIndices(int ownDesktop) {
    std::array<int, 3> indices{};
    std::size_t k = 0;
    for (int i = 1; i <= 4 && k < indices.size(); ++i)
        if (i != ownDesktop) indices[k++] = UpdateIndex(i, ownDesktop);
    return indices;
}

}  // namespace panorel
