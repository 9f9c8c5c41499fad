#pragma once
// TGA: image types 1, 2, 3 (raw) and 9, 10, 11 (run-length), colour-mapped,
// true-colour and grey, all four origins, the optional footer. TGA has no
// signature, so the header is checked strictly before anything is believed.
#include "imaging/modParsers.h"

namespace panorel::imaging {

class cTGAparser {
public:
    static ParseResult LoadStream(const std::uint8_t* data, std::size_t size, const ParseOptions& options,
                                  PixelImage& out);
};

}  // namespace panorel::imaging
