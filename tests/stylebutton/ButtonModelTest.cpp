#include "stylebutton/ButtonModel.h"

#include <gtest/gtest.h>

namespace panorel::stylebutton {
namespace {

const FontDesc kHostFont{L"MS Sans Serif", 8.25};
constexpr std::int32_t I(Colour c) { return static_cast<std::int32_t>(c); }

// A new instance, and one read from an empty bag or from a bag of values of
// the wrong kind or range, which read as missing.
TEST(ButtonModel, DefaultsOfANewInstanceAndOfABagWithoutUsableValues) {
    host::PropertyBag empty, wrongKinds;
    wrongKinds.Put("ButtonStyle", std::wstring(L"5"));
    wrongKinds.Put("Caption", std::int32_t{3});
    wrongKinds.Put("PictureOpacity", std::int32_t{256});
    wrongKinds.Put("MousePointer", std::int32_t{40000});
    wrongKinds.Put("Font", true);
    ButtonModel fresh, read, wrong;
    fresh.InitNew(L"cmdOk", kHostFont);
    read.ReadProperties(empty, kHostFont);
    wrong.ReadProperties(wrongKinds, kHostFont);
    struct Row { const char* what; const ButtonProperties& p; std::int32_t style; const wchar_t* caption; FontDesc font;
                 Colour back, foreHover, tipBack; std::int32_t effectOnOver, effectOnDown; } const rows[] = {
        {"new", fresh.P, 13, L"cmdOk", {L"Tahoma", 8.25}, 0, 0, 0, 0, 0},
        {"empty bag", read.P, 1, L"stylebutton", kHostFont, kButtonFace, kButtonText, kInfoBackground, 1, 2},
        {"wrong kinds", wrong.P, 1, L"stylebutton", kHostFont, kButtonFace, kButtonText, kInfoBackground, 1, 2},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(r.p.ButtonStyle, r.style);
        EXPECT_EQ(r.p.Caption, r.caption);
        EXPECT_EQ(r.p.Font, r.font);
        EXPECT_EQ(r.p.BackColor, r.back);
        EXPECT_EQ(r.p.ForeColorHover, r.foreHover);
        EXPECT_EQ(r.p.TooltipBackColor, r.tipBack);
        EXPECT_EQ(r.p.PictureEffectOnOver, r.effectOnOver);
        EXPECT_EQ(r.p.PictureEffectOnDown, r.effectOnDown);
        EXPECT_EQ(r.p.ForeColor, kButtonText);
        EXPECT_EQ(r.p.ColorScheme, 0);
        EXPECT_FALSE(r.p.ShowFocusRect);  // style 13's default, and the bag's
        EXPECT_EQ(r.p.PictureOpacity, 255);
        EXPECT_EQ(r.p.MousePointer, 0);
        EXPECT_EQ(r.p.MaskColor, 0xE0E0E0u);
        EXPECT_TRUE(r.p.UseMaskColor && r.p.Enabled);
    }
    const auto& order = ReadOrder();
    EXPECT_EQ(empty.ReadLog(), std::vector<std::string>(order.begin(), order.end()));
    EXPECT_EQ(order.front(), "ButtonStyle");
    EXPECT_EQ(order.back(), "ColorScheme");
}

TEST(ButtonModel, SaveWritesOnlyWhatDiffersInWriteOrder) {
    ButtonModel m;
    m.ReadProperties(host::PropertyBag{}, kHostFont);
    m.P.Caption = L"stylebutton1";  // the write default, unlike the read default
    host::PropertyBag bag;
    m.WriteProperties(bag, kHostFont);
    const auto& order = WriteOrder();
    EXPECT_EQ(bag.WriteLog(), std::vector<std::string>(order.begin(), order.end()));
    // Only CaptionEffects, which is always written.
    ASSERT_EQ(bag.Size(), 1u);
    EXPECT_EQ(bag.Entries()[0].first, "CaptionEffects");

    // Saved and reloaded, a changed instance comes back whole.
    m.InitNew(L"x", kHostFont);
    m.Set(Prop::Caption, std::wstring(L"&Save"));
    m.Set(Prop::BackColor, I(0x123456));
    m.Set(Prop::PictureNormal, PictureBytes{7, 7});
    m.Set(Prop::PictureOpacity, 128);
    m.Set(Prop::Mode, 1);
    m.Set(Prop::Value, true);
    m.Set(Prop::MousePointer, -3);
    host::PropertyBag saved;
    m.WriteProperties(saved, kHostFont);
    ButtonModel back;
    back.ReadProperties(host::PropertyBag::Load(saved.Save()), kHostFont);
    host::PropertyBag again;
    back.WriteProperties(again, kHostFont);
    EXPECT_EQ(again.Save(), saved.Save());
    EXPECT_EQ(back.P.Caption, L"&Save");
    EXPECT_EQ(back.P.PictureOpacity, 128);
    EXPECT_EQ(back.P.MousePointer, -3);
    EXPECT_TRUE(back.P.Value);
}

TEST(ButtonModel, DefaultColoursPerStyleAndScheme) {
    struct Row { std::int32_t style; Colour s0, s1, s2; };
    const Row rows[] = {
        {0, kButtonFace, kButtonFace, kButtonFace}, {12, kButtonFace, kButtonFace, kButtonFace},
        {2, 0xE7EBEC, 0xDBEEF3, 0xFCF1F0},          {3, 0xFDECE0, 0xDEEDE8, 0xE3E3E3},
        {5, 0xFCE1CA, 0xBAD6D4, 0xE0C4C6},          {8, 0xFFD1AD, 0xBAD6D4, 0xE3DFE0},
        {10, 0xFFD1AD, 0xBAD6D4, 0xE3DFE0},         {9, 0xFFD1AD, 0xBAD6D4, 0xE1D6D5},
    };
    for (const Row& r : rows) {
        const Colour perScheme[] = {r.s0, r.s1, r.s2, 1};  // the custom scheme keeps the colour
        for (std::int32_t scheme = 0; scheme < 4; ++scheme)
            EXPECT_EQ(DefaultBackColor(r.style, scheme, 1), perScheme[scheme]) << r.style << " " << scheme;
    }
    for (std::int32_t style : {13, -1, 14, 0x7FFFFFFF}) EXPECT_EQ(DefaultBackColor(style, 0, 1), 1u);
}

TEST(ButtonModel, StyleChangeBringsSchemeFocusRectAndPushOnHover) {
    struct Row { std::int32_t style, scheme; bool focusRect, pushOnHover; };
    for (const Row& r : {Row{0, 0, true, false}, Row{1, 0, true, false}, Row{9, 2, true, false},
                         Row{3, 2, false, false}, Row{10, 0, false, false}, Row{5, 1, false, false},
                         Row{13, 1, false, false}, Row{4, 0, false, true}}) {
        ButtonModel m;
        m.P.ColorScheme = 1;
        const unsigned effects = m.Set(Prop::ButtonStyle, r.style);
        EXPECT_EQ(m.P.ColorScheme, r.scheme) << r.style;
        EXPECT_EQ(m.P.ShowFocusRect, r.focusRect) << r.style;
        EXPECT_EQ(m.P.PicturePushOnHover, r.pushOnHover) << r.style;
        EXPECT_EQ(effects & (kRegion | kRedraw), kRegion | kRedraw);
    }
}

TEST(ButtonModel, PropertyRules) {
    ButtonModel m;
    m.InitNew(L"b", kHostFont);
    m.Set(Prop::ButtonStyle, 2);
    // BackColor makes the scheme custom, except on the toolbar style.
    m.Set(Prop::BackColor, I(0x112233));
    EXPECT_EQ(m.P.ColorScheme, kCustomScheme);
    m.Set(Prop::ColorScheme, kCustomScheme);
    m.Set(Prop::ButtonStyle, 5);  // keeps the scheme, and the custom colour with it
    EXPECT_EQ(m.P.BackColor, 0x112233u);
    m.Set(Prop::ButtonStyle, 4);
    m.Set(Prop::BackColor, I(0x445566));
    EXPECT_EQ(m.P.ColorScheme, 0);

    // Hot and down pictures fill an empty normal picture; clearing it clears all three.
    EXPECT_EQ(m.Set(Prop::PictureHot, PictureBytes{1}), unsigned{kRedraw});
    EXPECT_EQ(m.P.PictureNormal, PictureBytes{1});
    EXPECT_TRUE(m.P.PictureHot.empty());
    m.Set(Prop::PictureHot, PictureBytes{2});
    m.Set(Prop::PictureDown, PictureBytes{3});
    EXPECT_EQ(m.P.PictureHot, PictureBytes{2});
    EXPECT_TRUE(m.Set(Prop::PictureNormal, PictureBytes{}) & kResize);
    EXPECT_TRUE(m.P.PictureHot.empty() && m.P.PictureDown.empty());

    // Value is not kept by a push button.
    EXPECT_TRUE(m.Set(Prop::Value, true) & kStateNormal);
    EXPECT_FALSE(m.P.Value);
    m.Set(Prop::Mode, 1);
    m.Set(Prop::Value, true);
    EXPECT_TRUE(m.P.Value);

    // Wrong kinds and out-of-range bytes are refused.
    EXPECT_EQ(m.Set(Prop::Caption, 5), unsigned{kNone});
    EXPECT_EQ(m.Set(Prop::PictureOpacity, 256), unsigned{kNone});
    EXPECT_EQ(m.Set(Prop::MouseIcon, PictureBytes{1}), unsigned{kPointer});
    EXPECT_EQ(m.P.MousePointer, 99);

    // The hand pointer takes the pointer over: nothing of the hourglass stays or is saved.
    m.Set(Prop::MousePointer, 11);
    m.Set(Prop::HandPointer, true);
    m.Set(Prop::HandPointer, false);
    EXPECT_EQ(m.P.MousePointer, 0);
    host::PropertyBag bag;
    m.WriteProperties(bag, kHostFont);
    EXPECT_FALSE(bag.Contains("MousePointer"));
}

TEST(ButtonModel, AccessKeys) {
    const std::pair<const wchar_t*, wchar_t> keys[] = {
        {L"&Save", L's'}, {L"Sa&Ve", L'v'}, {L"A && &B", L'b'}, {L"&&x", 0}, {L"&", 0},
        {L"x&", 0},       {L"none", 0},     {L"", 0},           {L"&&&Q", L'q'},
    };
    for (const auto& [caption, key] : keys) EXPECT_EQ(AccessKey(caption), key) << std::wstring(caption).size();
}

}  // namespace
}  // namespace panorel::stylebutton
