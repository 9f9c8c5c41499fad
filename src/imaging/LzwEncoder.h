#pragma once
// The project's one GIF LZW encoder, shared by the GIF viewer's FrameImage,
// the GIF writer and the artwork tools: the classic compress scheme (a 5003
// entry open-addressing hash over a 4096-code table, codes up to 12 bits, a
// clear code when the table is full).
#include <cstddef>
#include <cstdint>
#include <vector>

namespace panorel::imaging {

// Encodes `count` palette indices (each below 2^minCodeSize; larger values are
// masked) as GIF image data: the LZW minimum code size byte, data sub-blocks
// of at most `subBlockSize` bytes (1..255) and the zero-length terminator.
// minCodeSize is clamped to 2..8.
std::vector<std::uint8_t> LzwEncodeGif(const std::uint8_t* indices, std::size_t count, int minCodeSize = 8,
                                       std::size_t subBlockSize = 254);

}  // namespace panorel::imaging
