#include "stylebutton/ButtonInputModel.h"

namespace panorel::stylebutton {

MenuPlacement PlaceMenu(std::int32_t align, float width, float height, std::int32_t& storedFlags) {
    switch (align) {
        case 0: return {true, 0, height, storedFlags};
        case 1: storedFlags = kMenuBottomAlign; return {true, 0, 0, storedFlags};
        case 2: storedFlags |= kMenuRightAlign; return {true, 0, 0, storedFlags};
        case 3: return {true, width, 0, storedFlags};
        case 4: storedFlags = kMenuBottomAlign | kMenuRightAlign; return {true, 0, 0, storedFlags};
        case 5: storedFlags |= kMenuRightAlign; return {true, 0, height, storedFlags};
        case 6: storedFlags = kMenuBottomAlign; return {true, width, 0, storedFlags};
        case 7: return {true, width, height, storedFlags};
        default: return {false, 0, 0, storedFlags};
    }
}

void ButtonInputModel::To(std::int32_t state) {
    if (state_ == state) return;
    state_ = state;
    host_.Redraw();
}

void ButtonInputModel::MouseMove(bool overControl, bool handPointer) {
    if (handPointer) host_.HandCursor();
    mouseOver_ = overControl;
    if (overControl) {
        host_.TrackLeave();
        Raise(ButtonEvent::MouseEnter);
    }
    if (spaceHeld_) return;
    if (!mouseOver_) {
        To(kLookNormal);
    } else if (leftHeld_) {
        To(kLookPressed);
    } else if (state_ != kLookHot) {
        state_ = kLookHot;
        host_.Redraw();
        if (host_.Enabled() && !popupJustClosed_ && state_ != kLookPressed) host_.RebuildToolTip();
    }
}

void ButtonInputModel::MouseLeave() {
    mouseOver_ = false;
    if (popupAttached_) {
        if (popupShowing_) {
            // The menu took the mouse: whatever click closes it must not reopen it.
            popupShowing_ = false;
            popupJustClosed_ = true;
            return;
        }
        popupJustClosed_ = false;
    }
    if (spaceHeld_) return;
    To(kLookNormal);
    Raise(ButtonEvent::MouseLeave);
}

void ButtonInputModel::MouseDown(const MouseArgs& args, bool handPointer) {
    down_ = args;
    if (handPointer) host_.HandCursor();
    if (args.button != kLeftButton && !popupJustClosed_) return;
    hasFocus_ = true;
    leftHeld_ = true;
    if (!spaceHeld_) To(kLookPressed);
    if (!popupAttached_)
        Raise(ButtonEvent::MouseDown, args);
    else if (!popupJustClosed_)
        ShowPopup();
}

void ButtonInputModel::PressValue() {
    if (host_.Mode() == 1) {
        host_.SetValue(!host_.Value());
    } else if (host_.Mode() == 2) {
        host_.ClearGroup();
        host_.SetValue(true);
    }
}

void ButtonInputModel::MouseUp(const MouseArgs& args, bool handPointer) {
    if (handPointer) host_.HandCursor();
    if (popupAttached_) {
        leftHeld_ = false;
        popupJustClosed_ = false;
        state_ = kLookNormal;
        host_.Redraw();
        return;
    }
    if (args.button == kLeftButton) {
        leftHeld_ = false;
        if (args.x > 0 && args.x < host_.ScaleWidth() && args.y > 0 && args.y < host_.ScaleHeight()) {
            if (host_.Mode() == 1) {
                host_.SetValue(!host_.Value());
                host_.Redraw();
            } else if (host_.Mode() == 2) {
                host_.ClearGroup();
                host_.SetValue(true);
            }
            state_ = kLookNormal;
            host_.Redraw();
            Raise(ButtonEvent::Click);
        }
    }
    Raise(ButtonEvent::MouseUp, args);
}

void ButtonInputModel::DblClick(bool handPointer) {
    if (handPointer) host_.HandCursor();
    if (down_.button != kLeftButton) return;
    host_.TakeCapture();
    state_ = kLookPressed;
    host_.Redraw();
    MouseDown(down_, handPointer);
    if (!popupAttached_)
        Raise(ButtonEvent::DblClick);
    else if (!popupJustClosed_)
        ShowPopup();
}

void ButtonInputModel::KeyDown(std::int16_t keyCode, std::int16_t shift) {
    if (keyCode == kKeyEnter) {
        Raise(ButtonEvent::Click);
    } else if (keyCode == kKeySpace) {
        if (shift == kAltShift) return;  // the system menu's key, not a press
        if (leftHeld_) {
            To(mouseOver_ ? kLookPressed : kLookNormal);
        } else {
            spaceHeld_ = true;
            PressValue();
            To(kLookPressed);
        }
        if (!host_.CaptureOnControl()) {
            host_.ReleaseCapture();
            host_.TakeCapture();
        }
    } else if (keyCode >= 37 && keyCode <= 40) {
        // arrows: nothing
    } else if (spaceHeld_) {
        spaceHeld_ = false;
        state_ = kLookNormal;
        host_.Redraw();
    }
    MouseArgs args;
    args.button = keyCode;
    args.shift = shift;
    Raise(ButtonEvent::KeyDown, args);
}

void ButtonInputModel::KeyUp(std::int16_t keyCode, std::int16_t shift) {
    if (keyCode != kKeySpace) return;
    // The release of an Alt+Space that never pressed the button.
    if (shift == kAltShift && !spaceHeld_) return;
    host_.ReleaseCapture();
    if (!mouseOver_) {
        To(kLookNormal);
        if (!leftHeld_ && spaceHeld_) Raise(ButtonEvent::Click);
    } else if (leftHeld_) {
        To(kLookPressed);
    } else {
        To(kLookHot);
        if (spaceHeld_) Raise(ButtonEvent::Click);
    }
    MouseArgs args;
    args.button = keyCode;
    args.shift = shift;
    Raise(ButtonEvent::KeyUp, args);
    spaceHeld_ = false;
    leftHeld_ = false;
}

void ButtonInputModel::KeyPress(std::int16_t keyAscii) {
    MouseArgs args;
    args.button = keyAscii;
    Raise(ButtonEvent::KeyPress, args);
}

void ButtonInputModel::AccessKeyPress(std::int16_t keyAscii) {
    if (!host_.Enabled()) return;
    if (spaceHeld_) {
        spaceHeld_ = false;
        leftHeld_ = false;
    }
    const bool enterOrEscape = keyAscii == kKeyEnter || keyAscii == kKeyEscape;
    switch (host_.Mode()) {
        case 1:
            if (enterOrEscape) return;
            host_.SetValue(!host_.Value());
            break;
        case 2:
            if (enterOrEscape) return;
            host_.ClearGroup();
            host_.SetValue(true);
            break;
        default:
            host_.DoEvents();
            Raise(ButtonEvent::Click);
            return;
    }
    host_.Redraw();
    host_.DoEvents();
    Raise(ButtonEvent::Click);
}

void ButtonInputModel::LostFocus(bool displayAsDefault) {
    hasFocus_ = false;
    leftHeld_ = false;
    spaceHeld_ = false;
    state_ = parentActive_ && mouseOver_ ? kLookHot : kLookNormal;
    host_.Redraw();
    if (displayAsDefault) host_.Redraw();
}

void ButtonInputModel::Activation(bool activated, bool displayAsDefault) {
    if (activated) {
        parentActive_ = true;
        state_ = kLookNormal;
        host_.Redraw();
        if (displayAsDefault) host_.Redraw();
    } else {
        leftHeld_ = spaceHeld_ = hasFocus_ = parentActive_ = false;
        state_ = kLookNormal;
        host_.Redraw();
    }
}

void ButtonInputModel::SetPopupMenu(std::int32_t align, std::int32_t flags) {
    menuAlign_ = align;
    menuFlags_ = flags;
    popupAttached_ = true;
}

void ButtonInputModel::UnsetPopupMenu() {
    popupAttached_ = popupJustClosed_ = popupShowing_ = false;
    menuAlign_ = menuFlags_ = 0;
}

void ButtonInputModel::ShowPopup() {
    const float w = host_.ScaleWidth(), h = host_.ScaleHeight();
    popupShowing_ = true;
    const MenuPlacement place = PlaceMenu(menuAlign_, w, h, menuFlags_);
    if (!place.show) {
        popupShowing_ = false;
        return;
    }
    host_.ShowMenu(place.flags, place.x, place.y);
    if (host_.CursorOverControl()) {
        popupJustClosed_ = true;
    } else {
        leftHeld_ = mouseOver_ = spaceHeld_ = popupJustClosed_ = popupShowing_ = false;
        state_ = kLookNormal;
        host_.Redraw();
    }
}

void ButtonInputModel::ResetBlink() noexcept {
    ticks_ = 0;
    tipDone_ = false;
}

BlinkTip ButtonInputModel::BlinkTick(bool tipVisible, bool ownerActive) noexcept {
    if (ticks_ < 0xFFFF) ++ticks_;  // it only counts up to 41; never wraps
    if (tipDone_) return BlinkTip::None;
    if (!tipVisible && ticks_ >= 7 && ownerActive) return BlinkTip::Show;
    if (tipVisible && ticks_ >= 41) {
        tipDone_ = true;
        ticks_ = 0;
        return BlinkTip::Hide;
    }
    return BlinkTip::None;
}

}  // namespace panorel::stylebutton
