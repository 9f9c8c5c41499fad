#include "helpbrowser/HelpBrowser.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cwctype>
#include <vector>

#include "controlpanel/HandOver.h"
#include "host/GlobalBlock.h"
#include "host/Screen.h"
#include "settings/AppIcon.h"

namespace panorel::help {

namespace {

constexpr wchar_t kPageClass[] = L"Panorel2HelpPage";
const COLORREF kLinkColour = RGB(0, 84, 166), kCodeBack = RGB(243, 243, 243), kMatchBack = RGB(255, 236, 140);

HelpBrowser* Of(HWND hwnd, UINT msg, LPARAM lParam) {
    if (msg == WM_NCCREATE)
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    return reinterpret_cast<HelpBrowser*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

HelpContent LoadContent(HINSTANCE instance) {
    const HRSRC found = ::FindResourceW(instance, L"HELPCONTENT", MAKEINTRESOURCEW(10));  // RT_RCDATA
    const HGLOBAL loaded = found ? ::LoadResource(instance, found) : nullptr;
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    const DWORD size = found ? ::SizeofResource(instance, found) : 0;
    return OpenHelp(static_cast<const std::uint8_t*>(bytes), bytes ? size : 0);
}

}  // namespace

HelpBrowser::~HelpBrowser() {
    if (window_) ::DestroyWindow(window_);
}

int HelpBrowser::Px(int designed) const { return designed * 15 / std::max(1, twipsPerPixel_); }

bool HelpBrowser::Create(HINSTANCE instance, const std::wstring& request) {
    instance_ = instance;
    twipsPerPixel_ = static_cast<int>(host::Screen::TwipsPerPixelY());
    content_ = LoadContent(instance);
    for (const HelpEntry& p : content_.pictures) {
        auto image = std::make_unique<imaging::cAlphaImage>();
        if (image->LoadPicture_Stream(std::vector<std::uint8_t>(p.data.begin(), p.data.end())))
            pictures_[p.name] = std::move(image);
    }
    measureDc_.reset(::CreateCompatibleDC(nullptr));
    MakeFonts();

    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = FrameProc;
    cls.hInstance = instance;
    cls.hIcon = ::LoadIconW(instance, L"AAA");
    cls.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    cls.lpszClassName = kHelpBrowserClass;
    ::RegisterClassExW(&cls);
    cls.lpfnWndProc = PageProc;
    cls.hIcon = nullptr;
    cls.hCursor = nullptr;
    cls.hbrBackground = nullptr;
    cls.style = CS_DBLCLKS;
    cls.lpszClassName = kPageClass;
    ::RegisterClassExW(&cls);

    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int w = std::min(Px(940), static_cast<int>(work.right - work.left));
    const int h = std::min(Px(680), static_cast<int>(work.bottom - work.top));
    window_ = ::CreateWindowExW(0, kHelpBrowserClass, L"Panorel 2 Help", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                work.left + (work.right - work.left - w) / 2, work.top + (work.bottom - work.top - h) / 2,
                                w, h, nullptr, nullptr, instance, this);
    if (!window_) return false;
    SetIcon(window_, "AAA", false);
    topics_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"Topics",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 0,
                                0, 0, 0, window_, reinterpret_cast<HMENU>(kTopicsId), instance, nullptr);
    page_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, kPageClass, L"Page", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL,
                              0, 0, 0, 0, window_, nullptr, instance, this);
    findLabel_ = ::CreateWindowExW(0, L"STATIC", L"Find:", WS_CHILD | SS_CENTERIMAGE, 0, 0, 0, 0, window_, nullptr,
                                   instance, nullptr);
    findBox_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0, 0, 0,
                                 window_, reinterpret_cast<HMENU>(kFindBoxId), instance, nullptr);
    findNext_ = ::CreateWindowExW(0, L"BUTTON", L"Find &next", WS_CHILD | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0,
                                  window_, reinterpret_cast<HMENU>(kFindNextId), instance, nullptr);
    findState_ = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_CENTERIMAGE | SS_NOPREFIX, 0, 0, 0, 0, window_,
                                   reinterpret_cast<HMENU>(kFindStateId), instance, nullptr);
    for (HWND c : {topics_, findLabel_, findBox_, findNext_, findState_})
        ::SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont_.get()), TRUE);
    for (const HelpTopic& t : content_.topics)
        ::SendMessageW(topics_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t.page.title.c_str()));
    Arrange();
    ShowTopic(FindTopic(content_, request));
    ::ShowWindow(window_, SW_SHOW);
    ::SetForegroundWindow(window_);
    ::SetFocus(page_);
    return true;
}

void HelpBrowser::MakeFonts() {
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    LOGFONTW base = ncm.lfMessageFont;
    if (base.lfHeight == 0) base.lfHeight = -Px(12);
    uiFont_.reset(::CreateFontIndirectW(&base));
    // Body text a little larger than the dialogs' for reading.
    base.lfHeight = base.lfHeight * 7 / 6;
    struct {
        FontKind kind;
        int scale;  // in eighths
        int weight;
        bool italic, mono;
    } const kinds[] = {{FontKind::Body, 8, FW_NORMAL, false, false},   {FontKind::Bold, 8, FW_BOLD, false, false},
                       {FontKind::Italic, 8, FW_NORMAL, true, false},  {FontKind::Code, 8, FW_NORMAL, false, true},
                       {FontKind::Heading1, 14, FW_BOLD, false, false}, {FontKind::Heading2, 11, FW_BOLD, false, false},
                       {FontKind::Heading3, 9, FW_BOLD, false, false}};
    for (const auto& k : kinds) {
        LOGFONTW f = base;
        f.lfHeight = base.lfHeight * k.scale / 8;
        f.lfWeight = k.weight;
        f.lfItalic = k.italic;
        if (k.mono) {
            ::lstrcpynW(f.lfFaceName, L"Courier New", LF_FACESIZE);
            f.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
        }
        const auto i = static_cast<std::size_t>(k.kind);
        fonts_[i].reset(::CreateFontIndirectW(&f));
        const SelectionGuard select(measureDc_.get(), fonts_[i].get());
        ::GetTextMetricsW(measureDc_.get(), &metrics_[i]);
    }
}

int HelpBrowser::Width(FontKind font, const wchar_t* text, std::size_t length) {
    const SelectionGuard select(measureDc_.get(), fonts_[static_cast<std::size_t>(font)].get());
    SIZE size{};
    ::GetTextExtentPoint32W(measureDc_.get(), text, static_cast<int>(length), &size);
    return size.cx;
}

// Draws with the advances the layout measured, so that a run ends where the
// next one was placed even where the screen's rasteriser would space the
// glyphs a little differently (seen with hinted fonts under Wine).
void HelpBrowser::DrawRun(HDC dc, FontKind font, int x, int y, const wchar_t* text, std::size_t length) {
    const SelectionGuard select(measureDc_.get(), fonts_[static_cast<std::size_t>(font)].get());
    std::vector<INT> ends(length), advances(length);
    SIZE size{};
    if (length == 0 || !::GetTextExtentExPointW(measureDc_.get(), text, static_cast<int>(length), 0, nullptr,
                                                ends.data(), &size)) {
        ::ExtTextOutW(dc, x, y, 0, nullptr, text, static_cast<UINT>(length), nullptr);
        return;
    }
    for (std::size_t i = 0; i < length; ++i) advances[i] = ends[i] - (i ? ends[i - 1] : 0);
    ::ExtTextOutW(dc, x, y, 0, nullptr, text, static_cast<UINT>(length), advances.data());
}

int HelpBrowser::Height(FontKind font) {
    const TEXTMETRICW& m = metrics_[static_cast<std::size_t>(font)];
    return m.tmHeight + m.tmExternalLeading + Px(2);
}

int HelpBrowser::Ascent(FontKind font) { return metrics_[static_cast<std::size_t>(font)].tmAscent + Px(1); }

void HelpBrowser::Arrange() {
    RECT client{};
    ::GetClientRect(window_, &client);
    const int gap = Px(6), listWidth = Px(210);
    const int barHeight = findShown_ ? metrics_[0].tmHeight + Px(12) : 0;
    ::MoveWindow(topics_, gap, gap, listWidth, client.bottom - 2 * gap, TRUE);
    const int left = 2 * gap + listWidth, width = std::max(0, static_cast<int>(client.right) - left - gap);
    if (findShown_) {
        const int labelW = Px(40), buttonW = Px(90), boxW = std::min(Px(260), std::max(Px(80), width / 3));
        ::MoveWindow(findLabel_, left, gap, labelW, barHeight, TRUE);
        ::MoveWindow(findBox_, left + labelW, gap, boxW, barHeight, TRUE);
        ::MoveWindow(findNext_, left + labelW + boxW + gap, gap, buttonW, barHeight, TRUE);
        const int stateLeft = left + labelW + boxW + buttonW + 2 * gap;
        ::MoveWindow(findState_, stateLeft, gap, std::max(0, left + width - stateLeft), barHeight, TRUE);
    }
    const int top = gap + (findShown_ ? barHeight + gap : 0);
    ::MoveWindow(page_, left, top, width, std::max(0, static_cast<int>(client.bottom) - top - gap), TRUE);
}

void HelpBrowser::ShowTopic(std::size_t index) {
    if (index >= content_.topics.size()) return;
    topic_ = index;
    ::SendMessageW(topics_, LB_SETCURSEL, index, 0);
    anchor_ = caret_ = 0;
    scroll_ = 0;
    LayOut();
}

void HelpBrowser::LayOut() {
    RECT client{};
    ::GetClientRect(page_, &client);
    const PictureSizes sizes = [this](const std::wstring& name) -> std::optional<Box> {
        const auto found = pictures_.find(Utf8FromUtf16(name));
        if (found == pictures_.end()) return std::nullopt;
        return Box{0, 0, found->second->Width(), found->second->Height()};
    };
    layout_ = LayOutPage(content_.topics[topic_].page, client.right, twipsPerPixel_, *this, sizes);
    ScrollTo(scroll_);
}

void HelpBrowser::ScrollTo(int y) {
    RECT client{};
    ::GetClientRect(page_, &client);
    const int most = std::max(0, layout_.height - static_cast<int>(client.bottom));
    scroll_ = std::clamp(y, 0, most);
    SCROLLINFO info{sizeof info, SIF_ALL | SIF_DISABLENOSCROLL, 0, std::max(0, layout_.height - 1),
                    static_cast<UINT>(client.bottom), scroll_, 0};
    ::SetScrollInfo(page_, SB_VERT, &info, TRUE);
    ::InvalidateRect(page_, nullptr, FALSE);
}

void HelpBrowser::Paint(HDC target, const RECT& area) {
    const int w = area.right, h = area.bottom;
    const MemoryDcHandle dc(::CreateCompatibleDC(target));
    const BitmapHandle bitmap(::CreateCompatibleBitmap(target, std::max(1, w), std::max(1, h)));
    const SelectionGuard keepBitmap(dc.get(), bitmap.get());
    auto fill = [&](int x, int y, int fw, int fh, COLORREF colour) {
        const BrushHandle brush(::CreateSolidBrush(colour));
        const RECT r{x, y - scroll_, x + fw, y - scroll_ + fh};
        ::FillRect(dc.get(), &r, brush.get());
    };
    fill(0, scroll_, w, h, ::GetSysColor(COLOR_WINDOW));
    for (const Box& b : layout_.codeBoxes) fill(b.x, b.top, b.width, b.height, kCodeBack);
    for (const PicturePlace& p : layout_.pictures) {
        if (p.box.top - scroll_ > h || p.box.top + p.box.height - scroll_ < 0) continue;
        const auto found = pictures_.find(Utf8FromUtf16(p.name));
        if (found == pictures_.end()) continue;
        found->second->Render(dc.get(), p.box.x, p.box.top - scroll_, p.box.width, p.box.height, 0, 0,
                              found->second->Width(), found->second->Height());
    }
    const std::size_t selFrom = std::min(anchor_, caret_), selTo = std::max(anchor_, caret_);
    ::SetBkMode(dc.get(), TRANSPARENT);
    ::SetTextAlign(dc.get(), TA_BASELINE | TA_LEFT);
    for (const Fragment& f : layout_.fragments) {
        if (f.top - scroll_ > h || f.top + f.height - scroll_ < 0) continue;
        const SelectionGuard font(dc.get(), fonts_[static_cast<std::size_t>(f.font)].get());
        const wchar_t* text = layout_.text.data() + f.start;
        // The selection, or else a found word, behind the text.
        const std::size_t a = std::max(selFrom, f.start), b = std::min(selTo, f.start + f.length);
        const bool selected = a < b;
        if (selected) {
            const int x0 = f.x + Width(f.font, text, a - f.start), x1 = f.x + Width(f.font, text, b - f.start);
            fill(x0, f.top, x1 - x0, f.height, ::GetFocus() == page_ ? ::GetSysColor(COLOR_HIGHLIGHT) : kMatchBack);
        }
        if (f.font == FontKind::Code && !layout_.codeBoxes.empty()) {
            // Code inside a paragraph gets its own light background.
            bool inBox = false;
            for (const Box& box : layout_.codeBoxes) inBox |= f.top >= box.top && f.top < box.top + box.height;
            if (!inBox) fill(f.x, f.top + Px(1), f.width, f.height - Px(2), kCodeBack);
        } else if (f.font == FontKind::Code) {
            fill(f.x, f.top + Px(1), f.width, f.height - Px(2), kCodeBack);
        }
        ::SetTextColor(dc.get(), f.link >= 0 ? kLinkColour : ::GetSysColor(COLOR_WINDOWTEXT));
        DrawRun(dc.get(), f.font, f.x, f.baseline - scroll_, text, f.length);
        if (selected && ::GetFocus() == page_) {
            // Selected characters again in the highlight's text colour.
            const int x0 = f.x + Width(f.font, text, a - f.start);
            ::SetTextColor(dc.get(), ::GetSysColor(COLOR_HIGHLIGHTTEXT));
            DrawRun(dc.get(), f.font, x0, f.baseline - scroll_, text + (a - f.start), b - a);
        }
        if (f.link >= 0) {
            std::size_t visible = f.length;
            while (visible > 0 && text[visible - 1] == L' ') --visible;
            fill(f.x, f.baseline + Px(2), Width(f.font, text, visible), std::max(1, Px(1)), kLinkColour);
        }
    }
    ::BitBlt(target, 0, 0, w, h, dc.get(), 0, 0, SRCCOPY);
}

void HelpBrowser::ShowFindBar(bool show) {
    findShown_ = show;
    for (HWND c : {findLabel_, findBox_, findNext_, findState_}) ::ShowWindow(c, show ? SW_SHOW : SW_HIDE);
    Arrange();
    if (show) {
        ::SetFocus(findBox_);
        ::SendMessageW(findBox_, EM_SETSEL, 0, -1);
    } else {
        ::SetFocus(page_);
    }
}

void HelpBrowser::FindNext() {
    const int length = ::GetWindowTextLengthW(findBox_);
    std::wstring needle(static_cast<std::size_t>(length) + 1, L'\0');
    needle.resize(static_cast<std::size_t>(::GetWindowTextW(findBox_, needle.data(), length + 1)));
    if (needle.empty()) return;
    auto select = [&](std::size_t at) {
        anchor_ = at;
        caret_ = at + needle.size();
        RECT client{};
        ::GetClientRect(page_, &client);
        const int top = TopOfOffset(layout_, anchor_);
        if (top < scroll_ || top > scroll_ + client.bottom - Px(40)) ScrollTo(top - client.bottom / 3);
        ::InvalidateRect(page_, nullptr, FALSE);
        ::SetWindowTextW(findState_, L"");
    };
    // The rest of the open topic, then the following topics, then the open
    // topic's beginning.
    const std::size_t from = anchor_ != caret_ ? std::min(anchor_, caret_) + 1 : 0;
    if (const auto at = FindText(layout_.text, needle, from); at && *at >= from) return select(*at);
    const std::size_t open = topic_, count = content_.topics.size();
    for (std::size_t k = 1; k <= count; ++k) {
        ShowTopic((open + k) % count);
        if (const auto at = FindText(layout_.text, needle, 0)) return select(*at);
    }
    ::SetWindowTextW(findState_, L"Not found");
}

void HelpBrowser::Copy() {
    const std::size_t from = std::min(anchor_, caret_), to = std::max(anchor_, caret_);
    if (from == to) return;
    std::wstring text;
    for (std::size_t i = from; i < to && i < layout_.text.size(); ++i) {
        if (layout_.text[i] == L'\n') text += L'\r';
        text += layout_.text[i];
    }
    GlobalMemoryHandle memory = host::CopyToGlobal(text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    if (!memory) return;
    const ClipboardSession clipboard(window_);
    if (!clipboard.IsOpen()) return;
    ::EmptyClipboard();
    if (::SetClipboardData(CF_UNICODETEXT, memory.get())) memory.release();  // the clipboard's now
}

void HelpBrowser::Follow(int link) {
    if (link < 0 || static_cast<std::size_t>(link) >= layout_.links.size()) return;
    const std::wstring& target = layout_.links[static_cast<std::size_t>(link)];
    if (IsExternalLink(target)) {
        ::ShellExecuteW(window_, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        return;
    }
    const std::wstring topic = TopicOfLink(target);
    for (std::size_t i = 0; i < content_.topics.size(); ++i)
        if (content_.topics[i].name == topic) ShowTopic(i);
}

bool HelpBrowser::PreTranslate(const MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
    const HWND focus = ::GetFocus();
    switch (msg.wParam) {
    case VK_ESCAPE:
        if (findShown_ && (focus == findBox_ || focus == findNext_))
            ShowFindBar(false);
        else
            ::DestroyWindow(window_);
        return true;
    case 'F':
        if (!ctrl) return false;
        ShowFindBar(true);
        return true;
    case VK_F3:
        if (!findShown_) ShowFindBar(true);
        FindNext();
        return true;
    case VK_RETURN:
        if (focus != findBox_ && focus != findNext_) return false;
        FindNext();
        return true;
    case VK_TAB: {
        std::vector<HWND> order{topics_, page_};
        if (findShown_) order = {findBox_, findNext_, topics_, page_};
        auto at = std::find(order.begin(), order.end(), focus);
        std::size_t i = at == order.end() ? 0 : static_cast<std::size_t>(at - order.begin());
        i = ::GetKeyState(VK_SHIFT) < 0 ? (i + order.size() - 1) % order.size() : (i + 1) % order.size();
        ::SetFocus(order[i]);
        return true;
    }
    }
    return false;
}

int HelpBrowser::Run() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (PreTranslate(msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}

LRESULT CALLBACK HelpBrowser::FrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    HelpBrowser* self = Of(hwnd, msg, lParam);
    if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCCREATE) self->window_ = hwnd;
    return self->Frame(msg, wParam, lParam);
}

LRESULT HelpBrowser::Frame(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SIZE:
        if (page_) {
            Arrange();
            LayOut();
        }
        return 0;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = {Px(480), Px(300)};
        return 0;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == kTopicsId && HIWORD(wParam) == LBN_SELCHANGE) {
            const LRESULT i = ::SendMessageW(topics_, LB_GETCURSEL, 0, 0);
            if (i != LB_ERR) ShowTopic(static_cast<std::size_t>(i));
        } else if (LOWORD(wParam) == kFindNextId) {
            FindNext();
        }
        return 0;
    case WM_COPYDATA: {
        // A second start asks for a topic.
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (!data || data->dwData != kHandOverTag || data->cbData > 1024 || data->cbData % sizeof(wchar_t) != 0 ||
            (data->cbData && !data->lpData))
            return FALSE;
        const std::wstring request(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
        ShowTopic(FindTopic(content_, request));
        return TRUE;
    }
    case WM_ACTIVATE:
        // Back to the control that had the focus when the window was left.
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = ::GetFocus();
            if (focus && ::IsChild(window_, focus)) lastFocus_ = focus;
        }
        return ::DefWindowProcW(window_, msg, wParam, lParam);
    case WM_SETFOCUS:
        ::SetFocus(lastFocus_ && ::IsWindowVisible(lastFocus_) ? lastFocus_ : page_);
        return 0;
    case WM_DESTROY:
        window_ = nullptr;
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window_, msg, wParam, lParam);
}

LRESULT CALLBACK HelpBrowser::PageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    HelpBrowser* self = Of(hwnd, msg, lParam);
    if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCCREATE) self->page_ = hwnd;
    return self->Page(msg, wParam, lParam);
}

LRESULT HelpBrowser::Page(UINT msg, WPARAM wParam, LPARAM lParam) {
    RECT client{};
    ::GetClientRect(page_, &client);
    const int line = Height(FontKind::Body);
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam) + scroll_;
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        const HDC dc = ::BeginPaint(page_, &ps);
        Paint(dc, client);
        ::EndPaint(page_, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        ::InvalidateRect(page_, nullptr, FALSE);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_VSCROLL: {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_ALL;
        ::GetScrollInfo(page_, SB_VERT, &info);
        switch (LOWORD(wParam)) {
        case SB_LINEUP: ScrollTo(scroll_ - line); break;
        case SB_LINEDOWN: ScrollTo(scroll_ + line); break;
        case SB_PAGEUP: ScrollTo(scroll_ - client.bottom + line); break;
        case SB_PAGEDOWN: ScrollTo(scroll_ + client.bottom - line); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: ScrollTo(info.nTrackPos); break;
        case SB_TOP: ScrollTo(0); break;
        case SB_BOTTOM: ScrollTo(layout_.height); break;
        }
        return 0;
    }
    case WM_MOUSEWHEEL: {
        UINT lines = 3;
        ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
        const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
        ScrollTo(scroll_ - delta * static_cast<int>(std::min(lines, 20u)) * line / WHEEL_DELTA);
        return 0;
    }
    case WM_KEYDOWN: {
        const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
        switch (wParam) {
        case VK_UP: ScrollTo(scroll_ - line); break;
        case VK_DOWN: ScrollTo(scroll_ + line); break;
        case VK_PRIOR: ScrollTo(scroll_ - client.bottom + line); break;
        case VK_NEXT:
        case VK_SPACE: ScrollTo(scroll_ + client.bottom - line); break;
        case VK_HOME: ScrollTo(0); break;
        case VK_END: ScrollTo(layout_.height); break;
        case 'C':
        case VK_INSERT:
            if (ctrl) Copy();
            break;
        case 'A':
            if (ctrl) {
                anchor_ = 0;
                caret_ = layout_.text.size();
                ::InvalidateRect(page_, nullptr, FALSE);
            }
            break;
        }
        return 0;
    }
    case WM_LBUTTONDOWN:
        ::SetFocus(page_);
        ::SetCapture(page_);
        selecting_ = true;
        dragged_ = false;
        pressedLink_ = LinkAt(layout_, x, y);
        if (::GetKeyState(VK_SHIFT) >= 0) anchor_ = OffsetAt(layout_, x, y, *this);
        caret_ = OffsetAt(layout_, x, y, *this);
        ::InvalidateRect(page_, nullptr, FALSE);
        return 0;
    case WM_LBUTTONDBLCLK: {
        // A word.
        const std::size_t at = OffsetAt(layout_, x, y, *this);
        auto isWord = [&](std::size_t i) { return i < layout_.text.size() && std::iswalnum(layout_.text[i]); };
        std::size_t a = at, b = at;
        while (a > 0 && isWord(a - 1)) --a;
        while (isWord(b)) ++b;
        anchor_ = a;
        caret_ = b;
        ::InvalidateRect(page_, nullptr, FALSE);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (selecting_) {
            const std::size_t at = OffsetAt(layout_, x, y, *this);
            if (at != caret_) {
                caret_ = at;
                dragged_ = true;
                if (y - scroll_ < 0) ScrollTo(scroll_ - line);
                if (y - scroll_ > client.bottom) ScrollTo(scroll_ + line);
                ::InvalidateRect(page_, nullptr, FALSE);
            }
        }
        return 0;
    case WM_LBUTTONUP:
        if (selecting_) {
            selecting_ = false;
            ::ReleaseCapture();
            if (!dragged_ && pressedLink_ >= 0 && LinkAt(layout_, x, y) == pressedLink_) Follow(pressedLink_);
        }
        return 0;
    case WM_CAPTURECHANGED:
        selecting_ = false;
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT) {
            POINT p{};
            ::GetCursorPos(&p);
            ::ScreenToClient(page_, &p);
            const bool onLink = LinkAt(layout_, p.x, p.y + scroll_) >= 0;
            ::SetCursor(::LoadCursorW(nullptr, onLink ? IDC_HAND : IDC_IBEAM));
            return TRUE;
        }
        break;
    }
    return ::DefWindowProcW(page_, msg, wParam, lParam);
}

}  // namespace panorel::help
