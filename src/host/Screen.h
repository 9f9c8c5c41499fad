#pragma once
// The primary screen as the forms see it: sizes in twips and whole twips per
// pixel (the arithmetic is host/ScreenUnits).
#include <windows.h>

namespace panorel::host {

struct Screen {
    static double TwipsPerPixelX();
    static double TwipsPerPixelY();
    static double Width();   // twips
    static double Height();  // twips
    // The size in whole pixels, rounded the way the layout rounds it.
    static int WidthPixels();
    static int HeightPixels();
};

}  // namespace panorel::host
