#include "winsupport/Transparent.h"

#include "host/Handles.h"
#include "host/PanorelError.h"

namespace panorel {

void MakeRegionFromPictures(host::Form& form) {
    // No frame to refuse: host forms are borderless, and their children's
    // places are already in pixels.
    RegionHandle region(::CreateRectRgn(0, 0, 0, 0));
    if (!region) return;
    for (host::Control* control : form.Controls()) {
        if (!control->IsPictureBox()) continue;
        SkipOnError([&] {
            RegionHandle rect(::CreateRectRgn(control->Left(), control->Top(), control->Left() + control->Width(),
                                              control->Top() + control->Height()));
            if (rect) ::CombineRgn(region.get(), region.get(), rect.get(), RGN_XOR);
        });
    }
    // The system owns the region once it is set.
    if (::SetWindowRgn(form.hWnd(), region.get(), TRUE)) region.release();
}

}  // namespace panorel
