#pragma once
// What a container gives the custom controls placed on it: ambient values
// (shared by the container, some per control) with change notifications,
// extender values (the host's tooltip text, the container, the siblings, the
// form's default and cancel control), whether the form runs or is being
// designed, and the keyboard's access keys, Enter and Escape routed to the
// control they belong to.
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/PropertyBag.h"

namespace panorel::host {

// A system colour reference: the top bit set, the low bits the colour index.
constexpr std::uint32_t kSystemColour = 0x80000000u;

struct AmbientProperties {
    bool DisplayAsDefault = false;  // the control is its form's default button
    std::wstring DisplayName;       // the name the control is placed under
    FontDesc Font{L"MS Sans Serif", 8.25};
    bool UserMode = true;  // run mode; false while a designer shows the form
    std::uint32_t BackColor = kSystemColour | COLOR_BTNFACE;
};

// Base of every control a container hosts, so siblings can be found.
class HostedControl {
public:
    virtual ~HostedControl() = default;
};

class ControlSite;

class ControlContainer {
public:
    // Controls placed here draw for `twipsPerPixel`; 0 takes the screen's.
    explicit ControlContainer(HWND hwnd, std::int32_t twipsPerPixel = 0);
    ControlContainer(const ControlContainer&) = delete;
    ControlContainer& operator=(const ControlContainer&) = delete;

    HWND hWnd() const noexcept { return hwnd_; }
    // Whole twips per pixel: what the controls' sizes designed at 96 dpi grow with.
    std::int32_t TwipsPerPixel() const noexcept { return twipsPerPixel_; }
    // Container-wide ambient values; every site hears of the change.
    void SetFont(const FontDesc& font);
    void SetUserMode(bool userMode);
    void SetBackColor(std::uint32_t colour);
    const std::vector<ControlSite*>& Sites() const noexcept { return sites_; }
    ~ControlContainer();

    // The default control (Enter reaches it; its DisplayAsDefault ambient is
    // true) and the cancel control (Escape reaches it); null for none.
    void SetDefault(ControlSite* site);
    void SetCancel(ControlSite* site);
    ControlSite* Default() const noexcept { return default_; }
    ControlSite* Cancel() const noexcept { return cancel_; }
    // Hands an access key (lower case) to the control that has it; false when
    // none has.
    bool DeliverAccessKey(wchar_t key);

private:
    friend class ControlSite;
    friend bool RouteContainerKeys(const MSG& msg);
    void Notify(std::string_view name, const std::function<void(AmbientProperties&)>& change);
    bool RouteEnterOrEscape(const MSG& msg);

    HWND hwnd_;
    ControlSite* default_ = nullptr;
    ControlSite* cancel_ = nullptr;
    std::int32_t twipsPerPixel_;
    FontDesc font_{L"MS Sans Serif", 8.25};
    bool userMode_ = true;
    std::uint32_t backColor_ = kSystemColour | COLOR_BTNFACE;
    std::vector<ControlSite*> sites_;
};

class ControlSite {
public:
    ControlSite(ControlContainer& container, std::wstring displayName);
    ~ControlSite();
    ControlSite(const ControlSite&) = delete;
    ControlSite& operator=(const ControlSite&) = delete;

    const AmbientProperties& Ambient() const noexcept { return ambient_; }
    void SetDisplayAsDefault(bool value);
    // Called with the ambient value's name after it changed.
    std::function<void(std::string_view name)> AmbientChanged;

    // What the control gives the host for the keyboard: its access keys (lower
    // case), and what the host calls with such a key, or with Enter (13) or
    // Escape (27) when the control is the default or cancel control.
    std::wstring AccessKeys;
    std::function<void(std::int16_t KeyAscii)> AccessKeyPress;

    // Extender values.
    std::wstring ToolTipText;
    ControlContainer& Container() const noexcept { return container_; }
    std::vector<HostedControl*> Siblings() const;
    HostedControl* Object = nullptr;  // the control placed here

private:
    friend class ControlContainer;
    void Changed(std::string_view name);

    ControlContainer& container_;
    AmbientProperties ambient_;
};

// The containers' keyboard routing, for a message loop to call before it
// dispatches a message of this thread: Alt and an access key go to the
// control that has the key, Enter to the default and Escape to the cancel
// control of the message's form, unless the window with the focus wants the
// key itself (WM_GETDLGCODE). True when the message was delivered so and
// must not be dispatched.
bool RouteContainerKeys(const MSG& msg);

}  // namespace panorel::host
