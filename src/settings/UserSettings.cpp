#include "settings/UserSettings.h"

#include <cstring>
#include <string>

#include "host/AnsiText.h"
#include "settings/FontMetrics.h"

namespace panorel {

namespace {

SystemFontRecords& ProcessFonts() {
    static SystemFontRecords records;
    return records;
}

}  // namespace

void FetchSystemFonts(SystemFontRecords& records) {
    records.Metrics.cbSize = kNonClientMetricsSize;
    records.Loaded = ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 0, &records.Metrics, 0) != FALSE;
    if (records.Loaded)
        records.Loaded = ::SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof(LOGFONTA), &records.IconTitle, 0) !=
                         FALSE;
}

const LOGFONTA* LogFontOfType(const SystemFontRecords& records, std::int32_t fontType) {
    switch (fontType) {
        case 1: return &records.IconTitle;
        case 2: return &records.Metrics.lfCaptionFont;
        case 3: return &records.Metrics.lfSmCaptionFont;
        case 4: return &records.Metrics.lfMenuFont;
        case 5: return &records.Metrics.lfStatusFont;
        case 6: return &records.Metrics.lfMessageFont;
        default: return nullptr;
    }
}

void LoadSystemFonts() { FetchSystemFonts(ProcessFonts()); }

const SystemFontRecords& SystemFonts() { return ProcessFonts(); }

FontObject FontObjectFromLogFont(const LOGFONTA& font, std::int32_t logPixelsY) {
    // A face name may fill all 32 bytes without a terminator.
    const std::string face(font.lfFaceName, strnlen(font.lfFaceName, LF_FACESIZE));
    std::wstring name = FromAnsi(face);

    FONTDESC desc{};
    desc.cbSizeofstruct = sizeof(desc);
    desc.lpstrName = const_cast<LPOLESTR>(L"");
    desc.sWeight = FW_NORMAL;
    IFont* raw = nullptr;
    if (FAILED(::OleCreateFontIndirect(&desc, IID_IFont, reinterpret_cast<void**>(&raw))) || !raw) return {};
    FontObject object(raw);

    BSTR bstr = ::SysAllocStringLen(name.data(), static_cast<UINT>(name.size()));
    object->put_Name(bstr);
    ::SysFreeString(bstr);
    CY size{};
    size.int64 = static_cast<LONGLONG>(FontPointSize(font.lfHeight, logPixelsY) * 10000.0 + 0.5);
    object->put_Size(size);
    object->put_Charset(font.lfCharSet);
    object->put_Italic(font.lfItalic != 0);
    object->put_Underline(font.lfUnderline != 0);
    object->put_Strikethrough(font.lfStrikeOut != 0);
    object->put_Bold(IsBoldWeight(font.lfWeight));
    return object;
}

FontObject DefaultFont(HDC hDC, std::int32_t fontType) {
    if (!ProcessFonts().Loaded) LoadSystemFonts();
    const LOGFONTA* source = LogFontOfType(ProcessFonts(), fontType);
    if (!source) return {};
    const LOGFONTA font = *source;
    return FontObjectFromLogFont(font, ::GetDeviceCaps(hDC, LOGPIXELSY));
}

}  // namespace panorel
