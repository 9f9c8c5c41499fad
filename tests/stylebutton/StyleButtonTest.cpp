// The styled button drawn under Wine into its own memory DC at 201 x 41.
#include <gtest/gtest.h>
#include <olectl.h>

#include <climits>
#include <memory>
#include <set>
#include <string>

#include "WinTestSupport.h"
#include "stylebutton/VLM_StyleButton.h"

namespace panorel::test {
namespace {

using namespace stylebutton;

constexpr int W = 201, H = 41;
constexpr Colour kWhite = 0xFFFFFF;

Colour X(Colour c) {
    COLORREF out = 0;
    return ::OleTranslateColor(c, nullptr, &out) == S_OK ? out : 0xFFFFFFFFu;
}
Colour S(Colour c, float a) { return ShiftColor(c, a); }
Colour Sys(int index) { return ::GetSysColor(index); }
// Entry i of a vertical gradient of height n.
Colour Ramp(Colour from, Colour to, int n, int i) { return GradientRamp(1, n, from, to, 1)[i]; }

// An MDI frame's client with one child form.
struct MdiForm {
    HWND frame, client, child = nullptr;
    MdiForm() {
        frame = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 100, nullptr, nullptr, nullptr, nullptr);
        CLIENTCREATESTRUCT ccs{nullptr, 1};
        client = ::CreateWindowExW(0, L"MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 400, 100, frame, nullptr,
                                   nullptr, &ccs);
        MDICREATESTRUCTW mcs{RegisterTestClass(L"TestMdiChild", ::DefMDIChildProcW), L"child",
                             ::GetModuleHandleW(nullptr), 0, 0, 300, 80, 0, 0};
        child = reinterpret_cast<HWND>(::SendMessageW(client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
    }
    ~MdiForm() { ::DestroyWindow(frame); }
};

// Visual inputs of one drawing: state, enabled, focus.
enum class Look { Normal, Hot, Pressed, Disabled, Focused };

struct Probe { int x, y; Colour colour; };

class StyleButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        container = std::make_unique<host::ControlContainer>(parent.get());
        button = std::make_unique<VLM_StyleButton>(*container, L"cmdTest", 0, 0, W, H);
        button->InitProperties();
        button->Caption(L"");
    }
    void Draw(std::int32_t style, Look look) {
        pixels.clear();
        button->ButtonStyle(style);
        button->Enabled(look != Look::Disabled);
        button->Focus(look == Look::Focused, true);
        button->VisualState(look == Look::Hot ? 1 : look == Look::Pressed ? 2 : 0);
    }
    // Pixel reads go through one copy of the surface: GetPixel is slow under Wine.
    Colour At(int x, int y) {
        if (pixels.empty()) pixels = DcBits(button->hDC(), W, H);
        const std::uint32_t p = DibPixel(pixels, W, H, x, y);
        return ((p & 0xFF) << 16) | (p & 0xFF00) | (p >> 16);  // as 0x00BBGGRR
    }
    Colour b() const { return X(button->Props().BackColor); }
    bool InRegion(int x, int y) const {
        RegionHandle rgn(::CreateRectRgn(0, 0, 0, 0));
        if (::GetWindowRgn(button->hWnd(), rgn.get()) == ERROR) return false;
        return ::PtInRegion(rgn.get(), x, y) != FALSE;
    }

    WindowHandle parent{
        ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 100, nullptr, nullptr, nullptr, nullptr)};
    std::unique_ptr<host::ControlContainer> container;
    std::unique_ptr<VLM_StyleButton> button;
    std::string pixels;
};

TEST_F(StyleButtonTest, CharacteristicPixelsOfEveryStyleAndState) {
    struct Row {
        std::int32_t style;
        Look look;
        std::function<std::vector<Probe>(Colour b)> probes;
    };
    const Colour face = Sys(COLOR_BTNFACE);
    const Row rows[] = {
        {0, Look::Normal, [&](Colour) { return std::vector<Probe>{{0, 0, Sys(COLOR_3DLIGHT)}, {200, 40, Sys(COLOR_3DDKSHADOW)}, {100, 20, face}}; }},
        {0, Look::Pressed, [&](Colour) { return std::vector<Probe>{{0, 0, 0}, {1, 1, X(0x99A8AC)}, {100, 20, face}}; }},
        {0, Look::Focused, [&](Colour) { return std::vector<Probe>{{200, 40, 0}, {100, 0, 0}, {199, 39, X(0x8000000C)}}; }},
        {1, Look::Normal, [&](Colour) { return std::vector<Probe>{{0, 0, Sys(COLOR_3DHILIGHT)}, {200, 40, Sys(COLOR_3DSHADOW)}}; }},
        {1, Look::Pressed, [&](Colour) { return std::vector<Probe>{{0, 0, X(0x80000011)}, {200, 40, kWhite}}; }},
        {11, Look::Normal, [&](Colour) { return std::vector<Probe>{{0, 0, face}, {200, 40, face}}; }},
        {11, Look::Hot, [&](Colour) { return std::vector<Probe>{{0, 0, Sys(COLOR_3DLIGHT)}, {200, 40, Sys(COLOR_3DDKSHADOW)}}; }},
        {11, Look::Pressed, [&](Colour) { return std::vector<Probe>{{0, 0, Sys(COLOR_3DSHADOW)}, {200, 40, Sys(COLOR_3DHILIGHT)}}; }},
        {12, Look::Hot, [&](Colour) { return std::vector<Probe>{{0, 0, Sys(COLOR_3DHILIGHT)}}; }},
        {2, Look::Normal, [&](Colour b) { return std::vector<Probe>{
            {100, 0, X(0x743C00)}, {1, 1, S(X(0x743C00), 0.3f)}, {100, 20, Ramp(S(b, 0.07f), b, H, 20)},
            {100, 2, Ramp(S(b, 0.1f), S(b, 0.08f), 4, 2)}, {100, 39, S(b, -0.09f)}, {100, 38, S(b, -0.05f)},
            {1, 20, MixColors(kWhite, b)}, {199, 20, S(b, -0.08f)}}; }},
        {2, Look::Hot, [&](Colour) { return std::vector<Probe>{{100, 1, 0xCFF0FF}, {100, 2, 0x89D8FD}, {100, 39, 0x0097E5}, {1, 20, 0x49BDF9}}; }},
        {2, Look::Pressed, [&](Colour b) { return std::vector<Probe>{{100, 20, S(b, -0.05f)}, {100, 1, S(b, -0.16f)}, {199, 20, S(b, 0.04f)}}; }},
        {2, Look::Disabled, [&](Colour b) { return std::vector<Probe>{{100, 20, MixColors(face, S(b, 0.1f))}, {100, 0, S(b, -0.1f)}}; }},
        {2, Look::Focused, [&](Colour) { return std::vector<Probe>{{100, 1, 0xFFE7CE}, {100, 39, 0xEE8269}, {100, 0, X(0x743C00)}}; }},
        {3, Look::Normal, [&](Colour) { return std::vector<Probe>{{100, 0, X(0x707070)}, {100, 1, kWhite}, {1, 1, X(0xBE965F)}}; }},
        {3, Look::Hot, [&](Colour) { return std::vector<Probe>{{100, 0, X(0xA77532)}, {100, 1, kWhite}}; }},
        {3, Look::Pressed, [&](Colour) { return std::vector<Probe>{{100, 0, X(0x5C411D)}, {100, 2, 0xD6C6A9}, {100, 30, 0xF0D29A}, {1, 10, S(0xE6C891, 0.02f)}}; }},
        {3, Look::Disabled, [&](Colour b) { return std::vector<Probe>{{100, 0, S(b, -0.25f)}, {100, 1, S(b, 0.25f)}, {100, 20, S(b, 0.03f)}}; }},
        {3, Look::Focused, [&](Colour) { return std::vector<Probe>{{100, 0, X(0xA77532)}, {100, 1, X(0xFBD848)}}; }},
        {4, Look::Normal, [&](Colour b) { return std::vector<Probe>{{100, 0, S(b, -0.2f)}, {100, 40, S(b, -0.25f)}, {100, 1, kWhite}, {100, 10, Ramp(kWhite, b, 20, 10)}, {1, 1, S(b, 0.05f)}}; }},
        {4, Look::Pressed, [&](Colour b) { return std::vector<Probe>{{100, 0, S(b, -0.23f)}, {100, 40, S(b, -0.4f)}}; }},
        {4, Look::Disabled, [&](Colour b) { return std::vector<Probe>{{100, 0, S(b, -0.2f)}}; }},
        {5, Look::Normal, [&](Colour b) { return std::vector<Probe>{{100, 0, MixColors(kWhite, S(b, 0.08f))}, {100, 22, b}}; }},
        {5, Look::Hot, [&](Colour) { return std::vector<Probe>{{100, 0, X(0x800000)}, {100, 20, Ramp(X(0xCCF4FF), X(0x91D0FF), H, 20)}}; }},
        {5, Look::Pressed, [&](Colour) { return std::vector<Probe>{{100, 0, X(0x800000)}, {100, 20, Ramp(X(0x4E91FE), X(0x8ED3FF), H, 20)}}; }},
        {6, Look::Normal, [&](Colour b) { return std::vector<Probe>{{100, 0, b}, {100, 20, b}}; }},
        {6, Look::Hot, [&](Colour) { return std::vector<Probe>{{100, 0, X(0xC3CECE)}, {100, 39, X(0xC6D2D7)}, {1, 1, S(X(0xC9D4D4), -0.2f)}}; }},
        {6, Look::Pressed, [&](Colour) { return std::vector<Probe>{{100, 0, X(0x929D9D)}, {100, 20, X(0xDDE4E5)}}; }},
        {7, Look::Normal, [&](Colour b) { return std::vector<Probe>{{100, 0, b}, {1, 1, b}}; }},
        {7, Look::Hot, [&](Colour) { return std::vector<Probe>{{100, 0, X(0xCA9E61)}, {100, 1, kWhite}, {100, 30, X(0xF8ECD0)}, {1, 1, S(X(0xCA9E61), 0.3f)}}; }},
        {7, Look::Pressed, [&](Colour) { return std::vector<Probe>{{100, 0, X(0xCA9E61)}, {100, 2, Ramp(X(0xF1DEB0), X(0xF9F1DB), H - 2, 1)}}; }},
        {8, Look::Normal, [&](Colour b) { return std::vector<Probe>{{100, 0, MixColors(S(b, 0.09f), kWhite)}, {100, 15, b}}; }},
        {8, Look::Hot, [&](Colour b) { return std::vector<Probe>{{100, 0, S(b, -0.34f)}, {100, 1, Ramp(X(0xE1FFFF), X(0xACEAFF), 15, 1)}}; }},
        {8, Look::Pressed, [&](Colour b) { return std::vector<Probe>{{100, 0, S(b, -0.34f)}, {100, 15, X(0x468FFF)}}; }},
        {9, Look::Normal, [&](Colour b) { return std::vector<Probe>{{100, 0, b}, {100, 20, b}}; }},
        {9, Look::Hot, [&](Colour) { return std::vector<Probe>{{100, 0, 0xBFB4B2}, {100, 20, S(0xE3DFE0, 0.03f)}}; }},
        {9, Look::Pressed, [&](Colour) { return std::vector<Probe>{{100, 0, 0xBFB4B2}, {100, 20, S(0xE3DFE0, -0.08f)}}; }},
        {10, Look::Normal, [&](Colour b) { return std::vector<Probe>{{100, 0, S(b, -0.33f)}, {100, 5, S(b, -0.03f)}, {1, 1, S(b, -0.36f)}, {100, 3, Ramp(S(MixColors(b, kWhite), 0.1f), b, 5, 3)}, {100, 6, S(b, -0.05f)}}; }},
        {10, Look::Hot, [&](Colour b) { return std::vector<Probe>{{100, 0, S(b, -0.28f)}, {100, 6, S(b, -0.05f)}}; }},
        {10, Look::Pressed, [&](Colour b) { return std::vector<Probe>{{100, 0, S(b, -0.36f)}, {100, 6, S(b, -0.08f)}}; }},
        {10, Look::Disabled, [&](Colour b) { return std::vector<Probe>{{100, 0, S(b, -0.2f)}, {100, 5, b}, {1, 1, S(b, -0.23f)}}; }},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "style " << r.style << " look " << static_cast<int>(r.look));
        Draw(r.style, r.look);
        for (const Probe& p : r.probes(b())) EXPECT_EQ(At(p.x, p.y), p.colour) << "at (" << p.x << ", " << p.y << ")";
        // The rounded styles cut their window's corners.
        const bool rounded =
            r.style == 2 || r.style == 3 || r.style == 6 || r.style == 7 || r.style == 9 || r.style == 10;
        EXPECT_EQ(InRegion(0, 0), !rounded);
        EXPECT_TRUE(InRegion(100, 0) && InRegion(0, 20) && InRegion(100, 20));
        EXPECT_EQ(InRegion(200, 40), !rounded);
    }
}

// Style 0's default frame: while the host says "display as default" (through the
// control's own ambient handler) and, once focus comes without a click as the
// keyboard gives it, in every later redraw, whatever starts it.
TEST_F(StyleButtonTest, DefaultFrameFollowsTheAmbientAndAKeyboardFocus) {
    const std::pair<const char*, std::function<void()>> redraws[] = {
        {"caption", [&] { button->Caption(L"x"); }},
        {"ambient colour", [&] { container->SetBackColor(0x80000000u | COLOR_WINDOW); }},
        {"resize", [&] { button->Move(0, 0, W, H); }},
        {"picture", [&] { button->picLocation(L"BUTTONPIC", L"PICTURE"); }},
        {"paint", [&] {
             FillRectangle(button->hDC(), 0, 0, W, H, RGB(255, 0, 255));
             ::SendMessageW(button->hWnd(), WM_PAINT, 0, 0);
         }},
    };
    Draw(0, Look::Normal);
    for (const bool isDefault : {true, false, true, false}) {
        button->Site().SetDisplayAsDefault(isDefault);
        pixels.clear();
        EXPECT_EQ(At(199, 39) == X(0x8000000C), isDefault) << isDefault;
    }
    ::SendMessageW(button->hWnd(), WM_SETFOCUS, 0, 0);
    for (const auto& [what, redraw] : redraws) {
        redraw();
        pixels.clear();
        EXPECT_EQ(At(100, 0), 0u) << what;
        EXPECT_EQ(At(199, 39), X(0x8000000C)) << what;
    }
}

// Only the form's own activation message counts: WM_ACTIVATE for a form,
// WM_NCACTIVATE for an MDI child; a deactivation while minimized is one.
TEST_F(StyleButtonTest, ParentActivationDropsTheFocusLook) {
    struct Row { bool mdi; UINT msg; WPARAM wParam; bool kept; };
    const Row rows[] = {{false, WM_NCACTIVATE, FALSE, true},
                        {false, WM_ACTIVATE, WA_INACTIVE, false},
                        {false, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1), false},
                        {true, WM_ACTIVATE, WA_INACTIVE, true},
                        {true, WM_NCACTIVATE, FALSE, false}};
    MdiForm mdi;
    host::ControlContainer inMdi(mdi.child);
    VLM_StyleButton mdiButton(inMdi, L"cmdMdi", 0, 0, W, H);
    mdiButton.InitProperties();
    for (const Row& r : rows) {
        VLM_StyleButton& b = r.mdi ? mdiButton : *button;
        const HWND form = r.mdi ? mdi.child : parent.get();
        b.ButtonStyle(0);
        ::SendMessageW(b.hWnd(), WM_SETFOCUS, 0, 0);
        ::SendMessageW(form, r.msg, r.wParam, 0);
        b.Redraw();
        EXPECT_EQ(::GetPixel(b.hDC(), 100, 0) == 0, r.kept) << r.mdi << " " << r.msg << " " << r.wParam;
        ::SendMessageW(form, r.mdi ? WM_NCACTIVATE : WM_ACTIVATE, TRUE, 0);
    }
}

TEST_F(StyleButtonTest, SystemThemeAndItsFallback) {
    ASSERT_TRUE(button->ThemesActive()) << "Wine's themes are on";
    std::set<Colour> edges;
    for (Look look : {Look::Normal, Look::Hot, Look::Pressed}) {
        Draw(13, look);
        edges.insert(At(0, 20));
    }
    EXPECT_EQ(edges.size(), 3u) << "the theme draws its edge differently in each state";

    button->Let(Prop::ColorScheme, 1);
    button->ThemesActive(false);
    button->VisualState(0);
    pixels.clear();
    EXPECT_EQ(button->Props().ButtonStyle, 2);
    EXPECT_EQ(button->Props().ColorScheme, 0);
    EXPECT_EQ(button->Props().BackColor, 0xE7EBECu);
    EXPECT_EQ(At(100, 0), X(0x743C00));
    EXPECT_FALSE(InRegion(0, 0));
}

// (The captions' ink is PanelDpi.TheBarGrowsWithTheScalingAndBothCaptionsStayWhole's.)
TEST_F(StyleButtonTest, DropDownSymbolAndSeparatorAreDrawn) {
    Draw(9, Look::Normal);
    button->Let(Prop::DropDownSymbol, 6);
    button->Let(Prop::DropDownSeparator, true);
    pixels.clear();
    EXPECT_EQ(At(W - 16, 5), S(b(), -0.1f));
    EXPECT_EQ(At(W - 15, 5), S(b(), 0.1f));

    // Only the first digit is drawn: 16 shows Marlett's "1", as 1 does.
    auto symbol = [&](std::int32_t code) {
        button->Let(Prop::DropDownSymbol, code);
        return DcBits(button->hDC(), W, H);
    };
    EXPECT_EQ(FirstDifference(symbol(16), symbol(1)), "equal");
    EXPECT_NE(FirstDifference(symbol(16), symbol(6)), "equal");
}

TEST_F(StyleButtonTest, BadValuesDrawWhatTheyCanAndLeakNothing) {
    const long before = GdiLive();
    const std::wstring longCaption(10000, L'W');
    struct Bad { Prop id; stylebutton::Value value; };
    const Bad bad[] = {
        {Prop::ButtonStyle, -1},  {Prop::ButtonStyle, 14},           {Prop::ButtonStyle, INT_MAX},
        {Prop::PictureAlign, 9},  {Prop::CaptionAlign, -1},          {Prop::BackColor, static_cast<std::int32_t>(0x800000FF)},
        {Prop::ForeColor, static_cast<std::int32_t>(0x80001234)},    {Prop::DropDownSymbol, 1000000},
        {Prop::Caption, std::wstring()}, {Prop::Caption, longCaption}, {Prop::DropDownSymbol, INT_MIN},
        {Prop::CaptionEffects, 5}, {Prop::ColorScheme, -7},          {Prop::Font, host::FontDesc{std::wstring(300, L'x'), 1e-3}},
    };
    for (const Bad& v : bad) {
        for (std::int32_t style : {-1, 0, 2, 9, 13, 14}) {
            button->Let(Prop::ButtonStyle, style);
            button->Let(v.id, v.value);
            for (Look look : {Look::Normal, Look::Hot, Look::Pressed, Look::Disabled, Look::Focused}) {
                button->Enabled(look != Look::Disabled);
                button->VisualState(look == Look::Hot ? 1 : look == Look::Pressed ? 2 : 0);
            }
        }
    }
    // A style that does not exist leaves the cleared surface.
    button->Let(Prop::ButtonStyle, 14);
    button->Enabled(true);
    button->Caption(L"");
    pixels.clear();
    EXPECT_EQ(At(0, 0), X(kButtonFace));
    EXPECT_EQ(GdiLive(), before);
    button.reset();
    EXPECT_EQ(GdiLive(), before - 3) << "the surface's DC and bitmap and the font went with the button";
}

// Read back, a saved control draws what it saved.
TEST_F(StyleButtonTest, SavedStateReachesTheDrawing) {
    button->Caption(L"&Start");
    button->ButtonStyle(10);
    button->BackColor(0xFFD0AD);
    host::PropertyBag bag;
    button->WriteProperties(bag);
    VLM_StyleButton again(*container, L"cmdAgain", 0, 50, W, H);
    again.ReadProperties(host::PropertyBag::Load(bag.Save()));
    EXPECT_EQ(again.AccessKeyChar(), L's');
    EXPECT_EQ(::GetPixel(again.hDC(), 100, 0), S(0xFFD0AD, -0.33f));
}

}  // namespace
}  // namespace panorel::test
