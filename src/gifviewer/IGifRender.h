#pragma once
// What a GIF viewer's client implements: it names the target of every frame
// and hears about loading progress, drawn frames and the animation's end.
#include <windows.h>

#include <cstdint>

namespace panorel {

class IGifRender {
public:
    virtual ~IGifRender() = default;
    // Before frame FrameIndex is drawn; every by-reference value arrives 0 /
    // false. destDC: a DC or a window handle to draw on (0: nothing this
    // time); hwndRefresh: a window to refresh afterwards; bAutoRedraw: that
    // window keeps a persistent image; PostNotify: send Rendered message 0.
    virtual void GetRenderDC(std::int32_t ViewerID, std::int32_t FrameIndex, std::intptr_t& destDC,
                             HWND& hwndRefresh, bool& bAutoRedraw, bool& PostNotify) = 0;
    // Message 0: frame drawn on the DC in MsgValue; 1: loading progress in
    // percent; 2: the animation stopped by itself after MsgValue loops.
    virtual void Rendered(std::int32_t ViewerID, std::int32_t FrameIndex, std::int32_t Message,
                          std::intptr_t MsgValue) = 0;
};

}  // namespace panorel
