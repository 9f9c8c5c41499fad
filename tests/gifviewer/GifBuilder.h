#pragma once
// Builds GIF files for tests, block by block, with the project's encoder.
#include <cstdint>
#include <iterator>
#include <vector>

#include "imaging/LzwEncoder.h"

namespace panorel::test {

class GifBuilder {
public:
    // A header with the logical screen size and, when `globalColours` is
    // given (RGB, 0xRRGGBB), a global table of 2^k entries holding them.
    explicit GifBuilder(int screenW, int screenH, const std::vector<std::uint32_t>& globalColours = {},
                        const char* signature = "GIF89a")
        : bytes_(signature, signature + 6) {
        Put16(screenW);
        Put16(screenH);
        bytes_.insert(bytes_.end(), {TableFlags(globalColours, 0xF0), 0, 0});  // no background index, no aspect
        PutTable(globalColours);
    }

    GifBuilder& Loop(int count, const char* id = "NETSCAPE2.0") {
        bytes_.insert(bytes_.end(), {0x21, 0xFF, 11});
        bytes_.insert(bytes_.end(), id, id + 11);
        bytes_.insert(bytes_.end(), {3, 1});
        Put16(count);
        bytes_.push_back(0);
        return *this;
    }
    // delay in 1/100 s; transparentIndex < 0: none.
    GifBuilder& Control(int delay, int disposal, int transparentIndex = -1) {
        const bool transparent = transparentIndex >= 0;
        bytes_.insert(bytes_.end(), {0x21, 0xF9, 4, static_cast<std::uint8_t>((disposal << 2) | transparent)});
        Put16(delay);
        bytes_.insert(bytes_.end(), {static_cast<std::uint8_t>(transparent ? transparentIndex : 0), 0});
        return *this;
    }
    GifBuilder& Image(int left, int top, int w, int h, const std::vector<std::uint8_t>& indices,
                      const std::vector<std::uint32_t>& localColours = {}) {
        bytes_.push_back(0x2C);
        for (int v : {left, top, w, h}) Put16(v);
        bytes_.push_back(TableFlags(localColours, 0x80));
        PutTable(localColours);
        const auto lzw = imaging::LzwEncodeGif(indices.data(), indices.size(), 8, 254);
        bytes_.insert(bytes_.end(), lzw.begin(), lzw.end());
        return *this;
    }
    // A w x h image of one index.
    GifBuilder& Solid(int left, int top, int w, int h, std::uint8_t index,
                      const std::vector<std::uint32_t>& localColours = {}) {
        return Image(left, top, w, h, std::vector<std::uint8_t>(static_cast<std::size_t>(w) * h, index),
                     localColours);
    }
    // `count` frames of 1 x 1 pixel, each with a 2-entry colour table of its
    // own: 21 bytes a frame, the cheapest way to ask a reader for many tables.
    GifBuilder& TinyFrames(std::size_t count) {
        static const std::uint8_t frame[] = {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0x80, 0, 0, 0, 0xFF, 0xFF, 0xFF,
                                             2,    2, 0x44, 1, 0};  // clear, 0, end in 3-bit codes
        bytes_.reserve(bytes_.size() + count * sizeof frame + 1);
        for (std::size_t i = 0; i < count; ++i) bytes_.insert(bytes_.end(), std::begin(frame), std::end(frame));
        return *this;
    }
    std::vector<std::uint8_t> Finish() const {
        std::vector<std::uint8_t> b = bytes_;
        b.push_back(0x3B);
        return b;
    }
    std::size_t Size() const { return bytes_.size(); }

private:
    static int TableBits(std::size_t n) {
        int bits = 1;
        while ((std::size_t{1} << bits) < n) ++bits;
        return bits;
    }
    // A descriptor's packed byte: `flags` and the table's size, or 0 without a table.
    static std::uint8_t TableFlags(const std::vector<std::uint32_t>& colours, std::uint8_t flags) {
        return colours.empty() ? 0 : static_cast<std::uint8_t>(flags | (TableBits(colours.size()) - 1));
    }
    // The table padded to 2^k entries; nothing without one.
    void PutTable(const std::vector<std::uint32_t>& colours) {
        if (colours.empty()) return;
        for (std::size_t i = 0; i < (std::size_t{1} << TableBits(colours.size())); ++i) {
            const std::uint32_t c = i < colours.size() ? colours[i] : 0;
            bytes_.insert(bytes_.end(), {static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                                         static_cast<std::uint8_t>(c)});
        }
    }
    void Put16(int v) {
        bytes_.insert(bytes_.end(), {static_cast<std::uint8_t>(v & 0xFF), static_cast<std::uint8_t>(v >> 8)});
    }

    std::vector<std::uint8_t> bytes_;
};

}  // namespace panorel::test
