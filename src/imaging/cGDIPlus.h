#pragma once
// GDI+ through its flat API, loaded at run time when "gdiplus.dll" is there:
// starting and stopping it, loading any picture it reads, and drawing
// premultiplied bits with an interpolation mode and a 5 x 5 colour matrix.
#include <windows.h>

#include <cstdint>

#include "imaging/AlphaCompose.h"
#include "imaging/PixelImage.h"
#include "imaging/cDllCall.h"

namespace panorel::imaging {

constexpr int kGdipPixelFormat32bppPARGB = 0xE200B;
constexpr int kGdipInterpolationNearest = 5;
constexpr int kGdipInterpolationHighQualityBicubic = 7;

class cGDIPlus {
public:
    cGDIPlus();
    bool Available() const noexcept { return startup_ != nullptr && draw_ != nullptr; }
    // Whether GDI+ can start. With KeepToken the started session's token is
    // left in gdiToken (the caller shuts it down); otherwise it is shut down.
    bool isGDIplusOk(ULONG_PTR& gdiToken, bool KeepToken);
    ULONG_PTR Startup();  // 0 on failure
    void Shutdown(ULONG_PTR token);

    // Loads any picture GDI+ reads into premultiplied pixels (a session must be running).
    bool LoadImage(const std::uint8_t* data, std::size_t size, const ImageLimits& limits, PixelImage& out);
    // Draws `src` (a top-down view of 32-bit premultiplied pixels) into the
    // destination rectangle. `matrix` (25 floats, rows red, green, blue,
    // alpha, constant) may be null.
    bool DrawBits(HDC dc, const PixelView& src, int destX, int destY, int destWidth, int destHeight, int interpolation,
                  const float* matrix);

    struct Api;  // the flat functions, resolved once per process

private:
    void* startup_ = nullptr;
    void* draw_ = nullptr;
};

// Starts GDI+ for the life of the object unless the caller already holds a token.
class GdiplusSession {
public:
    GdiplusSession(cGDIPlus& gdi, ULONG_PTR heldToken) : gdi_(gdi), owned_(heldToken ? 0 : gdi.Startup()), ok_(heldToken || owned_) {}
    ~GdiplusSession() {
        if (owned_) gdi_.Shutdown(owned_);
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    explicit operator bool() const noexcept { return ok_; }

private:
    cGDIPlus& gdi_;
    ULONG_PTR owned_;
    bool ok_;
};

}  // namespace panorel::imaging
