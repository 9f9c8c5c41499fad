#pragma once
// One image as a 32-bit, bottom-up DIB section with premultiplied alpha, and
// its drawing: opacity, grey-scale, light adjustment, mirroring, stretching
// and rotation onto any DC or another cAlphaImage. Loads from files, bytes,
// resources, picture objects, handles, the clipboard and dropped or pasted
// files; every loader ends in the one detection chain (modParsers).
//
// Sizes: what the loaders read comes from outside and is refused beyond the
// readers' limits (ImageLimits: 16384 per side, 256 MiB of pixels). Images
// made in memory (InitializeDIB, ScaleImage, Resize, TileImage, CopyImageTo,
// CreateDropShadow) are the caller's own request and take kMemoryLimits: what
// a 32-bit DIB section can describe. Running out of memory anywhere is a
// false (or empty) result; an operation that fails so leaves the image as it
// was, except a load, which leaves no image.
#include <windows.h>
#include <objidl.h>
#include <ocidl.h>

#include <any>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "host/Handles.h"
#include "imaging/AlphaCompose.h"
#include "imaging/PixelImage.h"

namespace panorel::imaging {

class cGDIPlus;

// A resource's name or number, and the section it lives in: a resource type
// (name or number) whose data is read as bytes, or one of the picture kinds.
using ResourceName = std::variant<int, std::wstring>;
enum class PictureResource { Bitmap = 0, Icon = 1, Cursor = 2 };
struct ResourceType {
    ResourceName type;
};
using ResourceSection = std::variant<std::wstring, ResourceType, PictureResource>;

class cAlphaImage {
public:
    cAlphaImage();
    ~cAlphaImage();
    cAlphaImage(const cAlphaImage&) = delete;
    cAlphaImage& operator=(const cAlphaImage&) = delete;

    // --- properties
    std::int32_t Width() const noexcept { return width_; }
    std::int32_t Height() const noexcept { return height_; }
    std::int32_t ImageType() const noexcept { return imageType_; }
    void ImageType(std::int32_t value) noexcept { imageType_ = value; }
    std::int32_t Alpha() const noexcept { return alpha_; }
    void Alpha(std::int32_t value) noexcept { alpha_ = value; }
    bool HighQualityInterpolation() const noexcept { return highQuality_; }
    void HighQualityInterpolation(bool value) noexcept { highQuality_ = value; }
    bool ManageOwnDC() const noexcept { return manageOwnDC_; }
    void ManageOwnDC(bool value);
    bool isAlphaBlendFriendly() const noexcept { return alphaBlendFriendly_; }
    void isAlphaBlendFriendly(bool value) noexcept;
    bool isGDIplusEnabled() const noexcept { return gdiplusEnabled_; }
    void isGDIplusEnabled(bool value);
    bool isZlibEnabled() const;
    bool KeepGDIplusActive() const noexcept { return keepGdiplus_; }
    void KeepGDIplusActive(bool value);
    ULONG_PTR gdiToken() const noexcept { return gdiToken_; }
    std::int32_t CapabilityFlags() const noexcept { return capabilities_; }
    std::any Tag;
    std::uint8_t* BitsPointer() const noexcept { return bits_; }
    std::int32_t scanWidth() const noexcept { return width_ * 4; }
    HBITMAP Handle() const noexcept { return dib_.get(); }
    // Images made in memory: the DIB header's 32-bit image size (width *
    // height * 4 bytes) and a scan line that fits scanWidth.
    static constexpr ImageLimits kMemoryLimits{0x1FFFFFFF, 0xFFFFFFFFu};

    // --- lifetime
    bool InitializeDIB(std::int32_t Width, std::int32_t Height);
    void EraseDIB();
    void DestroyDIB();
    HDC LoadDIBinDC(bool bLoad);
    bool CopyImageTo(cAlphaImage& cDIBclass, std::int32_t newWidth = 0, std::int32_t newHeight = 0,
                     bool CopyOriginalFormat = false);
    void SwapDIBs(cAlphaImage& SwapFromDIB);
    const std::vector<std::uint8_t>& GetOrginalFormat() const noexcept { return original_; }

    // --- loading (FileIndex counts from 1)
    bool LoadPicture_File(const std::wstring& FileName, std::int32_t iconCx = 0, std::int32_t iconCy = 0,
                          bool SaveFormat = false, std::int32_t iconBitDepth = 32);
    bool LoadPicture_Stream(const std::vector<std::uint8_t>& inStream, std::int32_t iconCx = 0, std::int32_t iconCy = 0,
                            std::int64_t streamStart = 0, std::int64_t streamLength = 0, bool SaveFormat = false,
                            std::int32_t iconBitDepth = 32);
    bool LoadPicture_Resource(const ResourceName& ResIndex, const ResourceSection& ResSection,
                              HMODULE ResModule = nullptr, std::int32_t iconCx = 0, std::int32_t iconCy = 0,
                              std::int64_t streamStart = 0, std::int64_t streamLength = 0,
                              std::int32_t iconBitDepth = 32);
    bool LoadPicture_StdPicture(IPicture* Picture);
    bool LoadPicture_ByHandle(HANDLE Handle);
    bool LoadPicture_ClipBoard();
    bool LoadPicture_DropedFiles(IDataObject* DragDrop_DataObject, std::int32_t FileIndex = 1, std::int32_t iconCx = 0,
                                 std::int32_t iconCy = 0, bool SaveFormat = false, std::int32_t iconBitDepth = 32);
    bool LoadPicture_PastedFiles(std::int32_t FileIndex = 1, std::int32_t iconCx = 0, std::int32_t iconCy = 0,
                                 bool SaveFormat = false, std::int32_t iconBitDepth = 32,
                                 std::int32_t* FileCount = nullptr);
    bool LoadPicture_FromOrignalFormat(std::int32_t iconCx = 0, std::int32_t iconCy = 0, std::int32_t iconBitDepth = 32);
    static std::vector<std::wstring> GetDroppedFileNames(IDataObject* DragDrop_DataObject);
    static std::vector<std::wstring> GetPastedFileNames();
    // Icon sizes of the last icon or cursor source (width, height pairs).
    const std::vector<std::pair<std::int32_t, std::int32_t>>& SourceIconSizes() const noexcept { return iconSizes_; }

    // --- drawing
    bool Render(HDC destinationDC, std::int32_t destX = 0, std::int32_t destY = 0, std::int32_t destWidth = 0,
                std::int32_t destHeight = 0, std::int32_t SrcX = 0, std::int32_t SrcY = 0, std::int32_t srcWidth = 0,
                std::int32_t srcHeight = 0, std::int32_t Opacity = 100, bool Blend = true, bool SetHalfTone = true,
                cAlphaImage* destHostDIB = nullptr, std::int32_t grayScale = -1, std::int32_t LightAdjustment = 0,
                float Angle = 0, bool CenterOnDestXY = false);
    bool DrawText_hFont(HDC hDC, const std::wstring& Text, HFONT hFont, RECT bounds, UINT Alignment = DT_LEFT,
                        COLORREF ForeColor = 0, COLORREF BackColor = CLR_INVALID, std::int32_t Opacity = 100,
                        std::int32_t grayScale = -1, float Angle = 0, bool CenterOnDestXY = false);
    bool DrawText_stdFont(HDC hDC, const std::wstring& Text, IFont* Font, RECT bounds, UINT Alignment = DT_LEFT,
                          COLORREF ForeColor = 0, COLORREF BackColor = CLR_INVALID, std::int32_t Opacity = 100,
                          std::int32_t grayScale = -1, float Angle = 0, bool CenterOnDestXY = false);
    bool RenderDropShadow_JIT(HDC hDC, std::int32_t X, std::int32_t Y, std::int32_t blurDepth = 3,
                              COLORREF Color = 0, std::int32_t Opacity = 50, std::int32_t LightAdjustment = 0,
                              cAlphaImage* destHostDIB = nullptr);

    // --- pixel access (X, Y from the top-left corner)
    COLORREF GetPixel(std::int32_t X, std::int32_t Y, std::int32_t* AlphaValue = nullptr,
                      bool asPreMultiplied = false) const;
    bool SetPixel(std::int32_t X, std::int32_t Y, COLORREF Color, std::int32_t AlphaValue = 255,
                  bool isPreMultiplied = false);
    // Pixel bytes in the asked layout: BGR(A) or RGB(A) order, 32 or 24 bits,
    // rows padded to 4 bytes or not, bottom-up or top-down.
    std::vector<std::uint8_t> GetDIBbits(bool asBGRformat = true, bool as32bpp = true, bool asWordAligned = true,
                                         bool asBottomUp = true, bool asPreMultiplied = true) const;
    bool SetDIBbits(const std::vector<std::uint8_t>& inStream, bool isPreMultiplied = true, bool isBGRformat = true,
                    bool is32bpp = true, bool isWordAligned = true, bool isBottomUp = true);
    // One byte per pixel, top row first: the alpha values.
    std::vector<std::uint8_t> GetAlphaMask() const;
    // A region of the pixels whose alpha is above 0 (Style 0) or 255 only (Style 1), offset as asked.
    HRGN CreateRegion(std::int32_t Style = 0, std::int32_t xOffset = 0, std::int32_t yOffset = 0) const;

    // --- geometry
    bool ScaleImage(std::int32_t destWidth, std::int32_t destHeight, std::int32_t ScaleMode = 0);
    bool Resize(std::int32_t newWidth, std::int32_t newHeight);
    bool TrimImage(bool UpdateDIB = true, std::int32_t Method = 0, std::int32_t* X = nullptr, std::int32_t* Y = nullptr,
                   std::int32_t* Width = nullptr, std::int32_t* Height = nullptr);
    bool TileImage(std::int32_t newWidth, std::int32_t newHeight);
    bool MirrorImage(bool MirrorAxisX, bool MirrorAxisY);

    // --- effects
    void MakeGrayScale(std::int32_t Formula = 0);
    void MakeImageInverse();
    void MakeTransparent(COLORREF TransparentColor, bool Revert = false);
    void MakeLighterDarker(std::int32_t Percent);
    void BlendToColor(COLORREF BlendColor, std::int32_t BlendOpacity);
    bool CreateCheckerBoard(std::int32_t CheckerSize, COLORREF FirstColor, COLORREF SecondColor);
    std::unique_ptr<cAlphaImage> CreateDropShadow(std::int32_t blurDepth, COLORREF Color) const;

    // --- saving (cAlphaImageSave.cpp). Colours are 0x00BBGGRR, negative for
    // none. Files are written whole or not at all.
    bool SaveToFile_Bitmap(const std::wstring& FileName, bool KeepPreMultipliedPixels = false,
                           std::int32_t TransparentFillColor = -1, bool PromptOverwrite = true);
    bool SaveToStream_Bitmap(std::vector<std::uint8_t>& outStream, bool KeepPreMultipliedPixels = false,
                             std::int32_t TransparentFillColor = -1);
    bool SaveToFile_PNG(const std::wstring& FileName, bool PromptOverwrite = true);
    bool SaveToStream_PNG(std::vector<std::uint8_t>& outStream);
    bool SaveToFile_JPG(const std::wstring& FileName, std::int32_t Quality = 90, std::int32_t TransparentFillColor = -1,
                        bool PromptOverwrite = true);
    bool SaveToStream_JPG(std::vector<std::uint8_t>& outStream, std::int32_t Quality = 90,
                          std::int32_t TransparentFillColor = -1);
    bool SaveToFile_GIF(const std::wstring& FileName, bool UseAdaptivePalette = true,
                        std::uint8_t OpaquenessTolerance = 0, bool PromptOverwrite = true);
    bool SaveToStream_GIF(std::vector<std::uint8_t>& outStream, bool UseAdaptivePalette = true,
                          std::uint8_t OpaquenessTolerance = 0);
    bool SaveToFile_TGA(const std::wstring& FileName, bool Compress = false, bool ReduceBitDepth = false,
                        bool AllowPreMultipliedPixels = false, bool PromptOverwrite = true);
    bool SaveToStream_TGA(std::vector<std::uint8_t>& outStream, bool Compress = false, bool ReduceBitDepth = false,
                          bool AllowPreMultipliedPixels = false);
    // PNG properties for later PNG saves. PropertyID is a flag of the keyword
    // table (text), 1024 background colour, 2048 dots per inch, 4096 gamma x
    // 100000, 8192 modification time (seconds since 1970, UTC), or 0 for a
    // text whose keyword is Caption_Misc; -1 discards all. An empty value
    // removes the property. A name instead of a number is looked up ignoring case.
    using PngPropertyValue = std::variant<std::monostate, std::wstring, std::int64_t>;
    bool PngPropertySet(std::int32_t PropertyID, const PngPropertyValue& PropertyValue = {},
                        const std::wstring& Caption_Misc = L"");
    bool PngPropertySet(const std::wstring& PropertyName, const PngPropertyValue& PropertyValue = {});
    PngPropertyValue PngPropertyGet(std::int32_t PropertyID, const std::wstring& Caption_Misc = L"") const;
    // The question before overwriting a file: gets the text, caption and
    // MessageBox flags, returns the button's id. A message box by default;
    // tests put their own here.
    static void SetOverwritePrompt(std::function<int(const std::wstring&, const std::wstring&, UINT)> prompt);

    // --- GDI+
    ULONG_PTR CreateGDIplusToken();
    bool DestroyGDIplusToken(ULONG_PTR Token);

    // The portable picture of the pixels (empty without an image or without
    // memory for the copy), and back (replacing the image only once the new
    // one exists).
    PixelImage ToPixelImage() const;
    bool FromPixelImage(const PixelImage& image);
    // Where errors met while reading PNG data go: a message box by default;
    // tests put their own here.
    static void SetPngErrorReporter(std::function<void(const std::wstring&)> reporter);
    // Sources at most this long are refused before any parser runs.
    static constexpr std::size_t kMaxRefusedFileSize = 56;
    static constexpr std::size_t kMinStreamSize = 20;

private:
    bool Detect(const std::uint8_t* data, std::size_t size, std::int32_t iconCx, std::int32_t iconCy,
                std::int32_t iconBitDepth);
    bool LoadFromBytes(const std::uint8_t* data, std::size_t size, std::int32_t iconCx, std::int32_t iconCy,
                       std::int64_t streamStart, std::int64_t streamLength, bool SaveFormat, std::int32_t iconBitDepth);
    PixelImage CopyPixels() const;  // throws std::bad_alloc
    // The drawing settings of this image on another one (the text routines' intermediate).
    void CopyDrawingSettingsTo(cAlphaImage& other) const;
    // A new DIB section (pixels all zero) that replaces the current one.
    bool ReplaceDib(std::int32_t width, std::int32_t height);
    PixelView View() const;  // top-down view of the DIB
    bool RenderRotatedOrOwn(HDC dc, cAlphaImage* host, double left, double top, double width, double height,
                            std::int32_t sx, std::int32_t sy, std::int32_t sw, std::int32_t sh, double angle,
                            const ComposeParams& params);
    bool RenderGdiplus(HDC dc, std::int32_t dx, std::int32_t dy, std::int32_t dw, std::int32_t dh, std::int32_t sx,
                       std::int32_t sy, std::int32_t sw, std::int32_t sh, std::int32_t opacity,
                       std::int32_t grayScale, std::int32_t light);
    cGDIPlus& Gdi();
    bool WriteFileChecked(const std::wstring& FileName, bool PromptOverwrite,
                          const std::function<bool(std::vector<std::uint8_t>&)>& encode);
    bool EncodeThroughGdiplus(const wchar_t* mimeType, std::int32_t quality, std::int32_t fillColor,
                              std::vector<std::uint8_t>& out);
    bool EncodePng(std::vector<std::uint8_t>& out);

    BitmapHandle dib_;
    std::uint8_t* bits_ = nullptr;
    std::int32_t width_ = 0, height_ = 0;
    MemoryDcHandle dc_;
    HGDIOBJ previousBitmap_ = nullptr;
    bool manageOwnDC_ = false;
    std::int32_t imageType_ = kImageTypeNone;
    std::int32_t alpha_ = kAlphaOpaque;
    bool highQuality_ = false;
    std::int32_t capabilities_ = 0;
    bool alphaBlendFriendly_ = false;
    bool gdiplusEnabled_ = false;
    bool keepGdiplus_ = false;
    ULONG_PTR gdiToken_ = 0;
    std::unique_ptr<cGDIPlus> gdi_;
    std::vector<std::uint8_t> original_;
    std::vector<std::pair<std::int32_t, std::int32_t>> iconSizes_;
    std::vector<std::pair<std::int32_t, std::wstring>> pngTexts_;  // (flag or 0, keyword for 0) and text
    std::vector<std::wstring> pngTextKeywords_;                    // parallel to pngTexts_
    std::vector<std::pair<std::int32_t, std::int64_t>> pngNumbers_;
};

}  // namespace panorel::imaging
