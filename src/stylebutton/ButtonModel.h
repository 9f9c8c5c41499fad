#pragma once
// The styled button's properties without a window: their values, what
// setting each one does to the others, the defaults per style and colour
// scheme, and how they are saved to and read from a property bag. The
// window side (VLM_StyleButton) applies the effects a setter reports.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "host/PropertyBag.h"
#include "stylebutton/ButtonColors.h"

namespace panorel::stylebutton {

using host::FontDesc;
using host::PictureBytes;

// System colour references (resolved when drawn).
constexpr Colour kSysColour = 0x80000000u;
constexpr Colour kButtonFace = kSysColour | 15;
constexpr Colour kButtonText = kSysColour | 18;
constexpr Colour kGrayText = kSysColour | 17;
constexpr Colour kInfoBackground = kSysColour | 24;
constexpr int kStyleCount = 14;
constexpr int kSystemThemeStyle = 13;
constexpr int kCustomScheme = 3;

// Every property with the value a freshly placed control gets (see InitNew
// for the few that depend on the host).
struct ButtonProperties {
    Colour BackColor = 0;
    std::int32_t ButtonStyle = kSystemThemeStyle;
    std::wstring Caption;
    std::int32_t CaptionAlign = 1;
    std::int32_t DropDownSymbol = 0;
    bool DropDownSeparator = false;
    std::int32_t DisabledPictureMode = 0;
    bool Enabled = true;
    FontDesc Font{L"Tahoma", 8.25};
    Colour ForeColor = kButtonText;
    Colour ForeColorHover = 0;
    bool HandPointer = false;
    Colour MaskColor = 0xE0E0E0;
    std::int32_t Mode = 0;
    PictureBytes MouseIcon;
    std::int16_t MousePointer = 0;
    PictureBytes PictureNormal;
    PictureBytes PictureHot;
    PictureBytes PictureDown;
    std::int32_t PictureAlign = 1;
    bool PictureShadow = false;
    std::int32_t PictureEffectOnOver = 0;
    std::int32_t PictureEffectOnDown = 0;
    bool PicturePushOnHover = false;
    std::uint8_t PictureOpacity = 255;
    std::uint8_t PictureOpacityOnOver = 255;
    bool RightToLeft = false;
    std::int32_t CaptionEffects = 0;
    bool ShowFocusRect = false;
    bool UseMaskColor = true;
    bool Value = false;
    std::wstring TooltipTitle;
    std::wstring ToolTip;
    Colour TooltipBackColor = 0;
    std::int32_t ToolTipIcon = 0;
    std::int32_t ToolTipType = 0;
    std::int32_t ColorScheme = 0;
    bool Blink = false;  // write-only, never persisted
};

// What the window side must do after a property changed.
enum Effect : unsigned {
    kNone = 0,
    kRedraw = 1u << 0,
    kRegion = 1u << 1,        // rebuild the window region
    kEnableWindow = 1u << 2,  // enable or disable the window; start or stop blinking
    kResize = 1u << 3,        // re-run the resize handling
    kAccessKey = 1u << 4,     // re-parse the caption's access key
    kFont = 1u << 5,          // copy the font to the drawing surface
    kTextColour = 1u << 6,    // the surface's text colour follows ForeColor
    kPointer = 1u << 7,       // mouse pointer or cursor changed
    kStateNormal = 1u << 8,   // the visual state returns to normal
};

enum class Prop {
    BackColor, ButtonStyle, Caption, CaptionAlign, DropDownSymbol, DropDownSeparator, DisabledPictureMode,
    Enabled, Font, ForeColor, ForeColorHover, HandPointer, MaskColor, Mode, MouseIcon, MousePointer,
    PictureNormal, PictureHot, PictureDown, PictureAlign, PictureShadow, PictureEffectOnOver,
    PictureEffectOnDown, PicturePushOnHover, PictureOpacity, PictureOpacityOnOver, RightToLeft,
    CaptionEffects, ShowFocusRect, UseMaskColor, Value, TooltipTitle, ToolTip, TooltipBackColor, ToolTipIcon,
    ToolTipType, ColorScheme, Blink,
};
constexpr std::size_t kPropCount = static_cast<std::size_t>(Prop::Blink) + 1;

// One property of the control's interface.
struct PropertyInfo {
    Prop id;
    std::string_view name;
    std::string_view type;
    std::string_view allowed;  // the documented values; others are stored and draw what they draw
    unsigned effects;          // done after every assignment (rules of their own come first)
    std::string_view help;
};
const std::array<PropertyInfo, kPropCount>& PropertyTable();
const PropertyInfo& Info(Prop id);

// Help strings of the methods, events and the read-only hWnd, by member name;
// empty for an unknown member.
std::string_view HelpString(std::string_view member);

// Events raised to the host, with their identifiers in the event interface.
struct EventInfo {
    std::string_view name;
    std::int32_t id;
};
const std::array<EventInfo, 10>& EventTable();

// The lower-cased access key of a caption, 0 for none.
wchar_t AccessKey(const std::wstring& caption);

// BackColor for a style and scheme; `current` where the pair keeps it.
Colour DefaultBackColor(std::int32_t style, std::int32_t scheme, Colour current);

using Value = std::variant<std::int32_t, bool, std::wstring, FontDesc, PictureBytes>;

class ButtonModel {
public:
    ButtonProperties P;
    // Set by every assignment, for the host to persist the control.
    bool Changed = false;

    // A freshly placed control: named after its place, in the host's font
    // with the face "Tahoma", style 13.
    void InitNew(const std::wstring& displayName, const FontDesc& hostFont);

    // Assigns a property and applies its rules; returns the effects left for
    // the window. A value of the wrong kind is ignored (kNone).
    unsigned Set(Prop id, const Value& value);

    // The colour scheme a style brings, then the colours of style and scheme.
    void ApplyDefaultScheme();
    void ApplyDefaultColours();
    // Where themes are off, style 13 becomes style 2 with scheme 0 for good.
    void FallBackFromSystemTheme();

    // Persistence. `hostFont` is the default of "Font".
    void ReadProperties(const host::PropertyBag& bag, const FontDesc& hostFont);
    void WriteProperties(host::PropertyBag& bag, const FontDesc& hostFont) const;
};

// The keys in the order they are read and in the order they are written.
const std::array<std::string_view, 37>& ReadOrder();
const std::array<std::string_view, 37>& WriteOrder();

}  // namespace panorel::stylebutton
