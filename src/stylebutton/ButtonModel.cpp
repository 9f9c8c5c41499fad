#include "stylebutton/ButtonModel.h"

#include <algorithm>
#include <cwctype>

namespace panorel::stylebutton {
namespace {

constexpr unsigned R = kRedraw;

// Redraws that happen only while a picture is set are decided in Set.
const std::array<PropertyInfo, kPropCount> kProperties{{
    {Prop::BackColor, "BackColor", "colour", "any", R, "Returns/sets the background color used for the button."},
    {Prop::ButtonStyle, "ButtonStyle", "32-bit", "0..13", kRegion | R | kTextColour,
     "Returns/sets a value to determine the style used to draw the button."},
    {Prop::Caption, "Caption", "string", "any", kAccessKey | R, "Returns/sets the text displayed in the button."},
    {Prop::CaptionAlign, "CaptionAlign", "32-bit", "0 left, 1 centre, 2 right", R,
     "Returns/Sets the position of the Caption."},
    {Prop::DropDownSymbol, "DropDownSymbol", "32-bit", "0 none; 3, 4, 5, 6 triangles", R,
     "Returns/Sets the Symbol to be used for displaying PopupMenu."},
    {Prop::DropDownSeparator, "DropDownSeparator", "boolean", "", R,
     "Returns/Sets the value whether to display DropDown Separator."},
    {Prop::DisabledPictureMode, "DisabledPictureMode", "32-bit", "any", R,
     "Returns/Sets the effect to be used for picture when button is disabled."},
    {Prop::Enabled, "Enabled", "boolean", "", kEnableWindow | R,
     "Returns/sets a value to determine whether the button can respond to events."},
    {Prop::Font, "Font", "font", "", kFont | R, "Returns/sets the Font used to display text on the button."},
    {Prop::ForeColor, "ForeColor", "colour", "any", kTextColour | R, "Returns/sets the text color of the button caption."},
    {Prop::ForeColorHover, "ForeColorHover", "colour", "any", R,
     "Returns/sets the text color of the button caption when Mouse is over the control."},
    {Prop::HandPointer, "HandPointer", "boolean", "", kPointer | R,
     "Returns/sets a value to determine whether the control uses the system's hand pointer as its cursor."},
    {Prop::MaskColor, "MaskColor", "colour", "any", R, "Returns/sets a color in a button's picture to be transparent."},
    {Prop::Mode, "Mode", "32-bit", "0 push, 1 check, 2 option", R,
     "Returns/sets the type of control the button will observe."},
    {Prop::MouseIcon, "MouseIcon", "picture", "", kPointer, "Sets a custom mouse icon for the button."},
    {Prop::MousePointer, "MousePointer", "16-bit", "standard pointer codes, 99 custom", kPointer,
     "Returns/sets the type of mouse pointer displayed when cursor over the button."},
    {Prop::PictureNormal, "PictureNormal", "picture", "", kNone,
     "Returns/sets the picture displayed on a normal state button."},
    {Prop::PictureHot, "PictureHot", "picture", "", R,
     "Returns/sets the picture displayed when the cursor is over the control."},
    {Prop::PictureDown, "PictureDown", "picture", "", R,
     "Returns/sets the picture displayed when the control is pressed down or in checked state."},
    {Prop::PictureAlign, "PictureAlign", "32-bit", "0..8", kNone,
     "Returns/sets a value to determine where to draw the picture in the button."},
    {Prop::PictureShadow, "PictureShadow", "boolean", "", R,
     "Returns/Sets a value to determine whether to display Picture Shadow"},
    {Prop::PictureEffectOnOver, "PictureEffectOnOver", "32-bit", "any", R,
     "Returns/Sets the Picture Effects to be applied when the mouseis over the control."},
    {Prop::PictureEffectOnDown, "PictureEffectOnDown", "32-bit", "any", R,
     "Returns/Sets the Picture Effects to be applied when the Button is pressed down."},
    {Prop::PicturePushOnHover, "PicturePushOnHover", "boolean", "", R,
     "Returns/Sets a value to determine whether to Push picture when Mouse is over the control."},
    {Prop::PictureOpacity, "PictureOpacity", "byte", "0..255", R,
     "Returns/Sets a byte value to control the Opacity of the Picture."},
    {Prop::PictureOpacityOnOver, "PictureOpacityOnOver", "byte", "0..255", R,
     "Returns/Sets a byte value to control the Opacity of the Picture when Mouse is over the button."},
    {Prop::RightToLeft, "RightToLeft", "boolean", "", R,
     "Returns/Sets a value to determine whether to display text in RTL mode."},
    {Prop::CaptionEffects, "CaptionEffects", "32-bit", "0 none, 1..5", R,
     "Returns/Sets the Special Effects apply to the caption."},
    {Prop::ShowFocusRect, "ShowFocusRect", "boolean", "", kNone,
     "Returns/Sets a value to show Focusrect when the button has focus"},
    {Prop::UseMaskColor, "UseMaskColor", "boolean", "", kNone,
     "Returns/sets a value to determine whether to use MaskColor to create transparent areas of the picture."},
    {Prop::Value, "Value", "boolean", "", R, "Returns/sets the value or state of the button."},
    {Prop::TooltipTitle, "TooltipTitle", "string", "any", R,
     "Returns/Sets the text displayed in the title of the tooltip."},
    {Prop::ToolTip, "ToolTip", "string", "any", R,
     "Returns/Sets the text displayed when mouse is paused over the control."},
    {Prop::TooltipBackColor, "TooltipBackColor", "colour", "0 the tooltip's own, any", R,
     "Returns/Sets color to be displayed in the tooltip."},
    {Prop::ToolTipIcon, "ToolTipIcon", "32-bit", "0 none, 1 information, 2 warning, 3 error", R,
     "Returns/Sets an icon value to be displayed in the tooltip."},
    {Prop::ToolTipType, "ToolTipType", "32-bit", "0 rectangle, 1 balloon", R,
     "Returns/Sets the Style of the tooltip."},
    {Prop::ColorScheme, "ColorScheme", "32-bit", "0, 1, 2 built in, 3 custom", R | kTextColour,
     "Returns/Sets the ColorScheme to be used for the Background color."},
    {Prop::Blink, "Blink", "boolean, write-only", "", kNone, ""},
}};

struct MemberHelp {
    std::string_view member;
    std::string_view help;
};
const MemberHelp kOtherHelp[] = {
    {"SetPopupMenu", "Sets a dropdown menu to the button."},
    {"UnsetPopupMenu", "Unsets a popupmenu that was previously set for that button."},
    {"hWnd", "Returns a handle that uniquely identifies the control."},
    {"Click", "Occurs when the user presses and then releases a mouse button over the button."},
    {"DblClick", "Occurs when the user clicks over the button twice."},
    {"MouseEnter", "Occrus when the cursor moves around the button for the first time."},
    {"MouseLeave", "Occurs when the cursor leaves/moves outside the button."},
    {"MouseMove", "Occurs when the cursor moves over the button."},
    {"MouseUp", "Occurs when the user releases the mouse button while the button has the focus."},
    {"MouseDown", "Occurs when the user presses the mouse button while the button has the focus."},
    {"KeyDown", "Occurs when the user presses a key while the button has the focus."},
    {"KeyUp", "Occurs when the user releases a key while the button has the focus."},
    {"KeyPress", "Occurs when the user presses and releases an ANSI key."},
};

const std::array<EventInfo, 10> kEvents{{
    {"Click", -600},
    {"DblClick", -601},
    {"KeyDown", -602},
    {"KeyPress", -603},
    {"KeyUp", -604},
    {"MouseDown", -605},
    {"MouseUp", -607},
    {"MouseMove", -606},
    {"MouseEnter", 1},
    {"MouseLeave", 2},
}};

// One persisted key: where it lives, how it reads and writes.
using Member = std::variant<Colour ButtonProperties::*, std::int32_t ButtonProperties::*,
                            std::int16_t ButtonProperties::*, std::uint8_t ButtonProperties::*,
                            bool ButtonProperties::*, std::wstring ButtonProperties::*, FontDesc ButtonProperties::*,
                            PictureBytes ButtonProperties::*>;
enum class Write { Default, Always };
struct Persisted {
    std::string_view key;
    Member member;
    Value readDefault;  // a font's default is the host's font
    Value writeDefault;
    Write write = Write::Default;
};

constexpr std::int32_t C(Colour c) { return static_cast<std::int32_t>(c); }
using P = ButtonProperties;

// In reading order.
const Persisted kPersisted[] = {
    {"ButtonStyle", &P::ButtonStyle, 1, 1},
    {"ShowFocusRect", &P::ShowFocusRect, false, false},
    {"Font", &P::Font, FontDesc{}, FontDesc{}},
    {"BackColor", &P::BackColor, C(kButtonFace), C(kButtonFace)},
    {"Enabled", &P::Enabled, true, true},
    {"Caption", &P::Caption, std::wstring(L"stylebutton"), std::wstring(L"stylebutton1")},
    {"Value", &P::Value, false, false},
    {"MousePointer", &P::MousePointer, 0, 0},
    {"HandPointer", &P::HandPointer, false, false},
    {"MouseIcon", &P::MouseIcon, PictureBytes{}, PictureBytes{}},
    {"PictureNormal", &P::PictureNormal, PictureBytes{}, PictureBytes{}},
    {"PictureHot", &P::PictureHot, PictureBytes{}, PictureBytes{}},
    {"PictureDown", &P::PictureDown, PictureBytes{}, PictureBytes{}},
    {"PictureShadow", &P::PictureShadow, false, false},
    {"PictureOpacity", &P::PictureOpacity, 255, 255},
    {"PictureOpacityOnOver", &P::PictureOpacityOnOver, 255, 255},
    {"DisabledPictureMode", &P::DisabledPictureMode, 0, 0},
    {"PicturePushOnHover", &P::PicturePushOnHover, false, false},
    {"PictureEffectOnOver", &P::PictureEffectOnOver, 1, 1},
    {"PictureEffectOnDown", &P::PictureEffectOnDown, 2, 2},
    {"MaskColor", &P::MaskColor, C(0xE0E0E0), C(0xE0E0E0)},
    {"UseMaskColor", &P::UseMaskColor, true, true},
    {"CaptionEffects", &P::CaptionEffects, 0, 0, Write::Always},
    {"Mode", &P::Mode, 0, 0},
    {"PictureAlign", &P::PictureAlign, 1, 1},
    {"CaptionAlign", &P::CaptionAlign, 1, 1},
    {"ForeColor", &P::ForeColor, C(kButtonText), C(kButtonText)},
    {"ForeColorHover", &P::ForeColorHover, C(kButtonText), C(kButtonText)},
    {"DropDownSeparator", &P::DropDownSeparator, false, false},
    {"TooltipTitle", &P::TooltipTitle, std::wstring(), std::wstring()},
    {"ToolTip", &P::ToolTip, std::wstring(), std::wstring()},
    {"TooltipIcon", &P::ToolTipIcon, 0, 0},
    {"TooltipType", &P::ToolTipType, 0, 0},
    {"TooltipBackColor", &P::TooltipBackColor, C(kInfoBackground), C(kInfoBackground)},
    {"RightToLeft", &P::RightToLeft, false, false},
    {"DropDownSymbol", &P::DropDownSymbol, 0, 0},
    {"ColorScheme", &P::ColorScheme, 0, 0},
};

const std::array<std::string_view, 37> kWriteOrder{
    "ButtonStyle", "ShowFocusRect", "Enabled", "Font", "BackColor", "Caption", "ForeColor", "ForeColorHover",
    "Mode", "Value", "MousePointer", "HandPointer", "MouseIcon", "PictureNormal", "PictureHot", "PictureDown",
    "PictureAlign", "PictureEffectOnOver", "PictureEffectOnDown", "PicturePushOnHover", "PictureShadow",
    "PictureOpacity", "PictureOpacityOnOver", "DisabledPictureMode", "CaptionEffects", "UseMaskColor", "MaskColor",
    "CaptionAlign", "ToolTip", "TooltipType", "TooltipIcon", "TooltipTitle", "TooltipBackColor", "RightToLeft",
    "DropDownSymbol", "DropDownSeparator", "ColorScheme"};

const std::array<std::string_view, 37> kReadOrder = [] {
    std::array<std::string_view, 37> keys{};
    for (std::size_t i = 0; i < keys.size(); ++i) keys[i] = kPersisted[i].key;
    return keys;
}();

const Persisted& ByKey(std::string_view key) {
    for (const Persisted& p : kPersisted)
        if (p.key == key) return p;
    return kPersisted[0];  // every write key is a read key; kept total for safety
}

bool In(std::int32_t v, std::initializer_list<std::int32_t> set) {
    return std::find(set.begin(), set.end(), v) != set.end();
}

template <class T>
const T* As(const Value& v) {
    return std::get_if<T>(&v);
}

}  // namespace

const std::array<PropertyInfo, kPropCount>& PropertyTable() { return kProperties; }
const PropertyInfo& Info(Prop id) { return kProperties[static_cast<std::size_t>(id)]; }
const std::array<EventInfo, 10>& EventTable() { return kEvents; }
const std::array<std::string_view, 37>& ReadOrder() { return kReadOrder; }
const std::array<std::string_view, 37>& WriteOrder() { return kWriteOrder; }

std::string_view HelpString(std::string_view member) {
    for (const PropertyInfo& p : kProperties)
        if (p.name == member) return p.help;
    for (const MemberHelp& m : kOtherHelp)
        if (m.member == member) return m.help;
    return {};
}

wchar_t AccessKey(const std::wstring& caption) {
    if (caption.size() < 2 || caption.back() == L'&') return 0;
    std::size_t amp = caption.find(L'&');
    if (amp == std::wstring::npos) return 0;
    if (caption[amp + 1] == L'&') {
        amp = caption.find(L'&', amp + 2);
        if (amp == std::wstring::npos || amp + 1 >= caption.size()) return 0;
    }
    return static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(caption[amp + 1])));
}

Colour DefaultBackColor(std::int32_t style, std::int32_t scheme, Colour current) {
    if (scheme < 0 || scheme > 2) return current;
    if (In(style, {0, 1, 4, 6, 7, 11, 12})) return kButtonFace;
    switch (style) {
        case 2: return std::array<Colour, 3>{0xE7EBEC, 0xDBEEF3, 0xFCF1F0}[scheme];
        case 3: return std::array<Colour, 3>{0xFDECE0, 0xDEEDE8, ShiftColor(0xD4D4D4, 0.06f)}[scheme];
        case 5: return std::array<Colour, 3>{0xFCE1CA, 0xBAD6D4, ShiftColor(0xBA9EA0, 0.15f)}[scheme];
        case 8:
        case 10: return std::array<Colour, 3>{0xFFD1AD, 0xBAD6D4, 0xE3DFE0}[scheme];
        case 9: return std::array<Colour, 3>{0xFFD1AD, 0xBAD6D4, 0xE1D6D5}[scheme];
        default: return current;
    }
}

void ButtonModel::ApplyDefaultScheme() {
    if (In(P.ButtonStyle, {0, 1, 2, 4, 6, 7, 8, 10}))
        P.ColorScheme = 0;
    else if (In(P.ButtonStyle, {3, 9}))
        P.ColorScheme = 2;
}

void ButtonModel::ApplyDefaultColours() {
    P.BackColor = DefaultBackColor(P.ButtonStyle, P.ColorScheme, P.BackColor);
    P.ForeColor = kButtonText;
    P.ShowFocusRect = In(P.ButtonStyle, {0, 1, 9});
    if (P.ButtonStyle == 4) P.PicturePushOnHover = true;
}

void ButtonModel::FallBackFromSystemTheme() {
    P.ButtonStyle = 2;
    P.ColorScheme = 0;
    ApplyDefaultColours();
}

void ButtonModel::InitNew(const std::wstring& displayName, const FontDesc& hostFont) {
    P = ButtonProperties{};
    P.Caption = displayName;
    P.Font = hostFont;
    P.Font.Name = L"Tahoma";
    P.ShowFocusRect = true;
    ApplyDefaultScheme();
    ApplyDefaultColours();
}

unsigned ButtonModel::Set(Prop id, const Value& value) {
    const std::int32_t* i = As<std::int32_t>(value);
    const bool* b = As<bool>(value);
    const std::wstring* s = As<std::wstring>(value);
    const PictureBytes* pic = As<PictureBytes>(value);
    auto colour = [&](Colour& member) { return i ? (member = static_cast<Colour>(*i), true) : false; };
    auto integer = [&](std::int32_t& member) { return i ? (member = *i, true) : false; };
    auto flag = [&](bool& member) { return b ? (member = *b, true) : false; };
    auto text = [&](std::wstring& member) { return s ? (member = *s, true) : false; };
    unsigned effects = Info(id).effects;
    bool ok = false;
    switch (id) {
        case Prop::BackColor:
            if ((ok = colour(P.BackColor)) && P.ButtonStyle != 4) P.ColorScheme = kCustomScheme;
            break;
        case Prop::ButtonStyle:
            if ((ok = integer(P.ButtonStyle))) {
                ApplyDefaultScheme();
                ApplyDefaultColours();
            }
            break;
        case Prop::Caption: ok = text(P.Caption); break;
        case Prop::CaptionAlign: ok = integer(P.CaptionAlign); break;
        case Prop::DropDownSymbol: ok = integer(P.DropDownSymbol); break;
        case Prop::DropDownSeparator: ok = flag(P.DropDownSeparator); break;
        case Prop::DisabledPictureMode: ok = integer(P.DisabledPictureMode); break;
        case Prop::Enabled: ok = flag(P.Enabled); break;
        case Prop::Font:
            if (const FontDesc* f = As<FontDesc>(value)) P.Font = *f, ok = true;
            break;
        case Prop::ForeColor: ok = colour(P.ForeColor); break;
        case Prop::ForeColorHover: ok = colour(P.ForeColorHover); break;
        case Prop::HandPointer:
            // The hand takes the pointer over; the standard pointer goes back to 0.
            if ((ok = flag(P.HandPointer)) && P.HandPointer) P.MousePointer = 0;
            break;
        case Prop::MaskColor: ok = colour(P.MaskColor); break;
        case Prop::Mode:
            if ((ok = integer(P.Mode)) && P.Mode == 0) effects |= kStateNormal;
            break;
        case Prop::MouseIcon:
            if ((ok = pic != nullptr)) {
                P.MouseIcon = *pic;
                if (!pic->empty()) P.HandPointer = false;
                P.MousePointer = pic->empty() ? 0 : 99;
            }
            break;
        case Prop::MousePointer:
            if ((ok = i && *i >= -32768 && *i <= 32767)) P.MousePointer = static_cast<std::int16_t>(*i);
            break;
        case Prop::PictureNormal:
            if ((ok = pic != nullptr)) {
                P.PictureNormal = *pic;
                if (pic->empty()) {
                    P.PictureHot.clear();
                    P.PictureDown.clear();
                    effects |= kResize;
                } else {
                    effects |= kRedraw;
                }
            }
            break;
        case Prop::PictureHot:
        case Prop::PictureDown:
            if ((ok = pic != nullptr)) {
                PictureBytes& target = id == Prop::PictureHot ? P.PictureHot : P.PictureDown;
                (P.PictureNormal.empty() ? P.PictureNormal : target) = *pic;
            }
            break;
        case Prop::PictureAlign:
        case Prop::UseMaskColor:
            ok = id == Prop::PictureAlign ? integer(P.PictureAlign) : flag(P.UseMaskColor);
            if (!P.PictureNormal.empty()) effects |= kRedraw;
            break;
        case Prop::PictureShadow: ok = flag(P.PictureShadow); break;
        case Prop::PictureEffectOnOver: ok = integer(P.PictureEffectOnOver); break;
        case Prop::PictureEffectOnDown: ok = integer(P.PictureEffectOnDown); break;
        case Prop::PicturePushOnHover: ok = flag(P.PicturePushOnHover); break;
        case Prop::PictureOpacity:
        case Prop::PictureOpacityOnOver:
            if ((ok = i && *i >= 0 && *i <= 255))
                (id == Prop::PictureOpacity ? P.PictureOpacity : P.PictureOpacityOnOver) = static_cast<std::uint8_t>(*i);
            break;
        case Prop::RightToLeft: ok = flag(P.RightToLeft); break;
        case Prop::CaptionEffects: ok = integer(P.CaptionEffects); break;
        case Prop::ShowFocusRect: ok = flag(P.ShowFocusRect); break;
        case Prop::Value:
            if ((ok = b != nullptr)) {
                if (P.Mode != 0) P.Value = *b;
                if (P.Mode == 0 || !*b) effects |= kStateNormal;
            }
            break;
        case Prop::TooltipTitle: ok = text(P.TooltipTitle); break;
        case Prop::ToolTip: ok = text(P.ToolTip); break;
        case Prop::TooltipBackColor: ok = colour(P.TooltipBackColor); break;
        case Prop::ToolTipIcon: ok = integer(P.ToolTipIcon); break;
        case Prop::ToolTipType: ok = integer(P.ToolTipType); break;
        case Prop::ColorScheme:
            if ((ok = integer(P.ColorScheme))) ApplyDefaultColours();
            break;
        case Prop::Blink: ok = flag(P.Blink); break;
    }
    if (!ok) return kNone;
    Changed = true;
    return effects;
}

void ButtonModel::ReadProperties(const host::PropertyBag& bag, const FontDesc& hostFont) {
    for (const Persisted& p : kPersisted) {
        std::visit(
            [&](auto member) {
                using T = std::remove_cv_t<std::remove_reference_t<decltype(P.*member)>>;
                auto& field = P.*member;
                if constexpr (std::is_same_v<T, Colour>) {
                    field = static_cast<Colour>(bag.Read<std::int32_t>(p.key, std::get<std::int32_t>(p.readDefault)));
                } else if constexpr (std::is_same_v<T, std::int16_t>) {
                    field = static_cast<T>(bag.ReadRanged(p.key, std::get<std::int32_t>(p.readDefault), -32768, 32767));
                } else if constexpr (std::is_same_v<T, std::uint8_t>) {
                    field = static_cast<T>(bag.ReadRanged(p.key, std::get<std::int32_t>(p.readDefault), 0, 255));
                } else if constexpr (std::is_same_v<T, FontDesc>) {
                    field = bag.Read<FontDesc>(p.key, hostFont);
                } else {
                    field = bag.Read<T>(p.key, std::get<T>(p.readDefault));
                }
            },
            p.member);
    }
}

void ButtonModel::WriteProperties(host::PropertyBag& bag, const FontDesc& hostFont) const {
    for (std::string_view key : kWriteOrder) {
        const Persisted& p = ByKey(key);
        std::visit(
            [&](auto member) {
                using T = std::remove_cv_t<std::remove_reference_t<decltype(P.*member)>>;
                const auto& field = P.*member;
                if constexpr (std::is_same_v<T, Colour> || std::is_same_v<T, std::int16_t> ||
                              std::is_same_v<T, std::uint8_t>) {
                    bag.Write<std::int32_t>(key, static_cast<std::int32_t>(field), std::get<std::int32_t>(p.writeDefault));
                } else if constexpr (std::is_same_v<T, FontDesc>) {
                    bag.Write<FontDesc>(key, field, hostFont);
                } else if constexpr (std::is_same_v<T, std::int32_t>) {
                    if (p.write == Write::Always) {
                        bag.Write<std::int32_t>(key, field, ~field);  // logs the write, then stores it
                    } else {
                        bag.Write<std::int32_t>(key, field, std::get<std::int32_t>(p.writeDefault));
                    }
                } else {
                    bag.Write<T>(key, field, std::get<T>(p.writeDefault));
                }
            },
            p.member);
    }
}

}  // namespace panorel::stylebutton
