#pragma once
// A speech-balloon tooltip: a borderless top-most window that never takes the
// focus. It hides itself when its owner moves or is deactivated and remembers
// whether the owner is active, so a caller can wait for the right moment.
#include <windows.h>

#include <cstdint>
#include <string>

#include "host/Form.h"
#include "host/Handles.h"
#include "winsupport/FakeToolTipGeometry.h"
#include "winsupport/ISubclass.h"

namespace panorel {

// Whether an activation message of a watched window says it became active.
// WM_ACTIVATE carries the minimized flag in its high word, so only the low
// word tells: a window deactivated while minimized sends a non-zero wParam.
// WM_NCACTIVATE's wParam is a plain boolean.
inline bool ActivatedBy(UINT msg, WPARAM wParam) noexcept {
    return msg == WM_ACTIVATE ? LOWORD(wParam) != WA_INACTIVE : wParam != 0;
}

class frmFakeToolTip : public host::Form, public ISubclass {
public:
    frmFakeToolTip();
    ~frmFakeToolTip() override;

    // Measures the text, resizes and reshapes the window. Call before ShowTip.
    void TextSet(const std::wstring& text);
    // Shows the window, without activating it, with the tail's tip at (X, Y)
    // in screen pixels; X comes back as the window's left edge.
    void ShowTip(std::int32_t& X, std::int32_t& Y);
    // Records the owner and hears of its moves and activation.
    void SubClsOwner(HWND& OwnerHWnd);
    bool OwnerWindowActive() const noexcept { return ownerWindowActive_; }
    const std::wstring& Text() const noexcept { return text_; }
    const RECT& TextRect() const noexcept { return textRect_; }

    std::int32_t MsgResponse(std::int32_t& CurrentMessage) override;
    LRESULT WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) override;

protected:
    void Form_Load() override;
    void Form_Unload() override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void DetachOwner() noexcept;
    void Paint();

    MemoryDcHandle measureDc_;  // holds the menu font for measuring
    HGDIOBJ oldFont_ = nullptr;
    BrushHandle outlineBrush_;
    RegionHandle outline_;
    RECT textRect_{0, 0, 0, 0};
    std::wstring text_;
    HWND owner_ = nullptr;
    bool ownerWindowActive_ = true;
    std::int32_t twipsPerPixel_ = kTipDesignTwipsPerPixel;  // the screen's, from load on
};

}  // namespace panorel
