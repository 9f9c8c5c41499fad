#pragma once
// The interface of an object that takes messages of a subclassed window.
#include <windows.h>

#include <cstdint>

namespace panorel {

class ISubclass {
public:
    // When the window's previous procedure runs for this message: 2 before the
    // clients, 1 after the last client (its result is returned), anything else
    // not at all.
    virtual std::int32_t MsgResponse(std::int32_t& CurrentMessage) = 0;
    virtual LRESULT WindowProc(HWND hWnd, UINT iMsg, WPARAM wParam, LPARAM lParam) = 0;

protected:
    ~ISubclass() = default;
};

constexpr std::int32_t kPreProcess = 2;
constexpr std::int32_t kPostProcess = 1;
constexpr std::int32_t kReplaceProcess = 0;

}  // namespace panorel
