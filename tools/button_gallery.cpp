// Draws every styled-button style in each visual state (normal, hot,
// pressed, disabled, focused), each with a caption, a picture on the left and
// a drop-down symbol, clipped to its window region, into one 24-bit BMP:
//   wine button_gallery.exe out.bmp
// (docs/images/button-styles.png is that file converted to PNG.)
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "stylebutton/VLM_StyleButton.h"

namespace {

constexpr int kCellW = 201, kCellH = 41, kGapX = 14, kGapY = 10, kLabelW = 130, kHeaderH = 30;
constexpr int kStyles = 14, kLooks = 5;
const wchar_t* const kStyleNames[kStyles] = {L"0 Classic", L"1 ThinRaised", L"2 Glossy",   L"3 Honey",
                                             L"4 Toolbar", L"5 Orange",     L"6 Silver",   L"7 Gold",
                                             L"8 Sunrise", L"9 FlatHover",  L"10 Soft",    L"11 HoverRaised",
                                             L"12 HoverThin", L"13 SystemTheme"};
const wchar_t* const kLookNames[kLooks] = {L"normal", L"hot", L"pressed", L"disabled", L"focused"};

bool WriteBmp(const char* path, const void* bits, int width, int height) {
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{sizeof info, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(stride) * height;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out.write(static_cast<const char*>(bits), static_cast<std::streamsize>(stride) * height);
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace panorel;
    const char* outPath = argc > 1 ? argv[1] : "button-styles.bmp";
    const int width = kLabelW + kLooks * (kCellW + kGapX);
    const int height = kHeaderH + kStyles * (kCellH + kGapY);

    BITMAPINFO bmi{};
    bmi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    BitmapHandle canvas(::CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
    MemoryDcHandle dc(::CreateCompatibleDC(nullptr));
    if (!canvas || !dc) return 1;
    SelectionGuard selectCanvas(dc.get(), canvas.get());
    RECT all{0, 0, width, height};
    ::FillRect(dc.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::SetBkMode(dc.get(), TRANSPARENT);
    SelectionGuard selectFont(dc.get(), ::GetStockObject(DEFAULT_GUI_FONT));
    for (int look = 0; look < kLooks; ++look) {
        RECT r{kLabelW + look * (kCellW + kGapX), 0, kLabelW + look * (kCellW + kGapX) + kCellW, kHeaderH};
        ::DrawTextW(dc.get(), kLookNames[look], -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }

    const HWND parent = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 100, nullptr, nullptr, nullptr, nullptr);
    host::ControlContainer container(parent);
    VLM_StyleButton button(container, L"cmdGallery", 0, 0, kCellW, kCellH);
    button.InitProperties();
    button.Caption(L"Start Panorel");
    button.picLocation(L"BUTTONPIC", L"PICTURE");
    button.Let(stylebutton::Prop::PictureNormal, stylebutton::PictureBytes{1});
    button.Let(stylebutton::Prop::PictureAlign, 0);
    button.Let(stylebutton::Prop::DropDownSymbol, 6);
    for (int style = 0; style < kStyles; ++style) {
        const int top = kHeaderH + style * (kCellH + kGapY);
        RECT label{4, top, kLabelW - 8, top + kCellH};
        ::DrawTextW(dc.get(), kStyleNames[style], -1, &label, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        for (int look = 0; look < kLooks; ++look) {
            button.ButtonStyle(style);
            button.Enabled(look != 3);
            button.Focus(look == 4, true);
            button.VisualState(look == 1 ? 1 : look == 2 ? 2 : 0);
            const int left = kLabelW + look * (kCellW + kGapX);
            // Only what the window region keeps is seen on the screen.
            RegionHandle region(::CreateRectRgn(0, 0, 0, 0));
            const bool shaped = ::GetWindowRgn(button.hWnd(), region.get()) != ERROR;
            if (shaped) {
                ::OffsetRgn(region.get(), left, top);
                ::SelectClipRgn(dc.get(), region.get());
            }
            ::BitBlt(dc.get(), left, top, kCellW, kCellH, button.hDC(), 0, 0, SRCCOPY);
            ::SelectClipRgn(dc.get(), nullptr);
        }
    }
    ::GdiFlush();
    ::DestroyWindow(parent);
    if (!WriteBmp(outPath, bits, width, height)) return 2;
    std::printf("%s: %d x %d\n", outPath, width, height);
    return 0;
}
