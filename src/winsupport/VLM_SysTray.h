#pragma once
// The notification-area icon control: one icon with a tooltip in the
// taskbar's notification area, placed on an owner window whose own mouse-move
// message carries the shell's notifications back as MouseDown, MouseUp and
// MouseDblClick events.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "winsupport/TrayRecord.h"

namespace panorel {

class VLM_SysTray {
public:
    // `parent` becomes the owner when the icon is added.
    explicit VLM_SysTray(HWND parent) noexcept : parent_(parent) {}
    VLM_SysTray(const VLM_SysTray&) = delete;
    VLM_SysTray& operator=(const VLM_SysTray&) = delete;
    // Removes the icon (whether or not an Add was accepted).
    ~VLM_SysTray();

    // Deletes the icon using the current record; the shell's answer is ignored.
    void Remove();
    // Refills the record (keeping the owner) and sends it as a modification.
    void Modify();
    // Takes the parent as owner, fills the record and adds the icon; whether
    // the shell accepted it.
    bool Add();

    // The icon to show, borrowed: its owner keeps it alive while it is shown.
    HICON Icon() const noexcept { return icon_; }
    void Icon(HICON New_Icon) noexcept { icon_ = New_Icon; }
    std::wstring ToolTip() const { return ReadToolTip(toolTip_); }
    void ToolTip(const std::wstring& New_ToolTip) { toolTip_ = StoreToolTip(New_ToolTip); }
    HWND OwnerForm() const noexcept { return owner_; }

    // Events, each with the button: 1 left, 2 right.
    std::function<void(std::int16_t Button)> MouseDown;
    std::function<void(std::int16_t Button)> MouseUp;
    std::function<void(std::int16_t Button)> MouseDblClick;

    // The owner's mouse-move notification, x in the owner's scale units.
    void OwnerMouseMove(int button, int shift, double x, double y);
    // For the owner's window procedure: turns WM_MOUSEMOVE into
    // OwnerMouseMove (converting to twips when the owner works in twips).
    // Returns whether the message was a mouse move.
    bool HandleOwnerMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // The owner's scale mode: true when it reports coordinates in twips.
    void OwnerScaleTwips(bool twips) noexcept { ownerInTwips_ = twips; }
    bool OwnerScaleTwips() const noexcept { return ownerInTwips_; }

    // The record as last filled.
    const TrayRecordBytes& Record() const noexcept { return record_; }

    // Test seam: replaces the call to the shell (nullptr restores it).
    using NotifyFunction = std::function<bool(DWORD message, const TrayRecordBytes& record)>;
    void SetNotifyForTesting(NotifyFunction notify) { notifyForTesting_ = std::move(notify); }

private:
    void FillRecord();
    bool Notify(DWORD message);

    HWND parent_;
    HWND owner_ = nullptr;
    HICON icon_ = nullptr;
    std::wstring toolTip_;
    bool ownerInTwips_ = false;
    TrayRecordBytes record_{};
    std::int16_t busy_ = 0;
    std::int32_t busyMessage_ = 0;
    NotifyFunction notifyForTesting_;
};

// Hands a record to Shell_NotifyIconA. 32-bit builds pass the 88 bytes as
// they are; 64-bit builds copy the fields into the platform's own record,
// whose handles are 8 bytes wide (see the .cpp).
bool SendTrayRecord(DWORD message, const TrayRecordBytes& record);

}  // namespace panorel
