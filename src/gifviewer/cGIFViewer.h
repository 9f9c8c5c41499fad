#pragma once
// Plays a GIF animation on a client's device context. Every frame is decoded
// once, at load, by the platform's picture loader into an off-screen strip of
// palette indices (an 8-bit DIB section); a frame is shown by loading its
// palette into the strip's colour table and blitting its columns, through a
// background buffer when transparency, disposal or partial frames need one.
// The frame timer is a window timer on the client's window whose identifier
// is the viewer's address; the one timer procedure finds the viewer by it.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gifviewer/GifStructure.h"
#include "gifviewer/IGifRender.h"
#include "host/Handles.h"

namespace panorel {

class cGIFViewer {
public:
    cGIFViewer();
    cGIFViewer(const cGIFViewer&) = delete;
    cGIFViewer& operator=(const cGIFViewer&) = delete;
    ~cGIFViewer();

    // Frame count when the viewer drives the animation itself, its negation
    // when the file loaded but cannot be animated here, 0 when loading failed.
    // Running out of memory, or taking longer than LoadTimeLimit, fails it.
    std::int32_t LoadGIF(const std::wstring& gifFileName, std::int32_t ViewerID,
                         IGifRender* GIFRenderInterface = nullptr, HWND timerHwnd = nullptr);
    void UnloadGIF();
    // How long LoadGIF may take in milliseconds (read, parse and decode),
    // checked between frames; 0, the default, sets no limit.
    std::uint32_t LoadTimeLimit() const noexcept { return loadTimeLimit_; }
    void LoadTimeLimit(std::uint32_t milliseconds) noexcept { loadTimeLimit_ = milliseconds; }

    // Draws frame Index straight onto a DC or window, without the buffer.
    bool RenderFrame(std::int32_t Index, std::intptr_t hDC, HWND hWnd2Refresh = nullptr, bool AutoRedraw = false,
                     std::int32_t destX = 0, std::int32_t destY = 0, std::int32_t destCx = 0,
                     std::int32_t destCY = 0, std::int32_t StretchMode = 0);
    // 0 delay (at least MinimumDelay), 1 left, 2 top, 3 width, 4 height,
    // 5 disposal, 6 frame count; 0 for anything else.
    std::int32_t FrameProperty(std::int32_t Index, std::int32_t propID) const;

    std::int32_t AnimationIndex() const noexcept { return index_; }
    std::int32_t AnimationState() const noexcept { return state_; }
    // 0 stop, 1 play, 2 pause, 3 step, 4 redraw the current frame.
    void AnimationState(std::int32_t Action);

    bool SetAnimationBkgColor(std::int32_t bkgColor);
    // bkgMethod 1: bkgDC_Color is a DC or window to copy the background from
    // at (bkgDC_X, bkgDC_Y); otherwise a colour (negative: a system colour).
    bool SetAnimationBkg(std::int32_t bkgMethod, std::intptr_t bkgDC_Color, std::int32_t destX = 0,
                         std::int32_t destY = 0, std::int32_t destCx = 0, std::int32_t destCY = 0,
                         std::int32_t StretchMode = 0, std::int32_t* bkgDC_X = nullptr,
                         std::int32_t* bkgDC_Y = nullptr);
    // Fits the animation (Index 0) or one frame into the destination; mode 0
    // actual size, 1 fit, 2 stretch, 3 shrink only, plus 8 to centre.
    void ScaleToDestination(std::int32_t Index, std::int32_t& destX, std::int32_t& destY, std::int32_t& destCx,
                            std::int32_t& destCy, std::int32_t StretchMode, float& xRatio, float& yRatio) const;

    COLORREF WindowBkgColor() const;
    std::int32_t Height() const noexcept { return gif_.height; }
    std::int32_t Width() const noexcept { return gif_.width; }
    std::int32_t LoopCount() const noexcept { return loopCount_; }
    void LoopCount(std::int32_t New_LoopCount) noexcept;
    std::int32_t MinimumDelay() const noexcept { return minimumDelay_; }
    // Raises overflow (6) above 32767 or below -32768; raises values below 10 to 10.
    void MinimumDelay(std::int32_t New_MinimumDelay);

    void FramePalette(std::int32_t Index, std::vector<std::uint32_t>& palette) const;
    // PicType 1: a bitmap picture of the frame; otherwise a GIF picture of it,
    // for which a playing animation pauses and resumes (showing its next
    // frame). Index 0 means the current frame. None when out of memory.
    ComPtr<IPicture> FrameImage(std::int32_t Index, std::int32_t PicType);

    // The frame's palette indices as the strip holds them, top row first.
    std::vector<std::uint8_t> FrameIndices(std::int32_t Index) const;
    std::int32_t FrameCount() const noexcept { return static_cast<std::int32_t>(gif_.frames.size()); }

    // The timer step; hwnd 0 is a step by hand that sets no timer. A client's
    // error skips the frame's drawing, and the animation goes on.
    void TimerStep(HWND hwnd);

private:
    struct Background;

    bool Loaded() const noexcept { return !gif_.frames.empty() && strip_; }
    bool Decode(const std::vector<std::uint8_t>& file, std::uint64_t deadline);
    bool PastDeadline(std::uint64_t deadline) const noexcept;
    void DrawCurrent();
    bool DrawFrame(std::int32_t index, std::intptr_t target, HWND hwndRefresh, bool autoRedraw, bool postNotify,
                   bool throughBuffer, std::int32_t destX, std::int32_t destY, std::int32_t destCx,
                   std::int32_t destCy, std::int32_t mode);
    void PutFrame(std::int32_t index, HDC dc, std::int32_t x, std::int32_t y, std::int32_t cx, std::int32_t cy,
                  bool stretched, bool intoBuffer);
    void LoadColourTable(const GifPalette& table);
    void SetFrameTimer();
    void KillFrameTimer();
    UINT_PTR TimerId() const noexcept { return reinterpret_cast<UINT_PTR>(this); }

    std::int32_t viewerId_ = 0;
    IGifRender* client_ = nullptr;
    HWND timerHwnd_ = nullptr;
    bool drives_ = false;     // LoadGIF gave a positive result
    bool comInit_ = false;    // this viewer initialised COM on its thread
    std::int32_t state_ = 0;
    std::int32_t index_ = 0;
    std::int32_t loops_ = 0;
    std::int16_t minimumDelay_ = 50;
    std::int32_t loopCount_ = 0;
    std::uint32_t loadTimeLimit_ = 0;

    GifStructure gif_;
    std::vector<std::int32_t> column_;  // each frame's first column in the strip
    BitmapHandle strip_;
    MemoryDcHandle stripDc_;
    HGDIOBJ stripOld_ = nullptr;
    std::uint8_t* stripBits_ = nullptr;
    std::int32_t stripW_ = 0, stripH_ = 0, stripStride_ = 0;
    std::int32_t loadedPalette_ = -1;  // -1 identity, -2 a palette altered for transparency
    bool maskTable_ = false;

    // Where SetAnimationBkg composes the animation (also without a buffer).
    std::int32_t destX_ = 0, destY_ = 0, destCx_ = 0, destCy_ = 0, mode_ = 0;
    float xRatio_ = 1, yRatio_ = 1;
    std::unique_ptr<Background> bkg_;
};

}  // namespace panorel
