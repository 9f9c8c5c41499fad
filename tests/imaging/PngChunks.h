#pragma once
// A PNG's chunks for the tests that look inside the files the writers make.
#include <cstdint>
#include <string>
#include <vector>

namespace panorel::test {

// The chunks after a PNG's signature: type, offset of the length field, data.
struct PngChunk {
    std::string type;
    std::size_t at;
    std::string data;
};
inline std::vector<PngChunk> PngChunks(const std::vector<std::uint8_t>& png) {
    std::vector<PngChunk> chunks;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::uint32_t n = std::uint32_t{png[at]} << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
        if (n > png.size() - at - 12) break;
        chunks.push_back({std::string(png.begin() + at + 4, png.begin() + at + 8), at,
                          std::string(png.begin() + at + 8, png.begin() + at + 8 + n)});
        at += 12 + n;
    }
    return chunks;
}

}  // namespace panorel::test
