#pragma once
// What a container gives the custom controls placed on it: ambient values
// (shared by the container, some per control) with change notifications,
// extender values (the host's tooltip text, the container, the siblings), and
// whether the form runs or is being designed.
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

private:
    friend class ControlSite;
    void Notify(std::string_view name, const std::function<void(AmbientProperties&)>& change);

    HWND hwnd_;
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

}  // namespace panorel::host
