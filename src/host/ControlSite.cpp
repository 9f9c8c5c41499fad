#include "host/ControlSite.h"

#include <algorithm>

#include "host/PanorelError.h"
#include "host/Screen.h"

namespace panorel::host {

ControlContainer::ControlContainer(HWND hwnd, std::int32_t twipsPerPixel)
    : hwnd_(hwnd),
      twipsPerPixel_(twipsPerPixel > 0 ? twipsPerPixel : static_cast<std::int32_t>(Screen::TwipsPerPixelX())) {}

void ControlContainer::Notify(std::string_view name, const std::function<void(AmbientProperties&)>& change) {
    // A handler may place or remove controls: walk a copy.
    const std::vector<ControlSite*> sites = sites_;
    for (ControlSite* site : sites) {
        if (std::find(sites_.begin(), sites_.end(), site) == sites_.end()) continue;
        change(site->ambient_);
        site->Changed(name);
    }
}

void ControlContainer::SetFont(const FontDesc& font) {
    font_ = font;
    Notify("Font", [&](AmbientProperties& a) { a.Font = font; });
}

void ControlContainer::SetUserMode(bool userMode) {
    userMode_ = userMode;
    Notify("UserMode", [&](AmbientProperties& a) { a.UserMode = userMode; });
}

void ControlContainer::SetBackColor(std::uint32_t colour) {
    backColor_ = colour;
    Notify("BackColor", [&](AmbientProperties& a) { a.BackColor = colour; });
}

ControlSite::ControlSite(ControlContainer& container, std::wstring displayName) : container_(container) {
    ambient_.DisplayName = std::move(displayName);
    ambient_.Font = container.font_;
    ambient_.UserMode = container.userMode_;
    ambient_.BackColor = container.backColor_;
    container_.sites_.push_back(this);
}

ControlSite::~ControlSite() {
    auto& sites = container_.sites_;
    sites.erase(std::remove(sites.begin(), sites.end(), this), sites.end());
}

void ControlSite::SetDisplayAsDefault(bool value) {
    if (ambient_.DisplayAsDefault == value) return;
    ambient_.DisplayAsDefault = value;
    Changed("DisplayAsDefault");
}

void ControlSite::Changed(std::string_view name) {
    if (AmbientChanged) SkipOnError([&] { AmbientChanged(name); });
}

std::vector<HostedControl*> ControlSite::Siblings() const {
    std::vector<HostedControl*> result;
    for (ControlSite* site : container_.sites_)
        if (site != this && site->Object) result.push_back(site->Object);
    return result;
}

}  // namespace panorel::host
