#include "host/Screen.h"

#include "host/Handles.h"
#include "switcher/PanelLayout.h"

namespace panorel::host {
namespace {

double TwipsPerPixel(int caps) {
    WindowDc screen = WindowDc::Client(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen.get(), caps) : 96;
    return 1440.0 / (dpi > 0 ? dpi : 96);
}

}  // namespace

double Screen::TwipsPerPixelX() { return TwipsPerPixel(LOGPIXELSX); }
double Screen::TwipsPerPixelY() { return TwipsPerPixel(LOGPIXELSY); }
double Screen::Width() { return ::GetSystemMetrics(SM_CXSCREEN) * TwipsPerPixelX(); }
double Screen::Height() { return ::GetSystemMetrics(SM_CYSCREEN) * TwipsPerPixelY(); }

int Screen::WidthPixels() { return ScreenPixels(Width(), TwipsPerPixelX()); }
int Screen::HeightPixels() { return ScreenPixels(Height(), TwipsPerPixelY()); }

}  // namespace panorel::host
