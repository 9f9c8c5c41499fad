#pragma once
#include "host/Form.h"

namespace panorel {

// Cuts a borderless form down to the rectangles of its picture boxes, combined
// in control order by XOR (an area covered twice is cut out).
void MakeRegionFromPictures(host::Form& form);

}  // namespace panorel
