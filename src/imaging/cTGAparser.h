#pragma once
// TGA: image types 1, 2, 3 (raw) and 9, 10, 11 (run-length), colour-mapped,
// true-colour (15, 16, 24, 32 bits) and grey, all four origins, the optional
// footer, whose attributes type 4 marks colours stored premultiplied. TGA has
// no signature, so the header is checked strictly before anything is believed.
// Pixels are decoded straight into the output: one picture's worth of memory.
#include "imaging/modParsers.h"

namespace panorel::imaging {

class cTGAparser {
public:
    static ParseResult LoadStream(const std::uint8_t* data, std::size_t size, const ParseOptions& options,
                                  PixelImage& out);
};

}  // namespace panorel::imaging
