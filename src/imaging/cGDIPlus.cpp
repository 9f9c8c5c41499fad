#include "imaging/cGDIPlus.h"

#include <objidl.h>

#include <cstring>
#include <vector>

#include "host/GlobalBlock.h"
#include "host/Handles.h"
#include "imaging/modParsers.h"

namespace panorel::imaging {
namespace {

struct StartupInput {
    UINT32 GdiplusVersion = 1;
    void* DebugEventCallback = nullptr;
    BOOL SuppressBackgroundThread = FALSE;
    BOOL SuppressExternalCodecs = FALSE;
};
struct LockedBits {
    UINT Width, Height;
    INT Stride, PixelFormat;
    void* Scan0;
    UINT_PTR Reserved;
};
struct LockRect {
    INT X, Y, Width, Height;
};

using StartupFn = int(WINAPI*)(ULONG_PTR*, const StartupInput*, void*);
using ShutdownFn = void(WINAPI*)(ULONG_PTR);
using FromScan0Fn = int(WINAPI*)(INT, INT, INT, INT, BYTE*, void**);
using FromStreamFn = int(WINAPI*)(IStream*, void**);
using FromHdcFn = int(WINAPI*)(HDC, void**);
using DisposeFn = int(WINAPI*)(void*);
using SetModeFn = int(WINAPI*)(void*, int);
using CreateAttrFn = int(WINAPI*)(void**);
using SetMatrixFn = int(WINAPI*)(void*, int, BOOL, const float*, const float*, int);
using DrawFn = int(WINAPI*)(void*, void*, INT, INT, INT, INT, INT, INT, INT, INT, int, void*, void*, void*);
using GetSizeFn = int(WINAPI*)(void*, UINT*);
using LockFn = int(WINAPI*)(void*, const LockRect*, UINT, INT, LockedBits*);
using UnlockFn = int(WINAPI*)(void*, LockedBits*);

}  // namespace

struct cGDIPlus::Api {
    StartupFn startup;
    ShutdownFn shutdown;
    FromScan0Fn fromScan0;
    FromStreamFn fromStream;
    FromHdcFn fromHdc;
    DisposeFn deleteGraphics, disposeImage, disposeAttributes;
    SetModeFn interpolation, pixelOffset;
    CreateAttrFn createAttributes;
    SetMatrixFn setMatrix;
    DrawFn draw;
    GetSizeFn width, height;
    LockFn lock;
    UnlockFn unlock;
};

namespace {
cGDIPlus::Api* TheApi(cDllCall& dll) {
    static cGDIPlus::Api api = [&] {
        cGDIPlus::Api a{};
        const wchar_t* lib = L"gdiplus.dll";  // from the system folder only (cDllCall's default)
        a.startup = dll.Resolve<StartupFn>(lib, "GdiplusStartup");
        a.shutdown = dll.Resolve<ShutdownFn>(lib, "GdiplusShutdown");
        a.fromScan0 = dll.Resolve<FromScan0Fn>(lib, "GdipCreateBitmapFromScan0");
        a.fromStream = dll.Resolve<FromStreamFn>(lib, "GdipCreateBitmapFromStream");
        a.fromHdc = dll.Resolve<FromHdcFn>(lib, "GdipCreateFromHDC");
        a.deleteGraphics = dll.Resolve<DisposeFn>(lib, "GdipDeleteGraphics");
        a.disposeImage = dll.Resolve<DisposeFn>(lib, "GdipDisposeImage");
        a.disposeAttributes = dll.Resolve<DisposeFn>(lib, "GdipDisposeImageAttributes");
        a.interpolation = dll.Resolve<SetModeFn>(lib, "GdipSetInterpolationMode");
        a.pixelOffset = dll.Resolve<SetModeFn>(lib, "GdipSetPixelOffsetMode");
        a.createAttributes = dll.Resolve<CreateAttrFn>(lib, "GdipCreateImageAttributes");
        a.setMatrix = dll.Resolve<SetMatrixFn>(lib, "GdipSetImageAttributesColorMatrix");
        a.draw = dll.Resolve<DrawFn>(lib, "GdipDrawImageRectRectI");
        a.width = dll.Resolve<GetSizeFn>(lib, "GdipGetImageWidth");
        a.height = dll.Resolve<GetSizeFn>(lib, "GdipGetImageHeight");
        a.lock = dll.Resolve<LockFn>(lib, "GdipBitmapLockBits");
        a.unlock = dll.Resolve<UnlockFn>(lib, "GdipBitmapUnlockBits");
        bool complete = a.startup && a.shutdown && a.fromScan0 && a.fromStream && a.fromHdc && a.deleteGraphics &&
                        a.disposeImage && a.disposeAttributes && a.interpolation && a.pixelOffset &&
                        a.createAttributes && a.setMatrix && a.draw && a.width && a.height && a.lock && a.unlock;
        if (!complete) a = cGDIPlus::Api{};
        return a;
    }();
    return &api;
}

// The process keeps one loader of gdiplus.dll: the table points into it.
cDllCall& ProcessLoader() {
    static cDllCall dll;
    return dll;
}
}  // namespace

cGDIPlus::cGDIPlus() {
    Api* api = TheApi(ProcessLoader());
    startup_ = reinterpret_cast<void*>(api->startup);
    draw_ = reinterpret_cast<void*>(api->draw);
}

ULONG_PTR cGDIPlus::Startup() {
    if (!Available()) return 0;
    StartupInput input;
    ULONG_PTR token = 0;
    return TheApi(ProcessLoader())->startup(&token, &input, nullptr) == 0 ? token : 0;
}

void cGDIPlus::Shutdown(ULONG_PTR token) {
    if (token && Available()) TheApi(ProcessLoader())->shutdown(token);
}

bool cGDIPlus::isGDIplusOk(ULONG_PTR& gdiToken, bool KeepToken) {
    if (gdiToken) return true;
    if (!KeepToken) {
        // Whether GDI+ starts is the system's property: asked once per
        // process, not for every image object made.
        static const bool starts = [this] {
            ULONG_PTR token = Startup();
            Shutdown(token);
            return token != 0;
        }();
        return starts;
    }
    gdiToken = Startup();
    return gdiToken != 0;
}

bool cGDIPlus::LoadImage(const std::uint8_t* data, std::size_t size, const ImageLimits& limits, PixelImage& out) {
    out = PixelImage{};
    if (!Available() || !data || size == 0) return false;
    Api* api = TheApi(ProcessLoader());
    const ComPtr<IStream> stream = host::StreamOver(host::CopyToGlobal(data, size));
    if (!stream) return false;
    void* bitmap = nullptr;
    if (api->fromStream(stream.get(), &bitmap) != 0 || !bitmap) return false;
    UINT w = 0, h = 0;
    bool ok = api->width(bitmap, &w) == 0 && api->height(bitmap, &h) == 0 &&
              AllocatePixels(out, static_cast<std::int64_t>(w), static_cast<std::int64_t>(h), limits);
    if (ok) {
        LockRect rect{0, 0, static_cast<INT>(w), static_cast<INT>(h)};
        LockedBits bits{};
        ok = api->lock(bitmap, &rect, 1 /* read */, kGdipPixelFormat32bppPARGB, &bits) == 0;
        if (ok) {
            for (UINT y = 0; y < h; ++y)
                std::memcpy(out.Row(static_cast<std::int32_t>(y)),
                            static_cast<const std::uint8_t*>(bits.Scan0) + static_cast<std::ptrdiff_t>(y) * bits.Stride,
                            std::size_t{w} * 4);
            api->unlock(bitmap, &bits);
        }
    }
    api->disposeImage(bitmap);
    if (!ok) {
        out = PixelImage{};
        return false;
    }
    out.imageType = kImageTypePng;
    out.alpha = ClassifyAlpha(out);
    return true;
}

bool cGDIPlus::DrawBits(HDC dc, const PixelView& src, int destX, int destY, int destWidth, int destHeight,
                        int interpolation, const float* matrix) {
    if (!Available() || !dc || src.width < 1 || src.height < 1) return false;
    Api* api = TheApi(ProcessLoader());
    void* bitmap = nullptr;
    if (api->fromScan0(src.width, src.height, static_cast<INT>(src.stride), kGdipPixelFormat32bppPARGB, src.top,
                       &bitmap) != 0)
        return false;
    void* graphics = nullptr;
    bool ok = false;
    if (api->fromHdc(dc, &graphics) == 0) {
        api->interpolation(graphics, interpolation);
        api->pixelOffset(graphics, 4 /* half: pixel centres where GDI has them */);
        void* attributes = nullptr;
        if (matrix && api->createAttributes(&attributes) == 0)
            api->setMatrix(attributes, 0, TRUE, matrix, nullptr, 0);
        ok = api->draw(graphics, bitmap, destX, destY, destWidth, destHeight, 0, 0, src.width, src.height,
                       2 /* pixels */, attributes, nullptr, nullptr) == 0;
        if (attributes) api->disposeAttributes(attributes);
        api->deleteGraphics(graphics);
    }
    api->disposeImage(bitmap);
    return ok;
}

}  // namespace panorel::imaging
