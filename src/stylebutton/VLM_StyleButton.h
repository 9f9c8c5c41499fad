#pragma once
// The owner-drawn push, check and option button with fourteen visual styles.
// Its properties and their rules live in the portable ButtonModel; this
// class owns the window, the drawing surface and every GDI object, and turns
// each change into one full redraw.
#include <windows.h>
#include <uxtheme.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "host/ControlSite.h"
#include "host/Handles.h"
#include "stylebutton/ButtonLayout.h"
#include "stylebutton/ButtonModel.h"
#include "stylebutton/ButtonPicture.h"
#include "winsupport/CTimer.h"
#include "winsupport/VLM_memDC.h"

namespace panorel {

using stylebutton::Colour;
using stylebutton::Prop;

class VLM_StyleButton : public host::HostedControl {
public:
    // Places the control on `container` at (left, top), width x height pixels,
    // under the name `name` (the host's display name of the instance).
    VLM_StyleButton(host::ControlContainer& container, const std::wstring& name, int left, int top, int width,
                    int height);
    ~VLM_StyleButton() override;
    VLM_StyleButton(const VLM_StyleButton&) = delete;
    VLM_StyleButton& operator=(const VLM_StyleButton&) = delete;

    // Host lifecycle: a new instance, or one read from / written to a bag.
    void InitProperties();
    void ReadProperties(const host::PropertyBag& bag);
    void WriteProperties(host::PropertyBag& bag) const;
    // Shown and hidden by the host: only one of the two tooltips may show.
    void Show();
    void Hide();

    // Any property by its identifier; false when the value's kind is wrong.
    bool Let(Prop id, const stylebutton::Value& value);
    const stylebutton::ButtonProperties& Props() const noexcept { return model_.P; }

    // The properties the switcher sets by name.
    void Caption(const std::wstring& New_Caption) { Let(Prop::Caption, New_Caption); }
    void ButtonStyle(std::int32_t New_ButtonStyle) { Let(Prop::ButtonStyle, New_ButtonStyle); }
    void BackColor(Colour New_BackColor) { Let(Prop::BackColor, static_cast<std::int32_t>(New_BackColor)); }
    void Font(const host::FontDesc& New_Font) { Let(Prop::Font, New_Font); }
    void Enabled(bool New_Enabled) { Let(Prop::Enabled, New_Enabled); }
    HWND hWnd() const noexcept { return hwnd_; }
    int Left() const noexcept { return left_; }
    int Top() const noexcept { return top_; }
    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    void Move(int left, int top, int width, int height);
    wchar_t AccessKeyChar() const noexcept { return accessKey_; }

    // Loads the drawn picture from the program's resources.
    void picLocation(const std::wstring& path, const std::wstring& ResSection);

    // Events, raised to the host (identifiers in stylebutton::EventTable).
    std::function<void()> Click, DblClick, MouseEnter, MouseLeave;
    std::function<void(std::int16_t Button, std::int16_t Shift, float X, float Y)> MouseDown, MouseUp, MouseMove;
    std::function<void(std::int16_t KeyCode, std::int16_t Shift)> KeyDown, KeyUp;
    std::function<void(std::int16_t KeyAcsii)> KeyPress;

    // The single redraw entry point.
    void Redraw();
    // The drawing surface and the layout of the last content pass.
    HDC hDC() const noexcept { return surface_.hDC(); }
    const stylebutton::ContentLayout& LastLayout() const noexcept { return layout_; }
    host::ControlSite& Site() noexcept { return site_; }

    // What input handling drives (visual state 0 normal, 1 hot, 2 pressed;
    // focus; the parent's activation). Each change redraws. The state read
    // back is the one last drawn: a checked button of most styles draws pressed.
    void VisualState(std::int32_t state);
    std::int32_t VisualState() const noexcept { return drawnState_; }
    void Focus(bool hasFocus, bool parentActive);
    // Whether the theme service is present and active, as cached at start.
    bool ThemesActive() const noexcept { return themesActive_; }
    void ThemesActive(bool active) noexcept { themesActive_ = active && theme_.Loaded(); }

private:
    // The theme service, loaded at run time.
    struct ThemeApi {
        ModuleHandle module;
        BOOL(WINAPI* IsThemeActive)() = nullptr;
        HTHEME(WINAPI* OpenThemeData)(HWND, LPCWSTR) = nullptr;
        HRESULT(WINAPI* CloseThemeData)(HTHEME) = nullptr;
        HRESULT(WINAPI* DrawThemeBackground)(HTHEME, HDC, int, int, const RECT*, const RECT*) = nullptr;
        HRESULT(WINAPI* GetThemeBackgroundRegion)(HTHEME, HDC, int, int, const RECT*, HRGN*) = nullptr;
        bool Loaded() const { return IsThemeActive && OpenThemeData && CloseThemeData && DrawThemeBackground; }
    };

    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
    void Apply(unsigned effects);
    void AfterRead();
    void ResizeHandling();
    void ApplyFont();
    void RefreshSize();
    // The full redraw on the surface; Redraw also shows it in the window.
    void DrawSurface();
    void Present(HDC dc);
    std::int32_t TwipsPerPixel() const noexcept { return site_.Container().TwipsPerPixel(); }

    // Drawing primitives.
    Colour TranslateColor(Colour colour) const;
    void DrawLine(int x1, int y1, int x2, int y2, Colour colour);
    void DrawRectangle(int x, int y, int width, int height, Colour colour);
    void FillRectangle(Colour colour, const RECT& rect);
    void FillRectangle(Colour colour) { FillRectangle(colour, RECT{0, 0, W_, H_}); }
    void DrawCorners(Colour colour);
    void DrawGradient(int x, int y, int width, int height, Colour colour1, Colour colour2, int direction = 1);
    void DrawPicture(int left, int top);
    void DrawCaptionText(const stylebutton::Rect& rect, Colour colour, int dx, int dy);
    void DrawDropDownSymbol(std::int32_t code);
    void DrawEdges(UINT edge);
    void DrawFocus(const RECT& rect);
    void ContentPass(std::int32_t state);
    void RebuildRegion();
    void GiveRegion(RegionHandle region);

    // The styles.
    void DrawClassic(std::int32_t state);
    void DrawGlossy(std::int32_t state);
    void DrawHoney(std::int32_t state);
    void DrawToolbar(std::int32_t state);
    void DrawOrange(std::int32_t state);
    void DrawSilver(std::int32_t state);
    void DrawGold(std::int32_t state);
    void DrawSunrise(std::int32_t state);
    void DrawFlatHover(std::int32_t state);
    void DrawSoft(std::int32_t state);
    void DrawSystemTheme(std::int32_t state);
    // The input model's state and flags, read at every redraw.
    std::int32_t InputLook() const noexcept;
    bool HasFocus() const noexcept;
    bool ParentActive() const noexcept;
    bool FocusShown() const noexcept { return HasFocus() || displayAsDefault_; }
    bool Checked() const noexcept { return model_.P.Mode != 0 && model_.P.Value; }

    stylebutton::ButtonModel model_;
    host::ControlSite site_;
    HWND hwnd_ = nullptr;
    int left_, top_, width_, height_;
    VLM_memDC surface_;
    FontHandle font_;
    Colour surfaceBackColor_;
    ModuleHandle shell_;
    HCURSOR handCursor_ = nullptr;
    ThemeApi theme_;
    bool themesActive_ = false;
    bool unicode_ = true;

    // Input-driven state lives in the input model; the drawing keeps the
    // host's default-button value and the state it drew last.
    std::int32_t drawnState_ = 0;
    bool displayAsDefault_ = false;
    wchar_t accessKey_ = 0;

    // Drawing state.
    int W_ = 0, H_ = 0;
    stylebutton::ContentLayout layout_;
    std::int32_t picW_ = 0, picH_ = 0;
    ButtonPicture image_;
    CTimer timer_;
    bool blinkPhase_ = false;

    // ---- Input, states, pop-up menu, tooltips and blinking (VLM_StyleButtonInput.cpp) ----
public:
    // A left press opens `Menu` instead of raising MouseDown; Align places it
    // (0..7), Flags are the menu's alignment flags. Not a menu: ignored.
    void SetPopupMenu(HMENU Menu, std::int32_t Align = 0, std::int32_t Flags = 0, bool DefaultMenu = false);
    void UnsetPopupMenu();
    // Delivered by the host for the control's access key (Enter or Escape
    // when it is the form's default or cancel button).
    void AccessKeyPress(std::int16_t KeyAscii);
    // The control's own tooltip window (none until the first hot look), and
    // the balloon that blinking shows.
    HWND ToolTipWindow() const noexcept;
    class frmFakeToolTip* FakeToolTip() const noexcept;
    std::uint16_t BlinkTicks() const noexcept;
    bool MouseOver() const noexcept;

private:
    struct InputState;
    struct InputStateDeleter {
        void operator()(InputState* p) const noexcept;
    };
    void StartInput();
    void StopInput() noexcept;
    bool HandleInput(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void EnabledAssigned();
    void PointerChanged();
    void InputStateNormal() noexcept;
    std::unique_ptr<InputState, InputStateDeleter> input_;
};

}  // namespace panorel
