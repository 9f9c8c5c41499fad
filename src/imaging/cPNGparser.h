#pragma once
// PNG: chunk walk with length checks, CRCs through zlib's crc32 when present,
// every colour type and bit depth, the five filters and Adam7, to
// premultiplied BGRA. 16-bit samples keep their high byte.
#include <string>

#include "imaging/modParsers.h"

namespace panorel::imaging {

class cPNGparser {
public:
    static bool HasSignature(const std::uint8_t* data, std::size_t size);
    // Declined without the signature; Failed with `error` set for anything wrong after it.
    static ParseResult LoadStream(const std::uint8_t* data, std::size_t size, const ParseOptions& options,
                                  PixelImage& out, std::string& error);
};

}  // namespace panorel::imaging
