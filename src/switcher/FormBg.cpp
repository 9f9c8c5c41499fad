#include "switcher/FormBg.h"

#include "host/Screen.h"

namespace panorel {
namespace {

constexpr BYTE kBackgroundAlpha = 80;
constexpr COLORREF kBackgroundColour = RGB(0, 0, 0);  // dims what lies behind the panel

}  // namespace

FormBg::FormBg() : Form(L"Panorel2Background", WS_EX_TOOLWINDOW) {}

FormBg::~FormBg() = default;

void FormBg::Form_Load() {
    Picture1 = std::make_unique<host::PictureBox>(hWnd(), 0, 0, 0, 0, kBackgroundColour);
    AddControl(*Picture1);
    Picture1->MouseUp = [this](int) {
        if (HideSwitcher) HideSwitcher();
        Hide();
    };
    Move(0, 0, host::Screen::WidthPixels(), host::Screen::HeightPixels());
    CoverScreen();
    const LONG exStyle = ::GetWindowLongW(hWnd(), GWL_EXSTYLE);
    ::SetWindowLongW(hWnd(), GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(hWnd(), 0, kBackgroundAlpha, LWA_ALPHA);
}

void FormBg::Form_Resize() { CoverScreen(); }

void FormBg::CoverScreen() {
    if (Picture1) Picture1->Move(0, 0, host::Screen::WidthPixels(), host::Screen::HeightPixels());
}

}  // namespace panorel
