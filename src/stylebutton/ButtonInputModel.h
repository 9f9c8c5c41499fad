#pragma once
// How the styled button answers the mouse, the keyboard, focus and its
// form's activation: the flags, the three visual states and which events are
// raised when. No window here: everything the control must do to the outside
// (redraw, capture, menus, events) goes through ButtonInputHost, so every
// sequence can be replayed natively.
#include <cstdint>

namespace panorel::stylebutton {

constexpr std::int32_t kLookNormal = 0;
constexpr std::int32_t kLookHot = 1;
constexpr std::int32_t kLookPressed = 2;

constexpr std::int16_t kLeftButton = 1;
constexpr std::int16_t kAltShift = 4;
constexpr std::int16_t kKeyEnter = 13;
constexpr std::int16_t kKeyEscape = 27;
constexpr std::int16_t kKeySpace = 32;

// Pop-up menu flags (those of the system's TrackPopupMenu).
constexpr std::int32_t kMenuRightAlign = 8;
constexpr std::int32_t kMenuBottomAlign = 32;

enum class ButtonEvent { Click, DblClick, MouseEnter, MouseLeave, MouseDown, MouseUp, KeyDown, KeyUp, KeyPress };

struct MouseArgs {
    std::int16_t button = 0, shift = 0;
    float x = 0, y = 0;
};

class ButtonInputHost {
public:
    virtual void Redraw() = 0;
    virtual void Raise(ButtonEvent event, const MouseArgs& args) = 0;
    virtual bool Enabled() const = 0;
    virtual std::int32_t Mode() const = 0;
    virtual bool Value() const = 0;
    // Through the public property: redraws, and false returns the state to 0.
    virtual void SetValue(bool value) = 0;
    // Clears every other option button of the same container.
    virtual void ClearGroup() = 0;
    virtual void HandCursor() = 0;
    virtual void TrackLeave() = 0;
    virtual bool CaptureOnControl() const = 0;
    virtual void ReleaseCapture() = 0;
    virtual void TakeCapture() = 0;
    // Shows the modal pop-up menu; returns when it is closed.
    virtual void ShowMenu(std::int32_t flags, float x, float y) = 0;
    virtual bool CursorOverControl() const = 0;
    virtual void RebuildToolTip() = 0;
    virtual void DoEvents() = 0;
    // The control's scale width and height.
    virtual float ScaleWidth() const = 0;
    virtual float ScaleHeight() const = 0;

protected:
    ~ButtonInputHost() = default;
};

// Where the menu opens and with which flags; `show` false for an unknown Align.
struct MenuPlacement {
    bool show;
    float x, y;
    std::int32_t flags;
};
// Applies Align's rule to the stored flags (the change stays in them).
MenuPlacement PlaceMenu(std::int32_t align, float width, float height, std::int32_t& storedFlags);

// What a blink tick asks of the tooltip.
enum class BlinkTip { None, Show, Hide };

class ButtonInputModel {
public:
    explicit ButtonInputModel(ButtonInputHost& host) : host_(host) {}

    void MouseMove(bool overControl, bool handPointer);
    void MouseLeave();
    void MouseDown(const MouseArgs& args, bool handPointer);
    void MouseUp(const MouseArgs& args, bool handPointer);
    void DblClick(bool handPointer);
    void KeyDown(std::int16_t keyCode, std::int16_t shift);
    void KeyUp(std::int16_t keyCode, std::int16_t shift);
    void KeyPress(std::int16_t keyAscii);
    void AccessKeyPress(std::int16_t keyAscii);
    void GotFocus() { hasFocus_ = true; }
    void LostFocus(bool displayAsDefault);
    void Activation(bool activated, bool displayAsDefault);

    void SetPopupMenu(std::int32_t align, std::int32_t flags);
    void UnsetPopupMenu();

    // Blinking: restarted or stopped when Enabled is assigned.
    void ResetBlink() noexcept;
    BlinkTip BlinkTick(bool tipVisible, bool ownerActive) noexcept;
    std::uint16_t BlinkTicks() const noexcept { return ticks_; }

    std::int32_t State() const noexcept { return state_; }
    // The state the drawing side forces (Mode set to 0, Value set false).
    void State(std::int32_t state) noexcept { state_ = state; }
    // Focus and activation as a caller draws them without input (a gallery).
    void Focus(bool hasFocus, bool parentActive) noexcept {
        hasFocus_ = hasFocus;
        parentActive_ = parentActive;
    }
    bool MouseOver() const noexcept { return mouseOver_; }
    bool LeftHeld() const noexcept { return leftHeld_; }
    bool SpaceHeld() const noexcept { return spaceHeld_; }
    bool HasFocus() const noexcept { return hasFocus_; }
    bool ParentActive() const noexcept { return parentActive_; }
    bool PopupAttached() const noexcept { return popupAttached_; }
    bool PopupJustClosed() const noexcept { return popupJustClosed_; }
    bool PopupShowing() const noexcept { return popupShowing_; }
    std::int32_t MenuFlags() const noexcept { return menuFlags_; }

private:
    void To(std::int32_t state);  // redraws only on a change
    void ShowPopup();
    void PressValue();
    void Raise(ButtonEvent event, const MouseArgs& args = {}) { host_.Raise(event, args); }

    ButtonInputHost& host_;
    std::int32_t state_ = kLookNormal;
    bool mouseOver_ = false, leftHeld_ = false, spaceHeld_ = false, hasFocus_ = false, parentActive_ = true;
    bool popupAttached_ = false, popupJustClosed_ = false, popupShowing_ = false;
    MouseArgs down_;
    std::int32_t menuAlign_ = 0, menuFlags_ = 0;
    std::uint16_t ticks_ = 0;
    bool tipDone_ = false;
};

}  // namespace panorel::stylebutton
