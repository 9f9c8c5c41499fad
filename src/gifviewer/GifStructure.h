#pragma once
// The GIF viewer's portable half: the one-pass parse of a GIF file's block
// structure (frames, palettes, loop count, extents) and the small single-image
// GIFs the viewer hands to the platform's picture loader. No LZW decoding
// happens here; the loader decodes, the viewer only moves blocks around.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace panorel {

using GifPalette = std::array<std::uint32_t, 256>;  // DIB colour-table order: blue in the low byte

struct GifFrame {
    std::int32_t left = 0, top = 0, width = 0, height = 0;
    std::int32_t delay = 0;    // milliseconds (the control extension's value times 10)
    std::int32_t palette = 0;  // 0 the global table, else the local table's number
    std::size_t control = 0;   // offset of the graphic control extension, or dataStart without one
    std::size_t dataStart = 0;   // offset of the image descriptor (its 0x2C byte)
    std::size_t dataLength = 0;  // through the terminator of its image data
    std::uint8_t transparentIndex = 0;
    std::uint8_t transparent = 0;
    std::uint8_t disposal = 0;

    bool HasControl() const noexcept { return control != dataStart; }
};

// Frames beyond this many end the parse like the end of the file: each frame
// can carry a colour table of its own (1 KiB here), so a file of a million
// tiny frames would otherwise cost gigabytes, and its decoding minutes.
constexpr std::size_t kMaxGifFrames = 4096;

struct GifStructure {
    std::vector<GifFrame> frames;       // empty: the file does not load
    std::vector<GifPalette> palettes;   // [0] the global table (black without one), then local tables in file order
    bool hasGlobalTable = false;
    std::int32_t width = 0, height = 0;  // union of the frames' extents
    std::int32_t loopCount = 0;          // NETSCAPE2.0 loop count, 0 without it
    std::uint8_t backgroundIndex = 0;
    bool restorePrevious = false;        // some frame has disposal 3
    bool endOfFile = false;              // the parse ran past the end (complete frames kept)
};

// Parses the block structure. Reading past the end, or reaching
// kMaxGifFrames, keeps the frames read completely before it; a bad signature,
// a file under 20 bytes, an image without any colour table or running out of
// memory gives no frames.
GifStructure ParseGif(const std::uint8_t* data, std::size_t size) noexcept;

// Fits the whole animation (index 0 or out of range) or frame `index`
// (1-based) into a destination; all but mode are in-out. Base mode (mode AND
// NOT 8): 0 actual size, 2 stretch, 3 shrink only, anything else fit; 8 centres.
void ScaleGifToDestination(const GifStructure& gif, std::int32_t index, std::int32_t& destX, std::int32_t& destY,
                           std::int32_t& destCx, std::int32_t& destCy, std::int32_t mode, float& xRatio,
                           float& yRatio);

// The GIF colour table that maps index i to (0, 0, i), 768 bytes.
const std::array<std::uint8_t, 768>& IdentityGifPalette();

// Frame `index` (0-based) of the parsed file as a single-image GIF at (0, 0)
// whose tables are the identity: decoded, its blue channel holds the frame's
// indices. The control extension comes along with its transparency bit
// cleared. Empty when the frame's blocks do not lie within the file.
std::vector<std::uint8_t> BuildFrameGif(const std::uint8_t* data, std::size_t size, const GifStructure& gif,
                                        std::size_t index);

// A single-image GIF of the given indices (width x height, top row first) and
// palette, encoded with the project's LZW encoder in 254-byte sub-blocks.
std::vector<std::uint8_t> EncodeFrameGif(const std::uint8_t* indices, std::int32_t width, std::int32_t height,
                                         const GifPalette& palette);

}  // namespace panorel
