// cAlphaImage's saving: the checks before a file is written, the PNG
// properties, and the choice between GDI+ and the portable writers.
#include <objbase.h>

#include <algorithm>
#include <cstring>

#include "host/AnsiText.h"
#include "host/GlobalBlock.h"
#include "host/Handles.h"
#include "host/PanorelError.h"
#include "imaging/BmpWriter.h"
#include "imaging/GifWriter.h"
#include "imaging/ImageWriterSupport.h"
#include "imaging/TgaWriter.h"
#include "imaging/ZlibRuntime.h"
#include "imaging/cAlphaImage.h"
#include "imaging/cGDIPlus.h"
#include "imaging/cJPGWriter.h"
#include "imaging/cPNGwriter.h"

namespace panorel::imaging {
namespace {

std::function<int(const std::wstring&, const std::wstring&, UINT)>& OverwritePrompt() {
    static std::function<int(const std::wstring&, const std::wstring&, UINT)> prompt =
        [](const std::wstring& text, const std::wstring& caption, UINT flags) {
            return ::MessageBoxW(nullptr, text.c_str(), caption.c_str(), flags);
        };
    return prompt;
}

// The GDI+ encoder structures of its flat API.
struct GdipCodecInfo {
    CLSID clsid;
    GUID formatId;
    const WCHAR* codecName;
    const WCHAR* dllName;
    const WCHAR* formatDescription;
    const WCHAR* filenameExtension;
    const WCHAR* mimeType;
    DWORD flags, version, sigCount, sigSize;
    const BYTE* sigPattern;
    const BYTE* sigMask;
};
struct GdipEncoderParameter {
    GUID guid;
    ULONG numberOfValues;
    ULONG type;
    void* value;
};
struct GdipEncoderParameters {
    UINT count;
    GdipEncoderParameter parameter[1];
};
constexpr GUID kEncoderQuality = {0x1d5be4b5, 0xfa4a, 0x452d, {0x9c, 0xdd, 0x5d, 0xb3, 0x51, 0x05, 0xe7, 0xeb}};
constexpr ULONG kEncoderParameterValueTypeLong = 4;
constexpr int kPixelFormat32bppARGB = 0x26200A;

using FromScan0Fn = int(WINAPI*)(INT, INT, INT, INT, BYTE*, void**);
using EncodersSizeFn = int(WINAPI*)(UINT*, UINT*);
using EncodersFn = int(WINAPI*)(UINT, UINT, GdipCodecInfo*);
using SaveToStreamFn = int(WINAPI*)(void*, IStream*, const CLSID*, const GdipEncoderParameters*);
using DisposeFn = int(WINAPI*)(void*);

template <class Fn>
Fn Export(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

}  // namespace

void cAlphaImage::SetOverwritePrompt(std::function<int(const std::wstring&, const std::wstring&, UINT)> prompt) {
    OverwritePrompt() = std::move(prompt);
}

bool cAlphaImage::WriteFileChecked(const std::wstring& FileName, bool PromptOverwrite,
                                   const std::function<bool(std::vector<std::uint8_t>&)>& encode) {
    if (FileName.empty() || !dib_) return false;
    std::vector<std::uint8_t> bytes;
    if (!encode(bytes)) return false;
    if (::GetFileAttributesW(FileName.c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (PromptOverwrite && OverwritePrompt()(L"Overwrite existing file?", L"Overwrite Confirmation",
                                                 MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
            return false;
        if (!::DeleteFileW(FileName.c_str())) return false;
    }
    KernelHandle file(::CreateFileW(FileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
    if (!file || file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        return false;
    }
    bool ok = true;
    for (std::size_t at = 0; ok && at < bytes.size();) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - at, 1u << 30));
        DWORD written = 0;
        ok = ::WriteFile(file.get(), bytes.data() + at, chunk, &written, nullptr) && written == chunk;
        at += written;
    }
    file.reset();
    if (!ok) ::DeleteFileW(FileName.c_str());  // never leave part of a file
    return ok;
}

bool cAlphaImage::EncodeThroughGdiplus(const wchar_t* mimeType, std::int32_t quality, std::int32_t fillColor,
                                       std::vector<std::uint8_t>& out) {
    if (!gdiplusEnabled_ || !dib_) return false;
    GdiplusSession session(Gdi(), gdiToken_);
    HMODULE gdiplus = ::GetModuleHandleW(L"gdiplus.dll");
    if (!session || !gdiplus) return false;
    const auto fromScan0 = Export<FromScan0Fn>(gdiplus, "GdipCreateBitmapFromScan0");
    const auto encodersSize = Export<EncodersSizeFn>(gdiplus, "GdipGetImageEncodersSize");
    const auto encoders = Export<EncodersFn>(gdiplus, "GdipGetImageEncoders");
    const auto saveToStream = Export<SaveToStreamFn>(gdiplus, "GdipSaveImageToStream");
    const auto dispose = Export<DisposeFn>(gdiplus, "GdipDisposeImage");
    if (!fromScan0 || !encodersSize || !encoders || !saveToStream || !dispose) return false;

    UINT count = 0, size = 0;
    if (encodersSize(&count, &size) != 0 || size < count * sizeof(GdipCodecInfo)) return false;
    std::vector<std::uint8_t> table;
    if (!FailOnBadAlloc(false, [&] { return table.resize(size), true; })) return false;
    auto* codecs = reinterpret_cast<GdipCodecInfo*>(table.data());
    if (encoders(count, size, codecs) != 0) return false;
    const GdipCodecInfo* codec = nullptr;
    for (UINT i = 0; i < count; ++i)
        if (codecs[i].mimeType && std::wcscmp(codecs[i].mimeType, mimeType) == 0) codec = &codecs[i];
    if (!codec) return false;

    // JPEG takes the picture laid over the fill colour; PNG straight ARGB.
    PixelImage picture = ToPixelImage();
    if (picture.Empty()) return false;  // no memory for the copy
    const bool flatten = quality >= 0;
    const ColorRef fill = fillColor >= 0 ? fillColor : 0xFFFFFF;
    const std::uint8_t bg[3] = {FillBlue(fill), FillGreen(fill), FillRed(fill)};
    for (std::size_t i = 0; i < picture.bgra.size(); i += 4) {
        std::uint8_t* p = &picture.bgra[i];
        for (int c = 0; c < 3; ++c) p[c] = flatten ? OverBackground(p[c], p[3], bg[c]) : Unpremultiply(p[c], p[3]);
        if (flatten) p[3] = 255;
    }
    void* bitmap = nullptr;
    if (fromScan0(picture.width, picture.height, picture.width * 4, kPixelFormat32bppARGB, picture.bgra.data(),
                  &bitmap) != 0)
        return false;
    // A stream that grows a block of its own as the encoder writes.
    IStream* raw = nullptr;
    const ComPtr<IStream> stream(SUCCEEDED(::CreateStreamOnHGlobal(nullptr, TRUE, &raw)) ? raw : nullptr);
    bool ok = static_cast<bool>(stream);
    if (ok) {
        ULONG value = static_cast<ULONG>(std::clamp(quality, 0, 100));
        GdipEncoderParameters params{1, {{kEncoderQuality, 1, kEncoderParameterValueTypeLong, &value}}};
        ok = saveToStream(bitmap, stream.get(), &codec->clsid, flatten ? &params : nullptr) == 0;
        STATSTG stat{};
        HGLOBAL memory = nullptr;
        if (ok)
            ok = SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)) && SUCCEEDED(::GetHGlobalFromStream(stream.get(), &memory));
        const host::LockedGlobal lock(ok ? memory : nullptr);
        const auto* bytes = static_cast<const std::uint8_t*>(lock.data());
        ok = bytes && FailOnBadAlloc(false, [&] { return out.assign(bytes, bytes + stat.cbSize.QuadPart), true; });
    }
    dispose(bitmap);
    return ok && !out.empty();
}

bool cAlphaImage::EncodePng(std::vector<std::uint8_t>& out) {
    if (!dib_) return false;
    PngExtras extras;
    if (!FailOnBadAlloc(false, [&] {
            for (std::size_t i = 0; i < pngTexts_.size(); ++i)
                extras.texts.push_back({ToAnsi(pngTextKeywords_[i]), ToAnsi(pngTexts_[i].second)});
            return true;
        }))
        return false;
    for (const auto& [id, value] : pngNumbers_) {
        if (id == kPngPropertyBackground) extras.background = static_cast<std::uint32_t>(value);
        if (id == kPngPropertyResolution) extras.dotsPerInch = static_cast<std::uint32_t>(value);
        if (id == kPngPropertyGamma) extras.gamma = static_cast<std::uint32_t>(value);
        if (id == kPngPropertyTime) extras.time = value;
    }
    auto own = [&] { return cPNGwriter(ZlibRuntime::Api()).Write(ToPixelImage(), out, extras); };
    auto gdiplus = [&] { return EncodeThroughGdiplus(L"image/png", -1, -1, out); };
    // With properties our writer goes first, so that they are written.
    if (pngTexts_.empty() && pngNumbers_.empty()) return gdiplus() || own();
    return own() || gdiplus();
}

bool cAlphaImage::SaveToStream_Bitmap(std::vector<std::uint8_t>& outStream, bool KeepPreMultipliedPixels,
                                      std::int32_t TransparentFillColor) {
    return dib_ && SaveAsBMP(ToPixelImage(), outStream, KeepPreMultipliedPixels, TransparentFillColor);
}
bool cAlphaImage::SaveToFile_Bitmap(const std::wstring& FileName, bool KeepPreMultipliedPixels,
                                    std::int32_t TransparentFillColor, bool PromptOverwrite) {
    return WriteFileChecked(FileName, PromptOverwrite, [&](std::vector<std::uint8_t>& b) {
        return SaveToStream_Bitmap(b, KeepPreMultipliedPixels, TransparentFillColor);
    });
}

bool cAlphaImage::SaveToStream_PNG(std::vector<std::uint8_t>& outStream) { return EncodePng(outStream); }
bool cAlphaImage::SaveToFile_PNG(const std::wstring& FileName, bool PromptOverwrite) {
    return WriteFileChecked(FileName, PromptOverwrite, [&](std::vector<std::uint8_t>& b) { return EncodePng(b); });
}

bool cAlphaImage::SaveToStream_JPG(std::vector<std::uint8_t>& outStream, std::int32_t Quality,
                                   std::int32_t TransparentFillColor) {
    if (!dib_) return false;
    if (EncodeThroughGdiplus(L"image/jpeg", std::max(Quality, 0), TransparentFillColor, outStream)) return true;
    try {
        cJPGWriter writer;
        writer.SetQuality(Quality);
        return writer.Write(ToPixelImage(), outStream, TransparentFillColor);
    } catch (const PanorelError&) {  // a bad table or sampling ends the save
        return false;
    }
}
bool cAlphaImage::SaveToFile_JPG(const std::wstring& FileName, std::int32_t Quality, std::int32_t TransparentFillColor,
                                 bool PromptOverwrite) {
    return WriteFileChecked(FileName, PromptOverwrite, [&](std::vector<std::uint8_t>& b) {
        return SaveToStream_JPG(b, Quality, TransparentFillColor);
    });
}

bool cAlphaImage::SaveToStream_GIF(std::vector<std::uint8_t>& outStream, bool UseAdaptivePalette,
                                   std::uint8_t OpaquenessTolerance) {
    return dib_ && SaveAsGIF(ToPixelImage(), outStream, UseAdaptivePalette, OpaquenessTolerance);
}
bool cAlphaImage::SaveToFile_GIF(const std::wstring& FileName, bool UseAdaptivePalette,
                                 std::uint8_t OpaquenessTolerance, bool PromptOverwrite) {
    return WriteFileChecked(FileName, PromptOverwrite, [&](std::vector<std::uint8_t>& b) {
        return SaveToStream_GIF(b, UseAdaptivePalette, OpaquenessTolerance);
    });
}

bool cAlphaImage::SaveToStream_TGA(std::vector<std::uint8_t>& outStream, bool Compress, bool ReduceBitDepth,
                                   bool AllowPreMultipliedPixels) {
    return dib_ && SaveAsTGA(ToPixelImage(), outStream, Compress, ReduceBitDepth, AllowPreMultipliedPixels);
}
bool cAlphaImage::SaveToFile_TGA(const std::wstring& FileName, bool Compress, bool ReduceBitDepth,
                                 bool AllowPreMultipliedPixels, bool PromptOverwrite) {
    return WriteFileChecked(FileName, PromptOverwrite, [&](std::vector<std::uint8_t>& b) {
        return SaveToStream_TGA(b, Compress, ReduceBitDepth, AllowPreMultipliedPixels);
    });
}

bool cAlphaImage::PngPropertySet(std::int32_t PropertyID, const PngPropertyValue& PropertyValue,
                                 const std::wstring& Caption_Misc) {
    // Without memory for it the property is not stored; a replaced one stays removed.
    return FailOnBadAlloc(false, [&] {
        if (PropertyID == -1) {
            pngTexts_.clear();
            pngTextKeywords_.clear();
            pngNumbers_.clear();
            return true;
        }
        const bool numeric = PropertyID >= kPngPropertyBackground && PropertyID <= kPngPropertyTime &&
                             (PropertyID & (PropertyID - 1)) == 0;
        std::wstring keyword = PropertyID == 0 ? Caption_Misc : FromAnsi(std::string(PngTextKeyword(PropertyID)));
        if (!numeric && (keyword.empty() || keyword.size() > 79)) return false;
        // Replace what was stored under this property.
        for (std::size_t i = pngTexts_.size(); i-- > 0;)
            if (pngTexts_[i].first == PropertyID && (PropertyID != 0 || pngTextKeywords_[i] == keyword)) {
                pngTexts_.erase(pngTexts_.begin() + static_cast<std::ptrdiff_t>(i));
                pngTextKeywords_.erase(pngTextKeywords_.begin() + static_cast<std::ptrdiff_t>(i));
            }
        pngNumbers_.erase(std::remove_if(pngNumbers_.begin(), pngNumbers_.end(),
                                         [&](const auto& p) { return p.first == PropertyID; }),
                          pngNumbers_.end());
        if (std::holds_alternative<std::monostate>(PropertyValue)) return true;  // removed
        if (numeric) {
            if (!std::holds_alternative<std::int64_t>(PropertyValue)) return false;
            pngNumbers_.emplace_back(PropertyID, std::get<std::int64_t>(PropertyValue));
            return true;
        }
        if (!std::holds_alternative<std::wstring>(PropertyValue)) return false;
        pngTextKeywords_.reserve(pngTextKeywords_.size() + 1);
        pngTexts_.emplace_back(PropertyID, std::get<std::wstring>(PropertyValue));
        pngTextKeywords_.push_back(std::move(keyword));  // cannot throw after the reserve
        return true;
    });
}

bool cAlphaImage::PngPropertySet(const std::wstring& PropertyName, const PngPropertyValue& PropertyValue) {
    const std::int32_t id = FailOnBadAlloc(0, [&] { return PngPropertyIdFromName(ToAnsi(PropertyName)); });
    return id != 0 && PngPropertySet(id, PropertyValue);
}

cAlphaImage::PngPropertyValue cAlphaImage::PngPropertyGet(std::int32_t PropertyID,
                                                          const std::wstring& Caption_Misc) const {
    return FailOnBadAlloc(PngPropertyValue{}, [&]() -> PngPropertyValue {
        for (std::size_t i = 0; i < pngTexts_.size(); ++i)
            if (pngTexts_[i].first == PropertyID && (PropertyID != 0 || pngTextKeywords_[i] == Caption_Misc))
                return pngTexts_[i].second;
        for (const auto& [id, value] : pngNumbers_)
            if (id == PropertyID) return value;
        return {};
    });
}

}  // namespace panorel::imaging
