#include "host/Screen.h"

#include "host/Handles.h"
#include "host/ScreenUnits.h"

namespace panorel::host {
namespace {

double TwipsPerPixel(int caps) {
    WindowDc screen = WindowDc::Client(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen.get(), caps) : 96;
    return TwipsPerPixelForDpi(dpi);
}

}  // namespace

double Screen::TwipsPerPixelX() { return TwipsPerPixel(LOGPIXELSX); }
double Screen::TwipsPerPixelY() { return TwipsPerPixel(LOGPIXELSY); }
double Screen::Width() {
    return ScreenTwips(::GetSystemMetrics(SM_CXSCREEN), static_cast<std::int32_t>(TwipsPerPixelX()));
}
double Screen::Height() {
    return ScreenTwips(::GetSystemMetrics(SM_CYSCREEN), static_cast<std::int32_t>(TwipsPerPixelY()));
}

int Screen::WidthPixels() { return ScreenPixels(Width(), TwipsPerPixelX()); }
int Screen::HeightPixels() { return ScreenPixels(Height(), TwipsPerPixelY()); }

}  // namespace panorel::host
