// cAlphaImage's loaders: every source ends in Detect, which runs the
// detection chain with the platform's GIF and GDI+ loaders as hooks.
#include "imaging/cAlphaImage.h"

#include <shellapi.h>
#include <olectl.h>

#include <algorithm>
#include <cstring>

#include "host/GlobalBlock.h"
#include "imaging/ZlibRuntime.h"
#include "imaging/cBMPparser.h"
#include "imaging/cGDIPlus.h"
#include "imaging/cICOparser.h"
#include "imaging/modParsersWin32.h"

namespace panorel::imaging {
namespace {

std::function<void(const std::wstring&)>& PngErrorReporter() {
    static std::function<void(const std::wstring&)> reporter = [](const std::wstring& text) {
        ::MessageBoxW(nullptr, text.c_str(), nullptr, MB_OK | MB_ICONEXCLAMATION);
    };
    return reporter;
}

// Files beyond this are not read into memory at all.
constexpr std::uint64_t kMaxFileBytes = std::uint64_t{512} << 20;

bool ReadWholeFile(const std::wstring& name, std::vector<std::uint8_t>& bytes) {
    KernelHandle file(::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart <= static_cast<LONGLONG>(cAlphaImage::kMaxRefusedFileSize) ||
        static_cast<std::uint64_t>(size.QuadPart) > kMaxFileBytes ||
        !FailOnBadAlloc(false, [&] { return bytes.resize(static_cast<std::size_t>(size.QuadPart)), true; }))
        return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 24));
        if (!::ReadFile(file.get(), bytes.data() + done, want, &got, nullptr) || got == 0) return false;
        done += got;
    }
    return true;
}

// The names a drop holds; none when there is no memory for them.
std::vector<std::wstring> NamesFromDrop(HDROP drop) {
    return FailOnBadAlloc(std::vector<std::wstring>{}, [&] {
        std::vector<std::wstring> names;
        const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFFu, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            UINT len = ::DragQueryFileW(drop, i, nullptr, 0);
            std::wstring name(len + 1, L'\0');
            ::DragQueryFileW(drop, i, name.data(), len + 1);
            name.resize(len);
            names.push_back(std::move(name));
        }
        return names;
    });
}

}  // namespace

void cAlphaImage::SetPngErrorReporter(std::function<void(const std::wstring&)> reporter) {
    PngErrorReporter() = std::move(reporter);
}

bool cAlphaImage::Detect(const std::uint8_t* data, std::size_t size, std::int32_t iconCx, std::int32_t iconCy,
                         std::int32_t iconBitDepth) {
    DestroyDIB();
    iconSizes_.clear();
    ParseOptions options;
    options.zlib = ZlibRuntime::Api();
    options.iconCx = iconCx;
    options.iconCy = iconCy;
    options.iconBitDepth = iconBitDepth;
    DetectHooks hooks;
    if (gdiplusEnabled_) {
        auto throughGdiplus = [this](const std::uint8_t* d, std::size_t n, PixelImage& out) {
            GdiplusSession session(Gdi(), gdiToken_);
            return session && Gdi().LoadImage(d, n, ImageLimits{}, out);
        };
        hooks.pngThroughPlatform = throughGdiplus;
        hooks.platformAny = throughGdiplus;
    }
    hooks.gif = [](const std::uint8_t* d, std::size_t n, PixelImage& out) { return GifThroughPicture(d, n, out); };
    hooks.pngError = [](const std::string& text) {
        if (PngErrorReporter()) PngErrorReporter()(std::wstring(text.begin(), text.end()));
    };
    PixelImage image;
    const bool ok = DetectAndParse(data, size, options, hooks, image) && FromPixelImage(image) &&
                    FailOnBadAlloc(false, [&] {
                        cICOparser ico;
                        if (ico.ReadDirectory(data, size))
                            for (const auto& e : ico.Entries()) iconSizes_.emplace_back(e.Width, e.Height);
                        return true;
                    });
    if (!ok) DestroyDIB();
    return ok;
}

bool cAlphaImage::LoadPicture_File(const std::wstring& FileName, std::int32_t iconCx, std::int32_t iconCy,
                                   bool SaveFormat, std::int32_t iconBitDepth) {
    DestroyDIB();
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(FileName, bytes) || !Detect(bytes.data(), bytes.size(), iconCx, iconCy, iconBitDepth))
        return false;
    if (SaveFormat) original_ = std::move(bytes);
    return true;
}

bool cAlphaImage::LoadPicture_Stream(const std::vector<std::uint8_t>& inStream, std::int32_t iconCx,
                                     std::int32_t iconCy, std::int64_t streamStart, std::int64_t streamLength,
                                     bool SaveFormat, std::int32_t iconBitDepth) {
    return LoadFromBytes(inStream.data(), inStream.size(), iconCx, iconCy, streamStart, streamLength, SaveFormat,
                         iconBitDepth);
}

bool cAlphaImage::LoadFromBytes(const std::uint8_t* data, std::size_t size, std::int32_t iconCx, std::int32_t iconCy,
                                std::int64_t streamStart, std::int64_t streamLength, bool SaveFormat,
                                std::int32_t iconBitDepth) {
    DestroyDIB();
    if (streamStart < 0) streamStart = 0;
    const auto total = static_cast<std::int64_t>(size);
    if (streamStart >= total) return false;
    if (streamLength <= 0 || streamLength > total - streamStart) streamLength = total - streamStart;
    if (streamLength < static_cast<std::int64_t>(kMinStreamSize)) return false;
    const std::uint8_t* begin = data + streamStart;
    const auto length = static_cast<std::size_t>(streamLength);
    if (!Detect(begin, length, iconCx, iconCy, iconBitDepth)) return false;
    // The kept bytes are part of what was asked: no memory for them is a failed load.
    if (SaveFormat && !FailOnBadAlloc(false, [&] { return original_.assign(begin, begin + length), true; })) {
        DestroyDIB();
        return false;
    }
    return true;
}

bool cAlphaImage::LoadPicture_FromOrignalFormat(std::int32_t iconCx, std::int32_t iconCy, std::int32_t iconBitDepth) {
    if (original_.empty()) return false;
    std::vector<std::uint8_t> bytes = std::move(original_);
    if (!Detect(bytes.data(), bytes.size(), iconCx, iconCy, iconBitDepth)) return false;
    original_ = std::move(bytes);
    return true;
}

bool cAlphaImage::LoadPicture_Resource(const ResourceName& ResIndex, const ResourceSection& ResSection,
                                       HMODULE ResModule, std::int32_t iconCx, std::int32_t iconCy,
                                       std::int64_t streamStart, std::int64_t streamLength, std::int32_t iconBitDepth) {
    DestroyDIB();
    auto resourceId = [](const ResourceName& n) -> const wchar_t* {
        if (const int* id = std::get_if<int>(&n)) return MAKEINTRESOURCEW(*id);
        return std::get<std::wstring>(n).c_str();
    };
    const wchar_t* name = resourceId(ResIndex);
    if (!ResModule) ResModule = ::GetModuleHandleW(nullptr);
    if (const PictureResource* kind = std::get_if<PictureResource>(&ResSection)) {
        const UINT type = *kind == PictureResource::Bitmap ? IMAGE_BITMAP
                          : *kind == PictureResource::Icon  ? IMAGE_ICON
                                                            : IMAGE_CURSOR;
        HANDLE h = ::LoadImageW(ResModule, name, type, 0, 0, type == IMAGE_BITMAP ? LR_CREATEDIBSECTION : LR_DEFAULTCOLOR);
        if (!h) return false;
        // Each kind goes back to the system its own way once read.
        const BitmapHandle bitmap(type == IMAGE_BITMAP ? static_cast<HBITMAP>(h) : nullptr);
        const IconHandle icon(type == IMAGE_ICON ? static_cast<HICON>(h) : nullptr);
        const CursorHandle cursor(type == IMAGE_CURSOR ? static_cast<HCURSOR>(h) : nullptr);
        return LoadPicture_ByHandle(h);
    }
    const wchar_t* type = nullptr;
    if (const std::wstring* s = std::get_if<std::wstring>(&ResSection)) type = s->c_str();
    else type = resourceId(std::get<ResourceType>(ResSection).type);
    HRSRC found = ::FindResourceW(ResModule, name, type);
    if (!found) return false;
    HGLOBAL loaded = ::LoadResource(ResModule, found);
    const auto* data = loaded ? static_cast<const std::uint8_t*>(::LockResource(loaded)) : nullptr;
    const DWORD size = ::SizeofResource(ResModule, found);
    if (!data || size == 0) return false;
    return LoadFromBytes(data, size, iconCx, iconCy, streamStart, streamLength, false, iconBitDepth);
}

bool cAlphaImage::LoadPicture_StdPicture(IPicture* Picture) {
    DestroyDIB();
    if (!Picture) return false;
    SHORT type = PICTYPE_NONE;
    OLE_HANDLE handle = 0;
    if (FAILED(Picture->get_Type(&type)) || FAILED(Picture->get_Handle(&handle)) || !handle) return false;
    HANDLE h = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(handle));
    if (type == PICTYPE_BITMAP || type == PICTYPE_ICON) return LoadPicture_ByHandle(h);
    return false;
}

bool cAlphaImage::LoadPicture_ByHandle(HANDLE Handle) {
    DestroyDIB();
    if (!Handle) return false;
    PixelImage image;
    const bool ok = ::GetObjectType(Handle) == OBJ_BITMAP ? ConvertstdPicTo32bpp(static_cast<HBITMAP>(Handle), image)
                                                           : ConvertstdPicTo32bpp(static_cast<HICON>(Handle), image);
    return ok && FromPixelImage(image);
}

bool cAlphaImage::LoadPicture_ClipBoard() {
    DestroyDIB();
    std::vector<std::wstring> files;
    std::vector<std::uint8_t> bytes;
    PixelImage image;
    bool haveImage = false;
    {
        const ClipboardSession clip;
        if (!clip.IsOpen()) return false;
        static const UINT pngFormat = ::RegisterClipboardFormatW(L"PNG");
        auto copyGlobal = [&](UINT format) {
            HANDLE h = ::GetClipboardData(format);
            if (!h) return false;
            const SIZE_T size = ::GlobalSize(h);
            const host::LockedGlobal lock(h);
            const auto* p = static_cast<const std::uint8_t*>(lock.data());
            if (p && size) FailOnBadAlloc(false, [&] { return bytes.assign(p, p + size), true; });
            return !bytes.empty();
        };
        if (::IsClipboardFormatAvailable(CF_HDROP)) {
            if (HANDLE h = ::GetClipboardData(CF_HDROP)) files = NamesFromDrop(static_cast<HDROP>(h));
        } else if (::IsClipboardFormatAvailable(pngFormat) && copyGlobal(pngFormat)) {
        } else if (::IsClipboardFormatAvailable(CF_DIB) && copyGlobal(CF_DIB)) {
            haveImage = cBMPparser::LoadDib(bytes.data(), bytes.size(), DibOptions{}, ImageLimits{}, image) ==
                        ParseResult::Loaded;
            bytes.clear();
        } else if (HANDLE h = ::GetClipboardData(CF_BITMAP)) {
            haveImage = ConvertstdPicTo32bpp(static_cast<HBITMAP>(h), image);
        }
    }
    if (haveImage) return FromPixelImage(image);
    if (!files.empty()) return LoadPicture_File(files[0]);
    if (!bytes.empty()) return LoadPicture_Stream(bytes);
    return false;
}

std::vector<std::wstring> cAlphaImage::GetDroppedFileNames(IDataObject* DragDrop_DataObject) {
    std::vector<std::wstring> names;
    if (!DragDrop_DataObject) return names;
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (FAILED(DragDrop_DataObject->GetData(&format, &medium))) return names;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
        const host::LockedGlobal lock(medium.hGlobal);
        if (lock.data()) names = NamesFromDrop(static_cast<HDROP>(lock.data()));
    }
    ::ReleaseStgMedium(&medium);
    return names;
}

std::vector<std::wstring> cAlphaImage::GetPastedFileNames() {
    const ClipboardSession clip;
    if (!clip.IsOpen() || !::IsClipboardFormatAvailable(CF_HDROP)) return {};
    HANDLE h = ::GetClipboardData(CF_HDROP);
    return h ? NamesFromDrop(static_cast<HDROP>(h)) : std::vector<std::wstring>{};
}

bool cAlphaImage::LoadPicture_DropedFiles(IDataObject* DragDrop_DataObject, std::int32_t FileIndex,
                                          std::int32_t iconCx, std::int32_t iconCy, bool SaveFormat,
                                          std::int32_t iconBitDepth) {
    DestroyDIB();
    auto names = GetDroppedFileNames(DragDrop_DataObject);
    if (FileIndex < 1 || static_cast<std::size_t>(FileIndex) > names.size()) return false;
    return LoadPicture_File(names[static_cast<std::size_t>(FileIndex) - 1], iconCx, iconCy, SaveFormat, iconBitDepth);
}

bool cAlphaImage::LoadPicture_PastedFiles(std::int32_t FileIndex, std::int32_t iconCx, std::int32_t iconCy,
                                          bool SaveFormat, std::int32_t iconBitDepth, std::int32_t* FileCount) {
    DestroyDIB();
    auto names = GetPastedFileNames();
    if (FileCount) *FileCount = static_cast<std::int32_t>(names.size());
    if (FileIndex < 1 || static_cast<std::size_t>(FileIndex) > names.size()) return false;
    return LoadPicture_File(names[static_cast<std::size_t>(FileIndex) - 1], iconCx, iconCy, SaveFormat, iconBitDepth);
}

}  // namespace panorel::imaging
