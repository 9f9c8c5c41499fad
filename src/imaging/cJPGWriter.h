#pragma once
// The baseline JPEG writer: JFIF colour conversion, chroma subsampling by box
// averaging, the AAN floating-point forward DCT, quantisation and Huffman
// coding (standard tables unless others are set).
#include <array>
#include <cstdint>
#include <vector>

#include "imaging/ImageWriterSupport.h"
#include "imaging/PixelImage.h"

namespace panorel::imaging {

// The texts of the errors the writer raises (PanorelError, source "cJPGWriter").
constexpr const char* kBadQuantizationTable = "Bad Quantization Table";
constexpr const char* kIllegalQuantPrecision = "Illegal precission in Quantization Table";
constexpr const char* kBadHuffmanTable = "Bad Huffman Table";
constexpr const char* kInvalidSampling = "Invalid Sampling Value";

using QuantTable = std::array<std::int32_t, 64>;  // natural (row by row) order

// The standard luminance (0) and chrominance (1) base tables.
const QuantTable& BaseQuantTable(int index);
// scale = 5000 / Quality rounded below 50, 200 - 2 * Quality from 50 to 100,
// 0 above; each entry (base * scale + 50) / 100 rounded half to even and
// clamped to 1..255. Qualities below 1 count as 1.
QuantTable ScaleQuantTable(const QuantTable& base, std::int32_t Quality);

class cJPGWriter {
public:
    cJPGWriter();  // quality 90, standard Huffman tables, luminance sampled 2 x 2

    // Both quantisation tables from the base tables and Quality.
    void SetQuality(std::int32_t Quality);
    // Precision 0 is 8-bit (entries 1..255), 1 is 16-bit (1..65535); anything
    // else raises kIllegalQuantPrecision, an entry out of range
    // kBadQuantizationTable.
    void SetQuantTable(int index, const QuantTable& table, int precision = 0);
    // tableClass 0 DC, 1 AC; index 0 luminance, 1 chrominance. Counts of codes
    // per length 1..16 and the symbols: more than 256 codes, codes that do not
    // fit their length, repeated symbols or DC symbols above 15 raise
    // kBadHuffmanTable (so does a symbol the picture needs but the table lacks,
    // when writing).
    void SetHuffmanTable(int tableClass, int index, const std::array<std::uint8_t, 16>& bits,
                         const std::vector<std::uint8_t>& symbols);
    // The luminance's sampling factors (chrominance stays 1 x 1): each 1..4
    // and their product at most 8, else kInvalidSampling.
    void SetSampling(int horizontal, int vertical);

    // Transparent and translucent pixels are laid over TransparentFillColor
    // (white when none is given). False (out untouched) for a picture without
    // pixels or when memory runs out; raises what a bad table raises.
    bool Write(const PixelImage& image, std::vector<std::uint8_t>& out,
               ColorRef TransparentFillColor = kNoFillColor) const;

    struct Huffman {
        std::array<std::uint8_t, 16> bits{};
        std::vector<std::uint8_t> symbols;
        std::array<std::uint16_t, 256> code{};
        std::array<std::uint8_t, 256> length{};  // 0: symbol not in the table
    };

private:
    bool Encode(const PixelImage& image, std::vector<std::uint8_t>& out, ColorRef TransparentFillColor) const;

    std::array<QuantTable, 2> quant_{};
    std::array<int, 2> precision_{};
    std::array<Huffman, 4> huffman_;  // DC0, DC1, AC0, AC1
    int sampleH_ = 2;
    int sampleV_ = 2;
};

}  // namespace panorel::imaging
