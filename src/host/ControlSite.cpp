#include "host/ControlSite.h"

#include <algorithm>
#include <cwctype>

#include "host/PanorelError.h"
#include "host/Screen.h"

namespace panorel::host {
namespace {

// This thread's containers, for its message loop's keyboard routing.
thread_local std::vector<ControlContainer*> tContainers;

HWND FormOf(HWND hwnd) { return hwnd ? ::GetAncestor(hwnd, GA_ROOT) : nullptr; }

bool Has(const std::vector<ControlSite*>& sites, const ControlSite* site) {
    return std::find(sites.begin(), sites.end(), site) != sites.end();
}

// A handler may remove the control that runs it: call a copy.
void Deliver(const ControlSite& site, std::int16_t keyAscii) {
    const auto handler = site.AccessKeyPress;
    if (handler) SkipOnError([&] { handler(keyAscii); });
}

}  // namespace

ControlContainer::ControlContainer(HWND hwnd, std::int32_t twipsPerPixel)
    : hwnd_(hwnd),
      twipsPerPixel_(twipsPerPixel > 0 ? twipsPerPixel : static_cast<std::int32_t>(Screen::TwipsPerPixelX())) {
    tContainers.push_back(this);
}

ControlContainer::~ControlContainer() {
    tContainers.erase(std::remove(tContainers.begin(), tContainers.end(), this), tContainers.end());
}

void ControlContainer::SetDefault(ControlSite* site) {
    if (site == default_ || (site && !Has(sites_, site))) return;
    ControlSite* old = default_;
    default_ = site;
    if (old) old->SetDisplayAsDefault(false);
    if (site) site->SetDisplayAsDefault(true);
}

void ControlContainer::SetCancel(ControlSite* site) {
    if (!site || Has(sites_, site)) cancel_ = site;
}

bool ControlContainer::DeliverAccessKey(wchar_t key) {
    const wchar_t lower = static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(key)));
    if (!lower) return false;
    for (ControlSite* site : sites_) {
        if (site->AccessKeys.find(lower) == std::wstring::npos || !site->AccessKeyPress) continue;
        Deliver(*site, static_cast<std::int16_t>(key));
        return true;
    }
    return false;
}

bool ControlContainer::RouteEnterOrEscape(const MSG& msg) {
    ControlSite* site = msg.wParam == VK_RETURN ? default_ : cancel_;
    if (!site || !site->AccessKeyPress) return false;
    Deliver(*site, msg.wParam == VK_RETURN ? 13 : 27);
    return true;
}

bool RouteContainerKeys(const MSG& msg) {
    const bool accessKey = msg.message == WM_SYSCHAR;
    const bool enterOrEscape = msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE);
    if (!accessKey && !enterOrEscape) return false;
    const HWND form = FormOf(msg.hwnd);
    if (!form) return false;
    if (enterOrEscape) {
        // A control that takes these keys itself (a multi-line edit, a button
        // with the focus) keeps them, as in a dialog.
        MSG copy = msg;
        const LRESULT code = ::SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&copy));
        if (code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;
    }
    // A delivery may create or destroy containers: walk a copy.
    const std::vector<ControlContainer*> containers = tContainers;
    for (ControlContainer* c : containers) {
        if (std::find(tContainers.begin(), tContainers.end(), c) == tContainers.end()) continue;
        if (FormOf(c->hwnd_) != form) continue;
        if (accessKey ? c->DeliverAccessKey(static_cast<wchar_t>(msg.wParam)) : c->RouteEnterOrEscape(msg)) return true;
    }
    return false;
}

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
    if (container_.default_ == this) container_.default_ = nullptr;
    if (container_.cancel_ == this) container_.cancel_ = nullptr;
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
