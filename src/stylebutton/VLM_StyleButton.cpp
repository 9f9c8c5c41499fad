#include "stylebutton/VLM_StyleButton.h"

#include <olectl.h>

#include <cmath>
#include <cwctype>

#include "host/DibSection.h"
#include "host/PanorelError.h"
#include "host/Rounding.h"
#include "host/ScreenUnits.h"

namespace panorel {
namespace {

using namespace stylebutton;

constexpr wchar_t kClassName[] = L"Panorel2StyleButton";

template <class F>
void LoadProc(HMODULE module, const char* name, F& target) {
    target = reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

int TextLength(const std::wstring& text) {
    return text.size() > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(text.size());
}

bool IsBlank(const std::wstring& text) {
    for (wchar_t c : text)
        if (c != L' ') return false;
    return true;
}

}  // namespace

VLM_StyleButton::VLM_StyleButton(host::ControlContainer& container, const std::wstring& name, int left, int top,
                                 int width, int height)
    : site_(container, name), left_(left), top_(top), width_(width), height_(height),
      surfaceBackColor_(kButtonFace) {
    site_.Object = this;
    site_.AmbientChanged = [this](std::string_view ambient) {
        displayAsDefault_ = site_.Ambient().DisplayAsDefault;
        if (ambient == "DisplayAsDefault" || ambient == "BackColor") Redraw();
    };
    site_.AccessKeyPress = [this](std::int16_t key) { AccessKeyPress(key); };
    // The shell library stays loaded for the control's lifetime.
    shell_.reset(::LoadLibraryW(L"shell32.dll"));
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = 148;
    unicode_ = !::GetVersionExA(&version) || (version.dwPlatformId & 2) != 0;
    theme_.module.reset(::LoadLibraryW(L"uxtheme.dll"));
    if (theme_.module) {
        const HMODULE m = theme_.module.get();
        LoadProc(m, "IsThemeActive", theme_.IsThemeActive);
        LoadProc(m, "OpenThemeData", theme_.OpenThemeData);
        LoadProc(m, "CloseThemeData", theme_.CloseThemeData);
        LoadProc(m, "DrawThemeBackground", theme_.DrawThemeBackground);
        LoadProc(m, "GetThemeBackgroundRegion", theme_.GetThemeBackgroundRegion);
    }
    themesActive_ = theme_.Loaded() && theme_.IsThemeActive();

    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    if (!::GetClassInfoExW(instance, kClassName, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &VLM_StyleButton::WndProc;
        wc.hInstance = instance;
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kClassName;
        ::RegisterClassExW(&wc);
    }
    const int minSide = MinSidePixels(TwipsPerPixel());
    width_ = std::max(width_, minSide);
    height_ = std::max(height_, minSide);
    hwnd_ = ::CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, left_, top_,
                              width_, height_, container.hWnd(), nullptr, instance, this);
    if (!hwnd_) throw PanorelError(static_cast<std::int32_t>(::GetLastError()), "VLM_StyleButton", "Can't create control");
    RefreshSize();
    surface_.Create(W_, H_);
    surface_.MaskTransparentSet(true);
    StartInput();
}

VLM_StyleButton::~VLM_StyleButton() {
    StopInput();
    if (hwnd_) {
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);  // the window deletes its region
    }
    if (surface_.hDC() && font_) ::SelectObject(surface_.hDC(), ::GetStockObject(SYSTEM_FONT));
}

void VLM_StyleButton::InitProperties() {
    model_.InitNew(site_.Ambient().DisplayName, site_.Ambient().Font);
    Apply(kAccessKey | kFont | kTextColour | kEnableWindow | kRegion | kRedraw);
}

void VLM_StyleButton::ReadProperties(const host::PropertyBag& bag) {
    model_.ReadProperties(bag, site_.Ambient().Font);
    ::EnableWindow(hwnd_, model_.P.Enabled);
    AfterRead();
}

void VLM_StyleButton::AfterRead() {
    Apply(kFont | kTextColour | kAccessKey | kPointer);
    ResizeHandling();
}

void VLM_StyleButton::WriteProperties(host::PropertyBag& bag) const {
    model_.WriteProperties(bag, site_.Ambient().Font);
}

void VLM_StyleButton::Show() {
    site_.ToolTipText.clear();
    ::ShowWindow(hwnd_, SW_SHOWNA);
}

void VLM_StyleButton::Hide() {
    site_.ToolTipText = model_.P.ToolTip;
    ::ShowWindow(hwnd_, SW_HIDE);
}

bool VLM_StyleButton::Let(Prop id, const stylebutton::Value& value) {
    const bool changedBefore = model_.Changed;
    model_.Changed = false;
    const unsigned effects = model_.Set(id, value);
    const bool accepted = model_.Changed;
    model_.Changed = changedBefore || accepted;
    if (accepted) Apply(effects);
    return accepted;
}

void VLM_StyleButton::Apply(unsigned effects) {
    const ButtonProperties& p = model_.P;
    if (effects & kAccessKey) {
        accessKey_ = AccessKey(p.Caption);
        site_.AccessKeys = accessKey_ ? std::wstring(1, accessKey_) : std::wstring();
    }
    if (effects & kEnableWindow) {
        ::EnableWindow(hwnd_, p.Enabled);
        EnabledAssigned();  // starts or stops blinking
    }
    if (effects & kFont) ApplyFont();
    if (effects & kTextColour && surface_.hDC()) ::SetTextColor(surface_.hDC(), TranslateColor(p.ForeColor));
    if (effects & kPointer) {
        handCursor_ = p.HandPointer ? ::LoadCursorW(nullptr, IDC_HAND) : nullptr;
        if (p.HandPointer && !handCursor_) model_.P.HandPointer = false;
        PointerChanged();
    }
    if (effects & kStateNormal) InputStateNormal();
    if (effects & kResize) {
        ResizeHandling();
        return;
    }
    if (effects & kRegion) RebuildRegion();
    if (effects & kRedraw) Redraw();
}

void VLM_StyleButton::ApplyFont() {
    const host::FontDesc& f = model_.P.Font;
    LOGFONTW lf{};
    int dpi = 96;
    if (WindowDc screen = WindowDc::Client(nullptr)) dpi = ::GetDeviceCaps(screen.get(), LOGPIXELSY);
    lf.lfHeight = -RoundToInt32(f.Size * dpi / 72.0);
    lf.lfWeight = f.Weight;
    lf.lfItalic = f.Italic;
    lf.lfUnderline = f.Underline;
    lf.lfStrikeOut = f.Strikethrough;
    lf.lfCharSet = static_cast<BYTE>(f.Charset);
    lstrcpynW(lf.lfFaceName, f.Name.c_str(), LF_FACESIZE);
    FontHandle font(::CreateFontIndirectW(&lf));
    if (!font) return;
    if (surface_.hDC()) ::SelectObject(surface_.hDC(), font.get());
    font_ = std::move(font);  // the old font is deselected above before it goes
}

void VLM_StyleButton::Move(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    ::SetWindowPos(hwnd_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void VLM_StyleButton::ResizeHandling() {
    // At least 220 twips each way.
    const int minSide = MinSidePixels(TwipsPerPixel());
    if (width_ < minSide || height_ < minSide) Move(left_, top_, std::max(width_, minSide), std::max(height_, minSide));
    RefreshSize();
    if (surface_.Width() != W_ || surface_.Height() != H_) {
        surface_.Create(W_, H_);
        surface_.MaskTransparentSet(true);
        if (font_) ::SelectObject(surface_.hDC(), font_.get());
        if (surface_.hDC()) ::SetTextColor(surface_.hDC(), TranslateColor(model_.P.ForeColor));
    }
    RebuildRegion();
    Redraw();
}

void VLM_StyleButton::RefreshSize() {
    RECT rc{};
    ::GetClientRect(hwnd_, &rc);
    W_ = rc.right;
    H_ = rc.bottom;
}

void VLM_StyleButton::picLocation(const std::wstring& path, const std::wstring& ResSection) {
    // Icons are asked for at 32 x 32 pixels of a 96-dpi screen.
    image_.LoadResource(path, ResSection, DesignPixels(32, TwipsPerPixel()));
    Redraw();
}

// ---- window ----

LRESULT CALLBACK VLM_StyleButton::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<VLM_StyleButton*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self || !self->hwnd_) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        // Destroyed with its parent: forget the handle, which may be reused.
        self->hwnd_ = nullptr;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    LRESULT result = 0;
    if (!SkipOnError([&] { result = self->Handle(msg, wParam, lParam); })) result = 0;
    return result;
}

LRESULT VLM_StyleButton::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            // A paint request is a redraw like any other, not a copy of the last one.
            PAINTSTRUCT ps;
            const HDC dc = ::BeginPaint(hwnd_, &ps);
            DrawSurface();
            if (dc) Present(dc);
            ::EndPaint(hwnd_, &ps);
            return 0;
        }
        case WM_SIZE:
            if (surface_.hDC()) {
                RECT rc{};
                ::GetWindowRect(hwnd_, &rc);
                width_ = rc.right - rc.left;
                height_ = rc.bottom - rc.top;
                ResizeHandling();
            }
            return 0;
        default: {
            LRESULT result = 0;
            if (HandleInput(msg, wParam, lParam, result)) return result;
            return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
        }
    }
}

void VLM_StyleButton::Present(HDC dc) {
    if (surface_.hDC()) ::BitBlt(dc, 0, 0, W_, H_, surface_.hDC(), 0, 0, SRCCOPY);
}

// ---- primitives ----

Colour VLM_StyleButton::TranslateColor(Colour colour) const {
    COLORREF out = 0;
    if (::OleTranslateColor(colour, nullptr, &out) != S_OK) return 0xFFFFFFFFu;
    return out;
}

void VLM_StyleButton::DrawLine(int x1, int y1, int x2, int y2, Colour colour) {
    PenHandle pen(::CreatePen(PS_SOLID, 1, colour & 0xFFFFFF));
    if (!pen) return;
    const HDC dc = surface_.hDC();
    SelectionGuard select(dc, pen.get());
    ::MoveToEx(dc, x1, y1, nullptr);
    ::LineTo(dc, x2, y2);
}

void VLM_StyleButton::DrawRectangle(int x, int y, int width, int height, Colour colour) {
    BrushHandle brush(::CreateSolidBrush(colour & 0xFFFFFF));
    if (!brush) return;
    const RECT rc{x, y, x + width, y + height};
    ::FrameRect(surface_.hDC(), &rc, brush.get());
}

void VLM_StyleButton::FillRectangle(Colour colour, const RECT& rect) {
    BrushHandle brush(::CreateSolidBrush(colour & 0xFFFFFF));
    if (brush) ::FillRect(surface_.hDC(), &rect, brush.get());
}

void VLM_StyleButton::DrawCorners(Colour colour) {
    const HDC dc = surface_.hDC();
    const COLORREF c = colour & 0xFFFFFF;
    ::SetPixelV(dc, 1, 1, c);
    ::SetPixelV(dc, 1, H_ - 2, c);
    ::SetPixelV(dc, W_ - 2, 1, c);
    ::SetPixelV(dc, W_ - 2, H_ - 2, c);
}

void VLM_StyleButton::DrawGradient(int x, int y, int width, int height, Colour colour1, Colour colour2,
                                   int direction) {
    // Nothing of a gradient far outside the control is visible; its size is bounded by it.
    if (width < 1 || height < 1 || width > 0x7FFF || height > 0x7FFF) return;
    const std::vector<std::uint32_t> pixels = GradientPixels(width, height, colour1, colour2, direction);
    if (pixels.empty()) return;
    const BITMAPINFO bmi = host::TopDownDibInfo(width, height, 32);
    ::StretchDIBits(surface_.hDC(), x, y, width, height, 0, 0, width, height, pixels.data(), &bmi, DIB_RGB_COLORS,
                    SRCCOPY);
}

void VLM_StyleButton::DrawPicture(int left, int top) {
    const ButtonProperties& p = model_.P;
    bool grey = !p.Enabled;
    if (p.Blink && p.Enabled) {
        // Blinking alternates grey and colour from one call to the next.
        grey = blinkPhase_;
        blinkPhase_ = !grey;
    }
    image_.Draw(surface_.hDC(), left, top, grey);
}

void VLM_StyleButton::DrawCaptionText(const stylebutton::Rect& rect, Colour colour, int dx, int dy) {
    const HDC dc = surface_.hDC();
    const COLORREF saved = ::SetTextColor(dc, colour & 0xFFFFFF);
    RECT rc{rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
    UINT flags = DT_CENTER | DT_WORDBREAK;
    if (model_.P.RightToLeft) flags |= DT_RTLREADING;
    const std::wstring& caption = model_.P.Caption;
    ::DrawTextW(dc, caption.c_str(), TextLength(caption), &rc, flags);
    ::SetTextColor(dc, saved);
}

void VLM_StyleButton::DrawDropDownSymbol(std::int32_t code) {
    FontHandle marlett(::CreateFontW(DropDownFontHeight(TwipsPerPixel()), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SYMBOL_CHARSET, OUT_DEFAULT_PRECIS,
                                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Marlett"));
    if (!marlett) return;
    const HDC dc = surface_.hDC();
    SelectionGuard select(dc, marlett.get());
    const std::wstring digits = std::to_wstring(code);
    RECT rc{layout_.dropDown.left, layout_.dropDown.top, layout_.dropDown.right, layout_.dropDown.bottom};
    ::DrawTextW(dc, digits.c_str(), 1, &rc, DT_WORDBREAK);
}

void VLM_StyleButton::DrawEdges(UINT edge) {
    RECT rc{0, 0, W_, H_};
    ::DrawEdge(surface_.hDC(), &rc, edge, BF_RECT);
}

void VLM_StyleButton::DrawFocus(const RECT& rect) {
    // The focus pattern takes the text colour; black dots read on every face.
    const HDC dc = surface_.hDC();
    const COLORREF text = ::SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF back = ::SetBkColor(dc, RGB(255, 255, 255));
    ::DrawFocusRect(dc, &rect);
    ::SetTextColor(dc, text);
    ::SetBkColor(dc, back);
}

void VLM_StyleButton::RebuildRegion() {
    if (!hwnd_) return;
    RefreshSize();
    const std::int32_t style = model_.P.ButtonStyle;
    RegionHandle region;
    switch (style) {
        case 2: case 3: case 7: case 9: region.reset(::CreateRoundRectRgn(0, 0, W_ + 1, H_ + 1, 3, 3)); break;
        case 6: case 10: region.reset(::CreateRoundRectRgn(0, 0, W_ + 1, H_ + 1, 4, 4)); break;
        default: region.reset(::CreateRectRgn(0, 0, W_, H_)); break;
    }
    GiveRegion(std::move(region));
}

void VLM_StyleButton::GiveRegion(RegionHandle region) {
    if (!region || !hwnd_) return;
    // Setting the region the window has already would only cost a repaint.
    RegionHandle current(::CreateRectRgn(0, 0, 0, 0));
    if (current && ::GetWindowRgn(hwnd_, current.get()) != ERROR && ::EqualRgn(current.get(), region.get())) return;
    if (::SetWindowRgn(hwnd_, region.get(), TRUE)) region.release();  // the window owns it now
}

// ---- redraw and content ----

void VLM_StyleButton::Redraw() {
    if (!hwnd_) return;  // GetDC(nullptr) would be the screen's
    DrawSurface();
    WindowDc dc = WindowDc::Client(hwnd_);
    if (dc) Present(dc.get());
}

void VLM_StyleButton::DrawSurface() {
    if (!hwnd_ || !surface_.hDC()) return;
    RefreshSize();
    FillRectangle(TranslateColor(surfaceBackColor_));
    const ButtonProperties& p = model_.P;
    // A checked check or option button draws pressed; the input model keeps
    // its own state, so moves over it are not each a change of state.
    std::int32_t state = InputLook();
    if (p.Mode != 0 && p.ButtonStyle != 0 && p.ButtonStyle != 6 && p.Value) state = 2;
    drawnState_ = state;
    switch (p.ButtonStyle) {
        case 0: case 1: case 11: case 12: DrawClassic(state); break;
        case 2: DrawGlossy(state); break;
        case 3: DrawHoney(state); break;
        case 4: DrawToolbar(state); break;
        case 5: DrawOrange(state); break;
        case 6: DrawSilver(state); break;
        case 7: DrawGold(state); break;
        case 8: DrawSunrise(state); break;
        case 9: DrawFlatHover(state); break;
        case 10: DrawSoft(state); break;
        case 13:
            if (themesActive_) {
                DrawSystemTheme(state);
            } else {
                model_.FallBackFromSystemTheme();
                RebuildRegion();
                ::SetTextColor(surface_.hDC(), TranslateColor(model_.P.ForeColor));
                DrawGlossy(state);
            }
            break;
        default: break;
    }
}

void VLM_StyleButton::ContentPass(std::int32_t state) {
    RefreshSize();
    const ButtonProperties& p = model_.P;
    const HDC dc = surface_.hDC();
    ContentInput in;
    in.W = W_;
    in.H = H_;
    in.style = p.ButtonStyle;
    in.state = state;
    in.mode = p.Mode;
    in.value = p.Value;
    in.pictureAlign = p.PictureAlign;
    in.captionAlign = p.CaptionAlign;
    in.dropDownSymbol = p.DropDownSymbol;
    in.dropDownSeparator = p.DropDownSeparator;
    in.hasPictureNormal = !p.PictureNormal.empty();
    in.imageLoaded = image_.HasImage();
    picW_ = in.imageLoaded ? image_.Width() : 0;
    picH_ = in.imageLoaded ? image_.Height() : 0;
    in.picW = picW_;
    in.picH = picH_;
    in.captionBlank = IsBlank(p.Caption);
    in.twipsPerPixel = TwipsPerPixel();

    UINT measure = DT_CALCRECT | DT_WORDBREAK;
    if (p.RightToLeft) measure |= DT_RTLREADING;
    RECT box{0, 0, CaptionBoxWidth(in), H_};
    ::DrawTextW(dc, p.Caption.c_str(), TextLength(p.Caption), &box, measure);
    layout_ = LayoutContent(in, box.right, box.bottom);

    if (layout_.drawSeparator) {
        const COLORREF base = ::GetPixel(dc, 7, 7);
        const int x = layout_.separatorX, inset = layout_.separatorInset;
        DrawLine(x, inset, x, H_ - inset, ShiftColor(base, -0.1f));
        DrawLine(x + 1, inset, x + 1, H_ - inset, ShiftColor(base, 0.1f));
    }
    if (in.imageLoaded) {
        const stylebutton::Rect& pic = layout_.picture;
        const bool pushed = p.PicturePushOnHover && state == 1;
        DrawPicture(pic.left, pic.top);
        if (pushed) DrawPicture(pic.left - 2, pic.top - 2);
        if (p.PictureShadow && !pushed) {
            DrawPicture(pic.left + 2, pic.top + 2);
            DrawPicture(pic.left + 1, pic.top + 1);
            DrawPicture(pic.left, pic.top);
        }
    }
    const Colour grey = TranslateColor(kGrayText);
    if (p.CaptionEffects != 0) {
        const Colour b = TranslateColor(p.BackColor);
        switch (p.CaptionEffects) {
            case 1: DrawCaptionText(layout_.caption, ShiftColor(b, 0.14f), -1, -1); break;
            case 2: DrawCaptionText(layout_.caption, ShiftColor(b, 0.14f), 1, 1); break;
            case 3: DrawCaptionText(layout_.caption, TranslateColor(0xC0C0C0), 1, 1); break;
            case 4:
            case 5:
                for (int dx : {-1, 1})
                    for (int dy : {-1, 1})
                        DrawCaptionText(layout_.caption, ShiftColor(b, p.CaptionEffects == 4 ? 0.1f : -0.1f), dx, dy);
                break;
            default: break;
        }
        DrawCaptionText(layout_.caption, p.Enabled ? TranslateColor(p.ForeColor) : grey, 0, 0);
    }
    const Colour caption = !p.Enabled ? grey : state == 1 ? TranslateColor(p.ForeColorHover) : TranslateColor(p.ForeColor);
    DrawCaptionText(layout_.caption, caption, 0, 0);
    if (layout_.drawDropDown) {
        ::SetTextColor(dc, (p.Enabled ? TranslateColor(p.ForeColor) : grey) & 0xFFFFFF);
        DrawDropDownSymbol(p.DropDownSymbol);
    }
}

}  // namespace panorel
