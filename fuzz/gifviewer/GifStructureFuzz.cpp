// Hostile GIF files for the viewer's parse and mini-GIF assembly, and hostile
// index data for the LZW encoder, whose output giflib must decode back to
// exactly the indices given. Nothing may read outside the input, hang or
// disagree with the independent decoder.
#include <cstdint>
#include <vector>

#include "gifviewer/GifStructure.h"
#include "imaging/WriterOracles.h"
#include "imaging/LzwEncoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace panorel;
    const GifStructure gif = ParseGif(data, size);
    if (!gif.frames.empty()) {
        if (gif.palettes.empty() || gif.width < 0 || gif.height < 0) __builtin_trap();
        for (std::size_t k = 0; k < gif.frames.size(); ++k) {
            const GifFrame& f = gif.frames[k];
            if (f.dataStart + f.dataLength > size || f.palette < 0 ||
                static_cast<std::size_t>(f.palette) >= gif.palettes.size())
                __builtin_trap();
            const auto mini = BuildFrameGif(data, size, gif, k);
            if (mini.size() < 13 + 768 + f.dataLength || mini.back() != 0x3B) __builtin_trap();
        }
    }

    // The encoder's round trip: the first byte picks the code size and block size.
    if (size >= 1) {
        const int minCodeSize = 2 + data[0] % 7;
        const std::size_t block = 1 + data[0] % 255;
        std::vector<std::uint8_t> indices(data + 1, data + size);
        for (auto& v : indices) v &= static_cast<std::uint8_t>((1 << minCodeSize) - 1);
        const auto lzw = imaging::LzwEncodeGif(indices.data(), indices.size(), minCodeSize, block);
        if (!indices.empty()) {
            std::vector<std::uint8_t> decoded;
            const int width = static_cast<int>(indices.size());
            if (!test::DecodeFirstImage(test::WrapGif(lzw, width, 1, minCodeSize), decoded) || decoded != indices)
                __builtin_trap();
        }
    }
    return 0;
}
